#include "shell/commands.h"

#include "film/property_text.h"
#include "playback/command_ids.h"
#include "playback/header_search.h"
#include "playback/movie_open.h"
#include "playback/player.h"
#include "playback/transport.h"
#include "playback/window_layout.h"
#include "shell/recent_files.h"
#include "shell/tool_status_bar.h"
#include "video/frame_dib.h"

namespace zentrov {

const char* const kHomePageAddress = "https://zentrov.github.io/";

namespace {

void openFromMenu(Player& player) {
  pausePlayback(player);
  rememberCurrentFile(player);
  player.shell.currentFileName.clear();
  std::string path;
  if (player.ports.dialogs.chooseMovieFile(path)) openChosenFile(player, path);
}

void openRecentFile(Player& player, int entry) {
  // Only listed entries have a menu item.
  if (player.shell.recentFiles[size_t(entry)].empty()) return;
  pausePlayback(player);
  rememberCurrentFile(player);
  player.shell.currentFileName = player.shell.recentFiles[size_t(entry)];
  openMovie(player, OpenRequest::fromStart());
}

void copyFrame(Player& player) {
  const PlaybackState& state = player.playback;
  player.ports.dialogs.copyToClipboard(
      buildFrameDib(player.buffers.decodedFrame.get(), state.frameWidth, state.frameHeight));
}

void searchHeaderCommand(Player& player) {
  HeaderSearch search(player);
  openChosenHeader(player, player.ports.dialogs.searchHeader(search));
}

}  // namespace

void openChosenFile(Player& player, const std::string& path) {
  // The name buffer holds kMaxFileName characters; a longer choice fails
  // like a cancelled dialog rather than opening a cut-off name.
  if (path.empty() || path.size() > kMaxFileName) return;
  rememberCurrentFile(player);
  player.shell.currentFileName = path;
  openMovie(player, OpenRequest::fromStart());
}

void openChosenHeader(Player& player, int result) {
  if (result != kHeaderChosen || !player.playback.fileHandle.isOpen()) return;
  const int32_t index = player.playback.headerIndex;
  if (index < 0 || index >= kHeaderOffsetCount || player.headerOffsets.offsets[index] < 0) return;
  openMovie(player, OpenRequest::header(index));
}

void onCommand(Player& player, int id) {
  switch (id) {
    case kCmdOpen:
      openFromMenu(player);
      break;
    case kCmdClose:
      closeMovie(player);
      break;
    case kCmdExit:
      player.ports.controls.closeWindow();
      break;
    case kCmdCopyFrame:
      copyFrame(player);
      break;
    case kCmdSearchHeader:
      searchHeaderCommand(player);
      break;
    case kCmdPlayPause:
      togglePlayPause(player);
      break;
    case kCmdNoWait:
      selectFrameRate(player, FrameRateMode::NoWait);
      break;
    case kCmdNormal:
      selectFrameRate(player, FrameRateMode::Normal);
      break;
    case kCmdZoom1:
      setZoom(player, Zoom::Normal);
      break;
    case kCmdZoom2:
      setZoom(player, Zoom::Double);
      break;
    case kCmdFullScreen:
      enterFullScreen(player);
      break;
    case kCmdLoop:
      toggleLoop(player);
      break;
    case kCmdPcmOff:
      togglePcmOff(player);
      break;
    case kCmdToolbarHide:
      chooseToolbarMode(player, 0);
      break;
    case kCmdToolbarButton:
      chooseToolbarMode(player, 1);
      break;
    case kCmdToolbarFlat:
      chooseToolbarMode(player, 2);
      break;
    case kCmdToolbarAddString:
      toggleToolbarLabels(player);
      break;
    case kCmdStatusBar:
      toggleStatusBar(player);
      break;
    case kCmdProperty:
      player.ports.dialogs.showProperty(PropertyView(player.stream, player.table()));
      break;
    case kCmdHomePage:
      player.ports.dialogs.openHomePage(kHomePageAddress);
      break;
    case kCmdAbout:
      player.ports.dialogs.showAbout();
      break;
    case kCmdReplay:
      replayMovie(player);
      break;
    case kCmdNextFrame:
      stepFrame(player);
      break;
    default:
      if (id >= kCmdRecentFirst && id <= kCmdRecentLast)
        openRecentFile(player, id - kCmdRecentFirst);
      break;
  }
}

void onDropFiles(Player& player, const std::vector<std::string>& files) {
  if (files.empty()) return;
  rememberCurrentFile(player);
  std::string name = files.front();
  if (name.size() > kMaxFileName) name.resize(kMaxFileName);
  player.shell.currentFileName = name;
  openMovie(player, OpenRequest::fromStart());
}

void onInitMenu(Player& player) {
  pausePlayback(player);
}

void setZoom(Player& player, Zoom zoom) {
  if (zoom != Zoom::Normal && zoom != Zoom::Double) return;
  player.shell.zoom = zoom;
  windowResize(player);
}

void enterFullScreen(Player& player) {
  ShellState& shell = player.shell;
  if (shell.zoom == Zoom::FullScreen) return;
  const bool wasPlaying = !player.playback.paused;
  if (wasPlaying) pausePlayback(player);
  shell.zoom = Zoom::FullScreen;
  checkZoomItems(player);
  if (ToolStatusBars* bars = player.ports.bars) {
    bars->showToolbar(false);
    bars->showStatusBar(false);
  }
  // The word keeps the bars' settings for the way back.
  shell.toolbarHeight = 0;
  shell.statusBarHeight = 0;
  player.ports.frames.enterFullScreen(windowLayout(player));
  if (wasPlaying) resumePlayback(player);
}

void leaveFullScreen(Player& player) {
  ShellState& shell = player.shell;
  if (shell.zoom != Zoom::FullScreen) return;
  const bool wasPlaying = !player.playback.paused;
  if (wasPlaying) pausePlayback(player);
  player.ports.frames.leaveFullScreen();
  ToolStatusBars* bars = player.ports.bars;
  const uint32_t mode = shell.tlStBar & kTlStBarModeMask;
  if (bars && (mode == 1 || mode == 2)) bars->showToolbar(true);
  setToolStatusBar(player, BarTarget::ToolbarMode, kBarMeasureOnly, false);
  if (bars && (shell.tlStBar & kTlStBarStatusBar) != 0) bars->showStatusBar(true);
  setToolStatusBar(player, BarTarget::StatusBar, kBarMeasureOnly, false);
  setZoom(player, Zoom::Normal);
  if (wasPlaying) resumePlayback(player);
}

}  // namespace zentrov
