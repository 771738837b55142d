// The whole Windows player, started in-process on small movies: its window,
// surfaces, sound, pacing, start-up boxes and teardown.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/command_ids.h"
#include "playback/window_layout.h"
#include "shell/commands.h"
#include "video/pixel_convert.h"
#include "player_run.h"
#include "win32_test_support.h"

namespace zentrov::win32 {
namespace {

using test::BoxCatcher;
using test::PlayerRun;

constexpr int kWidth = 320;
constexpr int kHeight = 224;

std::string movie(const std::string& name, int frames = 4, double secondsApart = 0.25) {
  return test::writeMovie(name, test::tonedMovie(frames, secondsApart, kWidth, kHeight));
}

HRESULT WINAPI countSurface(IDirectDrawSurface* surface, DDSURFACEDESC*, void* count) {
  ++*static_cast<int*>(count);
  surface->Release();
  return DDENUMRET_OK;
}

int liveSurfaces(IDirectDraw* directDraw) {
  int count = 0;
  directDraw->EnumSurfaces(DDENUMSURFACES_DOESEXIST | DDENUMSURFACES_ALL, nullptr, &count,
                           countSurface);
  return count;
}

TEST(WindowsPlayer, WindowTakesTheMovieNameAndItsSizeAtEachZoom) {
  PlayerRun run(movie("zoom.cpk"));
  ASSERT_TRUE(run.started);
  run.runFor(100);
  wchar_t className[64] = {};
  GetClassNameW(run.host.window(), className, 64);
  EXPECT_STREQ(className, L"ZentrovClass");
  EXPECT_EQ(run.title(), L"zoom.cpk - Zentrov");

  const int32_t bars = run.host.player().shell.toolbarHeight + run.host.player().shell.statusBarHeight;
  EXPECT_GT(run.host.player().shell.statusBarHeight, 0);
  struct Step {
    int command;
    int scale;
  };
  for (const Step& step : {Step{kCmdZoom2, 2}, Step{kCmdZoom1, 1}, Step{kCmdZoom2, 2}, Step{kCmdZoom1, 1}}) {
    SendMessageW(run.host.window(), WM_COMMAND, static_cast<WPARAM>(step.command), 0);
    run.runFor(50);
    const SIZE client = run.clientSize();
    EXPECT_EQ(client.cx, step.scale * kWidth) << step.command;
    EXPECT_EQ(client.cy, step.scale * kHeight + bars) << step.command;
    EXPECT_EQ(run.host.layout().displayWidth, step.scale * kWidth);
    EXPECT_EQ(run.host.layout().displayHeight, step.scale * kHeight);
  }
}

TEST(WindowsPlayer, FullScreenAndBackTwiceKeepsOnePrimaryAndTwoBackSurfaces) {
  PlayerRun run(movie("fullscreen.cpk"));
  ASSERT_TRUE(run.started);
  SendMessageW(run.host.window(), WM_COMMAND, kCmdZoom2, 0);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    SendMessageW(run.host.window(), WM_COMMAND, kCmdFullScreen, 0);
    run.runFor(100);
    EXPECT_EQ(GetMenu(run.host.window()), nullptr);
    EXPECT_EQ(run.host.player().shell.zoom, Zoom::FullScreen);
    // The picture fills the screen.
    EXPECT_EQ(run.host.layout().displayWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(run.host.layout().displayHeight, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(liveSurfaces(run.host.video().directDraw), 3);

    SendMessageW(run.host.window(), WM_LBUTTONDOWN, 0, 0);
    run.runFor(100);
    EXPECT_EQ(GetMenu(run.host.window()), run.host.menu());
    EXPECT_EQ(run.host.player().shell.zoom, Zoom::Normal);
    EXPECT_EQ(run.clientSize().cx, kWidth);
    EXPECT_EQ(liveSurfaces(run.host.video().directDraw), 3);
  }
}

TEST(WindowsPlayer, PlayCursorRunsWhilePlayingAndStandsWhilePaused) {
  PlayerRun run(movie("cursor.cpk", 8));
  ASSERT_TRUE(run.started);
  DirectSoundRing& ring = run.host.soundRing();
  run.runFor(200);
  const uint32_t playing = ring.playCursor();
  run.runFor(300);
  EXPECT_GT((ring.playCursor() - playing) & kRingMask, 176400u / 10);

  SendMessageW(run.host.window(), WM_COMMAND, kCmdPlayPause, 0);
  EXPECT_EQ(run.statusText(1), L"Pause.");
  const uint32_t paused = ring.playCursor();
  run.runFor(300);
  EXPECT_EQ(ring.playCursor(), paused);
}

TEST(WindowsPlayer, BackSurfaceHoldsTheDecodedFrameInTheDisplayFormat) {
  PlayerRun run(movie("surface.cpk"));
  ASSERT_TRUE(run.started);
  ASSERT_TRUE(run.runUntil([&] { return !run.statusText(2).empty(); }));
  SendMessageW(run.host.window(), WM_COMMAND, kCmdPlayPause, 0);

  VideoOutput& video = run.host.video();
  IDirectDrawSurface* back = video.backSurface[video.backIndex];
  DDSURFACEDESC locked{};
  locked.dwSize = sizeof locked;
  ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  const size_t bytes = static_cast<size_t>(locked.lPitch) * locked.dwHeight;
  std::vector<uint8_t> shown(static_cast<uint8_t*>(locked.lpSurface),
                             static_cast<uint8_t*>(locked.lpSurface) + bytes);
  back->Unlock(nullptr);

  std::vector<uint8_t> expected(bytes, 0);
  convertFrame(video.pixelFormat, run.host.player().buffers.decodedFrame.get(), kWidth, kHeight,
               expected.data(), locked.lPitch, kSurfaceWidth, kSurfaceHeight);
  EXPECT_TRUE(shown == expected);
  // Not a blank picture that would match a blank decode.
  EXPECT_NE(std::count(shown.begin(), shown.end(), 0), static_cast<long>(bytes));
}

// The entry index and stamp of each picture of a movie made by tonedMovie.
struct FrameEntry {
  int index;
  uint32_t stamp;
};
std::vector<FrameEntry> frameEntries(const test::FilmSpec& spec) {
  std::vector<FrameEntry> frames;
  for (size_t i = 0; i < spec.samples.size(); ++i) {
    if (spec.samples[i].info1 != 0xFFFFFFFFu)
      frames.push_back({static_cast<int>(i), spec.samples[i].info1 & 0x7FFFFFFFu});
  }
  return frames;
}

TEST(WindowsPlayer, EachFrameShowsWhenTheSoundReachesItsStampThenTheMovieEndsOrLoops) {
  const test::FilmSpec spec = test::tonedMovie(5, 0.2, kWidth, kHeight);
  const std::vector<FrameEntry> frames = frameEntries(spec);
  for (bool loop : {false, true}) {
    SCOPED_TRACE(loop);
    PlayerRun run(test::writeMovie(loop ? "paced_loop.cpk" : "paced.cpk", spec));
    ASSERT_TRUE(run.started);
    if (loop) SendMessageW(run.host.window(), WM_COMMAND, kCmdLoop, 0);
    DirectSoundRing& ring = run.host.soundRing();

    // Follow the play cursor from the first picture (stamp 0) on, and note
    // how far the sound had played when each picture appeared.
    ASSERT_TRUE(run.runUntil([&] { return run.statusText(2) == std::to_wstring(frames[0].index); }));
    uint64_t played = ring.playCursor();
    uint32_t last = ring.playCursor();
    size_t next = 1;
    bool ended = false;
    run.runUntil([&] {
      const uint32_t cursor = ring.playCursor();
      played += (cursor - last) & kRingMask;
      last = cursor;
      if (next < frames.size() && run.statusText(2) == std::to_wstring(frames[next].index)) {
        const double due = frames[next].stamp / 44100.0;
        const double at = static_cast<double>(played) / 176400.0;
        EXPECT_GE(at, due) << "frame " << next;
        EXPECT_LE(at, due + 0.050) << "frame " << next;
        ++next;
      }
      ended = run.statusText(1) == L"End.";
      // With loop on, the first picture comes back after the last.
      return ended || (loop && next == frames.size() &&
                       run.statusText(2) == std::to_wstring(frames[0].index));
    }, 5000);
    EXPECT_EQ(next, frames.size());
    EXPECT_EQ(ended, !loop);
    if (!loop) {
      EXPECT_TRUE(GetMenuState(run.host.menu(), kCmdPlayPause, MF_BYCOMMAND) & MF_DISABLED);
    } else {
      EXPECT_EQ(run.statusText(1), L"Play...");
    }
  }
}

TEST(WindowsPlayer, TraceOptionShowsEachStartUpStepInOrder) {
  BoxCatcher boxes;
  PlayerRun run("-1");
  ASSERT_TRUE(run.started);
  const std::vector<std::string> steps = {
      "InitialNuvandGL", "CreateStatusBar", "CreateToolBar", "GetDC", "GetDeviceCaps",
      "CreateDirectDraw", "CreatePalette", "CreateSurface", "SetupDirectDraw",
      "CreatePrimarySurface", "CreateDirectDrawClipper", "DirectDraw:SetHWnd",
      "DirectDraw:SetClipper", "CreateBackSurface#0", "CreateBackSurface#1", "ClearBackSurface#0",
      "ClearBackSurface#1", "Initial24to16", "Check555or565", "InitialNGLDirectSound", "ResetTimer",
      "MallocMemory", "CheckRegistry", "UpdateMRUFile", "WindowResize", "ResetToolStatusBar",
      "CommandLineCheck", "InitialComplete"};
  ASSERT_EQ(boxes.boxes.size(), steps.size());
  for (size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(boxes.boxes[i].caption, L"DRELLIX Debug");
    EXPECT_EQ(boxes.boxes[i].text, test::utf16(steps[i].c_str())) << i;
  }
  EXPECT_EQ(run.title(), L"Zentrov");
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
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\NUVAND\\Zentrov\\MRU0", "path", RRF_RT_REG_SZ,
                         nullptr, stored, &bytes),
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
}

}  // namespace
}  // namespace zentrov::win32
