// The whole Windows player, started in-process on small movies: its window,
// surfaces, sound, pacing, start-up boxes and teardown.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/command_ids.h"
#include "player_run.h"
#include "video/pixel_convert.h"
#include "win32_test_support.h"

namespace zentrov::win32 {
namespace {

using test::BoxCatcher;
using test::PlayerRun;

// A window this wide holds its menu bar on one line.
constexpr int kWidth = 320;
constexpr int kHeight = 224;
constexpr double kBytesPerSecond = 176400.0;  // 44,100 Hz, 16-bit stereo

std::string movie(const std::string& name, int frames = 4) {
  return test::writeMovie(name, test::tonedMovie(frames, 0.25, kWidth, kHeight));
}

void command(PlayerRun& run, int id) {
  SendMessageW(run.host.window(), WM_COMMAND, static_cast<WPARAM>(id), 0);
}

TEST(WindowsPlayer, WindowTakesTheMovieNameAndItsSizeAtEachZoom) {
  PlayerRun run(movie("zoom.cpk"));
  ASSERT_TRUE(run.started);
  wchar_t className[64] = {};
  GetClassNameW(run.host.window(), className, 64);
  EXPECT_STREQ(className, L"ZentrovClass");
  EXPECT_EQ(run.title(), L"zoom.cpk - Zentrov");

  const ShellState& shell = run.host.player().shell;
  EXPECT_GT(shell.toolbarHeight, 0);
  EXPECT_GT(shell.statusBarHeight, 0);
  const int32_t bars = shell.toolbarHeight + shell.statusBarHeight;
  for (int scale : {1, 2, 1, 2, 1}) {
    command(run, scale == 2 ? kCmdZoom2 : kCmdZoom1);
    run.runFor(50);
    const SIZE client = run.clientSize();
    EXPECT_EQ(client.cx, scale * kWidth);
    EXPECT_EQ(client.cy, scale * kHeight + bars);
    EXPECT_EQ(run.host.layout().displayHeight, scale * kHeight);
  }
}

TEST(WindowsPlayer, FullScreenAndBackTwiceKeepsOnePrimaryAndTwoBackSurfaces) {
  PlayerRun run(movie("fullscreen.cpk"));
  ASSERT_TRUE(run.started);
  command(run, kCmdZoom2);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    command(run, kCmdFullScreen);
    run.runFor(100);
    EXPECT_EQ(GetMenu(run.host.window()), nullptr);
    // The picture fills the screen.
    EXPECT_EQ(run.host.layout().displayWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(run.host.layout().displayHeight, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(test::liveSurfaces(run.host.video().directDraw), 3);

    SendMessageW(run.host.window(), WM_LBUTTONDOWN, 0, 0);
    run.runFor(100);
    EXPECT_EQ(GetMenu(run.host.window()), run.host.menu());
    EXPECT_EQ(run.clientSize().cx, kWidth);  // back to normal size
    EXPECT_EQ(test::liveSurfaces(run.host.video().directDraw), 3);
  }
}

TEST(WindowsPlayer, SoundClockRunsInRealTimeWhilePlayingAndStandsWhilePaused) {
  PlayerRun run(movie("clock.cpk", 8));
  ASSERT_TRUE(run.started);
  DirectSoundRing& ring = run.host.soundRing();
  run.runFor(200);
  const uint32_t start = ring.playCursor();
  LARGE_INTEGER frequency, t0, t1;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&t0);
  run.runFor(800);
  const uint32_t end = ring.playCursor();
  QueryPerformanceCounter(&t1);
  const double seconds = double(t1.QuadPart - t0.QuadPart) / double(frequency.QuadPart);
  const double rate = ((end - start) & kRingMask) / seconds;
  EXPECT_GT(rate, 0.85 * kBytesPerSecond);
  EXPECT_LT(rate, 1.15 * kBytesPerSecond);

  command(run, kCmdPlayPause);
  EXPECT_EQ(run.statusText(1), L"Pause.");
  const uint32_t paused = ring.playCursor();
  run.runFor(300);
  EXPECT_EQ(ring.playCursor(), paused);
}

TEST(WindowsPlayer, BackSurfaceHoldsTheDecodedFrameInTheDisplayFormat) {
  PlayerRun run(movie("surface.cpk"));
  ASSERT_TRUE(run.started);
  ASSERT_TRUE(run.runUntil([&] { return !run.statusText(2).empty(); }));
  command(run, kCmdPlayPause);

  VideoOutput& video = run.host.video();
  IDirectDrawSurface* back = video.backSurface[video.backIndex];
  DDSURFACEDESC locked{};
  locked.dwSize = sizeof locked;
  ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  const auto* bytes = static_cast<const uint8_t*>(locked.lpSurface);
  const std::vector<uint8_t> shown(bytes, bytes + size_t(locked.lPitch) * locked.dwHeight);
  back->Unlock(nullptr);

  std::vector<uint8_t> expected(shown.size(), 0);
  convertFrame(video.pixelFormat, run.host.player().buffers.decodedFrame.get(), kWidth, kHeight,
               expected.data(), locked.lPitch, kSurfaceWidth, kSurfaceHeight);
  EXPECT_TRUE(shown == expected);
  EXPECT_NE(std::count(shown.begin(), shown.end(), 0), static_cast<long>(shown.size()));
}

TEST(WindowsPlayer, PresentStretchesTheFrameIntoThePictureBelowTheToolbar) {
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  // Four quadrants of different colours.
  constexpr int32_t kW = 64, kH = 48;
  const uint32_t colours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
  std::vector<uint32_t> frame(kW * kH);
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) frame[y * kW + x] = colours[(y >= kH / 2) * 2 + (x >= kW / 2)];
  VideoOutput& video = run.host.video();
  ASSERT_TRUE(video.convertToNextBackSurface(frame.data(), kW, kH));

  HWND window = run.host.window();
  HDC dc = GetDC(window);
  RECT client{0, 0, 320, 240};
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  WindowLayout layout;
  layout.frameWidth = kW;
  layout.frameHeight = kH;
  layout.displayWidth = 2 * kW;
  layout.displayHeight = 2 * kH;
  layout.toolbarHeight = 30;
  video.presentFrame(window, layout);
  const auto rgb = [](uint32_t c) { return RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF); };
  const int top = 30, right = 2 * kW - 5, bottom = top + 2 * kH - 5;
  EXPECT_EQ(GetPixel(dc, 5, top - 2), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 5, top + 5), rgb(colours[0]));
  EXPECT_EQ(GetPixel(dc, right, top + 5), rgb(colours[1]));
  EXPECT_EQ(GetPixel(dc, 5, bottom), rgb(colours[2]));
  EXPECT_EQ(GetPixel(dc, right, bottom), rgb(colours[3]));
  EXPECT_EQ(GetPixel(dc, right + 10, top + 5), RGB(255, 255, 255));
  ReleaseDC(window, dc);
}

TEST(WindowsPlayer, EachFrameShowsWhenTheSoundReachesItsStampThenTheMovieEndsOrLoops) {
  const test::FilmSpec spec = test::tonedMovie(5, 0.2, kWidth, kHeight);
  struct Frame {
    std::wstring index;  // as status part 2 shows it
    double due;          // seconds of sound
  };
  std::vector<Frame> frames;
  for (size_t i = 0; i < spec.samples.size(); ++i) {
    if (spec.samples[i].info1 != 0xFFFFFFFFu)
      frames.push_back({std::to_wstring(i), (spec.samples[i].info1 & 0x7FFFFFFF) / 44100.0});
  }
  for (bool loop : {false, true}) {
    SCOPED_TRACE(loop);
    PlayerRun run(test::writeMovie(loop ? "paced_loop.cpk" : "paced.cpk", spec));
    ASSERT_TRUE(run.started);
    if (loop) command(run, kCmdLoop);
    DirectSoundRing& ring = run.host.soundRing();
    // Follow the play cursor from the first picture (due at 0) on.
    ASSERT_TRUE(run.runUntil([&] { return run.statusText(2) == frames[0].index; }));
    uint64_t played = ring.playCursor();
    uint32_t last = ring.playCursor();
    size_t next = 1;
    run.runUntil([&] {
      const uint32_t cursor = ring.playCursor();
      played += (cursor - last) & kRingMask;
      last = cursor;
      if (next < frames.size() && run.statusText(2) == frames[next].index) {
        const double at = double(played) / kBytesPerSecond;
        EXPECT_GE(at, frames[next].due) << "frame " << next;
        EXPECT_LE(at, frames[next].due + 0.050) << "frame " << next;
        ++next;
      }
      // With loop on, the first picture comes back after the last.
      return run.statusText(1) == L"End." ||
             (next == frames.size() && run.statusText(2) == frames[0].index);
    });
    EXPECT_EQ(next, frames.size());
    EXPECT_EQ(run.statusText(1), loop ? L"Play..." : L"End.");
    EXPECT_EQ((GetMenuState(run.host.menu(), kCmdPlayPause, MF_BYCOMMAND) & MF_DISABLED) != 0,
              !loop);
  }
}

TEST(WindowsPlayer, TraceOptionShowsEachStartUpStepInOrder) {
  BoxCatcher boxes;
  PlayerRun run("-1");
  ASSERT_TRUE(run.started);
  const char* const steps[] = {"InitialNuvandGL",
                               "CreateStatusBar",
                               "CreateToolBar",
                               "GetDC",
                               "GetDeviceCaps",
                               "CreateDirectDraw",
                               "CreatePalette",
                               "CreateSurface",
                               "SetupDirectDraw",
                               "CreatePrimarySurface",
                               "CreateDirectDrawClipper",
                               "DirectDraw:SetHWnd",
                               "DirectDraw:SetClipper",
                               "CreateBackSurface#0",
                               "CreateBackSurface#1",
                               "ClearBackSurface#0",
                               "ClearBackSurface#1",
                               "Initial24to16",
                               "Check555or565",
                               "InitialNGLDirectSound",
                               "ResetTimer",
                               "MallocMemory",
                               "CheckRegistry",
                               "UpdateMRUFile",
                               "WindowResize",
                               "ResetToolStatusBar",
                               "CommandLineCheck",
                               "InitialComplete"};
  ASSERT_EQ(boxes.boxes.size(), std::size(steps));
  for (size_t i = 0; i < std::size(steps); ++i) {
    EXPECT_EQ(boxes.boxes[i].caption, L"DRELLIX Debug");
    EXPECT_EQ(boxes.boxes[i].text, test::utf16(steps[i])) << i;
  }
  EXPECT_EQ(run.title(), L"Zentrov");
}

TEST(WindowsPlayer, AFailedDisplayStepShowsItsErrorAndEndsTheSetUp) {
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  VideoOutput& video = run.host.video();
  video.releaseSurfaces();
  run.host.player().shell.debugFlags = 1;
  BoxCatcher boxes;
  StepReporter reporter(run.host.player());
  // Exclusive access without full screen is refused by DirectDraw.
  EXPECT_EQ(video.setupDirectDraw(run.host.window(), DDSCL_EXCLUSIVE, reporter), 1u);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text, L"SetupDirectDraw");
  EXPECT_EQ(boxes.boxes[1].caption, L"DRELLIX Error");
  EXPECT_EQ(boxes.boxes[1].text, L"DD:SetCooperativeLevel\n00000001");
  EXPECT_EQ(test::liveSurfaces(video.directDraw), 0);
}

TEST(WindowsPlayer, TeardownRemembersTheCurrentFile) {
  const std::string path = movie("remembered.cpk");
  PlayerRun run(path);
  ASSERT_TRUE(run.started);
  run.runFor(100);
  // What opening stored is gone; only the teardown can write it again.
  test::deleteSettings();
  EXPECT_EQ(run.close(), 0);

  char stored[300] = {};
  DWORD bytes = sizeof stored;
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\NUVAND\\Zentrov\\MRU0", "path",
                         RRF_RT_REG_SZ, nullptr, stored, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(stored), path);
  EXPECT_EQ(bytes, 260u);
  EXPECT_EQ(run.host.soundDevice(), nullptr);
  EXPECT_EQ(run.host.video().directDraw, nullptr);
}

// Run by the test script in an environment without a sound server.
TEST(NoSoundServer, StartUpStopsAtTheSoundDeviceWithItsBox) {
  BoxCatcher boxes;
  PlayerRun run("");
  EXPECT_FALSE(run.started);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, L"Error");
  EXPECT_EQ(boxes.boxes[0].text, test::utf16("DirectSoundが使用できません\n00000001"));
  EXPECT_EQ(run.host.player().shell.setupFailed, 1u);
  ASSERT_NE(run.host.soundDevice(), nullptr);
  EXPECT_EQ(run.host.soundDevice()->directSound, nullptr);
}

}  // namespace
}  // namespace zentrov::win32
