// The headless loop and its real-time null ring: the ring's clock, then whole
// movies played to their end on a clock that only moves while the loop rests
// (and a little per reading, as work takes time): pictures on time, sound a
// lead ahead of the play cursor, and a loop that rests instead of spinning.

#include "headless/paced_loop.h"

#include <gtest/gtest.h>

#include "headless/clock_sound_ring.h"
#include "playback/movie_open.h"
#include "support/movies.h"

namespace zentrov::test {
namespace {

struct TestClock : MonotonicClock {
  std::chrono::nanoseconds now() override { return ++reads, time += perReading; }
  std::chrono::nanoseconds time{123456789};  // not zero: the ring counts from its start
  std::chrono::nanoseconds perReading{0};
  uint64_t reads = 0;
};

// Four bytes a frame, only while playing, at the rate last set; a jump of
// the position is no progress; hours of it do not overflow.
TEST(ClockSoundRing, CursorAndProgressFollowTheClock) {
  using std::chrono::seconds;
  TestClock clock;
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

constexpr uint32_t kRate = 44100;

// 60 pictures at 30 per second, each with a 30th of a second of 16-bit
// stereo sound stored after it, or a second ahead of it.
FilmSpec movie(bool soundAhead) {
  FilmSpec spec;
  spec.sampleRate = kRate << 16;
  spec.timeBase = int32_t(kRate);
  const int lead = soundAhead ? 30 : 0;
  for (int i = 0; i < lead; ++i) spec.samples.push_back(audioSample(pattern(1470 * 4, i)));
  for (int i = 0; i < 60; ++i) {
    spec.samples.push_back(videoSample(greyFrame(uint8_t(i)), uint32_t(i) * 1470));
    if (i + lead < 60) spec.samples.push_back(audioSample(pattern(1470 * 4, i + lead)));
  }
  return spec;
}

TEST(PacedLoop, PicturesOnTimeSoundAheadAndTheLoopRests) {
  for (bool soundAhead : {false, true}) {
    SCOPED_TRACE(soundAhead);
    const FilmSpec spec = movie(soundAhead);
    TestClock clock;
    clock.perReading = std::chrono::microseconds(20);
    ClockSoundRing ring(clock);
    HeadlessHost host(&ring);
    Player& player = host.player;
    player.shell.currentFileName = writeScratch("paced.cpk", buildFilm(spec));
    ASSERT_EQ(openMovie(player, OpenRequest::fromStart()), OpenResult::Opened);

    // At every rest the ring holds at least the lead, unless no sound is
    // left to write.
    struct : Rest {
      void sleepMs(int32_t ms) override {
        ++rests;
        if (state->writtenBytes < 60 * 1470 * 4)
          minLead = std::min(minLead, state->writtenBytes - double(ring->playedBytes()));
        clock->time += std::chrono::milliseconds(ms);
      }
      TestClock* clock;
      ClockSoundRing* ring;
      PlaybackState* state;
      double minLead = 1e9;
      int rests = 0;
    } rest;
    rest.clock = &clock, rest.ring = &ring, rest.state = &player.playback;

    int shown = 0;
    ASSERT_EQ(playToEnd(host, rest, [&](int32_t at) {
      ++shown;
      const double due = spec.samples[size_t(at)].info1 / double(kRate);
      const double now = double(ring.playedBytes()) / (4.0 * kRate);
      EXPECT_GE(now, due - 1e-9) << "entry " << at << " early";
      EXPECT_LT(now, due + 0.010) << "entry " << at << " late";
    }), PlayEnd::Ended);
    EXPECT_EQ(shown, 60);
    EXPECT_GE(rest.minLead, 0.95 * 4.0 * kRate * kDefaultSoundLeadMs / 1000.0);
    // Two seconds of movie: a spinning loop reads the clock some 100,000
    // times; a resting one a few times per entry.
    EXPECT_LT(clock.reads, 8 * spec.samples.size());
    EXPECT_GT(rest.rests, 50);
  }
}

}  // namespace
}  // namespace zentrov::test
