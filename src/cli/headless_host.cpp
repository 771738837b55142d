#include "cli/headless_host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "film/header_scan.h"
#include "film/movie_open.h"

namespace zentrov::cli {

HeadlessHost::HeadlessHost(SoundRing* soundOverride)
    : player(Ports{soundOverride ? *soundOverride : silentRing, frames, controls, settings,
                   dialogs}) {}

int openForCli(HeadlessHost& host, const std::string& file, const std::string* headerArg) {
  Player& player = host.player;
  long long header = 0;
  if (headerArg && !parseInt(*headerArg, 0, kHeaderOffsetCount - 1, header)) {
    std::fprintf(stderr, "zentrov-cli: --header takes a number from 0 to %d\n",
                 kHeaderOffsetCount - 1);
    return kExitUsage;
  }
  if (file.size() > kMaxFileName) {
    std::fprintf(stderr, "zentrov-cli: %s: the name is longer than %zu characters\n", file.c_str(),
                 kMaxFileName);
    return kExitFileNotFound;
  }
  player.shell.currentFileName = file;
  OpenResult result = openMovie(player, kOpenFromStart);
  if (result == OpenResult::FileNotFound) {
    std::fprintf(stderr, "%s\n", kFileNotFoundText);
    return kExitFileNotFound;
  }
  if (headerArg) {
    // As choosing a line of the Search header dialog: scan the open file, then
    // open the movie at that entry. A file whose first movie is unreadable is
    // still scanned.
    MovieFile& handle = player.playback.fileHandle;
    if (!handle.isOpen() && !handle.open(file)) {
      std::fprintf(stderr, "%s\n", kFileNotFoundText);
      return kExitFileNotFound;
    }
    const int found = scanHeaders(handle, player.buffers.sectorBuffer.get(), player.headerOffsets);
    if (header >= found) {
      std::fprintf(stderr, "zentrov-cli: %s: no header %lld (the scan found %d)\n", file.c_str(),
                   header, found);
      handle.close();
      return kExitUnknownHeader;
    }
    player.playback.headerIndex = static_cast<int32_t>(header);
    result = openMovie(player, player.headerOffsets.offsets[header]);
  }
  if (result != OpenResult::Opened) {
    std::fprintf(stderr, "zentrov-cli: %s: unknown header, cannot play\n", file.c_str());
    return kExitUnknownHeader;
  }
  return kExitOk;
}

}  // namespace zentrov::cli
