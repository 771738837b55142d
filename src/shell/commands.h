#pragma once
// The main window's commands and the events the core handles for it: menu
// items, accelerators and toolbar buttons by command id, dropped files, a
// menu opening, zoom and full screen.

#include <cstdint>
#include <string>
#include <vector>

#include "playback/window_layout.h"

namespace zentrov {

struct Player;

extern const char* const kHomePageAddress;

// Runs command `id`; a menu item, an accelerator and a toolbar button with
// the same id act alike. Unknown ids are ignored.
void onCommand(Player& player, int id);

// The rest of Open and of Search header once their dialog has answered. A
// host whose dialogs cannot block (a browser page) lets the Dialogs port
// return at once as cancelled and calls these when the user has chosen.
// A path longer than a file name holds is refused like a cancel; a file
// named since the dialog opened is remembered first.
void openChosenFile(Player& player, const std::string& path);
// `result` is the Search header dialog's: kHeaderChosen opens the header
// that headerIndex selects in the file still open; anything else does nothing.
void openChosenHeader(Player& player, int result);

// Files dropped on the window: the first one is opened, the rest ignored.
void onDropFiles(Player& player, const std::vector<std::string>& files);

// A menu of the main window opens (also when an accelerator for a menu item
// is translated): playback pauses and does not resume when it closes.
void onInitMenu(Player& player);

// Normal or double size: the window is sized for it and the zoom menu items
// checked. Full screen is entered with enterFullScreen only.
void setZoom(Player& player, Zoom zoom);

// The full-screen toolbar button; nothing when already full screen.
void enterFullScreen(Player& player);
// A left click in the window; acts only in full screen, and returns to
// normal size.
void leaveFullScreen(Player& player);

}  // namespace zentrov
