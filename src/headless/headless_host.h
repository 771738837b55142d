#pragma once
// A player with no window and no sound card: null ports, started and ready
// as any host starts its player.

#include "headless/null_ports.h"
#include "playback/player.h"

namespace zentrov {

struct HeadlessHost {
  // Runs the start-up sequence with null platform steps. `soundOverride`
  // replaces the silent ring (for example a ring that keeps real time).
  explicit HeadlessHost(SoundRing* soundOverride = nullptr);

  MemorySoundRing silentRing;
  MemoryFrameOutput frames;
  NullControls controls;
  NullSettings settings;
  NullDialogs dialogs;
  NullPlatformSteps steps;
  Player player;
  bool ready = false;  // false only when the working buffers could not be allocated
};

}  // namespace zentrov
