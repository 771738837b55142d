// The real-time null sound ring, driven by a hand-set clock.

#include "headless/clock_sound_ring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zentrov::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;
using std::chrono::seconds;

class ManualClock : public MonotonicClock {
 public:
  nanoseconds now() override { return time; }
  nanoseconds time{123456789};  // not zero: the ring must count from its start
};

class ClockSoundRingTest : public ::testing::Test {
 protected:
  ManualClock clock_;
  ClockSoundRing ring_{clock_};
};

TEST_F(ClockSoundRingTest, CursorMovesFourBytesPerFrameOnlyWhilePlaying) {
  clock_.time += seconds(3);
  EXPECT_EQ(ring_.playCursor(), 0u);
  ring_.playLooping();
  clock_.time += milliseconds(1500);
  EXPECT_EQ(ring_.playCursor(), 264600u);  // 66,150 frames at 44,100 Hz
  ring_.stop();
  clock_.time += seconds(2);
  ring_.playLooping();                                     // continues from where it stopped
  clock_.time += nanoseconds(1000000000 / 44100 * 3 / 2);  // one and a half frames
  EXPECT_EQ(ring_.playCursor(), 264604u);
  ring_.setFrequency(11025);  // a new rate counts from then
  clock_.time += seconds(1);
  EXPECT_EQ(ring_.playedBytes(), 264604u + 44100u);
  ring_.setPosition(kRingBytes + 8);  // a jump is not progress
  clock_.time += seconds(1);
  EXPECT_EQ(ring_.playCursor(), 8u + 44100u);
  EXPECT_EQ(ring_.playedBytes(), 264604u + 88200u);
}

TEST_F(ClockSoundRingTest, CursorWrapsWhileProgressKeepsCountingForHours) {
  ring_.playLooping();
  clock_.time += seconds(6);
  EXPECT_EQ(ring_.playCursor(), 6u * 176400 - kRingBytes);
  EXPECT_EQ(ring_.playedBytes(), 6u * 176400);
  ring_.setFrequency(48000);
  clock_.time += std::chrono::hours(200);  // nanoseconds x rate would pass 2^64
  const uint64_t played = 6ull * 176400 + 200ull * 3600 * 48000 * 4;
  EXPECT_EQ(ring_.playedBytes(), played);
  EXPECT_EQ(ring_.playCursor(), played % kRingBytes);
}

TEST_F(ClockSoundRingTest, WritesWrapAndClearSilences) {
  const uint8_t data[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_TRUE(ring_.write(kRingBytes - 2, data, 6));
  const std::vector<uint8_t>& bytes = ring_.bytes();
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 3, bytes.end()), (std::vector<uint8_t>{0, 1, 2}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 5),
            (std::vector<uint8_t>{3, 4, 5, 6, 0}));
  ring_.clear();
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), long(kRingBytes));
}

}  // namespace
}  // namespace zentrov::test
