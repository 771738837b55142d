#include "playback/playback_tick.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "codec/sound_frame.h"
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
  state.writtenBytes = 0.0;
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

// Decodes one audio entry and writes it at the ring's write offset.
void writeSound(Player& player, const SampleEntry& entry) {
  PlaybackState& state = player.playback;
  // A sample that cannot be read (longer than the sample buffer) gives no
  // sound.
  const int32_t outBytes = decodeAudioEntry(player, entry);
  if (outBytes <= 0) return;
  // When the ring cannot be written this chunk is lost, but the offset
  // moves on all the same: later sound stays at its own time, in step
  // with the pictures that the play cursor paces.
  player.ports.sound.write(uint32_t(state.ringWriteOffset), player.buffers.pcmBuffer.get(),
                           uint32_t(outBytes));
  state.ringWriteOffset =
      static_cast<int32_t>((uint32_t(state.ringWriteOffset) + uint32_t(outBytes)) & kRingMask);
  state.writtenBytes += outBytes;
}

void playSound(Player& player, const SampleEntry& entry) {
  PlaybackState& state = player.playback;
  // The first sound after a restart rewinds the ring and the clock; a sample
  // with no sound still restarts them, so the clock runs.
  const bool restart = state.audioRestart;
  if (restart) {
    rewindClock(state, player.ports.sound);
    state.ringWriteOffset = 0;
  }
  writeSound(player, entry);
  if (restart) startRing(player, state.volume);
}

// Ring progress since the last clock reading, taking a cursor that went
// round the ring into account.
int32_t cursorProgress(const PlaybackState& state, uint32_t playCursor) {
  int32_t delta = static_cast<int32_t>(playCursor & kRingMask) - state.lastPlayCursor;
  if (delta < 0) delta += int32_t(kRingBytes);
  return delta;
}

double soundFrameRate(const Player& player) {
  return double(kSoundFrameBytes) * double(player.stream.rateHz());
}

// The lead to keep, in ring bytes. Half the ring at most: with a chunk of
// up to the PCM buffer on top, sound not yet played is never overwritten.
double leadTargetBytes(const Player& player) {
  const double lead = soundFrameRate(player) * player.playback.soundLeadMs / 1000.0;
  return std::clamp(lead, 0.0, double(kRingBytes / 2));
}

// The first entry that sound may be written ahead from.
int32_t readAheadStart(const PlaybackState& state) {
  return std::max(state.readAheadPosition, state.position + 1);
}

// While the picture at `position` waits, writes the next sound entry after
// it when the ring holds less than the lead. One entry per tick keeps the
// tick's work bounded; the host is told to tick again at once.
void writeSoundAhead(Player& player, int32_t entries) {
  PlaybackState& state = player.playback;
  if (state.writtenBytes - state.elapsedBytes >= leadTargetBytes(player)) return;
  const SampleTable& table = player.table();
  int32_t next = readAheadStart(state);
  while (next < entries && !table.entries[next].isAudio()) ++next;
  if (next < entries) writeSound(player, table.entries[next]);
  state.readAheadPosition = std::min(next + 1, entries);
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
    const uint32_t cursor = sound.playCursor();
    state.elapsedBytes += cursorProgress(state, cursor);
    state.lastPlayCursor = static_cast<int32_t>(cursor & kRingMask);
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

  // A restart (open, replay, loop) writes the sound afresh from its start.
  if (state.audioRestart) state.readAheadPosition = 0;
  const SampleEntry& entry = player.table().entries[state.position];
  if (entry.isAudio()) {
    // Sound already written ahead of an earlier picture is passed over.
    if (state.position >= state.readAheadPosition) playSound(player, entry);
  } else if (!showPicture(player, entry)) {
    writeSoundAhead(player, entries);
    return;
  }

  state.position += 1;
  if (state.position < entries) return;
  reachEnd(player, entries);
}

int32_t nextTickDelayMs(Player& player) {
  PlaybackState& state = player.playback;
  if (state.paused && !state.stepRequest) return kWaitForInput;
  if (!state.fileHandle.isOpen()) return state.stepRequest ? 0 : kWaitForInput;
  const int32_t entries = entriesInTable(player.table());
  if (state.position < 0 || state.position >= entries) return 0;
  const SampleEntry& entry = player.table().entries[state.position];
  if (entry.isAudio() || state.audioRestart || state.stepRequest ||
      state.frameRateMode != FrameRateMode::Normal)
    return 0;

  // A picture waits for the sound clock: see where the clock is now.
  const double played = state.elapsedBytes + cursorProgress(state, player.ports.sound.playCursor());
  const int32_t stamp = entry.timeStamp();
  if (dueStamp(state.timeScale, played) >= stamp) return 0;
  const double byteRate = soundFrameRate(player);
  const double scale = state.timeScale;
  // Ring bytes still to play until the picture is due; infinite when it
  // never will be (a time base of 0); a poll when the scale or rate is odd.
  double waitBytes = std::numeric_limits<double>::infinity();
  if (scale > 0.0 && std::isfinite(scale) && byteRate > 0.0)
    waitBytes = stamp / scale - played;
  else if (scale > 0.0)
    waitBytes = byteRate * kMaxTickDelayMs / 1000.0;
  if (readAheadStart(state) < entries) {
    const double spare = state.writtenBytes - played - leadTargetBytes(player);
    if (spare < 0.0) return 0;
    waitBytes = std::min(waitBytes, spare);
  }
  if (std::isinf(waitBytes)) return kWaitForInput;
  if (!(byteRate > 0.0)) return kMaxTickDelayMs;
  const double ms = std::ceil(waitBytes * 1000.0 / byteRate);
  return static_cast<int32_t>(std::clamp(ms, 1.0, double(kMaxTickDelayMs)));
}

}  // namespace zentrov
