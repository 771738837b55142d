#pragma once
// What the Search header dialog works with: the lines it lists, the line to
// select, the scan its Search button runs and the choice its OK button
// makes. A host's dialog shows these and nothing of the player itself.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zentrov {

struct Player;

constexpr int kHeaderChosen = 1;
constexpr int kHeaderSearchCancelled = 0;

// Shown at the end of the list while a scan runs.
extern const char* const kSearchingLine;  // "Search..."

class HeaderSearch {
 public:
  // The dialog opens: playback pauses.
  explicit HeaderSearch(Player& player);

  // "%d = %08x" for each used entry of the header table, in order.
  std::vector<std::string> lines() const;
  // The line to select and scroll to the top: headerIndex.
  int selectedLine() const;

  // Search: scans the open file again and fills the table with the exact
  // offsets of the FILM blocks. While it runs, `onFound` hears each find as
  // its line "%d = %08x" with the 2,048-byte block's offset, to be put
  // before the kSearchingLine line; afterwards lines() and selectedLine()
  // give the final list. Returns how many headers were stored.
  int search(const std::function<void(const std::string& line)>& onFound);

  // OK, or a double-click on `line` (-1 when no line is selected). Returns
  // kHeaderChosen with headerIndex set to that line, or
  // kHeaderSearchCancelled when no listed line is selected.
  int choose(int line);
  // Cancel: the table (even after a new scan) and headerIndex stay as they are.
  int cancel() const { return kHeaderSearchCancelled; }

 private:
  Player& player_;
};

}  // namespace zentrov
