#pragma once
// The real Windows player started in-process, with helpers to drive its
// message loop and to make movies for it.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/film_writer.h"
#include "win32/windows_player.h"

namespace zentrov::win32::test {

using zentrov::test::FilmSpec;

constexpr char kSettingsKey[] = "Software\\NUVAND\\Zentrov";

// A movie with 16-bit stereo sound at 44,100 Hz and the time base at the same
// rate, so that a stamp counts sound frames: `frames` pattern pictures of
// `width` x `height`, `secondsApart` apart, each after the sound that plays
// until it and the quarter of a second after it (a 440 Hz tone).
FilmSpec tonedMovie(int frames, double secondsApart, uint16_t width = 64, uint16_t height = 48);
// Writes `spec` into the temporary folder as `name`; returns its path.
std::string writeMovie(const std::string& name, const FilmSpec& spec);

// The player started on `commandLine` with no stored settings.
class PlayerRun {
 public:
  explicit PlayerRun(const std::string& commandLine);
  ~PlayerRun();
  PlayerRun(const PlayerRun&) = delete;
  PlayerRun& operator=(const PlayerRun&) = delete;

  // Turns the loop until `done` holds or `timeoutMs` passed; true if it held.
  bool runUntil(const std::function<bool()>& done, int timeoutMs = 5000);
  // Turns the loop for `ms` milliseconds.
  void runFor(int ms);
  // Closes the window and turns the loop to its quit message.
  int close();

  std::wstring statusText(int part) const;
  std::wstring title() const;
  SIZE clientSize() const;

  WindowsPlayer host{GetModuleHandleW(nullptr)};
  bool started = false;
  bool quit = false;
  int exitCode = -1;
};

// Deletes the player's settings key with everything under it.
void deleteSettings();

}  // namespace zentrov::win32::test
