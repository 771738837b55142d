// The real-time null sound ring, driven by a hand-set clock.

#include "headless/clock_sound_ring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zentrov {
namespace {

using std::chrono::seconds;

class ManualClock : public MonotonicClock {
 public:
  std::chrono::nanoseconds now() override { return time; }
  std::chrono::nanoseconds time{123456789};  // not zero: the ring counts from its start
};

TEST(ClockSoundRing, CursorMovesWhilePlayingAtTheRateSetAndWraps) {
  ManualClock clock;
  ClockSoundRing ring(clock);
  clock.time += seconds(3);
  EXPECT_EQ(ring.playCursor(), 0u);  // stopped
  ring.playLooping();
  clock.time += std::chrono::milliseconds(1500);
  EXPECT_EQ(ring.playCursor(), 264600u);  // 66,150 frames at 44,100 Hz
  ring.stop();
  clock.time += seconds(2);
  ring.playLooping();
  clock.time += std::chrono::nanoseconds(1000000000 / 44100 * 3 / 2);  // a frame and a half
  EXPECT_EQ(ring.playCursor(), 264604u);
  ring.setFrequency(11025);  // a new rate counts from then
  clock.time += seconds(1);
  ring.setPosition(kRingBytes + 8);  // a jump is no progress
  clock.time += seconds(6);
  EXPECT_EQ(ring.playCursor(), (8u + 6 * 44100) & kRingMask);
  EXPECT_EQ(ring.playedBytes(), 264604u + 7 * 44100);
  ring.setFrequency(48000);
  clock.time += std::chrono::hours(200);  // nanoseconds x rate would pass 2^64
  const uint64_t hours = 200ull * 3600 * 48000 * 4;
  EXPECT_EQ(ring.playedBytes(), 264604u + 7 * 44100 + hours);
  EXPECT_EQ(ring.playCursor(), (8u + 6 * 44100 + hours) & kRingMask);

  const uint8_t data[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_TRUE(ring.write(kRingBytes - 2, data, 6));
  const std::vector<uint8_t>& bytes = ring.bytes();
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 3, bytes.end()), (std::vector<uint8_t>{0, 1, 2}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 5),
            (std::vector<uint8_t>{3, 4, 5, 6, 0}));
  ring.clear();
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), long(kRingBytes));
}

}  // namespace
}  // namespace zentrov
