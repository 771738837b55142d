#pragma once
// The real Windows player started in-process under Wine, its loop turned by
// the test, its boxes and dialogs answered; movies made for it.

#include <windows.h>

#include <commctrl.h>
#include <ddraw.h>

#include <functional>
#include <string>
#include <vector>

#include "playback/command_ids.h"
#include "support/film_writer.h"
#include "win32/windows_player.h"

namespace zentrov::win32::test {

// `frames` pattern pictures `secondsApart` apart, each after the sound that
// lasts until a quarter second past it: 16-bit stereo at 44,100 Hz, and the
// time base at that rate. writeMovie puts a FILM file into the temporary
// folder and returns its path; the other soundedMovie writes one too.
zentrov::test::FilmSpec soundedMovie(int frames, double secondsApart, uint16_t width = 64,
                                     uint16_t height = 48);
std::string soundedMovie(const std::string& name, int frames = 3, double secondsApart = 0.1,
                         uint16_t width = 64, uint16_t height = 48);
std::string writeMovie(const std::string& name, const std::vector<uint8_t>& film);

// The player on `commandLine` with no stored settings. Its window logs into
// `log` each menu opening ("menu "), command ("40014 ") and WM_APP ("|" and
// status part 2, after sleeping wParam ms). Its modal windows are answered
// from a timer their own loops run: the dialog captioned as `script` says
// gets the script once (and -2, with `leftOpen` set, if still open 5 s on);
// any other box is logged in `boxes` as "caption: text; " and closed.
struct PlayerRun {
  explicit PlayerRun(const std::string& commandLine);
  ~PlayerRun();
  bool runUntil(const std::function<bool()>& done, int timeoutMs = 5000);  // true if it held
  void runFor(int ms) {
    runUntil([] { return false; }, ms);
  }
  int close();  // the exit code
  void command(int id) { SendMessageW(host.window(), WM_COMMAND, WPARAM(id), 0); }
  void drop(const std::vector<std::string>& files);  // as the shell does
  void script(std::wstring caption, std::function<void(HWND dialog)> script);
  void answerModals();
  std::wstring status(int part) const;
  std::wstring title() const;
  SIZE clientSize() const;

  WindowsPlayer host{GetModuleHandleW(nullptr)};
  bool started = false, quit = false, ran = false, leftOpen = false;
  int exitCode = -1;
  std::wstring log, boxes, caption;
  std::function<void(HWND)> dialogScript;
  HWND dialog = nullptr;
  DWORD ranAt = 0;
  UINT_PTR timer = 0;
  WNDPROC playerProc = nullptr;
};

constexpr char kSettingsKey[] = "Software\\NUVAND\\Zentrov";
// Key `path` of the user's registry read back: "name:type:length=value " for
// each value (a DWORD's number, a string's text), then each subkey's values
// after its name and "/".
std::string stored(const std::string& path, const std::string& prefix = "");
int liveSurfaces(IDirectDraw* directDraw);
std::wstring controlText(HWND dialog, int id);
void click(HWND dialog, int id);  // as the mouse does

}  // namespace zentrov::win32::test
