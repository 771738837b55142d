#pragma once
// What the Search header dialog does to the header table and headerIndex;
// the host runs the dialog and shows the lines.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zentrov {

struct Player;

constexpr int kHeaderChosen = 1;
constexpr int kHeaderSearchCancelled = 0;

// "%d = %08x" for each used entry of the header table, in order.
std::vector<std::string> headerListLines(const Player& player);

// The dialog opens: playback pauses. Returns the line to select (headerIndex).
int beginHeaderSearch(Player& player);

// OK or a double-click on `selectedLine` (-1 when no line is selected).
// Returns kHeaderChosen with headerIndex set to that line, or
// kHeaderSearchCancelled when no listed line is selected.
int chooseHeader(Player& player, int selectedLine);

// Cancel: the table (even a new scan) and headerIndex stay as they are.
int cancelHeaderSearch(Player& player);

// Search: scans the open file again, filling the table with the exact
// offsets. `onFound` hears each find as the scan runs (line, block offset).
// Returns how many headers were stored; the line to select is headerIndex.
int searchHeaders(Player& player,
                  const std::function<void(int line, int64_t blockOffset)>& onFound);

}  // namespace zentrov
