#include "playback/window_layout.h"

#include <cstdio>
#include <cstring>

#include "playback/command_ids.h"
#include "playback/player.h"

namespace zentrov {

namespace {
constexpr int32_t kStatePartRoom = 176;
constexpr int32_t kPositionPartRoom = 96;
constexpr int32_t kSizePartRoom = 32;
}  // namespace

WindowLayout windowLayout(const Player& player) {
  WindowLayout layout;
  layout.zoom = player.shell.zoom;
  layout.frameWidth = player.playback.frameWidth;
  layout.frameHeight = player.playback.frameHeight;
  const int32_t scale = static_cast<int32_t>(layout.zoom);
  layout.displayWidth = scale * layout.frameWidth;
  layout.displayHeight = scale * layout.frameHeight;
  layout.toolbarHeight = player.shell.toolbarHeight;
  layout.statusBarHeight = player.shell.statusBarHeight;
  return layout;
}

WindowLayout clientResized(const WindowLayout& layout, int32_t clientWidth, int32_t clientHeight) {
  WindowLayout resized = layout;
  resized.displayWidth = clientWidth;
  resized.displayHeight = clientHeight - layout.toolbarHeight - layout.statusBarHeight;
  return resized;
}

std::array<int32_t, 5> statusPartEdges(int32_t clientWidth) {
  return {0, clientWidth - kStatePartRoom, clientWidth - kPositionPartRoom,
          clientWidth - kSizePartRoom, clientWidth};
}

std::string windowTitle(const Player& player) {
  const std::string& name = player.shell.currentFileName;
  if (name.empty()) return std::string();
  const size_t slash = name.find_last_of("\\/");
  std::string part = slash == std::string::npos ? name : name.substr(slash + 1);
  char suffix[32];
  if (player.headerOffsets.offsets[1] == -1)
    std::snprintf(suffix, sizeof suffix, " - Zentrov");
  else
    std::snprintf(suffix, sizeof suffix, ":%d - Zentrov", player.playback.headerIndex);
  // The title buffer holds 260 characters with its terminator: a long name
  // is cut, the suffix kept.
  const size_t room = kMaxFileName - std::strlen(suffix);
  if (part.size() > room) part.resize(room);
  return part + suffix;
}

void setStatusParts(Player& player) {
  Controls& c = player.ports.controls;
  if (player.shell.currentFileName.empty()) c.setStatusText(kStatusState, "");
  char size[32];
  std::snprintf(size, sizeof size, "%3dx%3d", player.playback.frameWidth,
                player.playback.frameHeight);
  c.setStatusText(kStatusSize, size);
  c.setStatusText(kStatusSpare, "----");
}

void checkZoomItems(Player& player) {
  Controls& controls = player.ports.controls;
  const Zoom zoom = player.shell.zoom;
  controls.checkMenuItem(kCmdZoom1, zoom == Zoom::Normal);
  controls.checkMenuItem(kCmdZoom2, zoom == Zoom::Double);
  controls.checkMenuItem(kCmdFullScreen, zoom == Zoom::FullScreen);
}

void windowResize(Player& player) {
  player.ports.frames.resizeWindow(windowLayout(player));
  if (!player.shell.currentFileName.empty())
    player.ports.controls.setWindowTitle(windowTitle(player));
  checkZoomItems(player);
  setStatusParts(player);
}

}  // namespace zentrov
