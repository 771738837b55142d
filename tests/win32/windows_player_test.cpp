// The real Windows player in-process under Wine on movies made here, its loop
// turned by the test, its boxes and dialogs answered: what the host adds.

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <regex>
#include <thread>

#include "playback/command_ids.h"
#include "resource_ids.h"
#include "support/cinepak_encoder.h"
#include "support/film_writer.h"
#include "video/frame_dib.h"
#include "win32/about_dialog.h"
#include "win32/windows_player.h"

namespace zentrov::win32 {
namespace {

using namespace zentrov::test;  // the movie writer and encoder

constexpr uint32_t kRate = 44100;
constexpr double kBytesPerSecond = kRate * 4.0;  // 16-bit stereo
constexpr int kWidth = 320, kHeight = 224;       // a window this wide has a one-line menu bar
constexpr char kSettingsKey[] = "Software\\NUVAND\\Zentrov";

// `frames` pattern pictures `secondsApart` apart, each after the sound that
// lasts until a quarter second past it; the time base is the sound's rate.
FilmSpec soundedMovie(int frames, double secondsApart, uint16_t width = 64, uint16_t height = 48) {
  FilmSpec spec{width, height, 2, 16, 0, kRate << 16, int32_t(kRate), 1, false, {}};  // PCM
  uint32_t written = 0;  // sound frames
  for (uint32_t k = 0; k < uint32_t(frames); ++k) {
    const auto stamp = uint32_t(k * secondsApart * kRate);
    for (uint32_t count; written < stamp + kRate / 4; written += count) {
      count = std::min(stamp + kRate / 4 - written, kRate / 8);
      spec.samples.push_back(audioSample(std::vector<uint8_t>(count * 4)));
    }
    spec.samples.push_back(videoSample(patternCinepakFrame(width, height, k + 1).encode(), stamp));
  }
  return spec;
}

std::string writeMovie(const std::string& name, const std::vector<uint8_t>& film) {  // in %TEMP%
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  std::ofstream(folder + name, std::ios::binary)
      .write(reinterpret_cast<const char*>(film.data()), std::streamsize(film.size()));
  return folder + name;
}

std::wstring windowText(HWND window, int id = 0) {  // or of its control `id`
  wchar_t text[300] = {};
  GetWindowTextW(id ? GetDlgItem(window, id) : window, text, 300);
  return text;
}

// The player on `commandLine` with no stored settings. Its window logs each
// menu opening ("menu "), command ("40014 ") and WM_APP ("|" and status part
// 2, after sleeping wParam ms). A timer their loops run answers its modal
// windows: the dialog captioned as `script` says gets the script once (and
// -2, `leftOpen` set, if open 5 s on); other boxes go to `boxes` and close.
struct PlayerRun {
  explicit PlayerRun(const std::string& commandLine) {
    active = this;
    timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, onTimer);
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    started = host.start(commandLine.c_str());
    if (started)
      playerProc = WNDPROC(SetWindowLongPtrW(host.window(), GWLP_WNDPROC, LONG_PTR(&logMessages)));
  }
  ~PlayerRun() {
    if (started && !quit) close();
    KillTimer(nullptr, timer);
    active = nullptr;
  }
  bool runUntil(const std::function<bool()>& done, int timeoutMs = 5000) {  // true if it held
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!quit && std::chrono::steady_clock::now() < end && !done()) {
      quit = !host.turn(exitCode);
      ++turns;
    }
    return done();
  }
  void runFor(int ms) {
    runUntil([] { return false; }, ms);
  }
  int close() {  // the exit code
    if (IsWindow(host.window())) DestroyWindow(host.window());
    runUntil([this] { return quit; });
    return exitCode;
  }
  void command(int id) { SendMessageW(host.window(), WM_COMMAND, WPARAM(id), 0); }
  // The loop's turns over `ms`; the timer that answers modal windows (it
  // would wake the loop) stops meanwhile, and one at the end wakes it.
  long turnsOver(int ms) {
    KillTimer(nullptr, timer);
    const UINT_PTR wake = SetTimer(nullptr, 0, UINT(ms), nullptr);
    const long before = turns;
    runFor(ms);
    KillTimer(nullptr, wake);
    timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, onTimer);
    return turns - before;
  }
  // As the shell drops them: a DROPFILES block, the names, an empty one.
  void drop(const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& file : files) names += file + '\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 1);
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(header + 1, names.data(), names.size());
    GlobalUnlock(block);
    SendMessageW(host.window(), WM_DROPFILES, WPARAM(block), 0);
  }
  void script(std::wstring dialogCaption, std::function<void(HWND)> dialogScript) {
    caption = std::move(dialogCaption);
    script_ = std::move(dialogScript);
    ran = leftOpen = false;
  }
  std::wstring status(int part) const {
    wchar_t text[256] = {};
    SendMessageW(host.bars().statusBar(), SB_GETTEXTW, WPARAM(part), LPARAM(text));
    return text;
  }

  WindowsPlayer host{GetModuleHandleW(nullptr)};
  bool started = false, quit = false, ran = false, leftOpen = false;
  int exitCode = -1;
  long turns = 0;  // of the loop, so far
  std::wstring log, boxes;

 private:
  static inline PlayerRun* active = nullptr;
  static LRESULT CALLBACK logMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PlayerRun& run = *active;
    if (message == WM_INITMENU) run.log += L"menu ";
    if (message == WM_COMMAND) run.log += std::to_wstring(LOWORD(wParam)) + L" ";
    if (message == WM_APP) {
      Sleep(DWORD(wParam));
      run.log += L"|" + run.status(kStatusPosition);
    }
    return CallWindowProcW(run.playerProc, window, message, wParam, lParam);
  }
  static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (active) active->answerModals();
  }
  void answerModals() {
    if (ran && IsWindow(dialog) && GetTickCount() - ranAt > 5000) {
      leftOpen = true;
      EndDialog(dialog, -2);
    }
    // A mark that goes with the window, unlike its handle, which comes back.
    HWND window = GetActiveWindow();
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (!IsWindowVisible(window) || wcscmp(name, L"#32770") || GetPropW(window, L"seen")) return;
    SetPropW(window, L"seen", window);
    const std::wstring title = windowText(window);
    if (!ran && script_ && caption == title) {
      ran = true;
      dialog = window;
      ranAt = GetTickCount();
      script_(window);
    } else {
      boxes += title + L": " + windowText(window, 0xFFFF) + L"; ";  // a message box's text
      PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
  }

  std::wstring caption;
  std::function<void(HWND)> script_;
  HWND dialog = nullptr;
  DWORD ranAt = 0;
  UINT_PTR timer = 0;
  WNDPROC playerProc = nullptr;
};

// The value `name` under the settings key's `subkey` as stored:
// "type:length=value" (a DWORD's number, a string's text).
std::string stored(const std::string& subkey, const char* name) {
  char data[400] = {};
  DWORD type = 0, bytes = sizeof data;
  RegGetValueA(HKEY_CURRENT_USER, (kSettingsKey + subkey).c_str(), name, RRF_RT_ANY, &type, data,
               &bytes);
  return std::to_string(type) + ":" + std::to_string(bytes) + "=" +
         (type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : data);
}

// A named WINAPI function: on 32-bit Windows a lambda has the wrong calling
// convention for the callback.
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

// A looped movie played, each picture when the sound reaches it, and from the
// first again after the last; then paused, copied and torn down.
TEST(WindowsPlayer, SoundPacesEachLoopedFrameThenTheWindowPausesCopiesAndTearsDown) {
  const FilmSpec spec = soundedMovie(5, 0.2, kWidth, kHeight);
  std::vector<std::pair<std::wstring, double>> frames;  // status part 2, seconds of sound
  for (size_t i = 0; i < spec.samples.size(); ++i)
    if (spec.samples[i].info1 != kAudioInfo1)
      frames.emplace_back(std::to_wstring(i), (spec.samples[i].info1 & 0x7FFFFFFF) / double(kRate));
  const std::string path = writeMovie("looped.cpk", buildFilm(spec));
  PlayerRun run(path);
  ASSERT_TRUE(run.started);
  // The sound buffer's format shows in what the black box hears, its size in
  // the write past its end. DirectSound adds where it mixes; no other flag
  // than the requested ones.
  SoundDevice* device = run.host.soundDevice();
  DSBCAPS caps{};
  caps.dwSize = sizeof caps;
  device->soundBuffer->GetCaps(&caps);
  EXPECT_EQ(caps.dwFlags & ~DWORD(DSBCAPS_LOCSOFTWARE | DSBCAPS_LOCHARDWARE), 0x40E2u);
  // A second holder's release leaves the buffer to the player (to pace below).
  device->AddRef();
  EXPECT_EQ(device->Release(), 1u);
  run.command(kCmdLoop);

  // The play cursor's progress, as the buffer tells it, from the first
  // picture (due at 0) on.
  ASSERT_TRUE(run.runUntil([&] { return run.status(kStatusPosition) == frames[0].first; }));
  DWORD last = 0, cursor = 0;
  device->soundBuffer->GetCurrentPosition(&last, nullptr);
  uint64_t played = last;  // the ring starts with the movie
  size_t next = 1;
  run.runUntil([&] {
    device->soundBuffer->GetCurrentPosition(&cursor, nullptr);
    played += (cursor - last) & kRingMask;
    last = cursor;
    if (next < frames.size() && run.status(kStatusPosition) == frames[next].first) {
      const double late = double(played) / kBytesPerSecond - frames[next].second;
      EXPECT_TRUE(late >= 0 && late <= 0.050) << "frame " << next << " " << late;
      ++next;
    }
    return run.status(kStatusState) == L"End." ||
           (next == frames.size() && run.status(kStatusPosition) == frames[0].first);
  });
  ASSERT_EQ(next, frames.size());
  EXPECT_EQ(run.status(kStatusState), L"Play...");

  // Waiting messages all go before the next tick: the picture stands.
  std::wstring shown;
  for (int i = 0; i < 8; ++i) shown += L"|" + run.status(kStatusPosition);
  run.log.clear();
  for (int i = 0; i < 8; ++i) PostMessageW(run.host.window(), WM_APP, 60, 0);
  run.runUntil([&] { return std::count(run.log.begin(), run.log.end(), L'|') == 8; });
  EXPECT_EQ(run.log, shown);

  run.command(kCmdPlayPause);
  DirectSoundRing& ring = run.host.soundRing();
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

  // The paused frame on the clipboard (the window's pixels: the black box).
  const uint32_t* frame = run.host.player().buffers.decodedFrame.get();
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

  // What opening stored is gone; only the teardown can write it again.
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  EXPECT_EQ(run.close(), 0);
  EXPECT_EQ(stored("\\MRU0", "path"), "1:260=" + path);
  EXPECT_EQ(run.host.soundDevice(), nullptr);
  EXPECT_EQ(run.host.video().directDraw, nullptr);
}

// While a looped movie plays, another thread switches the window between x1,
// x2 and full screen, twice; once each switch is done the window answers
// within 100 ms, the picture has its size between the bars, or the whole
// screen without menu or bars. A window that hangs ends the test program.
TEST(WindowsPlayer, WindowAnswersAfterEachZoomAndFullScreenSwitch) {
  PlayerRun run(writeMovie("zoomed.cpk", buildFilm(soundedMovie(20, 0.1, kWidth, kHeight))));
  ASSERT_TRUE(run.started);
  run.command(kCmdLoop);
  ASSERT_TRUE(run.runUntil([&] { return !run.status(kStatusPosition).empty(); }));
  HWND window = run.host.window();
  const int bars = run.host.player().shell.toolbarHeight + run.host.player().shell.statusBarHeight;
  const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  // The message (a command, or a click that leaves full screen) and the zoom
  // it leads to (0: full screen).
  const std::tuple<UINT, int, int> switches[] = {
      {WM_COMMAND, kCmdZoom2, 2}, {WM_COMMAND, kCmdZoom1, 1}, {WM_COMMAND, kCmdFullScreen, 0},
      {WM_LBUTTONDOWN, 0, 1},     {WM_COMMAND, kCmdZoom2, 2}, {WM_COMMAND, kCmdFullScreen, 0},
      {WM_LBUTTONDOWN, 0, 1},     {WM_COMMAND, kCmdZoom2, 2}};
  std::atomic<bool> done{false};
  std::wstring answers;
  std::thread user([&] {
    const auto send = [window](UINT message, WPARAM wParam, UINT timeoutMs) {
      return SendMessageTimeoutW(window, message, wParam, 0, SMTO_NORMAL, timeoutMs, nullptr) != 0;
    };
    for (const auto& [message, command, zoom] : switches) {
      if (!send(message, WPARAM(command), 10000) || !send(WM_NULL, 0, 5000)) {
        // The window's thread hangs and the test cannot finish: say where and end here.
        std::fprintf(stderr, "the window hangs after message %u %d\n", message, command);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 1);
      }
      Sleep(50);
      const SIZE picture = zoom ? SIZE{zoom * kWidth, zoom * kHeight} : screen;
      const WindowLayout& layout = run.host.layout();
      RECT client{};
      GetClientRect(window, &client);
      answers += std::to_wstring(layout.displayWidth == picture.cx &&
                                 layout.displayHeight == picture.cy && client.right == picture.cx &&
                                 client.bottom == picture.cy + (zoom ? bars : 0)) +
                 (send(WM_NULL, 0, 100) ? L"a " : L"- ");
    }
    done = true;
  });
  run.runUntil([&] { return done.load(); }, 60000);
  user.join();
  EXPECT_EQ(answers, L"1a 1a 1a 1a 1a 1a 1a 1a ");
  EXPECT_EQ(run.status(kStatusState), L"Play...");
  // Full screen twice neither leaks nor loses a surface, and gives the menu back.
  EXPECT_EQ(liveSurfaces(run.host.video().directDraw), 3);
  EXPECT_EQ(GetMenu(window), run.host.menu());
}

// The loop rests while the tick has nothing to do: paused or at "End." it
// turns only when woken, and while a 10 frames/s movie plays a few dozen
// times a second; a loop that never waits turns thousands of times.
TEST(WindowsPlayer, LoopRestsUntilTheTickHasWork) {
  PlayerRun run(writeMovie("resting.cpk", buildFilm(soundedMovie(30, 0.1, kWidth, kHeight))));
  ASSERT_TRUE(run.started);
  ASSERT_TRUE(run.runUntil([&] { return !run.status(kStatusPosition).empty(); }));
  EXPECT_LT(run.turnsOver(1000), 250);  // playing
  run.command(kCmdPlayPause);
  EXPECT_LT(run.turnsOver(1000), 50);  // paused
  run.command(kCmdPlayPause);
  ASSERT_TRUE(run.runUntil([&] { return run.status(kStatusState) == L"End."; }));
  EXPECT_LT(run.turnsOver(1000), 50);  // at the end
}

TEST(WindowsPlayer, TraceOptionShowsEachStartUpStepInOrderAndAFailedStepEndsTheSetUp) {
  PlayerRun run("-1");
  ASSERT_TRUE(run.started);
  const std::wstring steps =
      L"InitialNuvandGL CreateStatusBar CreateToolBar GetDC GetDeviceCaps CreateDirectDraw "
      L"CreatePalette CreateSurface SetupDirectDraw CreatePrimarySurface CreateDirectDrawClipper "
      L"DirectDraw:SetHWnd DirectDraw:SetClipper CreateBackSurface#0 CreateBackSurface#1 "
      L"ClearBackSurface#0 ClearBackSurface#1 Initial24to16 Check555or565 InitialNGLDirectSound "
      L"ResetTimer MallocMemory CheckRegistry UpdateMRUFile WindowResize ResetToolStatusBar "
      L"CommandLineCheck InitialComplete";
  EXPECT_EQ(run.boxes, std::regex_replace(steps, std::wregex(L"(\\S+) ?"), L"DRELLIX Debug: $1; "));

  // Exclusive access without full screen is refused.
  VideoOutput& video = run.host.video();
  video.releaseSurfaces();
  run.boxes.clear();
  StepReporter reporter(run.host.player());
  EXPECT_EQ(video.setupDirectDraw(run.host.window(), DDSCL_EXCLUSIVE, reporter), 1u);
  EXPECT_EQ(run.boxes,
            L"DRELLIX Debug: SetupDirectDraw; DRELLIX Error: DD:SetCooperativeLevel\n00000001; ");
  EXPECT_EQ(liveSurfaces(video.directDraw), 0);
}

// Run by the test script on an 8-bit display (elsewhere skipped): the window
// shows the last picture in the colours of the palette's cube, as near as the
// display's shared colour cells allow.
TEST(EightBitDisplay, WindowShowsThePictureInTheCubeColours) {
  PlayerRun run(writeMovie("eightbit.cpk", buildFilm(soundedMovie(3, 0.1, kWidth, kHeight))));
  ASSERT_TRUE(run.started);
  if (run.host.video().pixelFormat.formatCode != 8) GTEST_SKIP() << "not an 8-bit display";
  ASSERT_TRUE(run.runUntil([&] { return run.status(kStatusState) == L"End."; }));
  HWND window = run.host.window();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetDC(window);
  const uint32_t* frame = run.host.player().buffers.decodedFrame.get();
  const int top = run.host.player().shell.toolbarHeight;
  int matching = 0, points = 0;
  for (int y = 4; y < kHeight; y += 8) {
    for (int x = 4; x < kWidth; x += 8, ++points) {
      const uint32_t pixel = frame[y * kWidth + x];
      const COLORREF shown = GetPixel(dc, x, top + y);
      bool close = true;
      for (int c = 0; c < 3; ++c) {  // red, green, blue: byte 2, 1, 0 of the pixel
        const int cube = 51 * (3 * int((pixel >> (16 - 8 * c)) & 0xFF) / 128);
        close = close && std::abs(int((shown >> (8 * c)) & 0xFF) - cube) <= 64;
      }
      matching += close;
    }
  }
  ReleaseDC(window, dc);
  EXPECT_GE(matching, points * 9 / 10) << matching << " of " << points;
}

// Run by the test script in an environment without a sound server.
TEST(NoSoundServer, StartUpStopsAtTheSoundDeviceWithItsBox) {
  PlayerRun run("");
  EXPECT_FALSE(run.started);
  EXPECT_EQ(run.boxes, L"Error: DirectSoundが使用できません\n00000001; ");
}

// Two drops of two files, each opening the first, the last played to its
// end: the title, the recent files (newest first, then the File menu's
// separator), the menu (Play/Pause, Property, Search header, Full screen: G
// grayed, D disabled, E enabled), the buttons (replay, play/pause, next, loop,
// prev: e enabled, - not, p pressed) and status parts 1, 3 and 4 as the core
// set them; then each View command on the bars, with the picture's height
// kept between them and the bars' word stored.
TEST(MainWindow, TheCoreReachesTheTitleMenusButtonsAndBars) {
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  const std::string first = writeMovie("first.cpk", buildFilm(soundedMovie(1, 0.1)));
  const std::string walk = writeMovie("walk.cpk", buildFilm(soundedMovie(3, 0.1, kWidth, kHeight)));
  run.drop({first, walk});
  run.drop({walk, first});
  ASSERT_TRUE(run.runUntil([&] { return run.status(kStatusState) == L"End."; }));
  EXPECT_EQ(windowText(run.host.window()), L"walk.cpk - Zentrov");
  std::string recent;
  HMENU file = GetSubMenu(run.host.menu(), 0);
  for (UINT n = 3; n < 5; ++n) {
    char text[300] = {};
    GetMenuStringA(file, n, text, 300, MF_BYPOSITION);
    recent += text + ("=" + std::to_string(GetMenuItemID(file, int(n)))) + "; ";
  }
  EXPECT_EQ(recent, "&1 " + walk + "=40100; &2 " + first + "=40101; ");
  EXPECT_EQ(GetMenuState(file, 5, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));

  std::wstring shown;
  for (int id : {kCmdPlayPause, kCmdProperty, kCmdSearchHeader, kCmdFullScreen}) {
    const UINT state = GetMenuState(run.host.menu(), UINT(id), MF_BYCOMMAND);
    shown += (state & MF_GRAYED) ? L'G' : (state & MF_DISABLED) ? L'D' : L'E';
  }
  HWND toolbar = run.host.bars().toolbar();
  for (int id : {kCmdReplay, kCmdPlayPause, kCmdNextFrame, kCmdLoop, kCmdPrevFrame}) {
    const auto state = SendMessageW(toolbar, TB_GETSTATE, WPARAM(id), 0);
    shown += std::wstring(L" ") + ((state & TBSTATE_ENABLED) ? L"e" : L"-") +
             ((state & TBSTATE_CHECKED) ? L"p" : L"");
  }
  shown += L" " + run.status(1) + L"|" + run.status(3) + L"|" + run.status(4);
  EXPECT_EQ(shown, L"DEEG e -p - e - End.|320x224|----");

  // The toolbar hidden, flat or in buttons, its rows of labels, its buttons' width.
  const std::pair<int, const wchar_t*> views[] = {
      {kCmdToolbarFlat, L"flat 0 w16"},     {kCmdToolbarAddString, L"flat 2 w48"},
      {kCmdToolbarHide, L"hidden 2 w48"},   {kCmdStatusBar, L"hidden 2 w48"},
      {kCmdToolbarButton, L"button 2 w48"}, {kCmdToolbarAddString, L"button 0 w16"}};
  const ShellState& shell = run.host.player().shell;
  for (const auto& [command, looks] : views) {
    run.command(command);
    run.runFor(20);
    const bool flat = SendMessageW(toolbar, TB_GETSTYLE, 0, 0) & TBSTYLE_FLAT;
    const int width = LOWORD(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0));
    std::wstring look = IsWindowVisible(toolbar) ? flat ? L"flat " : L"button " : L"hidden ";
    look += std::to_wstring(SendMessageW(toolbar, TB_GETTEXTROWS, 0, 0));
    EXPECT_EQ(look + (width <= 16 ? L" w16" : width <= 48 ? L" w48" : L" wider"), looks) << command;
    RECT client{}, bar{};
    GetClientRect(run.host.window(), &client);
    GetWindowRect(toolbar, &bar);
    EXPECT_EQ(shell.toolbarHeight, IsWindowVisible(toolbar) ? bar.bottom - bar.top : 0);
    EXPECT_EQ(!shell.statusBarHeight, !IsWindowVisible(run.host.bars().statusBar()));
    EXPECT_EQ(client.bottom,
              shell.toolbarHeight + shell.statusBarHeight + run.host.layout().displayHeight);
  }
  EXPECT_EQ(stored("", "TlStBar"), "4:4=1");  // button, no labels, no status bar

  // A name longer than the name buffer is cut to fit it (and is not found).
  run.drop({std::string(300, 'x'), first});
  EXPECT_EQ(run.host.player().shell.recentFiles[0], std::string(259, 'x'));
  EXPECT_EQ(run.boxes, L"Error: File not found.; ");
}

// Ctrl+P, through the accelerator table: in the window the menu opens first
// (which pauses) and a grayed item sends nothing; in full screen, without a
// menu, the command comes alone.
TEST(MainWindow, AcceleratorsGoThroughTheMenuInTheWindowOnly) {
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  const auto controlP = [&run] {
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;  // held while the loop translates the key
    SetKeyboardState(keys);
    run.log.clear();
    PostMessageW(run.host.window(), WM_KEYDOWN, 'P', 1);
    PostMessageW(run.host.window(), WM_APP, 0, 0);
    run.runUntil([&] { return run.log.find(L'|') != std::wstring::npos; });
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    return run.log.substr(0, run.log.find(L'|'));
  };
  EXPECT_EQ(controlP(), L"menu ");
  run.command(kCmdFullScreen);
  EXPECT_EQ(controlP(), std::to_wstring(kCmdPlayPause) + L" ");
}

// What the Search header dialog does to its list while it scans.
std::wstring listOps;
WNDPROC listProc = nullptr;

LRESULT CALLBACK recordList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::wstring at = L" " + std::to_wstring(int(wParam));
  const auto text = [&] { return L" " + std::wstring(reinterpret_cast<const wchar_t*>(lParam)); };
  if (message == LB_RESETCONTENT) listOps += L"reset; ";
  if (message == LB_ADDSTRING) listOps += L"add" + text() + L"; ";
  if (message == LB_INSERTSTRING) listOps += L"insert" + at + text() + L"; ";
  if (message == LB_SETTOPINDEX) listOps += L"top" + at + L"; ";
  if (message == LB_SETCURSEL) listOps += L"select" + at + L"; ";
  if (message == WM_PAINT) listOps += L"paint; ";
  return CallWindowProcW(listProc, list, message, wParam, lParam);
}

// Two movies in one file: at 0 one with a full table whose first entries are
// audio, at 614,400 one with a larger picture.
TEST(Dialogs, AboutPropertyAndSearchHeaderInThePlayer) {
  FilmSpec first = soundedMovie(1, 0.25);
  first.samples.resize(8191, audioSample({0, 0, 0, 0}));
  first.samples[8000] = videoSample({}, 0x1234, false, -7);
  std::vector<uint8_t> film = buildFilm(first);
  const FilmSpec second = soundedMovie(1, 0.25, 96, 64);
  placeAt(film, 614400, buildFilm(second));
  PlayerRun run(writeMovie("twomovies.cpk", film));
  ASSERT_TRUE(run.started);

  // About: the version and the features, each box read before and after a click.
  const std::wstring features =
      std::to_wstring(IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE)) +
      std::to_wstring(IsProcessorFeaturePresent(PF_3DNOW_INSTRUCTIONS_AVAILABLE));
  std::wstring about;
  run.script(L"About Zentrov", [&](HWND dialog) {
    about = windowText(dialog, IDC_ABOUT_VERSION) + L" ";
    for (int id : {IDC_ABOUT_MMX, IDC_ABOUT_3DNOW, IDC_ABOUT_MMX, IDC_ABOUT_3DNOW}) {
      about += std::to_wstring(IsDlgButtonChecked(dialog, id));
      SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
    }
    SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(runAboutDialog(run.host.dialogs().host()), IDOK);
  EXPECT_EQ(about, L"Version.2.04 " + features + features);  // clicks do not change them
  EXPECT_TRUE(run.ran && !run.leftOpen);

  // Property: the values, then, under More>>, the table's rows.
  run.script(L"Property", [&](HWND dialog) {
    std::wstring seen;
    for (int id : {IDC_PROPERTY_FRAME_SIZE, IDC_PROPERTY_TOTAL_FRAME, IDC_PROPERTY_FRAME_RATE_BASE,
                   IDC_PROPERTY_AUDIO_CH, IDC_PROPERTY_PCM_BIT, IDC_PROPERTY_PCM_FREQUENCY,
                   IDC_PROPERTY_PCM_FORMAT})
      seen += windowText(dialog, id) + L" ";
    SendDlgItemMessageW(dialog, IDC_PROPERTY_MORE, BM_CLICK, 0, 0);
    HWND list = GetDlgItem(dialog, IDC_PROPERTY_LIST);
    seen += std::to_wstring(ListView_GetItemCount(list)) + L": ";
    const int rows[] = {0, 3, 8000, 8190};  // audio, a key frame, a frame after it, the last
    for (int cell = 0; cell < 16; ++cell) {
      wchar_t text[32] = {};
      ListView_GetItemText(list, rows[cell / 4], cell % 4, text, 32);
      seen += text + std::wstring(cell % 4 < 3 ? L"," : L"; ");
    }
    EXPECT_EQ(seen,
              L"64x48 8191 44100 2ch 16bit 44100Hz PCM 8191: "
              L"0,AUDIO,0,; 3,0,0,KEY; 8000,4660,-7,; 8190,AUDIO,0,; ");
    SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
  });
  run.command(kCmdProperty);
  EXPECT_TRUE(run.ran && !run.leftOpen);

  // Search header: the lines and selection before a scan, each find shown at
  // once above "Search...", the lines after it; then a line chosen, the end
  // (Cancel, 0: a double-click on the line, or OK) and the title that follows.
  const struct {
    const wchar_t *lines, *selected, *title;
    int line, ending;
  } choices[] = {{L"1", L"0", L"twomovies.cpk - Zentrov", 1, IDCANCEL},
                 {L"2", L"0", L"twomovies.cpk:1 - Zentrov", 1, 0},
                 {L"2", L"1", L"twomovies.cpk:0 - Zentrov", 0, IDOK}};
  for (const auto& choice : choices) {
    run.script(L"Search header", [&](HWND dialog) {
      HWND list = GetDlgItem(dialog, IDC_SEARCH_LIST);
      listOps = windowText(dialog, IDCANCEL) + L" " +
                std::to_wstring(SendMessageW(list, LB_GETCOUNT, 0, 0)) + L" " +
                std::to_wstring(SendMessageW(list, LB_GETCURSEL, 0, 0)) + L"; ";
      listProc = WNDPROC(SetWindowLongPtrW(list, GWLP_WNDPROC, LONG_PTR(recordList)));
      SendDlgItemMessageW(dialog, IDC_SEARCH_BUTTON, BM_CLICK, 0, 0);
      SetWindowLongPtrW(list, GWLP_WNDPROC, LONG_PTR(listProc));
      EXPECT_EQ(listOps, L"ｷｬﾝｾﾙ " + std::wstring(choice.lines) + L" " + choice.selected +
                             L"; reset; add Search...; paint; insert 0 0 = 00000000; top 1; paint; "
                             L"insert 1 1 = 00096000; top 2; paint; reset; add 0 = 00000000; "
                             L"add 1 = 00096000; select " +
                             std::wstring(choice.selected) + L"; top " + choice.selected + L"; ");
      SendMessageW(list, LB_SETCURSEL, WPARAM(choice.line), 0);
      if (choice.ending) return (void)SendDlgItemMessageW(dialog, choice.ending, BM_CLICK, 0, 0);
      SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    });
    run.command(kCmdSearchHeader);
    EXPECT_TRUE(run.ran && !run.leftOpen);
    EXPECT_EQ(windowText(run.host.window()), choice.title);
  }
}

}  // namespace
}  // namespace zentrov::win32
