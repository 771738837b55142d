#pragma once
// The headless host: ports with no window and no sound card, and one player.

#include <cstdint>
#include <string>

#include "cli/cli_command.h"
#include "shell/null_ports.h"
#include "shell/player.h"

namespace zentrov::cli {

// One player on null ports; `soundOverride` replaces the silent ring (the
// real-time ring of `play`).
struct HeadlessHost {
  explicit HeadlessHost(SoundRing* soundOverride = nullptr);
  MemorySoundRing silentRing;
  MemoryFrameOutput frames;
  NullControls controls;
  NullSettings settings;
  NullDialogs dialogs;
  Player player;
};

// Opens `file` in the host's player, at header `headerArg` of the header scan
// when given. Prints the error and returns the exit code on failure (2 file
// not found, 3 unknown header or no such header), kExitOk on success.
int openForCli(HeadlessHost& host, const std::string& file, const std::string* headerArg);

}  // namespace zentrov::cli
