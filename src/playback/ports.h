#pragma once
// What the core asks of a host. Each host (Windows, headless, tests)
// implements these; the core never touches a window system or sound API.
// The core calls every port from one thread, the host's main (UI) thread.

#include <cstdint>
#include <string>
#include <vector>

#include "playback/window_layout.h"

namespace zentrov {

class PropertyView;
class HeaderSearch;

constexpr uint32_t kRingBytes = 0x100000;  // the looping sound ring, 16-bit stereo
constexpr uint32_t kRingMask = kRingBytes - 1;

// The looping 1 MiB ring of 16-bit stereo sound frames.
//
// Threads: the core calls every method from the main thread only, never
// while another call is running. A host whose sound system polls (the
// Windows player reads the play cursor and locks the buffer from its UI
// thread) needs no locking. A host whose sound system pulls data on its own
// thread (an SDL2 callback) must make safe what that thread shares with these
// calls: the ring bytes it reads while write() and clear() change them, and
// the play position it advances while playCursor() reads it and
// setPosition(), playLooping() and stop() move or hold it. Volume, pan and
// frequency changes must reach that thread whole, between two of its reads.
class SoundRing {
 public:
  virtual ~SoundRing() = default;
  // Byte offset 0..0xFFFFF of the sound being heard.
  virtual uint32_t playCursor() = 0;
  // Copies `bytes` bytes into the ring at `offset`, continuing at 0 past the
  // end. False when the ring could not be locked; then nothing was copied.
  virtual bool write(uint32_t offset, const uint8_t* data, uint32_t bytes) = 0;
  // Fills the whole ring with silence.
  virtual void clear() = 0;
  virtual void setPosition(uint32_t offset) = 0;
  virtual void setPan(int32_t pan) = 0;
  virtual void setVolume(int32_t volume) = 0;  // hundredths of a dB: 0 or -10000
  virtual void setFrequency(uint32_t hz) = 0;
  virtual void playLooping() = 0;  // continues from the play cursor
  virtual void stop() = 0;
};

// The two back surfaces and the window they are presented in.
class FrameOutput {
 public:
  virtual ~FrameOutput() = default;
  // Fills both back surfaces with colour 0.
  virtual void clearBackSurfaces() = 0;
  // Switches to the other back surface and converts `frame` (rows of `width`
  // 32-bit pixels) into it. False when that surface could not be locked; the
  // switch has happened all the same.
  virtual bool convertToNextBackSurface(const uint32_t* frame, int32_t width, int32_t height) = 0;
  // Shows the current back surface in the picture rectangle of the layout
  // last given.
  virtual void present() = 0;
  // Sizes the window for `layout` (keeping its top-left corner) and lays out
  // the status-bar parts with statusPartEdges. In full screen the window
  // keeps the whole screen. The host keeps the layout for painting.
  virtual void resizeWindow(const WindowLayout& layout) = 0;
  // Rebuilds the surfaces for the whole screen: no menu, the window
  // maximised, the mouse cursor hidden. The core has hidden the bars and
  // set the zoom; `layout` has both bar heights 0.
  virtual void enterFullScreen(const WindowLayout& /*layout*/) {}
  // Rebuilds the surfaces for the window, gives it its menu back and shows the
  // mouse cursor; the core then shows the bars and sizes the window.
  virtual void leaveFullScreen() {}
};

enum class MenuState { Enabled, Disabled, Grayed };

struct RecentFileItem {
  int id;             // 40100 + entry
  std::string label;  // "&%d %s"
};

// Status bar, menu, toolbar, message boxes and the window title.
class Controls {
 public:
  virtual ~Controls() = default;
  virtual void setStatusText(int part, const char* text) = 0;
  virtual void setMenuItemState(int id, MenuState state) = 0;
  virtual void checkMenuItem(int id, bool checked) = 0;
  virtual void enableButton(int id, bool enabled) = 0;
  virtual void checkButton(int id, bool checked) = 0;
  // Replaces the recent-file items of the File menu; `items` in menu order.
  virtual void setRecentFileItems(const std::vector<RecentFileItem>& items) = 0;
  // A modal message box with an OK button, owned by the main window, showing
  // `text` (UTF-8) under `caption`; returns when it is dismissed.
  virtual void showMessage(const std::string& text, const std::string& caption) = 0;
  virtual void setWindowTitle(const std::string& title) = 0;
  // Destroys the main window; the teardown follows.
  virtual void closeWindow() {}
};

// The toolbar and the status bar; the core decides what they show.
class ToolStatusBars {
 public:
  virtual ~ToolStatusBars() = default;
  virtual void setToolbarFlat(bool flat) = 0;
  // Labels under the buttons (up to two rows, buttons up to 48 pixels wide,
  // no tooltips) or none (16-pixel buttons with tooltips).
  virtual void setToolbarLabels(bool on) = 0;
  virtual void showToolbar(bool shown) = 0;
  virtual void showStatusBar(bool shown) = 0;
  // Lays the bar out again and returns its height, 0 while it is hidden.
  virtual int32_t measureToolbar() = 0;
  virtual int32_t measureStatusBar() = 0;
};

// DWORD and string values under a key path (the registry on Windows).
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // False when the key or the value does not exist.
  virtual bool readDword(const std::string& key, const std::string& name, uint32_t& value) = 0;
  virtual bool readString(const std::string& key, const std::string& name, std::string& value) = 0;
  // Create the key if needed; false when it cannot be created or written.
  virtual bool writeDword(const std::string& key, const std::string& name, uint32_t value) = 0;
  virtual bool writeString(const std::string& key, const std::string& name,
                           const std::string& value) = 0;
};

// The modal things a command opens. Each runs until the user closes it.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The open-file dialog; true with the chosen path, false when cancelled.
  virtual bool chooseMovieFile(std::string& path) = 0;
  virtual void showAbout() = 0;
  // The Property dialog: the seven values of `view`, and its rows once the
  // list is expanded. The view lives until the call returns.
  virtual void showProperty(const PropertyView& view) = 0;
  // The Search header dialog, working through `search` (its lines, the
  // Search button, OK, Cancel). Returns 1 when a line was chosen, 0 when not.
  virtual int searchHeader(HeaderSearch& search) = 0;
  virtual void openHomePage(const std::string& address) = 0;
  // Hands a CF_DIB block to the clipboard.
  virtual void copyToClipboard(const std::vector<uint8_t>& dib) = 0;
};

struct Ports {
  SoundRing& sound;
  FrameOutput& frames;
  Controls& controls;
  SettingsStore& settings;
  Dialogs& dialogs;
  ToolStatusBars* bars = nullptr;  // none in a host without bars
};

}  // namespace zentrov
