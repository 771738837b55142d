#include "shell/header_search_dialog.h"

#include "film/header_scan.h"
#include "playback/transport.h"
#include "shell/player.h"

namespace zentrov {

std::vector<std::string> headerListLines(const Player& player) {
  std::vector<std::string> lines;
  const int count = player.headerOffsets.count();
  for (int i = 0; i < count; ++i) lines.push_back(headerLine(i, player.headerOffsets.offsets[i]));
  return lines;
}

int beginHeaderSearch(Player& player) {
  pausePlayback(player);
  return player.playback.headerIndex;
}

int chooseHeader(Player& player, int selectedLine) {
  // With no line selected there is no index to choose: the same as Cancel.
  if (selectedLine < 0 || selectedLine >= player.headerOffsets.count())
    return cancelHeaderSearch(player);
  player.playback.headerIndex = selectedLine;
  return kHeaderChosen;
}

int cancelHeaderSearch(Player&) {
  return kHeaderSearchCancelled;
}

int searchHeaders(Player& player,
                  const std::function<void(int line, int64_t blockOffset)>& onFound) {
  return scanHeaders(player.playback.fileHandle, player.buffers.sectorBuffer.get(),
                     player.headerOffsets, onFound);
}

}  // namespace zentrov
