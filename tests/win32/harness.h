#pragma once
// The real Windows player started in-process under Wine, its loop turned by
// the test, its boxes and dialogs answered; movies made for it.

#include <windows.h>

#include <commctrl.h>
#include <ddraw.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "playback/command_ids.h"
#include "support/cinepak_encoder.h"
#include "support/film_writer.h"
#include "win32/windows_player.h"

namespace zentrov::win32::test {

// `frames` pattern pictures `secondsApart` apart, each after the sound that
// lasts until a quarter second past it: 16-bit stereo at 44,100 Hz, and the
// time base at that rate.
inline zentrov::test::FilmSpec soundedMovie(int frames, double secondsApart, uint16_t width = 64,
                                            uint16_t height = 48) {
  constexpr uint32_t kRate = 44100;
  zentrov::test::FilmSpec spec;
  spec.width = width;
  spec.height = height;
  spec.audioChannels = 2;
  spec.sampleRate = kRate << 16;
  spec.timeBase = int32_t(kRate);
  uint32_t written = 0;  // sound frames
  for (uint32_t k = 0; k < uint32_t(frames); ++k) {
    const auto stamp = uint32_t(k * secondsApart * kRate);
    for (uint32_t count; written < stamp + kRate / 4; written += count) {
      count = std::min(stamp + kRate / 4 - written, kRate / 8);
      spec.samples.push_back(zentrov::test::audioSample(std::vector<uint8_t>(count * 4)));
    }
    spec.samples.push_back(zentrov::test::videoSample(
        zentrov::test::patternCinepakFrame(width, height, k + 1).encode(), stamp));
  }
  return spec;
}

// Puts a FILM file into the temporary folder; returns its path.
inline std::string writeMovie(const std::string& name, const std::vector<uint8_t>& film) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  std::ofstream(folder + name, std::ios::binary)
      .write(reinterpret_cast<const char*>(film.data()), std::streamsize(film.size()));
  return folder + name;
}

inline std::string soundedMovie(const std::string& name, int frames = 3, double secondsApart = 0.1,
                                uint16_t width = 64, uint16_t height = 48) {
  return writeMovie(name,
                    zentrov::test::buildFilm(soundedMovie(frames, secondsApart, width, height)));
}

constexpr char kSettingsKey[] = "Software\\NUVAND\\Zentrov";

// The player on `commandLine` with no stored settings. Its window logs into
// `log` each menu opening ("menu "), command ("40014 ") and WM_APP ("|" and
// status part 2, after sleeping wParam ms). Its modal windows are answered
// from a timer their own loops run: the dialog captioned as `script` says
// gets the script once (and -2, with `leftOpen` set, if still open 5 s on);
// any other box is logged in `boxes` as "caption: text; " and closed.
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
    while (!quit && std::chrono::steady_clock::now() < end && !done()) quit = !host.turn(exitCode);
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

  // As the shell drops them: a DROPFILES block, each name with its
  // terminator, and a final one.
  void drop(const std::vector<std::string>& files) {
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& file : files) bytes += file.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    char* name = reinterpret_cast<char*>(header + 1);
    for (const std::string& file : files) name = std::strcpy(name, file.c_str()) + file.size() + 1;
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
  std::wstring title() const {
    wchar_t text[300] = {};
    GetWindowTextW(host.window(), text, 300);
    return text;
  }
  SIZE clientSize() const {
    RECT client{};
    GetClientRect(host.window(), &client);
    return SIZE{client.right, client.bottom};
  }

  WindowsPlayer host{GetModuleHandleW(nullptr)};
  bool started = false, quit = false, ran = false, leftOpen = false;
  int exitCode = -1;
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
    wchar_t name[16] = {}, title[256] = {}, text[512] = {};
    GetClassNameW(window, name, 16);
    if (!IsWindowVisible(window) || wcscmp(name, L"#32770") || GetPropW(window, L"seen")) return;
    SetPropW(window, L"seen", window);
    GetWindowTextW(window, title, 256);
    if (!ran && script_ && caption == title) {
      ran = true;
      dialog = window;
      ranAt = GetTickCount();
      script_(window);
    } else {
      GetDlgItemTextW(window, 0xFFFF, text, 512);  // a message box's text
      boxes += std::wstring(title) + L": " + text + L"; ";
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

// Key `path` of the user's registry read back: "name:type:length=value " for
// each value (a DWORD's number, a string's text), then each subkey's values
// after its name and "/".
inline std::string stored(const std::string& path, const std::string& prefix = "") {
  std::string out;
  HKEY key = nullptr;
  char name[64], data[400];
  DWORD length = 64, type, bytes = sizeof data;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key)) return out;
  for (DWORD i = 0; !RegEnumValueA(key, i++, name, &length, nullptr, &type, LPBYTE(data), &bytes);
       length = 64, bytes = sizeof data)
    out += prefix + name + ":" + std::to_string(type) + ":" + std::to_string(bytes) + "=" +
           (type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : data) + " ";
  for (DWORD i = 0; length = 64, !RegEnumKeyExA(key, i++, name, &length, 0, 0, 0, 0);)
    out += stored(path + "\\" + name, name + std::string("/"));
  RegCloseKey(key);
  return out;
}

inline HRESULT WINAPI countSurface(IDirectDrawSurface* surface, DDSURFACEDESC*, void* count) {
  ++*static_cast<int*>(count);
  surface->Release();
  return DDENUMRET_OK;
}
inline int liveSurfaces(IDirectDraw* directDraw) {
  int count = 0;
  directDraw->EnumSurfaces(DDENUMSURFACES_DOESEXIST | DDENUMSURFACES_ALL, nullptr, &count,
                           countSurface);
  return count;
}

inline std::wstring controlText(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

inline void click(HWND dialog, int id) {  // as the mouse does
  SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

}  // namespace zentrov::win32::test
