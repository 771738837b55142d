#include "win32/video_output.h"

#include <algorithm>
#include <new>

namespace zentrov::win32 {
namespace {

constexpr int kPaletteEntries = 256;
constexpr int kCubeFirst = 10;  // entries 10..225: the 6x6x6 colour cube
constexpr int kCubeLevels = 6;
constexpr BYTE kCubeStep = 51;  // levels 0, 51, ..., 255
constexpr WORD kPaletteVersion = 0x300;
// Version and count words, 256 entries and four spare bytes.
constexpr size_t kPaletteDescriptionBytes = 1032;

#ifndef _WIN64
static_assert(sizeof(DDSURFACEDESC) == 108, "the 32-bit surface description is 108 bytes");
static_assert(sizeof(DDBLTFX) == 100, "the 32-bit blit effects record is 100 bytes");
#endif

DDSURFACEDESC surfaceDescription(DWORD fields) {
  DDSURFACEDESC description{};
  description.dwSize = sizeof description;
  description.dwFlags = fields;
  return description;
}

DDSURFACEDESC backSurfaceDescription() {
  DDSURFACEDESC description = surfaceDescription(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH);
  description.dwWidth = kSurfaceWidth;
  description.dwHeight = kSurfaceHeight;
  description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  return description;
}

template <typename T>
void releaseInto(T*& object) {
  if (object) {
    object->Release();
    object = nullptr;
  }
}

// Realising an all-black palette on the screen first leaves the system's own
// static colours in the entries the cube does not take.
void realizeBlackPalette(HDC screen) {
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY entries[kPaletteEntries];
  } black{};
  black.version = kPaletteVersion;
  black.count = kPaletteEntries;
  for (PALETTEENTRY& entry : black.entries) entry.peFlags = PC_NOCOLLAPSE;
  HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&black));
  if (!palette) return;
  HPALETTE previous = SelectPalette(screen, palette, FALSE);
  RealizePalette(screen);
  SelectPalette(screen, previous, FALSE);
  DeleteObject(palette);
}

}  // namespace

VideoOutput::~VideoOutput() {
  release();
}

uint32_t VideoOutput::setupDirectDraw(HWND window, DWORD level, StepReporter& reporter) {
  // Each DirectDraw call sets the failure flag; the first failure ends the set-up.
  const auto check = [&reporter](HRESULT result, const char* errorText) {
    if (SUCCEEDED(result)) {
      reporter.setSetupFailed(0);
      return true;
    }
    reporter.setSetupFailed(1);
    reporter.reportError(errorText);
    return false;
  };

  reporter.traceStep("SetupDirectDraw");
  if (!check(directDraw->SetCooperativeLevel(window, level), "DD:SetCooperativeLevel")) return 1;

  reporter.traceStep("CreatePrimarySurface");
  DDSURFACEDESC primary = surfaceDescription(DDSD_CAPS);
  primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (!check(directDraw->CreateSurface(&primary, &primarySurface, nullptr),
             "DD:CreateSurface(Primary)")) {
    primarySurface = nullptr;
    return 1;
  }

  attachPaletteToPrimary();

  // A clipper of an earlier set-up is not used again.
  releaseClipper();
  reporter.traceStep("CreateDirectDrawClipper");
  if (!check(directDraw->CreateClipper(0, &clipper, nullptr), "DD:CreateClipper")) {
    clipper = nullptr;
    return 1;
  }
  reporter.traceStep("DirectDraw:SetHWnd");
  if (!check(clipper->SetHWnd(0, window), "DD:SetHWnd")) return 1;
  reporter.traceStep("DirectDraw:SetClipper");
  if (!check(primarySurface->SetClipper(clipper), "DD:SetClipper")) return 1;

  static const char* const kBackTrace[2] = {"CreateBackSurface#0", "CreateBackSurface#1"};
  static const char* const kBackError[2] = {"DD:CreateSurface(Back0)", "DD:CreateSurface(Back1)"};
  for (int i = 0; i < 2; ++i) {
    reporter.traceStep(kBackTrace[i]);
    DDSURFACEDESC back = backSurfaceDescription();
    if (!check(directDraw->CreateSurface(&back, &backSurface[i], nullptr), kBackError[i])) {
      backSurface[i] = nullptr;
      return 1;
    }
  }
  reporter.traceStep("ClearBackSurface#0");
  fillBackSurface(backSurface[0]);
  reporter.traceStep("ClearBackSurface#1");
  fillBackSurface(backSurface[1]);

  reporter.traceStep("Initial24to16");
  DDSURFACEDESC format = surfaceDescription(DDSD_PIXELFORMAT);
  if (!check(primarySurface->GetSurfaceDesc(&format), "DD:GetSurfaceDesc")) return 1;
  const PixelMasks masks{format.ddpfPixelFormat.dwRBitMask, format.ddpfPixelFormat.dwGBitMask,
                         format.ddpfPixelFormat.dwBBitMask};
  Initial24to16(pixelFormat, masks);
  reporter.traceStep("Check555or565");
  Check555or565(pixelFormat, masks);

  reporter.setSetupFailed(0);
  return 0;
}

// On an 8-bit display the primary surface holds cube indices. Windows shows
// them through the realised display palette; Wine shows a primary's indices
// only through a DirectDraw palette attached to it, so the primary gets one
// with the same entries (the surface keeps it alive).
void VideoOutput::attachPaletteToPrimary() {
  if (!palette || !primarySurface) return;
  PALETTEENTRY entries[kPaletteEntries] = {};
  if (GetPaletteEntries(palette, 0, kPaletteEntries, entries) != kPaletteEntries) return;
  IDirectDrawPalette* primaryPalette = nullptr;
  if (FAILED(directDraw->CreatePalette(DDPCAPS_8BIT, entries, &primaryPalette, nullptr))) return;
  primarySurface->SetPalette(primaryPalette);
  primaryPalette->Release();
}

void VideoOutput::fillBackSurface(IDirectDrawSurface* surface) {
  if (!surface) return;
  DDBLTFX effects{};
  effects.dwSize = sizeof effects;
  effects.dwFillColor = 0;
  surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects);
}

void VideoOutput::clearBackSurfaces() {
  fillBackSurface(backSurface[0]);
  fillBackSurface(backSurface[1]);
}

void VideoOutput::releaseSurfaces() {
  releaseInto(primarySurface);
  releaseInto(backSurface[0]);
  releaseInto(backSurface[1]);
}

void VideoOutput::releaseClipper() {
  releaseInto(clipper);
}

bool VideoOutput::convertToNextBackSurface(const uint32_t* frame, int32_t width, int32_t height) {
  backIndex ^= 1;
  IDirectDrawSurface* surface = backSurface[backIndex];
  if (!surface) return false;
  DDSURFACEDESC locked = surfaceDescription(0);
  if (FAILED(surface->Lock(nullptr, &locked, kBackLockFlags, nullptr))) return false;
  convertFrame(pixelFormat, frame, width, height, static_cast<uint8_t*>(locked.lpSurface),
               static_cast<int32_t>(locked.lPitch), static_cast<int32_t>(locked.dwWidth),
               static_cast<int32_t>(locked.dwHeight));
  surface->Unlock(nullptr);
  return true;
}

// Locking waits until every blit from the surface has been drawn.
void VideoOutput::finishDrawing() {
  IDirectDrawSurface* back = backSurface[backIndex];
  DDSURFACEDESC locked = surfaceDescription(0);
  if (back && SUCCEEDED(back->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)))
    back->Unlock(nullptr);
}

void VideoOutput::presentFrame(HWND window, const WindowLayout& layout) {
  HPALETTE previous = nullptr;
  if (palette) {
    previous = SelectPalette(windowDC, palette, FALSE);
    RealizePalette(windowDC);
  }
  IDirectDrawSurface* back = backSurface[backIndex];
  if (primarySurface && back && layout.displayWidth > 0 && layout.displayHeight > 0) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const LONG top = origin.y + layout.toolbarHeight;
    RECT destination{origin.x, top, origin.x + layout.displayWidth, top + layout.displayHeight};
    // Frames never exceed the back surface on screen, whatever the movie says.
    RECT source{0, 0, std::min(layout.frameWidth, kSurfaceWidth),
                std::min(layout.frameHeight, kSurfaceHeight)};
    primarySurface->Blt(&destination, back, &source, DDBLT_WAIT, nullptr);
    finishDrawing();
  }
  if (palette) SelectPalette(windowDC, previous, FALSE);
}

bool VideoOutput::createDisplayPalette() {
  if (pixelFormat.formatCode != 8) {
    palette = nullptr;
    return true;
  }
  HDC screen = GetDC(nullptr);
  realizeBlackPalette(screen);
  ReleaseDC(nullptr, screen);

  auto* description =
      static_cast<LOGPALETTE*>(::operator new(kPaletteDescriptionBytes, std::nothrow));
  if (!description) return false;
  description->palVersion = kPaletteVersion;
  description->palNumEntries = kPaletteEntries;
  PALETTEENTRY* entries = description->palPalEntry;
  screen = GetDC(nullptr);
  GetSystemPaletteEntries(screen, 0, kPaletteEntries, entries);
  ReleaseDC(nullptr, screen);
  for (int r = 0; r < kCubeLevels; ++r) {
    for (int g = 0; g < kCubeLevels; ++g) {
      for (int b = 0; b < kCubeLevels; ++b) {
        PALETTEENTRY& entry = entries[kCubeFirst + 36 * r + 6 * g + b];
        entry.peRed = static_cast<BYTE>(kCubeStep * r);
        entry.peGreen = static_cast<BYTE>(kCubeStep * g);
        entry.peBlue = static_cast<BYTE>(kCubeStep * b);
        entry.peFlags = PC_NOCOLLAPSE;
      }
    }
  }
  palette = CreatePalette(description);
  ::operator delete(description);
  return true;
}

LRESULT VideoOutput::realizeDisplayPalette(HWND window) {
  if (!palette) return 1;
  HPALETTE previous = SelectPalette(windowDC, palette, FALSE);
  UINT changed = RealizePalette(windowDC);
  if (changed == GDI_ERROR) changed = 0;
  if (changed != 0) InvalidateRect(window, nullptr, FALSE);
  SelectPalette(windowDC, previous, TRUE);
  RealizePalette(windowDC);
  return changed != 0 ? 1 : 0;
}

void VideoOutput::deletePalette() {
  if (palette) {
    DeleteObject(palette);
    palette = nullptr;
  }
}

void VideoOutput::release() {
  deletePalette();
  if (directDraw) {
    releaseSurfaces();
    releaseClipper();
    releaseInto(directDraw);
  }
}

void sizeClientArea(HWND window, int32_t clientWidth, int32_t clientHeight) {
  // The frame allowance of this window as it is now: its style, and its menu
  // when it has one.
  RECT outer{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
                     GetMenu(window) != nullptr,
                     static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
  RECT current{};
  GetWindowRect(window, &current);
  MoveWindow(window, current.left, current.top, outer.right - outer.left, outer.bottom - outer.top,
             TRUE);
}

}  // namespace zentrov::win32

namespace zentrov::win32 {
namespace {

constexpr LONG kFullScreenStyle = static_cast<LONG>(WS_POPUP | WS_VISIBLE);
constexpr LONG kWindowStyle =
    static_cast<LONG>(WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);

}  // namespace

void enterFullScreenWindow(HWND window, VideoOutput& video, StepReporter& reporter) {
  if (video.directDraw) {
    video.releaseSurfaces();
    SetMenu(window, nullptr);
    ShowWindow(window, SW_SHOWMAXIMIZED);
    UpdateWindow(window);
    SetWindowLongW(window, GWL_STYLE, kFullScreenStyle);
    // Without its frame the maximised window would reach past the screen's
    // edges by the frame's width: it covers exactly the screen instead.
    SetWindowPos(window, HWND_TOP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                 GetSystemMetrics(SM_CYSCREEN), SWP_FRAMECHANGED);
    video.setupDirectDraw(window, kFullScreenLevel, reporter);
  }
  ShowCursor(FALSE);
}

void leaveFullScreenWindow(HWND window, HMENU menu, VideoOutput& video, StepReporter& reporter) {
  video.releaseSurfaces();
  SetMenu(window, menu);
  ShowWindow(window, SW_RESTORE);
  UpdateWindow(window);
  SetWindowLongW(window, GWL_STYLE, kWindowStyle);
  // The frame is drawn and measured anew only when told so.
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (video.directDraw) video.setupDirectDraw(window, kWindowedLevel, reporter);
  ShowCursor(TRUE);
}

}  // namespace zentrov::win32
