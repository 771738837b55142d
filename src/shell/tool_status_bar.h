#pragma once
// The toolbar and status bar settings word (TlStBar) and what each bar
// shows. The host draws the bars; the core decides mode, labels, visibility,
// the heights that enter the window layout and the View menu's check marks.

#include <cstdint>

namespace zentrov {

struct Player;

// Bits of the TlStBar word; the others are kept as read.
constexpr uint32_t kTlStBarModeMask = 0x3;  // 0 hidden, 1 button style, 2 flat style
constexpr uint32_t kTlStBarLabels = 0x4;
constexpr uint32_t kTlStBarStatusBar = 0x8;

enum class BarTarget { ToolbarMode, ToolbarLabels, StatusBar };

constexpr int32_t kBarMeasureOnly = -1;

// Toolbar mode 0, 1 or 2; labels 0 or 1; status bar 0 or 1; -1 (mode and
// status bar) only measures the bar again. Ends with windowResize, and saves
// the settings when `save` is set.
void setToolStatusBar(Player& player, BarTarget target, int32_t value, bool save);

// Applies the TlStBar word to the bars and the View menu at start-up,
// without saving.
void ResetToolStatusBar(Player& player);

// The View menu commands for the bars: Hide, Button style, Flat style,
// Add string, Status bar. Each one saves the settings.
void chooseToolbarMode(Player& player, int32_t mode);
void toggleToolbarLabels(Player& player);
void toggleStatusBar(Player& player);

}  // namespace zentrov
