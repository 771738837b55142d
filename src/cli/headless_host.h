#pragma once
// The headless host: ports with no window and no sound card, and one player.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "shell/player.h"
#include "shell/ports.h"

namespace zentrov::cli {

// A ring that nobody hears: writes land in memory, the cursor stands still
// unless a command moves it.
class SilentRing : public SoundRing {
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

  std::vector<uint8_t> ring = std::vector<uint8_t>(kRingBytes);
  uint32_t cursor = 0;
};

// Keeps the last converted frame as 32-bit pixels.
class MemoryFrames : public FrameOutput {
 public:
  void clearBackSurfaces() override;
  bool convertToNextBackSurface(const uint32_t* frame, int32_t width, int32_t height) override;
  void present() override { ++presented; }
  void resizeWindow(int32_t, int32_t) override {}

  std::vector<uint32_t> shown;
  int32_t width = 0;
  int32_t height = 0;
  uint64_t converted = 0;
  uint64_t presented = 0;
};

// Remembers the last message; the commands decide what to print.
class QuietControls : public Controls {
 public:
  void setStatusText(int, const char*) override {}
  void setMenuItemState(int, MenuState) override {}
  void checkMenuItem(int, bool) override {}
  void enableButton(int, bool) override {}
  void checkButton(int, bool) override {}
  void setRecentFileItems(const std::vector<RecentFileItem>&) override {}
  void showMessage(const std::string& text, const std::string&) override { lastMessage = text; }
  void setWindowTitle(const std::string&) override {}

  std::string lastMessage;
};

class MemorySettings : public SettingsStore {
 public:
  bool readDword(const std::string& key, const std::string& name, uint32_t& value) override;
  bool readString(const std::string& key, const std::string& name, std::string& value) override;
  bool writeDword(const std::string& key, const std::string& name, uint32_t value) override;
  bool writeString(const std::string& key, const std::string& name,
                   const std::string& value) override;

 private:
  std::map<std::string, uint32_t> dwords_;
  std::map<std::string, std::string> strings_;
};

class NoDialogs : public Dialogs {
 public:
  bool chooseMovieFile(std::string&) override { return false; }
  void showAbout() override {}
  void showProperty() override {}
  int searchHeader() override { return 0; }
  void openHomePage(const std::string&) override {}
  void copyToClipboard(const std::vector<uint8_t>&) override {}
};

struct HeadlessHost {
  explicit HeadlessHost(SoundRing* soundOverride = nullptr);
  SilentRing silentRing;
  MemoryFrames frames;
  QuietControls controls;
  MemorySettings settings;
  NoDialogs dialogs;
  Player player;
};

// Opens `file` in the host's player, at header `headerArg` of the header scan
// when given. Prints the error and returns the exit code on failure (2 file
// not found, 3 unknown header or no such header), kExitOk on success.
int openForCli(HeadlessHost& host, const std::string& file, const std::string* headerArg);

}  // namespace zentrov::cli
