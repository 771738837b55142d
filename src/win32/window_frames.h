#pragma once
// The frame output of the main window: the back surfaces of the video output
// and where their picture goes. Keeps the layout the core last gave, as the
// user's resizing changed it, for painting.

#include <windows.h>

#include "playback/ports.h"
#include "win32/video_output.h"
#include "win32/window_bars.h"

namespace zentrov {
struct Player;
}

namespace zentrov::win32 {

class WindowFrames : public FrameOutput {
 public:
  WindowFrames(VideoOutput& video, WindowBars& bars) : video_(video), bars_(bars) {}

  // The player whose start-up steps trace and report the display set-ups,
  // its window and that window's menu.
  void attach(Player& player, HWND window, HMENU menu) {
    player_ = &player;
    window_ = window;
    menu_ = menu;
  }

  void clearBackSurfaces() override { video_.clearBackSurfaces(); }
  bool convertToNextBackSurface(const uint32_t* frame, int32_t width, int32_t height) override {
    return video_.convertToNextBackSurface(frame, width, height);
  }
  void present() override { video_.presentFrame(window_, layout_); }
  void resizeWindow(const WindowLayout& layout) override;
  void enterFullScreen(const WindowLayout& layout) override;
  void leaveFullScreen() override;

  // WM_SIZE: the picture stretches over the new client area between the bars.
  void clientResized(int32_t clientWidth, int32_t clientHeight);
  const WindowLayout& layout() const { return layout_; }

 private:
  VideoOutput& video_;
  WindowBars& bars_;
  Player* player_ = nullptr;
  HWND window_ = nullptr;
  HMENU menu_ = nullptr;
  WindowLayout layout_;
};

}  // namespace zentrov::win32
