// Whole movies played to their end by the headless loop on a real-time ring
// whose clock only moves while the loop rests (and a little per reading, as
// work takes time): pictures on time, sound always a lead ahead of the play
// cursor, every sound entry in the ring once and in order, and a loop that
// rests instead of spinning.

#include "headless/paced_loop.h"

#include <gtest/gtest.h>

#include "headless/clock_sound_ring.h"
#include "playback/movie_open.h"
#include "support/movies.h"

namespace zentrov::test {
namespace {

struct WorkingClock : MonotonicClock {
  std::chrono::nanoseconds now() override { return ++reads, time += std::chrono::microseconds(20); }
  std::chrono::nanoseconds time{1};
  uint64_t reads = 0;
};

constexpr uint32_t kRate = 44100;
constexpr uint32_t kChunk = 1470 * 4;  // a 30th of a second of 16-bit stereo

enum class Layout { SoundAfterPicture, SoundLeadsBySecond, NoSound };

// 60 pictures at 30 per second, each with a 30th of a second of sound,
// stored as the layout says.
FilmSpec movie(Layout layout, Bytes& sound) {
  FilmSpec spec;
  spec.audioChannels = layout == Layout::NoSound ? 0 : 2;
  spec.sampleRate = kRate << 16;
  spec.timeBase = int32_t(kRate);
  const int frames = 60, lead = layout == Layout::SoundLeadsBySecond ? 30 : 0;
  auto addSound = [&](int i) {
    Bytes chunk = pattern(kChunk, uint32_t(i + 1));
    Bytes pcm = expectedPcm(chunk, 16, 2);
    sound.insert(sound.end(), pcm.begin(), pcm.end());
    spec.samples.push_back(audioSample(chunk));
  };
  for (int i = 0; i < lead; ++i) addSound(i);
  for (int i = 0; i < frames; ++i) {
    spec.samples.push_back(videoSample(greyFrame(uint8_t(i)), uint32_t(i) * 1470));
    if (layout != Layout::NoSound && i + lead < frames) addSound(i + lead);
  }
  return spec;
}

TEST(PacedLoop, PicturesOnTimeSoundAheadAndTheLoopRests) {
  for (Layout layout : {Layout::SoundAfterPicture, Layout::SoundLeadsBySecond, Layout::NoSound}) {
    SCOPED_TRACE(int(layout));
    Bytes sound;
    const FilmSpec spec = movie(layout, sound);
    WorkingClock clock;
    ClockSoundRing ring(clock);
    HeadlessHost host(&ring);
    Player& player = host.player;
    player.shell.currentFileName = writeScratch("paced" + std::to_string(int(layout)), buildFilm(spec));
    ASSERT_EQ(openMovie(player, OpenRequest::fromStart()), OpenResult::Opened);

    // At every rest the ring holds at least the lead, unless no sound is
    // left to write.
    struct : Rest {
      void sleepMs(int32_t ms) override {
        ++rests;
        const double lead = state->writtenBytes - double(ring->playedBytes());
        if (state->writtenBytes < total) minLead = std::min(minLead, lead);
        clock->time += std::chrono::milliseconds(ms);
      }
      WorkingClock* clock;
      ClockSoundRing* ring;
      PlaybackState* state;
      double total, minLead = 1e9;
      int rests = 0;
    } rest;
    rest.clock = &clock, rest.ring = &ring, rest.state = &player.playback;
    rest.total = double(sound.size());

    std::vector<int32_t> shown;
    ASSERT_EQ(playToEnd(host, rest, [&](int32_t at) {
      shown.push_back(at);
      const double due = spec.samples[size_t(at)].info1 / double(kRate);
      const double at_s = double(ring.playedBytes()) / (4.0 * kRate);
      EXPECT_GE(at_s, due - 1e-9) << "entry " << at << " early";
      EXPECT_LT(at_s, due + 0.010) << "entry " << at << " late";
    }), PlayEnd::Ended);

    ASSERT_EQ(shown.size(), 60u);
    for (size_t i = 1; i < shown.size(); ++i) EXPECT_LT(shown[i - 1], shown[i]);
    const double leadBytes = 4.0 * kRate * kDefaultSoundLeadMs / 1000.0;
    if (layout != Layout::NoSound) {
      EXPECT_GE(rest.minLead, 0.95 * leadBytes);
      const Bytes& inRing = ring.bytes();
      ASSERT_EQ(player.playback.writtenBytes, double(sound.size()));
      EXPECT_TRUE(std::equal(sound.begin(), sound.end(), inRing.begin())) << "sound out of order";
    }
    // Two seconds of movie: a spinning loop reads the clock some 100,000
    // times; a resting one a few times per entry.
    EXPECT_LT(clock.reads, 8 * spec.samples.size());
    EXPECT_GT(rest.rests, 50);
  }
}

}  // namespace
}  // namespace zentrov::test
