#pragma once
// Every port as one recording fake, wired to a player with its buffers and
// the shell's part of opening, as after start-up. Each port call appends a
// line to `log` ("status 1 Play...", "volume -10000", "present") and keeps
// its latest value in `last` under the line's key ("status 1" -> "Play...").

#include <map>
#include <string>

#include "playback/movie_open.h"
#include "playback/player.h"
#include "support/movies.h"

namespace zentrov::test {

class FakePorts : public SoundRing,
                  public FrameOutput,
                  public Controls,
                  public ToolStatusBars,
                  public SettingsStore,
                  public Dialogs {
 public:
  FakePorts();
  void note(const std::string& key, const std::string& value = "") {
    log += (value.empty() ? key : key + " " + value) + "\n";
    last[key] = value;
  }
  void note(const std::string& key, int id, bool on) {
    note(key + " " + std::to_string(id), on ? "1" : "0");
  }
  std::string since(size_t mark) const { return log.substr(mark); }
  // Names `path` as the current file and opens it from the start; or writes
  // the movie to a scratch file `name` first.
  OpenResult open(const std::string& path);
  OpenResult open(const std::string& name, const FilmSpec& spec);
  bool shows();  // ticks once; true when a picture was presented

  std::string log;
  std::map<std::string, std::string> last;
  Bytes ring = Bytes(kRingBytes, 0xAA);
  uint32_t cursor = 0;      // the play cursor, moved by the test
  bool failWrites = false;  // ring writes fail as a lost lock would
  uint32_t pixel = 0;       // the top-left pixel of the picture last converted
  int presents = 0, converts = 0;
  WindowLayout layout;                        // as last given
  std::map<std::string, std::string> stored;  // settings, "key|name" -> value
  std::string choice;                         // the open-file dialog's; empty: cancelled
  int searchLine = -1;                        // the Search header dialog's; -1: Cancel
  Player player{Ports{*this, *this, *this, *this, *this, this}};

  uint32_t playCursor() override { return cursor; }
  bool write(uint32_t offset, const uint8_t* data, uint32_t bytes) override;
  void clear() override { note("ring", "clear"), ring.assign(kRingBytes, 0); }
  void setPosition(uint32_t offset) override { note("position", std::to_string(cursor = offset)); }
  void setPan(int32_t pan) override { note("pan", std::to_string(pan)); }
  void setVolume(int32_t volume) override { note("volume", std::to_string(volume)); }
  void setFrequency(uint32_t hz) override { note("frequency", std::to_string(hz)); }
  void playLooping() override { note("sound", "play"); }
  void stop() override { note("sound", "stop"); }

  void clearBackSurfaces() override { note("clear", std::to_string(pixel = 0)); }
  bool convertToNextBackSurface(const uint32_t* frame, int32_t, int32_t) override {
    pixel = frame[0] & 0xFFFFFFu;
    return ++converts, note("convert"), true;
  }
  void present() override { ++presents, note("present"); }
  void resizeWindow(const WindowLayout& l) override;
  void enterFullScreen(const WindowLayout& l) override { layout = l, note("fullscreen", "1"); }
  void leaveFullScreen() override { note("fullscreen", "0"); }

  void setStatusText(int part, const char* text) override {
    note("status " + std::to_string(part), text);
  }
  void setMenuItemState(int id, MenuState state) override {
    note("menu " + std::to_string(id), state == MenuState::Enabled ? "enabled" : "disabled");
  }
  void checkMenuItem(int id, bool on) override { note("check", id, on); }
  void enableButton(int id, bool on) override { note("button", id, on); }
  void checkButton(int id, bool on) override { note("down", id, on); }
  void setRecentFileItems(const std::vector<RecentFileItem>& items) override;
  void showMessage(const std::string& text, const std::string& caption) override;
  void setWindowTitle(const std::string& title) override { note("title", title); }
  void closeWindow() override { note("closewindow"); }

  void setToolbarFlat(bool on) override { note("flat", on ? "1" : "0"); }
  void setToolbarLabels(bool on) override { note("labels", on ? "1" : "0"); }
  void showToolbar(bool on) override { note("toolbar", on ? "1" : "0"); }
  void showStatusBar(bool on) override { note("statusbar", on ? "1" : "0"); }
  // Heights while shown: 26, or 42 with labels; the status bar 20.
  int32_t measureToolbar() override {
    return last["toolbar"] != "1" ? 0 : last["labels"] == "1" ? 42 : 26;
  }
  int32_t measureStatusBar() override { return last["statusbar"] == "1" ? 20 : 0; }

  bool readDword(const std::string& key, const std::string& name, uint32_t& value) override;
  bool readString(const std::string& key, const std::string& name, std::string& value) override;
  bool writeDword(const std::string& key, const std::string& name, uint32_t value) override {
    return writeString(key, name, std::to_string(value));
  }
  bool writeString(const std::string& key, const std::string& name,
                   const std::string& value) override {
    note("set " + key + "|" + name, value);
    return stored[key + "|" + name] = value, true;
  }

  bool chooseMovieFile(std::string& path) override {
    return note("opendialog"), !(path = choice).empty();
  }
  void showAbout() override { note("about"); }
  void showProperty(const PropertyView& view) override;
  int searchHeader(HeaderSearch& search) override;
  void openHomePage(const std::string& address) override { note("homepage", address); }
  void copyToClipboard(const std::vector<uint8_t>& dib) override {
    note("clipboard", std::to_string(dib.size()));
  }
};

// The test programs' operator new counts allocations while counting is on
// and can fail a nothrow allocation, as on a machine out of memory.
size_t countAllocations(bool on);     // starts from 0, or stops; returns the count so far
void failNothrowAllocationIn(int n);  // the nth nothrow allocation from now fails; -1: none

}  // namespace zentrov::test
