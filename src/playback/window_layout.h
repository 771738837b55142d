#pragma once
// Where the picture goes: the zoom, the sizes a host needs to size its
// window, paint the picture and lay out its bars, and the window title and
// status parts the core writes.

#include <array>
#include <cstdint>
#include <string>

namespace zentrov {

struct Player;

enum class Zoom : int32_t { FullScreen = 0, Normal = 1, Double = 2 };

// What the window shows, as last laid out by the core. A host keeps a copy
// for painting and for its own resizes.
struct WindowLayout {
  Zoom zoom = Zoom::Normal;
  // The frame: the source rectangle (0, 0)-(frameWidth, frameHeight) of the blit.
  int32_t frameWidth = 0;
  int32_t frameHeight = 0;
  // The picture rectangle: zoom x the frame; 0 x 0 in full screen, where the
  // picture fills the client area.
  int32_t displayWidth = 0;
  int32_t displayHeight = 0;
  // The bars above and below the picture, 0 while hidden (always in full
  // screen). The picture starts toolbarHeight pixels below the client top;
  // the window's outer height is both heights + displayHeight + its frame.
  int32_t toolbarHeight = 0;
  int32_t statusBarHeight = 0;
};

// The layout for the player's current frame size, zoom and bar heights.
WindowLayout windowLayout(const Player& player);

// The layout after the user resized the client area to width x height: the
// picture stretches to fill it between the bars.
WindowLayout clientResized(const WindowLayout& layout, int32_t clientWidth, int32_t clientHeight);

// Right edges of the five status-bar parts for a client width W:
// 0, W - 176, W - 96, W - 32 and W (part 0 is never shown).
std::array<int32_t, 5> statusPartEdges(int32_t clientWidth);

// The window title: "%s - Zentrov" or "%s:%d - Zentrov" with the file-name
// part of currentFileName; empty when no file is named.
std::string windowTitle(const Player& player);

// Status parts 1 (cleared when no file is named), 3 (the frame size) and 4.
void setStatusParts(Player& player);

// Checks the menu item of the current zoom and unchecks the other two.
void checkZoomItems(Player& player);

// Sizes the window for the picture, sets the title (when a file is named),
// checks the zoom's menu item and writes the status parts.
void windowResize(Player& player);

}  // namespace zentrov
