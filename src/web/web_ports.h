#pragma once
// The browser page's side of the core's ports. Every call is handed to the
// page's script (the element that owns this module instance), which draws
// the controls, holds the sound ring in its audio worklet and shows the
// dialogs. The page's dialogs cannot block: they return at once, and the
// script later runs the rest of the command through the exported calls.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "film/property_text.h"
#include "playback/header_search.h"
#include "playback/player.h"
#include "headless/null_ports.h"

namespace zentrov::web {

class WebSoundRing : public SoundRing {
 public:
  uint32_t playCursor() override;
  bool write(uint32_t offset, const uint8_t* data, uint32_t bytes) override;
  void clear() override;
  void setPosition(uint32_t offset) override;
  void setPan(int32_t pan) override;
  void setVolume(int32_t volume) override;
  void setFrequency(uint32_t hz) override;
  void playLooping() override;
  void stop() override;
};

// Two back surfaces of RGBA pixels that the page's canvas takes as they are.
class WebFrameOutput : public FrameOutput {
 public:
  WebFrameOutput();
  void clearBackSurfaces() override;
  bool convertToNextBackSurface(const uint32_t* frame, int32_t width, int32_t height) override;
  void present() override;
  void resizeWindow(const WindowLayout& layout) override;
  void enterFullScreen(const WindowLayout& layout) override;
  void leaveFullScreen() override;

 private:
  struct Surface {
    std::unique_ptr<uint32_t[]> pixels;
    int32_t width = 0;  // 0: cleared, shows black
    int32_t height = 0;
  };
  Surface surfaces_[2];
  int backIndex_ = 0;
  WindowLayout layout_;
};

class WebControls : public Controls {
 public:
  void setStatusText(int part, const char* text) override;
  void setMenuItemState(int id, MenuState state) override;
  void checkMenuItem(int id, bool checked) override;
  void enableButton(int id, bool enabled) override;
  void checkButton(int id, bool checked) override;
  void setRecentFileItems(const std::vector<RecentFileItem>& items) override;
  void showMessage(const std::string& text, const std::string& caption) override;
  void setWindowTitle(const std::string& title) override;
  void closeWindow() override;
};

class WebBars : public ToolStatusBars {
 public:
  void setToolbarFlat(bool flat) override;
  void setToolbarLabels(bool on) override;
  void showToolbar(bool shown) override;
  void showStatusBar(bool shown) override;
  int32_t measureToolbar() override;
  int32_t measureStatusBar() override;
};

// The page's localStorage, under one item.
class WebSettings : public SettingsStore {
 public:
  bool readDword(const std::string& key, const std::string& name, uint32_t& value) override;
  bool readString(const std::string& key, const std::string& name, std::string& value) override;
  bool writeDword(const std::string& key, const std::string& name, uint32_t value) override;
  bool writeString(const std::string& key, const std::string& name,
                   const std::string& value) override;
};

class WebDialogs : public Dialogs {
 public:
  explicit WebDialogs(Player& player) : player_(player) {}
  // Opens the page's file chooser and answers "cancelled"; the chosen file
  // comes back through openChosenFile.
  bool chooseMovieFile(std::string& path) override;
  void showAbout() override;
  // The view is kept while the page's dialog is up: the page runs no ticks
  // and no commands until it closes, so the table behind it stays as it is.
  void showProperty(const PropertyView& view) override;
  // The page's dialog works on a search of its own; answers "cancelled" now,
  // and the page's OK opens the chosen header later.
  int searchHeader(HeaderSearch& search) override;
  void openHomePage(const std::string& address) override;
  void copyToClipboard(const std::vector<uint8_t>& dib) override;

  const PropertyView* property() const { return property_ ? &*property_ : nullptr; }
  void closeProperty() { property_.reset(); }
  HeaderSearch* search() { return search_.get(); }
  void closeSearch() { search_.reset(); }

 private:
  Player& player_;
  std::optional<PropertyView> property_;
  std::unique_ptr<HeaderSearch> search_;
};

// The player of one page element, with its ports and start-up steps: the
// page has no window, display or sound device to create, so every step is
// the null one except the ring's release and the end of the run.
class WebPlayer : public NullPlatformSteps {
 public:
  WebPlayer();
  bool start();
  Player& player() { return player_; }
  WebDialogs& dialogs() { return dialogs_; }
  bool destroyed() const { return destroyed_; }

  void releaseSoundDevice() override;
  void postQuit() override { destroyed_ = true; }

 private:
  WebSoundRing sound_;
  WebFrameOutput frames_;
  WebControls controls_;
  WebBars bars_;
  WebSettings settings_;
  Player player_;
  WebDialogs dialogs_{player_};
  bool destroyed_ = false;
};

}  // namespace zentrov::web
