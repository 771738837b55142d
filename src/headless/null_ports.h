#pragma once
// Ports and platform steps for a player with no window and no sound card:
// the headless host, fuzzing and tests. They keep fixed-size state only, so a
// player wired to them allocates nothing while it plays.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "film/film_format.h"
#include "playback/ports.h"
#include "shell/startup.h"

namespace zentrov {

// Copies `bytes` bytes into a 1 MiB ring at `offset`, continuing at 0 past
// its end.
void copyIntoRing(uint8_t* ring, uint32_t offset, const uint8_t* data, uint32_t bytes);

// A ring that nobody hears: writes land in memory; the cursor stands still
// unless the owner moves it.
class MemorySoundRing : public SoundRing {
 public:
  uint32_t playCursor() override { return cursor; }
  bool write(uint32_t offset, const uint8_t* data, uint32_t bytes) override;
  void clear() override;
  void setPosition(uint32_t offset) override { cursor = offset & kRingMask; }
  void setPan(int32_t) override {}
  void setVolume(int32_t) override {}
  void setFrequency(uint32_t) override {}
  void playLooping() override {}
  void stop() override {}

  std::unique_ptr<uint8_t[]> ring{new uint8_t[kRingBytes]()};
  uint32_t cursor = 0;
  uint64_t written = 0;
};

// Keeps the last converted picture as 32-bit pixels.
class MemoryFrameOutput : public FrameOutput {
 public:
  void clearBackSurfaces() override;
  bool convertToNextBackSurface(const uint32_t* frame, int32_t width, int32_t height) override;
  void present() override { ++presented; }
  void resizeWindow(const WindowLayout&) override {}

  std::unique_ptr<uint32_t[]> shown{new uint32_t[kDecodedFramePixels]()};
  int32_t width = 0;
  int32_t height = 0;
  uint64_t converted = 0;
  uint64_t presented = 0;
};

class NullControls : public Controls {
 public:
  void setStatusText(int, const char*) override {}
  void setMenuItemState(int, MenuState) override {}
  void checkMenuItem(int, bool) override {}
  void enableButton(int, bool) override {}
  void checkButton(int, bool) override {}
  void setRecentFileItems(const std::vector<RecentFileItem>&) override {}
  void showMessage(const std::string&, const std::string&) override {}
  void setWindowTitle(const std::string&) override {}
};

// Nothing is stored: reads find nothing, writes succeed.
class NullSettings : public SettingsStore {
 public:
  bool readDword(const std::string&, const std::string&, uint32_t&) override { return false; }
  bool readString(const std::string&, const std::string&, std::string&) override { return false; }
  bool writeDword(const std::string&, const std::string&, uint32_t) override { return true; }
  bool writeString(const std::string&, const std::string&, const std::string&) override {
    return true;
  }
};

// Every dialog is cancelled at once.
class NullDialogs : public Dialogs {
 public:
  bool chooseMovieFile(std::string&) override { return false; }
  void showAbout() override {}
  void showProperty(const PropertyView&) override {}
  int searchHeader(HeaderSearch&) override { return 0; }
  void openHomePage(const std::string&) override {}
  void copyToClipboard(const std::vector<uint8_t>&) override {}
};

// Every step succeeds and does nothing: start-up and teardown as the core
// runs them, with no window, display or sound device.
class NullPlatformSteps : public PlatformSteps {
 public:
  bool createMainWindow() override { return true; }
  void initialNuvandGL() override {}
  void createStatusBar() override {}
  void createToolBar() override {}
  void getDC() override {}
  void getDeviceCaps() override {}
  bool createDirectDraw() override { return true; }
  bool createPalette() override { return true; }
  uint32_t createSurface(StepReporter&) override { return 0; }
  uint32_t initialNGLDirectSound() override { return 0; }
  void prepareOpenFileDialog() override {}
  void releasePalette() override {}
  void releaseDirectDraw() override {}
  void releaseSoundDevice() override {}
  void releaseWindowDC() override {}
  void postQuit() override {}
};

}  // namespace zentrov
