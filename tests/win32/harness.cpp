#include "harness.h"

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "support/cinepak_encoder.h"

namespace zentrov::win32::test {
namespace {

constexpr uint32_t kRate = 44100;
PlayerRun* activeRun = nullptr;

LRESULT CALLBACK logMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PlayerRun& run = *activeRun;
  if (message == WM_INITMENU) run.log += L"menu ";
  if (message == WM_COMMAND) run.log += std::to_wstring(LOWORD(wParam)) + L" ";
  if (message == WM_APP) {
    Sleep(DWORD(wParam));
    run.log += L"|" + run.status(kStatusPosition);
  }
  return CallWindowProcW(run.playerProc, window, message, wParam, lParam);
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (activeRun) activeRun->answerModals();
}

// A mark that goes with the window, unlike its handle, which comes back.
BOOL CALLBACK addUnseenDialog(HWND window, LPARAM list) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (IsWindowVisible(window) && !GetPropW(window, L"seen") && !wcscmp(name, L"#32770"))
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

HRESULT WINAPI countSurface(IDirectDrawSurface* surface, DDSURFACEDESC*, void* count) {
  ++*static_cast<int*>(count);
  surface->Release();
  return DDENUMRET_OK;
}

}  // namespace

zentrov::test::FilmSpec soundedMovie(int frames, double secondsApart, uint16_t width,
                                     uint16_t height) {
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

std::string soundedMovie(const std::string& name, int frames, double secondsApart, uint16_t width,
                         uint16_t height) {
  return writeMovie(name,
                    zentrov::test::buildFilm(soundedMovie(frames, secondsApart, width, height)));
}

std::string writeMovie(const std::string& name, const std::vector<uint8_t>& film) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path = folder + name;
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(film.data(), 1, film.size(), file);
    std::fclose(file);
  }
  return path;
}

PlayerRun::PlayerRun(const std::string& commandLine) {
  activeRun = this;
  timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, onTimer);
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  started = host.start(commandLine.c_str());
  if (started)
    playerProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(host.window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&logMessages)));
}

PlayerRun::~PlayerRun() {
  if (started && !quit) close();
  KillTimer(nullptr, timer);
  activeRun = nullptr;
}

void PlayerRun::script(std::wstring dialogCaption, std::function<void(HWND)> script) {
  caption = std::move(dialogCaption);
  dialogScript = std::move(script);
  ran = leftOpen = false;
}

void PlayerRun::answerModals() {
  if (ran && IsWindow(dialog) && GetTickCount() - ranAt > 5000) {
    leftOpen = true;
    EndDialog(dialog, -2);
  }
  std::vector<HWND> shown;
  EnumThreadWindows(GetCurrentThreadId(), addUnseenDialog, reinterpret_cast<LPARAM>(&shown));
  for (HWND window : shown) {
    SetPropW(window, L"seen", window);
    wchar_t title[256] = {}, text[512] = {};
    GetWindowTextW(window, title, 256);
    if (!ran && dialogScript && caption == title) {
      ran = true;
      dialog = window;
      ranAt = GetTickCount();
      dialogScript(window);
    } else {
      GetDlgItemTextW(window, 0xFFFF, text, 512);  // a message box's text
      boxes += std::wstring(title) + L": " + text + L"; ";
      PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
  }
}

bool PlayerRun::runUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!quit && std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    quit = !host.turn(exitCode);
  }
  return done();
}

int PlayerRun::close() {
  if (IsWindow(host.window())) DestroyWindow(host.window());
  runUntil([this] { return quit; });
  return exitCode;
}

// A DROPFILES block, each name with its terminator, and a final one.
void PlayerRun::drop(const std::vector<std::string>& files) {
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

std::wstring PlayerRun::status(int part) const {
  wchar_t text[256] = {};
  SendMessageW(host.bars().statusBar(), SB_GETTEXTW, WPARAM(part), LPARAM(text));
  return text;
}

std::wstring PlayerRun::title() const {
  wchar_t text[300] = {};
  GetWindowTextW(host.window(), text, 300);
  return text;
}

SIZE PlayerRun::clientSize() const {
  RECT client{};
  GetClientRect(host.window(), &client);
  return SIZE{client.right, client.bottom};
}

std::string stored(const std::string& path, const std::string& prefix) {
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

int liveSurfaces(IDirectDraw* directDraw) {
  int count = 0;
  directDraw->EnumSurfaces(DDENUMSURFACES_DOESEXIST | DDENUMSURFACES_ALL, nullptr, &count,
                           countSurface);
  return count;
}

std::wstring controlText(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

void click(HWND dialog, int id) {
  SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

}  // namespace zentrov::win32::test
