#pragma once
// The bars of the main window: the status bar along the bottom and the
// toolbar along the top. The core decides what they show; this draws it.

#include <windows.h>

#include <cstdint>

#include "playback/ports.h"

namespace zentrov::win32 {

class WindowBars : public ToolStatusBars {
 public:
  // The status bar: a hidden child of `parent` with five parts.
  void createStatusBar(HWND parent);
  // The toolbar: a hidden child of `parent` with the player's 13 buttons,
  // images from `instance`'s toolbar bitmap and labels from its string table.
  void createToolbar(HWND parent, HINSTANCE instance);

  HWND statusBar() const { return statusBar_; }
  HWND toolbar() const { return toolbar_; }

  // Writes part `part`; part 1 is drawn without borders.
  void setStatusText(int part, const char* text);
  void enableButton(int id, bool enabled);
  void checkButton(int id, bool checked);
  // Right edges of the parts for a client area `clientWidth` pixels wide.
  void layoutStatusParts(int32_t clientWidth);
  // The main window's WM_SIZE (its kind and new client size): the status bar
  // along the bottom, the toolbar across the top, both as wide as the client.
  void parentResized(WPARAM kind, int32_t clientWidth, int32_t clientHeight);
  // The main window's WM_NOTIFY: while the toolbar has tooltips, a tooltip
  // asking for its text gets the button's label. False for anything else.
  bool answerTooltip(NMHDR* header);

  void setToolbarFlat(bool flat) override;
  void setToolbarLabels(bool on) override;
  void showToolbar(bool shown) override;
  void showStatusBar(bool shown) override;
  int32_t measureToolbar() override;
  int32_t measureStatusBar() override;

 private:
  HWND statusBar_ = nullptr;
  HWND toolbar_ = nullptr;
};

}  // namespace zentrov::win32
