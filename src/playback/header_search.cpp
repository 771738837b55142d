#include "playback/header_search.h"

#include "film/header_scan.h"
#include "playback/player.h"
#include "playback/transport.h"

namespace zentrov {

const char* const kSearchingLine = "Search...";

HeaderSearch::HeaderSearch(Player& player) : player_(player) {
  pausePlayback(player_);
}

std::vector<std::string> HeaderSearch::lines() const {
  std::vector<std::string> lines;
  const HeaderOffsetTable& table = player_.headerOffsets;
  const int count = table.count();
  for (int i = 0; i < count; ++i) lines.push_back(headerLine(i, table.offsets[i]));
  return lines;
}

int HeaderSearch::selectedLine() const {
  return player_.playback.headerIndex;
}

int HeaderSearch::search(const std::function<void(const std::string& line)>& onFound) {
  return scanHeaders(player_.playback.fileHandle, player_.buffers.sectorBuffer.get(),
                     player_.headerOffsets, [&](int count, int64_t blockOffset) {
                       if (onFound) onFound(headerLine(count, blockOffset));
                     });
}

int HeaderSearch::choose(int line) {
  // With no line selected there is no index to choose: the same as Cancel.
  if (line < 0 || line >= player_.headerOffsets.count()) return cancel();
  player_.playback.headerIndex = line;
  return kHeaderChosen;
}

}  // namespace zentrov
