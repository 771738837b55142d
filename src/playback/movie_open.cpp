#include "playback/movie_open.h"

#include <algorithm>

#include "codec/sound_frame.h"
#include "playback/command_ids.h"
#include "playback/player.h"
#include "playback/window_layout.h"

namespace zentrov {

const char* const kErrorCaption = "Error";
const char* const kFileNotFoundText = "File not found.";
// "Unknown header; cannot play." The gap is an ideographic space.
const char* const kUnknownHeaderText =
    "\xE6\x9C\xAA\xE7\x9F\xA5\xE3\x81\xAE\xE3\x83\x98\xE3\x83\x83\xE3\x83\x80\xE3\x81\xA7\xE3\x81"
    "\x99\xE3\x80\x82\xE3\x80\x80\xE5\x86\x8D\xE7\x94\x9F\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xBE\xE3"
    "\x81\x9B\xE3\x82\x93\xE3\x80\x82";

namespace {

constexpr int32_t kMinFrameWidth = 64;
constexpr int32_t kMinFrameHeight = 64;
constexpr uint32_t kSilentClockRate = 0xAC440000u;  // 44,100 Hz, for movies without sound

void setDisabledControls(Controls& c) {
  c.enableButton(kCmdReplay, false);
  c.setMenuItemState(kCmdPlayPause, MenuState::Disabled);
  c.enableButton(kCmdPlayPause, false);
  c.checkButton(kCmdPlayPause, false);
  c.enableButton(kCmdNextFrame, false);
  c.setMenuItemState(kCmdSearchHeader, MenuState::Disabled);
}

OpenResult refuseUnknownHeader(Player& player) {
  player.ports.controls.showMessage(kUnknownHeaderText, kErrorCaption);
  player.playback.paused = true;
  player.playback.fileHandle.close();
  return OpenResult::UnknownHeader;
}

}  // namespace

OpenResult openMovie(Player& player, const OpenRequest& request) {
  PlaybackState& state = player.playback;
  Ports& ports = player.ports;
  if (request.atHeader) {
    state.headerIndex = request.headerIndex;
  } else {
    player.headerOffsets.reset();
    state.headerIndex = 0;
  }
  player.adx.reset();
  // Rows a new movie's frames never draw (a picture shorter than the
  // smallest frame, an inter frame first) must show black, not the last
  // movie's picture.
  if (player.buffers.decodedFrame)
    std::fill_n(player.buffers.decodedFrame.get(), kDecodedFramePixels, 0u);
  ports.frames.clearBackSurfaces();
  ports.sound.clear();
  ports.controls.setStatusText(kStatusState, "");
  ports.controls.setStatusText(kStatusPosition, "");
  setDisabledControls(ports.controls);
  if (player.updateRecentFiles) player.updateRecentFiles(player);
  ports.frames.present();

  if (!request.atHeader) {
    state.fileHandle.close();
    if (player.shell.currentFileName.empty()) return OpenResult::Closed;
    if (!state.fileHandle.open(player.shell.currentFileName)) {
      ports.controls.showMessage(kFileNotFoundText, kErrorCaption);
      state.paused = true;
      player.shell.currentFileName.clear();
      return OpenResult::FileNotFound;
    }
  }

  MovieRecords records{player.filmHeader, player.stream, player.headerOffsets, player.table()};
  const MovieRead read =
      readMovie(state.fileHandle, request, player.buffers.sectorBuffer.get(), records);
  if (read.reachedTable) ports.controls.setMenuItemState(kCmdSearchHeader, MenuState::Enabled);
  if (read.outcome != ReadOutcome::Read) return refuseUnknownHeader(player);

  state.frameWidth = std::clamp<int32_t>(player.stream.width, kMinFrameWidth, kMaxFrameWidth);
  state.frameHeight = std::clamp<int32_t>(player.stream.height, kMinFrameHeight, kMaxFrameHeight);
  if (player.stream.audioChannels == 0) player.stream.sampleRate = kSilentClockRate;
  state.position = 0;
  state.paused = false;
  state.stepRequest = false;
  state.audioRestart = true;
  // Bytes of 16-bit stereo ring progress to time-stamp units.
  state.timeScale = static_cast<double>(player.table().timeBase) /
                    (double(kSoundFrameBytes) * static_cast<double>(player.stream.rateHz()));
  ports.controls.setStatusText(kStatusState, "Play...");
  state.frameHeight = (state.frameHeight + 3) & ~3;
  windowResize(player);
  ports.controls.setMenuItemState(kCmdProperty, MenuState::Enabled);
  ports.controls.enableButton(kCmdReplay, true);
  ports.controls.setMenuItemState(kCmdPlayPause, MenuState::Enabled);
  ports.controls.enableButton(kCmdPlayPause, true);
  ports.controls.checkButton(kCmdPlayPause, false);
  ports.controls.enableButton(kCmdNextFrame, false);
  return OpenResult::Opened;
}

uint64_t sampleFilePosition(const Player& player, uint32_t entryOffset) {
  const int32_t index = player.playback.headerIndex;
  const int32_t header =
      (index >= 0 && index < kHeaderOffsetCount) ? player.headerOffsets.offsets[index] : 0;
  return uint64_t(uint32_t(std::max(header, 0))) + player.filmHeader.headerLength + entryOffset;
}

size_t readSample(Player& player, const SampleEntry& entry, uint8_t* buffer, size_t capacity) {
  MovieFile& file = player.playback.fileHandle;
  if (!file.isOpen() || entry.length > capacity) return 0;
  return file.readAt(sampleFilePosition(player, entry.offset), buffer, entry.length);
}

}  // namespace zentrov
