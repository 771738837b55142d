#pragma once
// The player's playback record: which movie is open, where playback stands in
// its sample table, how pictures are paced and where the next sound goes.

#include <cstdint>

#include "film/movie_file.h"

namespace zentrov {

enum class FrameRateMode : int32_t { NoWait = 0, Normal = 1 };

constexpr int32_t kVolumeFull = 0;
constexpr int32_t kVolumeSilent = -10000;

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
};

}  // namespace zentrov
