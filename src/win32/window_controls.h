#pragma once
// What the core changes on the main window: its menu, the bars' texts and
// buttons, message boxes and the title. Texts from the core are UTF-8; file
// names (the title, the recent files) are in the system's ANSI code page.

#include <windows.h>

#include "playback/ports.h"
#include "win32/window_bars.h"

namespace zentrov::win32 {

class WindowControls : public Controls {
 public:
  explicit WindowControls(WindowBars& bars) : bars_(bars) {}

  // The window and its menu; the menu is kept while full screen takes it off.
  void attach(HWND window, HMENU menu) {
    window_ = window;
    menu_ = menu;
  }

  void setStatusText(int part, const char* text) override { bars_.setStatusText(part, text); }
  void setMenuItemState(int id, MenuState state) override;
  void checkMenuItem(int id, bool checked) override;
  void enableButton(int id, bool enabled) override { bars_.enableButton(id, enabled); }
  void checkButton(int id, bool checked) override { bars_.checkButton(id, checked); }
  void setRecentFileItems(const std::vector<RecentFileItem>& items) override;
  void showMessage(const std::string& text, const std::string& caption) override;
  void setWindowTitle(const std::string& title) override;
  void closeWindow() override;

 private:
  WindowBars& bars_;
  HWND window_ = nullptr;
  HMENU menu_ = nullptr;
};

}  // namespace zentrov::win32
