#include "win32/window_frames.h"

#include "playback/player.h"
#include "shell/startup.h"

namespace zentrov::win32 {

void WindowFrames::resizeWindow(const WindowLayout& layout) {
  layout_ = layout;
  RECT client{};
  if (layout.zoom == Zoom::FullScreen) {
    // The window keeps the whole screen; the picture fills it.
    GetClientRect(window_, &client);
    layout_ = zentrov::clientResized(layout, client.right, client.bottom);
  } else {
    sizeClientArea(window_, layout.displayWidth,
                   layout.toolbarHeight + layout.statusBarHeight + layout.displayHeight);
  }
  ShowWindow(window_, SW_SHOW);
  GetClientRect(window_, &client);
  bars_.layoutStatusParts(client.right);
  InvalidateRect(window_, nullptr, FALSE);
}

void WindowFrames::enterFullScreen(const WindowLayout& layout) {
  layout_ = layout;
  StepReporter reporter(*player_);
  enterFullScreenWindow(window_, video_, reporter);
}

void WindowFrames::leaveFullScreen() {
  StepReporter reporter(*player_);
  leaveFullScreenWindow(window_, menu_, video_, reporter);
}

void WindowFrames::clientResized(int32_t clientWidth, int32_t clientHeight) {
  layout_ = zentrov::clientResized(layout_, clientWidth, clientHeight);
}

}  // namespace zentrov::win32
