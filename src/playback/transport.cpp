#include "playback/transport.h"

#include "playback/command_ids.h"
#include "playback/movie_open.h"
#include "playback/player.h"

namespace zentrov {

const char* const kStatusPlaying = "Play...";
const char* const kStatusPaused = "Pause.";
const char* const kStatusEnded = "End.";

void pausePlaybackAlways(Player& player) {
  Controls& controls = player.ports.controls;
  player.playback.paused = true;
  controls.setStatusText(kStatusState, kStatusPaused);
  controls.enableButton(kCmdNextFrame, true);
  controls.checkButton(kCmdPlayPause, true);
  player.ports.sound.stop();
}

void pausePlayback(Player& player) {
  if (player.shell.currentFileName.empty()) return;
  pausePlaybackAlways(player);
}

void resumePlayback(Player& player) {
  // Nothing to resume: after a close or a refused header the file is shut,
  // and a playing state would only show "Play..." over an empty window.
  if (!player.playback.fileHandle.isOpen()) return;
  Controls& controls = player.ports.controls;
  player.playback.paused = false;
  controls.setStatusText(kStatusState, kStatusPlaying);
  controls.enableButton(kCmdNextFrame, false);
  controls.checkButton(kCmdPlayPause, false);
  player.ports.sound.playLooping();
}

void togglePlayPause(Player& player) {
  if (player.playback.paused)
    resumePlayback(player);
  else
    pausePlayback(player);
}

void replayMovie(Player& player) {
  PlaybackState& state = player.playback;
  state.position = 0;
  state.audioRestart = true;
  if (state.paused) state.stepRequest = true;
  player.ports.controls.setMenuItemState(kCmdPlayPause, MenuState::Enabled);
  player.ports.controls.enableButton(kCmdPlayPause, true);
}

void stepFrame(Player& player) {
  player.playback.stepRequest = true;
}

void toggleLoop(Player& player) {
  PlaybackState& state = player.playback;
  state.loop = !state.loop;
  player.ports.controls.checkButton(kCmdLoop, state.loop);
  player.ports.controls.checkMenuItem(kCmdLoop, state.loop);
}

void togglePcmOff(Player& player) {
  PlaybackState& state = player.playback;
  const bool silence = state.volume == kVolumeFull;
  state.volume = silence ? kVolumeSilent : kVolumeFull;
  player.ports.controls.checkMenuItem(kCmdPcmOff, silence);
  player.ports.sound.setVolume(state.volume);
}

void selectFrameRate(Player& player, FrameRateMode mode) {
  player.playback.frameRateMode = mode;
  player.ports.controls.checkMenuItem(kCmdNoWait, mode == FrameRateMode::NoWait);
  player.ports.controls.checkMenuItem(kCmdNormal, mode == FrameRateMode::Normal);
}

void closeMovie(Player& player) {
  // After a cancelled Open the loaded movie has no name but can still be
  // playing; it is stopped all the same, so that no movie is left running.
  if (player.playback.fileHandle.isOpen())
    pausePlaybackAlways(player);
  else
    pausePlayback(player);
  player.shell.currentFileName.clear();
  openMovie(player, OpenRequest::fromStart());
}

}  // namespace zentrov
