#pragma once
// Helpers for the tests that run the player's Windows code under Wine.

#include <windows.h>

#include <string>
#include <vector>

#include "win32/setup_reporter.h"

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

// A visible top-level window with a caption, for DirectDraw and DirectSound.
class TestWindow {
 public:
  explicit TestWindow(int clientWidth = 640, int clientHeight = 480);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND handle() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// Remembers what a set-up reported.
class RecordingReporter : public SetupReporter {
 public:
  void traceStep(const char* name) override { traces.emplace_back(name); }
  void setSetupFailed(uint32_t failed) override { setupFailed = failed; }
  void reportError(const char* text) override { errors.emplace_back(text); }

  std::vector<std::string> traces;
  std::vector<std::string> errors;
  uint32_t setupFailed = 0xFFFFFFFF;
};

// Handles every waiting message of this thread.
void pumpMessages();

// UTF-8 as UTF-16, for comparing with what a box showed.
std::wstring utf16(const char* utf8);

}  // namespace zentrov::win32::test
