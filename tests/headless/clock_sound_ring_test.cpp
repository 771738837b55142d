// The real-time null sound ring, driven by a hand-set clock.

#include "headless/clock_sound_ring.h"

#include <gtest/gtest.h>

namespace zentrov {
namespace {

struct ManualClock : MonotonicClock {
  std::chrono::nanoseconds now() override { return time; }
  std::chrono::nanoseconds time{123456789};  // not zero: the ring counts from its start
};

// Four bytes a frame, only while playing, at the rate last set; a jump of
// the position is no progress; hours of it do not overflow.
TEST(ClockSoundRing, CursorAndProgressFollowTheClock) {
  using std::chrono::seconds;
  ManualClock clock;
  ClockSoundRing ring(clock);
  clock.time += seconds(3);
  ring.playLooping();
  clock.time += std::chrono::milliseconds(1500);
  ring.stop();
  clock.time += seconds(2);
  ring.playLooping();
  clock.time += std::chrono::nanoseconds(1000000000 / 44100 * 3 / 2);  // a frame and a half
  EXPECT_EQ(ring.playCursor(), 264604u);                               // 66,151 frames at 44,100 Hz
  ring.setFrequency(11025);
  clock.time += seconds(1);
  ring.setPosition(kRingBytes + 8);
  clock.time += seconds(6);
  EXPECT_EQ(ring.playCursor(), 8u + 6 * 44100);
  ring.setFrequency(48000);
  clock.time += std::chrono::hours(200);
  const uint64_t hours = 200ull * 3600 * 48000 * 4;
  EXPECT_EQ(ring.playedBytes(), 264604u + 7 * 44100 + hours);
  EXPECT_EQ(ring.playCursor(), (8u + 6 * 44100 + hours) & kRingMask);
}

}  // namespace
}  // namespace zentrov
