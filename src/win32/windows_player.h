#pragma once
// The Windows player: one player object on the main window, DirectDraw and
// DirectSound. It supplies the core's ports and platform steps, runs the
// message loop with its idle tick and turns window messages into the core's
// calls. Every decision stays in the core.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "playback/player.h"
#include "shell/startup.h"
#include "win32/direct_sound_ring.h"
#include "win32/registry_settings.h"
#include "win32/sound_device.h"
#include "win32/video_output.h"
#include "win32/window_bars.h"
#include "win32/window_controls.h"
#include "win32/window_dialogs.h"
#include "win32/window_frames.h"

namespace zentrov::win32 {

extern const wchar_t kWindowClass[];  // "ZentrovClass"

class WindowsPlayer : public PlatformSteps {
 public:
  explicit WindowsPlayer(HINSTANCE instance);
  ~WindowsPlayer() override;
  WindowsPlayer(const WindowsPlayer&) = delete;
  WindowsPlayer& operator=(const WindowsPlayer&) = delete;

  // Reads the command line (the text after the program name) and runs the
  // start-up sequence. False when a step failed; its box has been shown.
  bool start(const char* commandLine);
  // Runs the message loop until the quit message; returns its exit code.
  int run();
  // One turn of the loop: one waiting message handled, or else one playback
  // tick and a rest until the next message or the tick's next work. False
  // once the quit message was taken, with its exit code.
  bool turn(int& exitCode);

  Player& player() { return player_; }
  HWND window() const { return window_; }
  HMENU menu() const { return menu_; }
  VideoOutput& video() { return video_; }
  SoundDevice* soundDevice() const { return soundDevice_; }
  DirectSoundRing& soundRing() { return sound_; }
  const WindowDialogs& dialogs() const { return dialogs_; }
  WindowBars& bars() { return bars_; }
  const WindowBars& bars() const { return bars_; }
  const WindowLayout& layout() const { return frames_.layout(); }

  // Start-up and teardown steps that need Windows.
  bool createMainWindow() override;
  void initialNuvandGL() override;
  void createStatusBar() override;
  void createToolBar() override;
  void getDC() override;
  void getDeviceCaps() override;
  bool createDirectDraw() override;
  bool createPalette() override;
  uint32_t createSurface(StepReporter& reporter) override;
  uint32_t initialNGLDirectSound() override;
  void prepareOpenFileDialog() override;
  void releasePalette() override;
  void releaseDirectDraw() override;
  void releaseSoundDevice() override;
  void releaseWindowDC() override;
  void postQuit() override;

 private:
  static LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void onDropFiles(HDROP drop);
  void rest(int32_t delayMs);
  void setFineTimer(bool on);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HMENU menu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HCURSOR arrowCursor_ = nullptr;
  HCURSOR waitCursor_ = nullptr;
  bool fineTimer_ = false;  // timeBeginPeriod(1) in force

  VideoOutput video_;
  SoundDevice* soundDevice_ = nullptr;

  WindowBars bars_;
  DirectSoundRing sound_{soundDevice_};
  WindowFrames frames_{video_, bars_};
  WindowControls controls_{bars_};
  RegistrySettings settings_;
  WindowDialogs dialogs_;
  Player player_;
};

}  // namespace zentrov::win32
