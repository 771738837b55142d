#pragma once
// How fast this build decodes a movie, with no file reading and no pacing in
// the measurement: every sample of the open movie is loaded first.

#include <cstdint>
#include <vector>

#include "playback/player.h"

namespace zentrov {

class DecodeBench {
 public:
  // Processor time keeps a busy machine from lowering the rates (ffmpeg is
  // measured by it too); a browser page has only wall time.
  enum class Clock { Processor, Wall };

  // Loads every sample of the movie open in `player`.
  DecodeBench(Player& player, Clock clock);

  // Each runs for `seconds` over the samples, again and again in order.
  double videoRate(double seconds);    // frames per second
  double convertRate(double seconds);  // decoded and converted into a 32-bit surface
  double audioRate(double seconds);    // sound frames per second; 0 without sound

 private:
  template <typename Step>
  double measure(const std::vector<std::vector<uint8_t>>& samples, double seconds, Step step,
                 bool restartSound);

  Player& player_;
  Clock clock_;
  std::vector<std::vector<uint8_t>> video_, audio_;
};

}  // namespace zentrov
