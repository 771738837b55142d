#include "win32_test_support.h"

#include "win32/win_text.h"

namespace zentrov::win32::test {
namespace {

BoxCatcher* activeCatcher = nullptr;
constexpr int kMessageBoxTextId = 0xFFFF;  // the text control of a message box

HRESULT WINAPI countSurface(IDirectDrawSurface* surface, DDSURFACEDESC*, void* count) {
  ++*static_cast<int*>(count);
  surface->Release();
  return DDENUMRET_OK;
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

int liveSurfaces(IDirectDraw* directDraw) {
  int count = 0;
  directDraw->EnumSurfaces(DDENUMSURFACES_DOESEXIST | DDENUMSURFACES_ALL, nullptr, &count,
                           countSurface);
  return count;
}

std::wstring utf16(const char* utf8) {
  return widen(utf8, CP_UTF8);
}

}  // namespace zentrov::win32::test
