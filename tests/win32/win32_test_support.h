#pragma once
// Helpers for the tests that run the player's Windows code under Wine.

#include <windows.h>

#include <string>
#include <vector>

#include "headless/null_ports.h"
#include "playback/player.h"
#include "shell/startup.h"

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

// A player on null ports that traces its steps and records the boxes the
// core shows, for driving the host's set-up steps through a StepReporter.
class TracedPlayer {
 public:
  TracedPlayer() { player.shell.debugFlags = 1; }

  // The texts of the boxes shown under `caption`, in order.
  std::vector<std::string> boxes(const std::string& caption) const;
  std::vector<std::string> traces() const { return boxes(kDebugCaption); }
  std::vector<std::string> errors() const { return boxes(kSetupErrorCaption); }

 private:
  struct Recording : NullControls {
    void showMessage(const std::string& text, const std::string& caption) override {
      shown.push_back({caption, text});
    }
    std::vector<std::pair<std::string, std::string>> shown;
  };
  MemorySoundRing sound_;
  MemoryFrameOutput frames_;
  Recording controls_;
  NullSettings settings_;
  NullDialogs dialogs_;

 public:
  Player player{Ports{sound_, frames_, controls_, settings_, dialogs_}};
  StepReporter reporter{player};
};

// Handles every waiting message of this thread.
void pumpMessages();

// UTF-8 as UTF-16, for comparing with what a box showed.
std::wstring utf16(const char* utf8);

}  // namespace zentrov::win32::test
