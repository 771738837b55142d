#include "win32/window_controls.h"

#include "playback/command_ids.h"
#include "win32/win_text.h"

namespace zentrov::win32 {
namespace {

// The recent files stand between the two separators of the File menu.
constexpr UINT kRecentFilesPosition = 3;

}  // namespace

void WindowControls::setMenuItemState(int id, MenuState state) {
  UINT flags = MF_ENABLED;
  if (state == MenuState::Disabled) flags = MF_DISABLED;
  if (state == MenuState::Grayed) flags = MF_GRAYED;
  EnableMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | flags);
}

void WindowControls::checkMenuItem(int id, bool checked) {
  CheckMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void WindowControls::setRecentFileItems(const std::vector<RecentFileItem>& items) {
  for (int id = kCmdRecentFirst; id <= kCmdRecentLast; ++id) {
    DeleteMenu(menu_, static_cast<UINT>(id), MF_BYCOMMAND);
  }
  HMENU fileMenu = GetSubMenu(menu_, 0);
  // Each item goes in at the same position, so the last one first.
  for (auto item = items.rbegin(); item != items.rend(); ++item) {
    InsertMenuW(fileMenu, kRecentFilesPosition, MF_BYPOSITION | MF_STRING,
                static_cast<UINT_PTR>(item->id), widen(item->label, CP_ACP).c_str());
  }
}

void WindowControls::showMessage(const std::string& text, const std::string& caption) {
  showMessageBox(window_, text, caption, CP_UTF8);
}

void WindowControls::setWindowTitle(const std::string& title) {
  SetWindowTextW(window_, widen(title, CP_ACP).c_str());
}

void WindowControls::closeWindow() {
  if (window_) DestroyWindow(window_);
}

}  // namespace zentrov::win32
