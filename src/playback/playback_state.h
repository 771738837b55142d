#pragma once
// The player's playback record: which movie is open, where playback stands in
// its sample table, how pictures are paced and where the next sound goes.

#include <cstdint>

#include "film/movie_file.h"

namespace zentrov {

enum class FrameRateMode : int32_t { NoWait = 0, Normal = 1 };

constexpr int32_t kVolumeFull = 0;
constexpr int32_t kVolumeSilent = -10000;
// How much sound the tick keeps written ahead of the play cursor while a
// picture waits. A mixer takes sound some tens of milliseconds before it is
// heard (Wine's DirectSound about 10-30 ms, a browser's audio thread a
// render quantum or two); a quarter second covers that with room for a
// late tick, and is far below the ring's 6 s, so unplayed sound is never
// overwritten.
constexpr int32_t kDefaultSoundLeadMs = 250;

struct PlaybackState {
  MovieFile fileHandle;  // the open movie; closed when none
  int32_t headerIndex = 0;
  int32_t position = -1;
  bool paused = true;
  bool stepRequest = false;
  bool loop = false;
  FrameRateMode frameRateMode = FrameRateMode::Normal;
  bool audioRestart = false;
  int32_t volume = kVolumeFull;
  int32_t ringWriteOffset = 0;
  int32_t lastPlayCursor = 0;
  double elapsedBytes = 0.0;
  double timeScale = 0.0;
  int32_t frameWidth = 320;
  int32_t frameHeight = 240;

  // Sound written ahead of a waiting picture. The audio entries in
  // [position, readAheadPosition) are in the ring already and are passed
  // over when the tick reaches them; meaningless while audioRestart is set.
  int32_t readAheadPosition = 0;
  double writtenBytes = 0.0;  // bytes written into the ring since the clock started
  // The lead of sound to keep; a host raises it when its ticks may come late
  // (a browser tab in the background).
  int32_t soundLeadMs = kDefaultSoundLeadMs;
};

}  // namespace zentrov
