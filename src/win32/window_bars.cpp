#include "win32/window_bars.h"

#include <commctrl.h>

#include <iterator>
#include <string>

#include "playback/command_ids.h"
#include "playback/window_layout.h"
#include "resource_ids.h"
#include "win32/win_text.h"

namespace zentrov::win32 {
namespace {

constexpr UINT kToolbarId = 101;
constexpr int kToolbarImages = 13;  // images 3, 4, 5 and 12 belong to no button
constexpr int kImageWidth = 16;
constexpr int kImageHeight = 15;
constexpr int kLabelChars = 256;
// Without labels a button is as wide as its image and the tooltips name it;
// with them it widens for up to two rows of text.
constexpr int kPlainButtonWidth = 16;
constexpr int kLabelledButtonWidth = 48;
constexpr int kLabelRows = 2;

// Image, command, state, style, label index.
const TBBUTTON kToolbarButtons[] = {
    {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, -1},
    {0, kCmdOpen, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, -1},
    {2, kCmdReplay, 0, TBSTYLE_BUTTON, {}, 0, 1},
    {1, kCmdPlayPause, 0, TBSTYLE_CHECK, {}, 0, 2},
    {6, kCmdPrevFrame, 0, TBSTYLE_BUTTON, {}, 0, 3},
    {7, kCmdNextFrame, 0, TBSTYLE_BUTTON, {}, 0, 4},
    {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, -1},
    {8, kCmdLoop, TBSTATE_ENABLED, TBSTYLE_CHECK, {}, 0, 5},
    {0, 0, TBSTATE_ENABLED, TBSTYLE_SEP, {}, 0, -1},
    {9, kCmdZoom1, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 6},
    {10, kCmdZoom2, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 7},
    {11, kCmdFullScreen, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 8},
};

// Each button's label is the string with its command id, in button order,
// one after the other with a final empty one.
std::wstring toolbarLabels(HINSTANCE instance) {
  std::wstring list;
  for (const TBBUTTON& button : kToolbarButtons) {
    if (button.idCommand == 0) continue;
    wchar_t label[kLabelChars] = {};
    LoadStringW(instance, static_cast<UINT>(button.idCommand), label, kLabelChars);
    list += label;
    list += L'\0';
  }
  list += L'\0';
  return list;
}

// The toolbar's style with `bit` set or cleared.
void setToolbarStyle(HWND toolbar, DWORD bit, bool on) {
  const auto style = static_cast<DWORD>(SendMessageW(toolbar, TB_GETSTYLE, 0, 0));
  SendMessageW(toolbar, TB_SETSTYLE, 0, on ? (style | bit) : (style & ~bit));
}

int32_t windowHeight(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect.bottom - rect.top;
}

// A visible bar is hidden and shown again so that it lays itself out anew,
// then measured; a hidden one counts 0.
int32_t remeasure(HWND bar) {
  if (!bar || !IsWindowVisible(bar)) return 0;
  ShowWindow(bar, SW_HIDE);
  ShowWindow(bar, SW_SHOW);
  return windowHeight(bar);
}

}  // namespace

void WindowBars::createStatusBar(HWND parent) {
  statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD, 0, 0, 0, 0, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
}

void WindowBars::createToolbar(HWND parent, HINSTANCE instance) {
  toolbar_ =
      CreateToolbarEx(parent, TBSTYLE_TOOLTIPS, kToolbarId, kToolbarImages, instance, IDB_TOOLBAR,
                      kToolbarButtons, static_cast<int>(std::size(kToolbarButtons)), 0, 0,
                      kImageWidth, kImageHeight, sizeof(TBBUTTON));
  if (!toolbar_) return;
  const std::wstring labels = toolbarLabels(instance);
  SendMessageW(toolbar_, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(labels.c_str()));
}

void WindowBars::setStatusText(int part, const char* text) {
  if (!statusBar_) return;
  const WPARAM style = part == kStatusState ? SBT_NOBORDERS : 0;
  const std::wstring wide = widen(text, CP_ACP);
  SendMessageW(statusBar_, SB_SETTEXTW, static_cast<WPARAM>(part) | style,
               reinterpret_cast<LPARAM>(wide.c_str()));
}

void WindowBars::enableButton(int id, bool enabled) {
  if (toolbar_)
    SendMessageW(toolbar_, TB_ENABLEBUTTON, static_cast<WPARAM>(id), MAKELONG(enabled, 0));
}

void WindowBars::checkButton(int id, bool checked) {
  if (toolbar_)
    SendMessageW(toolbar_, TB_CHECKBUTTON, static_cast<WPARAM>(id), MAKELONG(checked, 0));
}

void WindowBars::layoutStatusParts(int32_t clientWidth) {
  if (!statusBar_) return;
  const auto edges = statusPartEdges(clientWidth);
  int parts[5];
  for (size_t i = 0; i < edges.size(); ++i) parts[i] = edges[i];
  SendMessageW(statusBar_, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(parts));
}

// Under Wine's OpenGL renderer the main window is drawn straight to its X
// window, and moving a child there with its old pixels copied waits for an X
// event that never comes: the bars are placed here, their pixels not copied
// but painted anew. Each bar's own WM_SIZE then finds it where it belongs.
void WindowBars::parentResized(WPARAM kind, int32_t clientWidth, int32_t clientHeight) {
  if (kind == SIZE_MINIMIZED) return;
  constexpr UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
  if (statusBar_) {
    const int32_t height = windowHeight(statusBar_);
    SetWindowPos(statusBar_, nullptr, 0, clientHeight - height, clientWidth, height, kPlace);
  }
  if (toolbar_) {
    RECT bar{};
    GetWindowRect(toolbar_, &bar);
    MapWindowPoints(nullptr, GetParent(toolbar_), reinterpret_cast<POINT*>(&bar), 2);
    SetWindowPos(toolbar_, nullptr, 0, bar.top, clientWidth, bar.bottom - bar.top, kPlace);
  }
}

bool WindowBars::answerTooltip(NMHDR* header) {
  if (!toolbar_ || header->code != TTN_GETDISPINFOW) return false;
  if (header->hwndFrom != reinterpret_cast<HWND>(SendMessageW(toolbar_, TB_GETTOOLTIPS, 0, 0)))
    return false;
  if (!(SendMessageW(toolbar_, TB_GETSTYLE, 0, 0) & TBSTYLE_TOOLTIPS)) return false;
  auto* tip = reinterpret_cast<NMTTDISPINFOW*>(header);
  const WPARAM id = header->idFrom;
  if (SendMessageW(toolbar_, TB_GETBUTTONTEXTW, id, 0) >= LRESULT(std::size(tip->szText)))
    return false;
  SendMessageW(toolbar_, TB_GETBUTTONTEXTW, id, reinterpret_cast<LPARAM>(tip->szText));
  tip->lpszText = tip->szText;
  tip->hinst = nullptr;
  return true;
}

void WindowBars::setToolbarFlat(bool flat) {
  if (toolbar_) setToolbarStyle(toolbar_, TBSTYLE_FLAT, flat);
}

void WindowBars::setToolbarLabels(bool on) {
  if (!toolbar_) return;
  SendMessageW(toolbar_, TB_SETMAXTEXTROWS, on ? kLabelRows : 0, 0);
  SendMessageW(toolbar_, TB_SETBUTTONWIDTH, 0,
               MAKELONG(0, on ? kLabelledButtonWidth : kPlainButtonWidth));
  setToolbarStyle(toolbar_, TBSTYLE_TOOLTIPS, !on);
}

void WindowBars::showToolbar(bool shown) {
  if (toolbar_) ShowWindow(toolbar_, shown ? SW_SHOW : SW_HIDE);
}

void WindowBars::showStatusBar(bool shown) {
  if (statusBar_) ShowWindow(statusBar_, shown ? SW_SHOW : SW_HIDE);
}

int32_t WindowBars::measureToolbar() {
  if (toolbar_) SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  return remeasure(toolbar_);
}

int32_t WindowBars::measureStatusBar() {
  return remeasure(statusBar_);
}

}  // namespace zentrov::win32
