#pragma once
// What the player draws with: the DirectDraw object, the primary surface with
// a clipper bound to the main window, two 640 x 480 back surfaces in the
// display's format, and the palette of an 8-bit display.

#include <windows.h>

#include <ddraw.h>

#include <cstdint>

#include "playback/window_layout.h"
#include "shell/startup.h"
#include "video/pixel_convert.h"

namespace zentrov::win32 {

constexpr DWORD kWindowedLevel = DDSCL_NORMAL;
constexpr DWORD kFullScreenLevel = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
constexpr DWORD kBackLockFlags = DDLOCK_WAIT | DDLOCK_WRITEONLY;  // 0x21

class VideoOutput {
 public:
  VideoOutput() = default;
  VideoOutput(const VideoOutput&) = delete;
  VideoOutput& operator=(const VideoOutput&) = delete;
  ~VideoOutput();

  // (Re)creates the primary surface, its clipper on `window` and both back
  // surfaces at cooperative level `level`, tracing each step. 0, or 1 after
  // the failed step's error box; the surfaces made before it stay.
  uint32_t setupDirectDraw(HWND window, DWORD level, StepReporter& reporter);
  // Colour 0 into both back surfaces.
  void clearBackSurfaces();
  // The primary surface, then back surfaces 0 and 1, each only if present.
  void releaseSurfaces();
  // Switches to the other back surface and converts `frame` into it. False
  // when the surface is missing or cannot be locked.
  bool convertToNextBackSurface(const uint32_t* frame, int32_t width, int32_t height);
  // Blits the frame in the current back surface into the picture rectangle
  // of `layout`, below the toolbar of `window`.
  void presentFrame(HWND window, const WindowLayout& layout);

  // On an 8-bit display: the 6x6x6 colour cube palette. False only when its
  // description cannot be allocated.
  bool createDisplayPalette();
  // WM_QUERYNEWPALETTE and a WM_PALETTECHANGED from another window: 1 when
  // the palette changed entries (the client area is then repainted).
  LRESULT realizeDisplayPalette(HWND window);
  void deletePalette();
  // Everything, in the order of the teardown: palette, surfaces, DirectDraw.
  void release();

  IDirectDraw* directDraw = nullptr;
  IDirectDrawSurface* primarySurface = nullptr;
  IDirectDrawClipper* clipper = nullptr;
  IDirectDrawSurface* backSurface[2] = {};
  int backIndex = 0;  // the surface that holds the frame shown last
  DisplayPixelFormat pixelFormat;
  HPALETTE palette = nullptr;
  HDC windowDC = nullptr;

 private:
  void fillBackSurface(IDirectDrawSurface* surface);
  void attachPaletteToPrimary();
  // Returns once the blits made so far are drawn. Wine's OpenGL renderer
  // draws them later on a thread of its own, and a window shown, hidden or
  // resized meanwhile can deadlock both threads in Xlib: a picture is on the
  // screen before the presentation returns.
  void finishDrawing();
  void releaseClipper();
};

// Sizes `window` so that its client area is `clientWidth` x `clientHeight`,
// keeping its top-left corner.
void sizeClientArea(HWND window, int32_t clientWidth, int32_t clientHeight);

}  // namespace zentrov::win32

namespace zentrov::win32 {

// The window side of full screen: surfaces released, no menu, the window a
// maximised pop-up, the surfaces rebuilt for the whole screen, the mouse
// cursor hidden.
void enterFullScreenWindow(HWND window, VideoOutput& video, StepReporter& reporter);
// Back to the window: surfaces released, `menu` given back, the window
// restored with its frame, the surfaces rebuilt for it, the cursor shown.
void leaveFullScreenWindow(HWND window, HMENU menu, VideoOutput& video, StepReporter& reporter);

}  // namespace zentrov::win32
