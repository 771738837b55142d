// The real-time null sound ring, driven by a hand-set clock.

#include "playback/clock_sound_ring.h"

#include <gtest/gtest.h>

#include <vector>

#include "playback/playback_tick.h"
#include "shell/player.h"
#include "support/playback_movies.h"
#include "support/recording_ports.h"

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

TEST_F(ClockSoundRingTest, CursorMovesOnlyWhilePlaying) {
  clock_.time += seconds(3);
  EXPECT_EQ(ring_.playCursor(), 0u);
  EXPECT_EQ(ring_.playedBytes(), 0u);

  ring_.playLooping();
  clock_.time += seconds(1);
  EXPECT_EQ(ring_.playCursor(), 176400u);  // 44,100 frames of 4 bytes
  clock_.time += milliseconds(500);
  EXPECT_EQ(ring_.playCursor(), 264600u);

  ring_.stop();
  clock_.time += seconds(2);
  EXPECT_EQ(ring_.playCursor(), 264600u);
  ring_.playLooping();                                     // continues from where it stopped
  clock_.time += nanoseconds(1000000000 / 44100 * 3 / 2);  // one and a half frames
  EXPECT_EQ(ring_.playCursor(), 264604u);
  EXPECT_EQ(ring_.playedBytes(), 264604u);
}

TEST_F(ClockSoundRingTest, CursorWrapsWhileProgressKeepsCounting) {
  ring_.playLooping();
  clock_.time += seconds(6);
  EXPECT_EQ(ring_.playCursor(), 6u * 176400 - kRingBytes);
  EXPECT_EQ(ring_.playedBytes(), 6u * 176400);
  clock_.time += seconds(60);
  EXPECT_EQ(ring_.playedBytes(), 66u * 176400);
  EXPECT_EQ(ring_.playCursor(), (66u * 176400) % kRingBytes);
}

TEST_F(ClockSoundRingTest, FrequencyAndPositionChangesCountFromThen) {
  ring_.setFrequency(22050);
  ring_.playLooping();
  clock_.time += seconds(2);
  EXPECT_EQ(ring_.playedBytes(), 176400u);
  ring_.setFrequency(11025);
  clock_.time += seconds(1);
  EXPECT_EQ(ring_.playedBytes(), 176400u + 44100u);

  // A jump is not progress; playing goes on from the new place.
  ring_.setPosition(kRingBytes + 8);
  EXPECT_EQ(ring_.playCursor(), 8u);
  EXPECT_EQ(ring_.playedBytes(), 220500u);
  clock_.time += seconds(1);
  EXPECT_EQ(ring_.playCursor(), 8u + 44100u);
  EXPECT_EQ(ring_.playedBytes(), 264600u);

  ring_.setFrequency(0);
  clock_.time += seconds(5);
  EXPECT_EQ(ring_.playedBytes(), 264600u);
}

TEST_F(ClockSoundRingTest, HoursOfPlayDoNotOverflow) {
  ring_.setFrequency(48000);
  ring_.playLooping();
  clock_.time += std::chrono::hours(100);
  EXPECT_EQ(ring_.playedBytes(), 100ull * 3600 * 48000 * 4);
}

TEST_F(ClockSoundRingTest, WritesWrapAndClearSilences) {
  const uint8_t data[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_TRUE(ring_.write(kRingBytes - 2, data, 6));
  const std::vector<uint8_t>& bytes = ring_.bytes();
  EXPECT_EQ(bytes[kRingBytes - 2], 1);
  EXPECT_EQ(bytes[kRingBytes - 1], 2);
  EXPECT_EQ(bytes[0], 3);
  EXPECT_EQ(bytes[3], 6);
  EXPECT_EQ(bytes[4], 0);
  ring_.clear();
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[kRingBytes - 1], 0);
}

// The tick paced by this ring shows each frame at the first millisecond at
// which the played sound reaches the frame's time.
TEST_F(ClockSoundRingTest, PacesAWholeMovieInRealTime) {
  CallLog log;
  FakeFrameOutput frames(log);
  FakeControls controls(log);
  FakeSettings settings(log);
  FakeDialogs dialogs(log);
  Player player(Ports{ring_, frames, controls, settings, dialogs});
  ASSERT_EQ(openPath(player, writeMovie("ClockRingPacing", pacedSoundMovie())), OpenResult::Opened);

  const nanoseconds start = clock_.time;
  std::vector<long> shownAtMs;
  for (long ms = 0; ms < 200 && !player.playback.paused; ++ms) {
    clock_.time = start + milliseconds(ms);
    for (int i = 0; i < 4; ++i) {
      const int before = frames.presents;
      playbackTick(player);
      if (frames.presents != before) shownAtMs.push_back(ms);
    }
  }
  // Stamps 0, 1,000 and 2,000 sound frames at 44,100 Hz: 0, 22.7 and 45.4 ms.
  EXPECT_EQ(shownAtMs, (std::vector<long>{0, 23, 46}));
  EXPECT_FALSE(ring_.playing());  // stopped at the end
  EXPECT_EQ(ring_.frequency(), 44100u);
}

}  // namespace
}  // namespace zentrov::test
