#pragma once
// Start-up and teardown: the fixed series of named steps a host runs once
// before its message loop, and its mirror when the main window is
// destroyed. The core runs the steps, traces them and reports their
// failures; the host supplies only the steps that need the platform.

#include <cstdint>

namespace zentrov {

struct Player;
struct WorkBuffers;

extern const char* const kDebugCaption;       // "DRELLIX Debug"
extern const char* const kSetupErrorCaption;  // "DRELLIX Error"

// The trace and error boxes of the named set-up steps, for the core's steps
// and for a host's own (the display set-up, also when it is run again on
// entering or leaving full screen).
class StepReporter {
 public:
  explicit StepReporter(Player& player) : player_(player) {}

  // When bit 0 of debugFlags is set, a "DRELLIX Debug" box with the step's
  // name, dismissed before the step runs; otherwise nothing.
  void traceStep(const char* name);
  // Records the failure flag of the step just run: 0 or 1.
  void setSetupFailed(uint32_t code);
  // A "DRELLIX Error" box reading "%s\n%08X" with `text` and the failure
  // flag (at most 255 characters). Returns the flag.
  uint32_t reportError(const char* text);

 private:
  Player& player_;
};

// The steps of start-up and teardown that need the platform, one method per
// step, called in the order declared and at most once each. The core traces
// each named step before calling it.
class PlatformSteps {
 public:
  virtual ~PlatformSteps() = default;

  // Registers the window class, creates the main window (hidden) with its
  // menu and accelerators, loads the cursors. False ends start-up with no
  // message.
  virtual bool createMainWindow() = 0;
  // "InitialNuvandGL": records the program's and window's handles, detects
  // the processor's features, initialises the common controls.
  virtual void initialNuvandGL() = 0;
  // "CreateStatusBar", "CreateToolBar" (with its labels): both hidden.
  virtual void createStatusBar() = 0;
  virtual void createToolBar() = 0;
  // "GetDC": the window's device context, kept until teardown.
  virtual void getDC() = 0;
  // "GetDeviceCaps": the display depth, the first guess of the pixel format.
  virtual void getDeviceCaps() = 0;
  // "CreateDirectDraw": false when the display object cannot be made; the
  // core then reports it.
  virtual bool createDirectDraw() = 0;
  // "CreatePalette": the 8-bit display palette (nothing at other depths);
  // false when its work block cannot be allocated; the core reports it.
  virtual bool createPalette() = 0;
  // "CreateSurface": the windowed display set-up. Traces its own steps and
  // reports its own failure through `reporter`; returns 0 when ready, else
  // the failure flag.
  virtual uint32_t createSurface(StepReporter& reporter) = 0;
  // "InitialNGLDirectSound": the sound device and its 1 MiB ring. Shows its
  // own "Error" box on failure; returns 0 when ready, else the failure flag.
  virtual uint32_t initialNGLDirectSound() = 0;
  // After "UpdateMRUFile", untraced: prepares the open-file dialog.
  virtual void prepareOpenFileDialog() = 0;

  // Teardown, after the current file has been remembered.
  virtual void releasePalette() = 0;
  // The surfaces, then the display object, each only if it exists.
  virtual void releaseDirectDraw() = 0;
  virtual void releaseSoundDevice() = 0;
  // After the buffers are freed and the movie closed.
  virtual void releaseWindowDC() = 0;
  // Ends the message loop with exit code 0.
  virtual void postQuit() = 0;
};

// Installs the shell's part of opening a movie (the recent-file list) on
// `player`. initialApplication does it; a player run without start-up calls
// it itself.
void attachShell(Player& player);

// Allocates the five working buffers in order, each only if missing. Returns
// nullptr when all exist, else the text of the first one that could not be
// allocated ("not enough memory(stab)" ...); those before it stay.
const char* allocateWorkBuffers(WorkBuffers& buffers);

// The start-up sequence, after the command line was parsed into the player.
// True when the player is ready for its message loop; false after a failed
// step, whose box has been shown (none when the window failed).
bool initialApplication(Player& player, PlatformSteps& steps);

// The teardown on the main window's destruction: the current file is
// remembered, the platform's objects released, the buffers freed, the movie
// closed and the loop told to end. The player is not used again after it.
void onDestroy(Player& player, PlatformSteps& steps);

}  // namespace zentrov
