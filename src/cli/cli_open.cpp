#include "cli/cli_open.h"

#include <cstdio>

#include "cli/cli_command.h"
#include "playback/header_search.h"
#include "playback/movie_open.h"

namespace zentrov::cli {

int openForCli(HeadlessHost& host, const std::string& file, const std::string* headerArg) {
  Player& player = host.player;
  long long header = 0;
  if (headerArg && !parseInt(*headerArg, 0, kHeaderOffsetCount - 1, header)) {
    std::fprintf(stderr, "zentrov-cli: --header takes a number from 0 to %d\n",
                 kHeaderOffsetCount - 1);
    return kExitUsage;
  }
  if (!host.ready) {
    std::fprintf(stderr, "zentrov-cli: not enough memory\n");
    return kExitFailure;
  }
  if (file.size() > kMaxFileName) {
    std::fprintf(stderr, "zentrov-cli: %s: the name is longer than %zu characters\n", file.c_str(),
                 kMaxFileName);
    return kExitFileNotFound;
  }
  player.shell.currentFileName = file;
  OpenResult result = openMovie(player, OpenRequest::fromStart());
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
    HeaderSearch search(player);
    const int found = search.search({});
    if (search.choose(static_cast<int>(header)) != kHeaderChosen) {
      std::fprintf(stderr, "zentrov-cli: %s: no header %lld (the scan found %d)\n", file.c_str(),
                   header, found);
      handle.close();
      return kExitUnknownHeader;
    }
    result = openMovie(player, OpenRequest::header(static_cast<int32_t>(header)));
  }
  if (result != OpenResult::Opened) {
    std::fprintf(stderr, "zentrov-cli: %s: unknown header, cannot play\n", file.c_str());
    return kExitUnknownHeader;
  }
  return kExitOk;
}

}  // namespace zentrov::cli
