#include "shell/tool_status_bar.h"

#include "playback/command_ids.h"
#include "playback/player.h"
#include "playback/window_layout.h"
#include "shell/recent_files.h"

namespace zentrov {

namespace {

void checkModeItems(Controls& controls, uint32_t mode) {
  controls.checkMenuItem(kCmdToolbarHide, mode == 0);
  controls.checkMenuItem(kCmdToolbarButton, mode == 1);
  controls.checkMenuItem(kCmdToolbarFlat, mode == 2);
}

void setBit(uint32_t& word, uint32_t bit, bool on) {
  word = on ? (word | bit) : (word & ~bit);
}

}  // namespace

void setToolStatusBar(Player& player, BarTarget target, int32_t value, bool save) {
  ShellState& shell = player.shell;
  ToolStatusBars* bars = player.ports.bars;
  switch (target) {
    case BarTarget::ToolbarMode:
      if (value == 0) {
        shell.tlStBar &= ~kTlStBarModeMask;
        if (bars) bars->showToolbar(false);
      } else if (value == 1 || value == 2) {
        shell.tlStBar = (shell.tlStBar & ~kTlStBarModeMask) | uint32_t(value);
        if (bars) {
          bars->setToolbarFlat(value == 2);
          bars->showToolbar(true);
        }
      }
      shell.toolbarHeight = bars ? bars->measureToolbar() : 0;
      break;
    case BarTarget::ToolbarLabels:
      setBit(shell.tlStBar, kTlStBarLabels, value != 0);
      if (bars) bars->setToolbarLabels(value != 0);
      shell.toolbarHeight = bars ? bars->measureToolbar() : 0;
      break;
    case BarTarget::StatusBar:
      if (value == 0 || value == 1) {
        setBit(shell.tlStBar, kTlStBarStatusBar, value == 1);
        if (bars) bars->showStatusBar(value == 1);
      }
      shell.statusBarHeight = bars ? bars->measureStatusBar() : 0;
      break;
  }
  windowResize(player);
  if (save) saveRegistry(player);
}

void ResetToolStatusBar(Player& player) {
  Controls& controls = player.ports.controls;
  const uint32_t word = player.shell.tlStBar;
  const uint32_t mode = word & kTlStBarModeMask;
  // Mode 3 is never written; read back, it leaves the toolbar hidden and no
  // mode item checked.
  if (mode != 3) setToolStatusBar(player, BarTarget::ToolbarMode, int32_t(mode), false);
  checkModeItems(controls, mode);
  const bool labels = (word & kTlStBarLabels) != 0;
  setToolStatusBar(player, BarTarget::ToolbarLabels, labels ? 1 : 0, false);
  controls.checkMenuItem(kCmdToolbarAddString, labels);
  const bool status = (word & kTlStBarStatusBar) != 0;
  setToolStatusBar(player, BarTarget::StatusBar, status ? 1 : 0, false);
  controls.checkMenuItem(kCmdStatusBar, status);
}

void chooseToolbarMode(Player& player, int32_t mode) {
  if (mode < 0 || mode > 2) return;
  setToolStatusBar(player, BarTarget::ToolbarMode, mode, true);
  checkModeItems(player.ports.controls, uint32_t(mode));
}

// The menu check marks follow the word, so the word says which way to switch.
void toggleToolbarLabels(Player& player) {
  const bool on = (player.shell.tlStBar & kTlStBarLabels) == 0;
  setToolStatusBar(player, BarTarget::ToolbarLabels, on ? 1 : 0, true);
  player.ports.controls.checkMenuItem(kCmdToolbarAddString, on);
}

void toggleStatusBar(Player& player) {
  const bool on = (player.shell.tlStBar & kTlStBarStatusBar) == 0;
  setToolStatusBar(player, BarTarget::StatusBar, on ? 1 : 0, true);
  player.ports.controls.checkMenuItem(kCmdStatusBar, on);
}

}  // namespace zentrov
