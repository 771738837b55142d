// The player's own side: window and loop, surfaces and screen, the sound
// buffer and pacing by its play cursor, start-up boxes and teardown.

#include <gtest/gtest.h>

#include <sstream>

#include "harness.h"
#include "video/frame_dib.h"
#include "video/pixel_convert.h"

namespace zentrov::win32 {
namespace {

using test::PlayerRun;
using zentrov::test::buildFilm;

// A window this wide holds its menu bar on one line.
constexpr int kWidth = 320, kHeight = 224;
constexpr double kBytesPerSecond = 176400.0;  // 44,100 Hz, 16-bit stereo

TEST(WindowsPlayer, WindowLoopFrameZoomFullScreenAndTeardown) {
  const std::string path = test::soundedMovie("window.cpk", 4, 0.25, kWidth, kHeight);
  PlayerRun run(path);
  ASSERT_TRUE(run.started);
  HWND window = run.host.window();
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  EXPECT_EQ(className + (L" " + run.title()), L"ZentrovClass window.cpk - Zentrov");

  // Waiting messages are all handled before the next tick: the picture
  // stands through them while the sound plays on.
  ASSERT_TRUE(run.runUntil([&] { return !run.status(kStatusPosition).empty(); }));
  std::wstring shown;
  for (int i = 0; i < 8; ++i) shown += L"|" + run.status(kStatusPosition);
  run.log.clear();
  for (int i = 0; i < 8; ++i) PostMessageW(window, WM_APP, 60, 0);
  run.runUntil([&] { return std::count(run.log.begin(), run.log.end(), L'|') == 8; });
  EXPECT_EQ(run.log, shown);

  // The paused frame in the back surface, on the screen, on the clipboard.
  run.command(kCmdPlayPause);
  const uint32_t* frame = run.host.player().buffers.decodedFrame.get();
  VideoOutput& video = run.host.video();
  IDirectDrawSurface* back = video.backSurface[video.backIndex];
  DDSURFACEDESC locked{};
  locked.dwSize = sizeof locked;
  ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  std::vector<uint8_t> expected(size_t(locked.lPitch) * locked.dwHeight, 0);
  convertFrame(video.pixelFormat, frame, kWidth, kHeight, expected.data(), locked.lPitch,
               kSurfaceWidth, kSurfaceHeight);
  EXPECT_TRUE(
      std::equal(expected.begin(), expected.end(), static_cast<const uint8_t*>(locked.lpSurface)));
  back->Unlock(nullptr);

  // On the screen at x1 below the toolbar; red and blue differ often enough.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetDC(window);
  int wrong = 0, colours = 0;
  for (int y = 0; y < kHeight; y += 7) {
    for (int x = 0; x < kWidth; x += 7) {
      const uint32_t want = frame[y * kWidth + x];
      const COLORREF rgb = RGB((want >> 16) & 0xFF, (want >> 8) & 0xFF, want & 0xFF);
      wrong += GetPixel(dc, x, run.host.player().shell.toolbarHeight + y) != rgb;
      colours += GetRValue(rgb) != GetBValue(rgb);
    }
  }
  ReleaseDC(window, dc);
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(colours, 100);

  run.command(kCmdCopyFrame);
  const std::vector<uint8_t> dib = buildFrameDib(frame, kWidth, kHeight);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(EnumClipboardFormats(0), UINT(CF_DIB));  // as put, not made from another
  HANDLE block = GetClipboardData(CF_DIB);
  const auto* copied = static_cast<const uint8_t*>(GlobalLock(block));
  EXPECT_TRUE(copied && GlobalSize(block) >= dib.size() &&
              std::equal(dib.begin(), dib.end(), copied));
  GlobalUnlock(block);
  CloseClipboard();

  const ShellState& shell = run.host.player().shell;
  for (int scale : {2, 1, 2}) {
    run.command(scale == 2 ? kCmdZoom2 : kCmdZoom1);
    run.runFor(50);
    EXPECT_EQ(run.clientSize().cx, scale * kWidth);
    EXPECT_EQ(run.clientSize().cy, scale * kHeight + shell.toolbarHeight + shell.statusBarHeight);
    EXPECT_EQ(run.host.layout().displayHeight, scale * kHeight);
  }
  for (int round = 0; round < 2; ++round) {
    run.command(kCmdFullScreen);
    run.runFor(100);
    EXPECT_EQ(GetMenu(window), nullptr);
    EXPECT_EQ(run.host.layout().displayWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(run.host.layout().displayHeight, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(test::liveSurfaces(run.host.video().directDraw), 3);
    SendMessageW(window, WM_LBUTTONDOWN, 0, 0);
    run.runFor(100);
    EXPECT_EQ(GetMenu(window), run.host.menu());
    EXPECT_EQ(run.clientSize().cx, kWidth);  // back at x1
    EXPECT_EQ(test::liveSurfaces(run.host.video().directDraw), 3);
  }

  // What opening stored is gone; only the teardown can write it again.
  RegDeleteTreeA(HKEY_CURRENT_USER, test::kSettingsKey);
  EXPECT_EQ(run.close(), 0);
  EXPECT_EQ(test::stored(test::kSettingsKey + std::string("\\MRU0")), "path:1:260=" + path + " ");
  EXPECT_EQ(run.host.soundDevice(), nullptr);
  EXPECT_EQ(run.host.video().directDraw, nullptr);
}

TEST(WindowsPlayer, SoundBufferPacesEachFrameThenTheMovieEndsOrLoops) {
  const zentrov::test::FilmSpec spec = test::soundedMovie(5, 0.2, kWidth, kHeight);
  std::vector<std::pair<std::wstring, double>> frames;  // status part 2, seconds of sound
  for (size_t i = 0; i < spec.samples.size(); ++i) {
    if (spec.samples[i].info1 != kAudioInfo1)
      frames.emplace_back(std::to_wstring(i), (spec.samples[i].info1 & 0x7FFFFFFF) / 44100.0);
  }
  for (bool loop : {false, true}) {
    SCOPED_TRACE(loop);
    PlayerRun run(test::writeMovie(loop ? "paced_loop.cpk" : "paced.cpk", buildFilm(spec)));
    ASSERT_TRUE(run.started);
    SoundDevice* device = run.host.soundDevice();
    WAVEFORMATEX format{};
    DSBCAPS caps{};
    caps.dwSize = sizeof caps;
    device->soundBuffer->GetFormat(&format, sizeof format, nullptr);
    device->soundBuffer->GetCaps(&caps);
    const WAVEFORMATEX pcm{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    EXPECT_EQ(std::memcmp(&format, &pcm, sizeof pcm), 0);
    EXPECT_EQ(caps.dwBufferBytes, kRingBytes);
    // DirectSound adds where it mixes; no other flag than the requested ones.
    EXPECT_EQ(caps.dwFlags & ~DWORD(DSBCAPS_LOCSOFTWARE | DSBCAPS_LOCHARDWARE), 0x40E2u);
    // A second holder's release leaves the buffer to the player.
    const ULONG held = device->AddRef();
    EXPECT_EQ(held * 10 + device->Release(), 21u);
    if (loop) run.command(kCmdLoop);

    // The play cursor's progress from the first picture (due at 0) on.
    DirectSoundRing& ring = run.host.soundRing();
    ASSERT_TRUE(run.runUntil([&] { return run.status(kStatusPosition) == frames[0].first; }));
    uint32_t last = ring.playCursor();
    uint64_t played = last, playedAtSecond = 0;  // the ring starts with the movie
    size_t next = 1;
    double rate = 0;  // from the second picture on, when the sound runs steadily
    auto secondAt = std::chrono::steady_clock::now();
    run.runUntil([&] {
      const uint32_t cursor = ring.playCursor();
      played += (cursor - last) & kRingMask;
      last = cursor;
      if (next < frames.size() && run.status(kStatusPosition) == frames[next].first) {
        const double late = double(played) / kBytesPerSecond - frames[next].second;
        EXPECT_TRUE(late >= 0 && late <= 0.050) << "frame " << next << " " << late;
        const auto now = std::chrono::steady_clock::now();
        if (next == 1) {
          secondAt = now;
          playedAtSecond = played;
        }
        const std::chrono::duration<double> spent = now - secondAt;
        if (++next == frames.size()) rate = double(played - playedAtSecond) / spent.count();
      }
      // With loop on, the first picture comes back after the last.
      return run.status(kStatusState) == L"End." ||
             (next == frames.size() && run.status(kStatusPosition) == frames[0].first);
    });
    EXPECT_EQ(next, frames.size());
    EXPECT_TRUE(rate > 0.85 * kBytesPerSecond && rate < 1.15 * kBytesPerSecond) << rate;
    EXPECT_EQ(run.status(kStatusState), loop ? L"Play..." : L"End.");
    if (!loop) continue;
    run.command(kCmdPlayPause);
    const uint32_t paused = ring.playCursor();
    run.runFor(300);
    EXPECT_EQ(ring.playCursor(), paused);

    // A write past the ring's end goes on at its start.
    const uint8_t data[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_TRUE(ring.write(kRingBytes - 6, data, sizeof data));
    void *end = nullptr, *begin = nullptr;
    DWORD endBytes = 0, beginBytes = 0;
    device->soundBuffer->Lock(kRingBytes - 6, 12, &end, &endBytes, &begin, &beginBytes, 0);
    EXPECT_TRUE(endBytes == 6 && beginBytes == 6 && !std::memcmp(end, data, 6) &&
                !std::memcmp(begin, data + 6, 6));
    device->soundBuffer->Unlock(end, endBytes, begin, beginBytes);
  }
}

TEST(WindowsPlayer, TraceOptionShowsEachStartUpStepInOrder) {
  PlayerRun run("-1");
  ASSERT_TRUE(run.started);
  std::wistringstream steps(
      L"InitialNuvandGL CreateStatusBar CreateToolBar GetDC GetDeviceCaps CreateDirectDraw "
      L"CreatePalette CreateSurface SetupDirectDraw CreatePrimarySurface CreateDirectDrawClipper "
      L"DirectDraw:SetHWnd DirectDraw:SetClipper CreateBackSurface#0 CreateBackSurface#1 "
      L"ClearBackSurface#0 ClearBackSurface#1 Initial24to16 Check555or565 InitialNGLDirectSound "
      L"ResetTimer MallocMemory CheckRegistry UpdateMRUFile WindowResize ResetToolStatusBar "
      L"CommandLineCheck InitialComplete");
  std::wstring step, expected;
  while (steps >> step) expected += L"DRELLIX Debug: " + step + L"; ";
  EXPECT_EQ(run.boxes, expected);
  EXPECT_EQ(run.title(), L"Zentrov");

  // Exclusive access without full screen is refused; the set-up ends there.
  VideoOutput& video = run.host.video();
  video.releaseSurfaces();
  run.boxes.clear();
  StepReporter reporter(run.host.player());
  EXPECT_EQ(video.setupDirectDraw(run.host.window(), DDSCL_EXCLUSIVE, reporter), 1u);
  EXPECT_EQ(run.boxes,
            L"DRELLIX Debug: SetupDirectDraw; DRELLIX Error: DD:SetCooperativeLevel\n00000001; ");
  EXPECT_EQ(test::liveSurfaces(video.directDraw), 0);
}

// Run by the test script in an environment without a sound server.
TEST(NoSoundServer, StartUpStopsAtTheSoundDeviceWithItsBox) {
  PlayerRun run("");
  EXPECT_FALSE(run.started);
  EXPECT_EQ(run.boxes, L"Error: DirectSoundが使用できません\n00000001; ");
  EXPECT_EQ(run.host.player().shell.setupFailed, 1u);
  ASSERT_NE(run.host.soundDevice(), nullptr);
  EXPECT_EQ(run.host.soundDevice()->directSound, nullptr);
}

}  // namespace
}  // namespace zentrov::win32
