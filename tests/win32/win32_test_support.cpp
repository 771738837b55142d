#include "win32_test_support.h"

#include "win32/win_text.h"

namespace zentrov::win32::test {
namespace {

BoxCatcher* activeCatcher = nullptr;
constexpr int kMessageBoxTextId = 0xFFFF;  // the text control of a message box

LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

BoxCatcher::BoxCatcher() {
  activeCatcher = this;
  hook_ = SetWindowsHookExW(WH_CBT, &BoxCatcher::hook, nullptr, GetCurrentThreadId());
}

BoxCatcher::~BoxCatcher() {
  UnhookWindowsHookEx(hook_);
  activeCatcher = nullptr;
}

LRESULT CALLBACK BoxCatcher::hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && activeCatcher) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[32] = {};
    GetClassNameW(box, className, 32);
    bool known = false;
    for (HWND seen : activeCatcher->seen_) known = known || seen == box;
    if (!known && std::wstring(className) == L"#32770") {
      activeCatcher->seen_.push_back(box);
      wchar_t caption[256] = {};
      wchar_t text[512] = {};
      GetWindowTextW(box, caption, 256);
      GetDlgItemTextW(box, kMessageBoxTextId, text, 512);
      activeCatcher->boxes.push_back({caption, text});
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TestWindow::TestWindow(int clientWidth, int clientHeight) {
  static const wchar_t kClass[] = L"ZentrovTestWindow";
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = testWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClass;
  RegisterClassW(&windowClass);
  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
  RECT outer{0, 0, clientWidth, clientHeight};
  AdjustWindowRect(&outer, style, FALSE);
  window_ = CreateWindowW(kClass, L"test", style, 10, 10, outer.right - outer.left,
                          outer.bottom - outer.top, nullptr, nullptr, windowClass.hInstance, nullptr);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  pumpMessages();
}

TestWindow::~TestWindow() {
  DestroyWindow(window_);
  pumpMessages();
}

void pumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::vector<std::string> TracedPlayer::boxes(const std::string& caption) const {
  std::vector<std::string> texts;
  for (const auto& [shownCaption, text] : controls_.shown) {
    if (shownCaption == caption) texts.push_back(text);
  }
  return texts;
}

std::wstring utf16(const char* utf8) { return widen(utf8, CP_UTF8); }

}  // namespace zentrov::win32::test
