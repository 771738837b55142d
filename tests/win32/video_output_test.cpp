// The DirectDraw surfaces, the conversion into them and the presentation,
// on Wine's DirectDraw in the test environment's X server.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "video/pixel_convert.h"
#include "win32/video_output.h"
#include "win32_test_support.h"

namespace zentrov::win32 {
namespace {

using test::TracedPlayer;
using test::TestWindow;

HRESULT WINAPI countSurface(IDirectDrawSurface* surface, DDSURFACEDESC*, void* count) {
  ++*static_cast<int*>(count);
  surface->Release();
  return DDENUMRET_OK;
}

// Every surface the DirectDraw object still holds.
int liveSurfaces(IDirectDraw* directDraw) {
  int count = 0;
  directDraw->EnumSurfaces(DDENUMSURFACES_DOESEXIST | DDENUMSURFACES_ALL, nullptr, &count,
                           countSurface);
  return count;
}

std::vector<uint8_t> surfaceBytes(IDirectDrawSurface* surface, LONG& pitch) {
  DDSURFACEDESC locked{};
  locked.dwSize = sizeof locked;
  std::vector<uint8_t> out;
  if (SUCCEEDED(surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr))) {
    pitch = locked.lPitch;
    const auto* bytes = static_cast<const uint8_t*>(locked.lpSurface);
    out.assign(bytes, bytes + static_cast<size_t>(locked.lPitch) * locked.dwHeight);
    surface->Unlock(nullptr);
  }
  return out;
}

struct VideoOutputTest : ::testing::Test {
  void SetUp() override {
    ASSERT_EQ(DirectDrawCreate(nullptr, &video.directDraw, nullptr), DD_OK);
    HDC dc = GetDC(window.handle());
    video.pixelFormat.formatCode = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(window.handle(), dc);
  }
  TestWindow window{640, 480};
  VideoOutput video;
  TracedPlayer traced;
  StepReporter& reporter = traced.reporter;
};

const std::vector<std::string> kSetupSteps = {
    "SetupDirectDraw",     "CreatePrimarySurface", "CreateDirectDrawClipper", "DirectDraw:SetHWnd",
    "DirectDraw:SetClipper", "CreateBackSurface#0", "CreateBackSurface#1",  "ClearBackSurface#0",
    "ClearBackSurface#1",  "Initial24to16",        "Check555or565"};

TEST_F(VideoOutputTest, SetupTracesItsStepsAndSwitchingScreensKeepsThreeSurfaces) {
  ASSERT_EQ(video.setupDirectDraw(window.handle(), kWindowedLevel, reporter), 0u);
  EXPECT_EQ(traced.traces(), kSetupSteps);
  EXPECT_TRUE(traced.errors().empty());
  EXPECT_EQ(traced.player.shell.setupFailed, 0u);
  EXPECT_EQ(liveSurfaces(video.directDraw), 3);
  // The X server runs at 24 bits, which DirectDraw shows as 32-bit pixels.
  EXPECT_EQ(video.pixelFormat.formatCode, 32);

  HMENU menu = CreateMenu();
  AppendMenuW(menu, MF_STRING, 1, L"&File");
  SetMenu(window.handle(), menu);
  for (int round = 0; round < 2; ++round) {
    enterFullScreenWindow(window.handle(), video, reporter);
    test::pumpMessages();
    EXPECT_EQ(GetMenu(window.handle()), nullptr);
    EXPECT_EQ(GetWindowLongW(window.handle(), GWL_STYLE) & WS_CAPTION, 0);
    leaveFullScreenWindow(window.handle(), menu, video, reporter);
    test::pumpMessages();
    EXPECT_EQ(GetMenu(window.handle()), menu);
    EXPECT_NE(GetWindowLongW(window.handle(), GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_EQ(liveSurfaces(video.directDraw), 3) << "round " << round;
    ASSERT_NE(video.primarySurface, nullptr);
    ASSERT_NE(video.backSurface[0], nullptr);
    ASSERT_NE(video.backSurface[1], nullptr);
  }
  EXPECT_TRUE(traced.errors().empty());
  EXPECT_EQ(traced.traces().size(), 5 * kSetupSteps.size());
}

TEST_F(VideoOutputTest, AFailedStepShowsItsTextAndEndsTheSetup) {
  // Exclusive access without full screen is refused by DirectDraw.
  EXPECT_EQ(video.setupDirectDraw(window.handle(), DDSCL_EXCLUSIVE, reporter), 1u);
  EXPECT_EQ(traced.traces(), std::vector<std::string>{"SetupDirectDraw"});
  EXPECT_EQ(traced.errors(), std::vector<std::string>{"DD:SetCooperativeLevel\n00000001"});
  EXPECT_EQ(traced.player.shell.setupFailed, 1u);
  EXPECT_EQ(video.primarySurface, nullptr);
  EXPECT_EQ(liveSurfaces(video.directDraw), 0);
}

TEST_F(VideoOutputTest, BackSurfaceHoldsTheConvertedFrameInEachFormat) {
  ASSERT_EQ(video.setupDirectDraw(window.handle(), kWindowedLevel, reporter), 0u);
  constexpr int32_t kWidth = 100, kHeight = 60;
  std::vector<uint32_t> frame(kWidth * kHeight);
  uint32_t seed = 12345;
  for (uint32_t& pixel : frame) pixel = seed = seed * 1664525u + 1013904223u;

  const DisplayPixelFormat display = video.pixelFormat;
  for (int32_t code : {32, 24, 17, 16, 15, 8}) {
    SCOPED_TRACE(code);
    video.clearBackSurfaces();
    video.pixelFormat = display;
    video.pixelFormat.formatCode = code;
    const int before = video.backIndex;
    ASSERT_TRUE(video.convertToNextBackSurface(frame.data(), kWidth, kHeight));
    EXPECT_EQ(video.backIndex, 1 - before);

    LONG pitch = 0;
    const std::vector<uint8_t> surface = surfaceBytes(video.backSurface[video.backIndex], pitch);
    ASSERT_EQ(surface.size(), static_cast<size_t>(pitch) * kSurfaceHeight);
    std::vector<uint8_t> expected(surface.size(), 0);
    convertFrame(video.pixelFormat, frame.data(), kWidth, kHeight, expected.data(), pitch,
                 kSurfaceWidth, kSurfaceHeight);
    EXPECT_TRUE(surface == expected);
  }
}

COLORREF windowPixel(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

TEST_F(VideoOutputTest, PresentStretchesTheFrameIntoThePictureBelowTheToolbar) {
  ASSERT_EQ(video.setupDirectDraw(window.handle(), kWindowedLevel, reporter), 0u);
  // Four quadrants of different colours, blue in the low byte.
  constexpr int32_t kWidth = 64, kHeight = 48;
  const uint32_t colours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
  std::vector<uint32_t> frame(kWidth * kHeight);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      frame[y * kWidth + x] = colours[(y >= kHeight / 2) * 2 + (x >= kWidth / 2)];
    }
  }
  ASSERT_TRUE(video.convertToNextBackSurface(frame.data(), kWidth, kHeight));
  // Paint the client area white first, so that what the blit missed shows.
  HDC dc = GetDC(window.handle());
  RECT client{0, 0, 640, 480};
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(window.handle(), dc);

  WindowLayout layout;
  layout.frameWidth = kWidth;
  layout.frameHeight = kHeight;
  layout.displayWidth = 2 * kWidth;
  layout.displayHeight = 2 * kHeight;
  layout.toolbarHeight = 30;
  video.presentFrame(window.handle(), layout);
  const int32_t top = layout.toolbarHeight;
  const int32_t width = layout.displayWidth;
  const int32_t height = layout.displayHeight;
  const auto rgb = [](uint32_t pixel) {
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  };
  EXPECT_EQ(windowPixel(window.handle(), 5, top - 2), RGB(255, 255, 255));
  EXPECT_EQ(windowPixel(window.handle(), 5, top + 5), rgb(colours[0]));
  EXPECT_EQ(windowPixel(window.handle(), width - 5, top + 5), rgb(colours[1]));
  EXPECT_EQ(windowPixel(window.handle(), 5, top + height - 5), rgb(colours[2]));
  EXPECT_EQ(windowPixel(window.handle(), width - 5, top + height - 5), rgb(colours[3]));
  EXPECT_EQ(windowPixel(window.handle(), width + 5, top + 5), RGB(255, 255, 255));
}

TEST(WindowSize, ClientAreaTakesTheRequestedSizeWithAndWithoutMenu) {
  TestWindow window{100, 100};
  for (bool withMenu : {false, true}) {
    if (withMenu) {
      HMENU menu = CreateMenu();
      AppendMenuW(menu, MF_STRING, 1, L"&File");
      SetMenu(window.handle(), menu);
    }
    for (auto [width, height] : {std::pair{320, 240}, std::pair{640, 480 + 40}}) {
      sizeClientArea(window.handle(), width, height);
      RECT client{};
      GetClientRect(window.handle(), &client);
      EXPECT_EQ(client.right, width) << withMenu;
      EXPECT_EQ(client.bottom, height) << withMenu;
    }
  }
}

}  // namespace
}  // namespace zentrov::win32
