#include "playback/playback_tick.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "playback/command_ids.h"
#include "playback/player.h"
#include "playback/sample_decode.h"
#include "playback/transport.h"

namespace zentrov {

namespace {

constexpr int32_t kPanCentre = 0;

int32_t entriesInTable(const SampleTable& table) {
  return std::clamp<int32_t>(table.entryCount, 0, kMaxSampleEntries);
}

// timeScale x elapsedBytes truncated to a 32-bit time stamp. A huge or
// negative time base saturates instead of overflowing the conversion.
int32_t dueStamp(double timeScale, double elapsedBytes) {
  const double due = timeScale * elapsedBytes;
  if (due != due) return 0;
  if (due >= double(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (due <= double(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(due);
}

void rewindClock(PlaybackState& state, SoundRing& sound) {
  sound.setPosition(0);
  state.lastPlayCursor = 0;
  state.elapsedBytes = 0.0;
}

void startRing(Player& player, int32_t volume) {
  SoundRing& sound = player.ports.sound;
  sound.setPan(kPanCentre);
  sound.setVolume(volume);
  sound.setFrequency(player.stream.rateHz());
  // A replay or loop wrap while paused leaves the ring stopped at 0 until
  // playback resumes. Played now, it would sound under a still picture, run
  // on into stale ring contents, and its clock would count the paused time
  // against the next frame.
  if (!player.playback.paused) sound.playLooping();
  player.playback.audioRestart = false;
}

void playSound(Player& player, const SampleEntry& entry) {
  PlaybackState& state = player.playback;
  // A sample that cannot be read (longer than the sample buffer) gives no
  // sound; a restart still happens, so the clock runs.
  const int32_t outBytes = decodeAudioEntry(player, entry);
  const uint8_t* pcm = player.buffers.pcmBuffer.get();

  if (state.audioRestart) {
    rewindClock(state, player.ports.sound);
    state.ringWriteOffset = 0;
  }
  if (outBytes > 0) {
    // When the ring cannot be written this chunk is lost, but the offset
    // moves on all the same: later sound stays at its own time, in step
    // with the pictures that the play cursor paces.
    player.ports.sound.write(uint32_t(state.ringWriteOffset), pcm, uint32_t(outBytes));
    state.ringWriteOffset =
        static_cast<int32_t>((uint32_t(state.ringWriteOffset) + uint32_t(outBytes)) & kRingMask);
  }
  if (state.audioRestart) startRing(player, state.volume);
}

// False while the frame is not due yet.
bool showPicture(Player& player, const SampleEntry& entry) {
  PlaybackState& state = player.playback;
  SoundRing& sound = player.ports.sound;

  // A movie without sound paces its pictures by a silent ring.
  if (state.audioRestart && player.stream.audioChannels == 0) {
    rewindClock(state, sound);
    startRing(player, kVolumeSilent);
  }

  // Until the first sound of a movie with sound starts the ring, there is no
  // clock to wait for: a picture that comes first is shown at once rather
  // than waiting on a stopped ring (or on the previous movie's clock).
  const bool clockRunning = !state.audioRestart;
  if (state.frameRateMode == FrameRateMode::Normal && !state.stepRequest && clockRunning) {
    const int32_t cursor = static_cast<int32_t>(sound.playCursor() & kRingMask);
    int32_t delta = cursor - state.lastPlayCursor;
    state.lastPlayCursor = cursor;
    if (delta < 0) delta += int32_t(kRingBytes);  // the cursor went round the ring
    state.elapsedBytes += delta;
    if (dueStamp(state.timeScale, state.elapsedBytes) < entry.timeStamp()) return false;
  }

  state.stepRequest = false;
  // A frame that does not decode whole is skipped: the previous picture is
  // presented again.
  if (decodeVideoEntry(player, entry))
    player.ports.frames.convertToNextBackSurface(player.buffers.decodedFrame.get(),
                                                 state.frameWidth, state.frameHeight);

  char text[16];
  std::snprintf(text, sizeof text, "%d", state.position);
  player.ports.controls.setStatusText(kStatusPosition, text);
  player.ports.frames.present();
  return true;
}

void reachEnd(Player& player, int32_t entries) {
  PlaybackState& state = player.playback;
  // An empty table has nothing to come round to: it ends, loop or not.
  if (state.loop && entries > 0) {
    state.position = 0;
    state.audioRestart = true;
    if (state.paused) state.stepRequest = true;
    return;
  }
  pausePlaybackAlways(player);
  // A step that ran into the end must not go on past the table.
  state.stepRequest = false;
  state.position = entries;
  Controls& controls = player.ports.controls;
  controls.setStatusText(kStatusState, kStatusEnded);
  controls.setMenuItemState(kCmdPlayPause, MenuState::Disabled);
  controls.enableButton(kCmdPlayPause, false);
  controls.enableButton(kCmdNextFrame, false);
}

}  // namespace

void playbackTick(Player& player) {
  PlaybackState& state = player.playback;
  if (state.paused && !state.stepRequest) return;
  // No movie is current (closed, or its header was refused): the table is
  // stale and there is no file to read from.
  if (!state.fileHandle.isOpen()) {
    state.stepRequest = false;
    return;
  }
  const int32_t entries = entriesInTable(player.table());
  // Past the end only by a step or a play after "End." (or in an empty table).
  if (state.position < 0 || state.position >= entries) {
    reachEnd(player, entries);
    return;
  }

  const SampleEntry& entry = player.table().entries[state.position];
  if (entry.isAudio()) {
    playSound(player, entry);
  } else if (!showPicture(player, entry)) {
    return;
  }

  state.position += 1;
  if (state.position < entries) return;
  reachEnd(player, entries);
}

}  // namespace zentrov
