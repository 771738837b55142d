#pragma once
// Playing a movie to its end with no window: the tick as often as the core
// asks for it, resting in between instead of spinning.

#include <cstdint>
#include <functional>

#include "headless/headless_host.h"

namespace zentrov {

// Where a headless loop rests; real time, or a test clock.
class Rest {
 public:
  virtual ~Rest() = default;
  virtual void sleepMs(int32_t ms) = 0;
};

// Sleeps the calling thread.
class ThreadRest : public Rest {
 public:
  void sleepMs(int32_t ms) override;
};

enum class PlayEnd {
  Ended,     // playback paused: the movie's end
  NeverDue,  // playing, but the next picture can never be due (a time base of 0)
};

// Ticks until playback pauses, resting for as long as nextTickDelayMs
// allows; `shown` hears the table index of each picture presented.
PlayEnd playToEnd(HeadlessHost& host, Rest& rest, const std::function<void(int32_t)>& shown);

}  // namespace zentrov
