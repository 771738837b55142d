#pragma once
// What the player's modal dialogs need of the program: its instance (their
// templates and the version resource), the main window that owns them, the
// wait cursor for their long steps and the processor's features.

#include <windows.h>

#include "shell/about_info.h"

namespace zentrov::win32 {

struct DialogHost {
  HINSTANCE instance = nullptr;
  HWND owner = nullptr;
  HCURSOR waitCursor = nullptr;
  ProcessorFeatures features;
};

// Shows the wait cursor until the scope ends, then the cursor before it.
class WaitCursor {
 public:
  explicit WaitCursor(HCURSOR wait) : previous_(SetCursor(wait)) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace zentrov::win32
