#pragma once
// Helpers for the tests that run the player's Windows code under Wine.

#include <windows.h>

#include <ddraw.h>

#include <string>
#include <vector>

namespace zentrov::win32::test {

// Catches every message box this thread opens while it lives: records its
// caption and text and closes it with OK, so no test waits for a person.
class BoxCatcher {
 public:
  struct Box {
    std::wstring caption;
    std::wstring text;
  };
  BoxCatcher();
  ~BoxCatcher();
  BoxCatcher(const BoxCatcher&) = delete;
  BoxCatcher& operator=(const BoxCatcher&) = delete;

  std::vector<Box> boxes;

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
  HHOOK hook_ = nullptr;
  std::vector<HWND> seen_;
};

// How many surfaces `directDraw` still holds.
int liveSurfaces(IDirectDraw* directDraw);

// UTF-8 as UTF-16, for comparing with what a box showed.
std::wstring utf16(const char* utf8);

}  // namespace zentrov::win32::test
