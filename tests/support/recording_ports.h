#pragma once
// Recording fakes of every port: each call is appended to one shared log as a
// readable line ("sound.play", "controls.status 1 Play..."), and the fakes keep
// the state a test wants to look at (ring bytes, control states, settings).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "playback/player.h"
#include "playback/ports.h"

namespace zentrov::test {

using CallLog = std::vector<std::string>;

class FakeSoundRing : public SoundRing {
 public:
  explicit FakeSoundRing(CallLog& log) : log_(log) {}
  uint32_t playCursor() override { return cursor; }
  bool write(uint32_t offset, const uint8_t* data, uint32_t bytes) override;
  void clear() override;
  void setPosition(uint32_t offset) override;
  void setPan(int32_t pan) override;
  void setVolume(int32_t volume) override;
  void setFrequency(uint32_t hz) override;
  void playLooping() override;
  void stop() override;

  std::vector<uint8_t> ring = std::vector<uint8_t>(kRingBytes, 0xAA);
  uint32_t cursor = 0;  // moved by the test
  bool playing = false;
  bool failWrites = false;  // make write() report a failed lock
  int32_t volume = 0;
  int32_t pan = 0;
  uint32_t frequency = 0;
  bool logCursorReads = false;

 private:
  CallLog& log_;
};

class FakeFrameOutput : public FrameOutput {
 public:
  explicit FakeFrameOutput(CallLog& log) : log_(log) {}
  void clearBackSurfaces() override;
  bool convertToNextBackSurface(const uint32_t* frame, int32_t width, int32_t height) override;
  void present() override;
  void resizeWindow(const WindowLayout& layout) override;
  void enterFullScreen(const WindowLayout& layout) override;
  void leaveFullScreen() override;

  int backIndex = 0;
  WindowLayout layout;  // as last given
  bool fullScreen = false;
  std::vector<uint32_t> surfaces[2];  // the frames converted into each back surface
  bool failLock = false;
  int presents = 0;

 private:
  CallLog& log_;
};

class FakeControls : public Controls {
 public:
  explicit FakeControls(CallLog& log) : log_(log) {}
  void setStatusText(int part, const char* text) override;
  void setMenuItemState(int id, MenuState state) override;
  void checkMenuItem(int id, bool checked) override;
  void enableButton(int id, bool enabled) override;
  void checkButton(int id, bool checked) override;
  void setRecentFileItems(const std::vector<RecentFileItem>& items) override;
  void showMessage(const std::string& text, const std::string& caption) override;
  void setWindowTitle(const std::string& title) override;
  void closeWindow() override;

  std::map<int, std::string> status;
  std::map<int, MenuState> menuState;
  std::map<int, bool> menuChecked;
  std::map<int, bool> buttonEnabled;
  std::map<int, bool> buttonChecked;
  std::vector<RecentFileItem> recentItems;
  std::vector<std::pair<std::string, std::string>> messages;  // text, caption
  std::string title;
  bool windowClosed = false;

 private:
  CallLog& log_;
};

class FakeToolStatusBars : public ToolStatusBars {
 public:
  explicit FakeToolStatusBars(CallLog& log) : log_(log) {}
  void setToolbarFlat(bool flat) override;
  void setToolbarLabels(bool on) override;
  void showToolbar(bool shown) override;
  void showStatusBar(bool shown) override;
  int32_t measureToolbar() override;
  int32_t measureStatusBar() override;

  bool toolbarShown = false;
  bool statusBarShown = false;
  bool flat = false;
  bool labels = false;
  int32_t toolbarHeight = 26;  // heights reported while shown
  int32_t labelledToolbarHeight = 42;
  int32_t statusBarHeight = 20;

 private:
  CallLog& log_;
};

class FakeSettings : public SettingsStore {
 public:
  explicit FakeSettings(CallLog& log) : log_(log) {}
  bool readDword(const std::string& key, const std::string& name, uint32_t& value) override;
  bool readString(const std::string& key, const std::string& name, std::string& value) override;
  bool writeDword(const std::string& key, const std::string& name, uint32_t value) override;
  bool writeString(const std::string& key, const std::string& name,
                   const std::string& value) override;

  std::map<std::string, uint32_t> dwords;      // "key|name"
  std::map<std::string, std::string> strings;  // "key|name"
  bool failWrites = false;

 private:
  CallLog& log_;
};

class FakeDialogs : public Dialogs {
 public:
  explicit FakeDialogs(CallLog& log) : log_(log) {}
  bool chooseMovieFile(std::string& path) override;
  void showAbout() override;
  void showProperty(const PropertyView& view) override;
  int searchHeader(HeaderSearch& search) override;
  void openHomePage(const std::string& address) override;
  void copyToClipboard(const std::vector<uint8_t>& dib) override;

  std::string nextChoice;                   // chooseMovieFile returns it; empty = cancel
  int searchLine = -1;                      // searchHeader chooses this line; -1: Cancel
  std::vector<std::string> propertyValues;  // the seven texts last shown
  std::vector<uint8_t> clipboard;

 private:
  CallLog& log_;
};

// A player wired to recording fakes, with its buffers and the shell's part
// of opening, as after start-up.
struct FakeRig {
  FakeRig();
  CallLog log;
  FakeSoundRing sound{log};
  FakeFrameOutput frames{log};
  FakeControls controls{log};
  FakeSettings settings{log};
  FakeDialogs dialogs{log};
  FakeToolStatusBars bars{log};
  Player player;
};

}  // namespace zentrov::test
