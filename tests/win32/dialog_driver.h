#pragma once
// Drives the player's modal dialogs from a test: a script runs inside the
// dialog's own message loop, reads its controls and clicks them.

#include <windows.h>

#include <functional>
#include <string>

namespace zentrov::win32::test {

// Runs `script` once on the first visible dialog captioned `caption` while
// the driver lives, from a timer of this thread, that is inside the dialog's
// modal loop. A dialog still open five seconds after the script ran is ended
// with -2 and `leftOpen` is set, so no test waits for ever.
class DialogDriver {
 public:
  DialogDriver(std::wstring caption, std::function<void(HWND dialog)> script);
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  bool ran = false;
  bool leftOpen = false;

 private:
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
  void step();

  std::wstring caption_;
  std::function<void(HWND)> script_;
  UINT_PTR timer_ = 0;
  HWND dialog_ = nullptr;
  DWORD ranAt_ = 0;
  bool busy_ = false;
};

std::wstring controlText(HWND dialog, int id);
// A click of the button as the mouse makes it.
void click(HWND dialog, int id);

}  // namespace zentrov::win32::test
