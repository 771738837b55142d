#include "win32/window_bars.h"

#include <commctrl.h>

#include "playback/command_ids.h"
#include "playback/window_layout.h"
#include "win32/win_text.h"

namespace zentrov::win32 {
namespace {

// A visible bar is hidden and shown again so that it lays itself out anew,
// then measured; a hidden one counts 0.
int32_t remeasure(HWND bar) {
  if (!bar || !IsWindowVisible(bar)) return 0;
  ShowWindow(bar, SW_HIDE);
  ShowWindow(bar, SW_SHOW);
  RECT rect{};
  GetWindowRect(bar, &rect);
  return rect.bottom - rect.top;
}

}  // namespace

void WindowBars::createStatusBar(HWND parent) {
  statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD, 0, 0, 0, 0, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
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

void WindowBars::parentResized(WPARAM wParam, LPARAM lParam) {
  if (statusBar_) SendMessageW(statusBar_, WM_SIZE, wParam, lParam);
  if (toolbar_) SendMessageW(toolbar_, WM_SIZE, wParam, lParam);
}

void WindowBars::setToolbarFlat(bool) {}

void WindowBars::setToolbarLabels(bool) {}

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
