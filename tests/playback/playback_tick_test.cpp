// Whole movies driven through openMovie and repeated ticks, with a sound
// ring whose play cursor the test moves: when each frame is shown, which
// bytes land where in the ring, the restart of the sound, and the limits.

#include "playback/playback_tick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codec/adx_decoder.h"
#include "playback/command_ids.h"
#include "playback/transport.h"
#include "support/playback_movies.h"
#include "support/recording_ports.h"
#include "support/test_paths.h"

namespace zentrov::test {
namespace {

using Lines = std::vector<std::string>;

// With the time base at the sound rate, a time stamp counts sound frames: a
// frame stamped S is due once the ring has played 4 x S bytes.
constexpr int32_t kRate = 44100;

// A movie with no samples yet; no channels is a silent one, whose clock runs
// at 44,100 Hz whatever its sample rate says.
FilmSpec movieSpec(int channels, int bits = 16) {
  FilmSpec spec;
  spec.audioChannels = int8_t(channels);
  spec.audioBits = int8_t(bits);
  if (channels > 0) spec.sampleRate = uint32_t(kRate) << 16;
  spec.timeBase = kRate;
  return spec;
}

// Plain model of the sound a sample becomes: 16-bit stereo frames, little
// endian, left then right; planar stereo takes right from the second half;
// 8-bit bytes repeat into both halves of the word; past the data reads 0.
std::vector<uint8_t> expectedPcm(const std::vector<uint8_t>& in, int bits, int channels) {
  const size_t n = in.size();
  const size_t frames = (n * size_t((32 / bits) / channels) + 3) / 4;
  const size_t half = channels == 2 ? n / 2 : 0;
  auto at = [&](size_t i) -> uint8_t { return i < n ? in[i] : 0; };
  std::vector<uint8_t> out;
  for (size_t f = 0; f < frames; ++f) {
    if (bits == 8) {
      out.insert(out.end(), {at(f), at(f), at(half + f), at(half + f)});
    } else {
      const size_t l = 2 * f, r = half + 2 * f;
      out.insert(out.end(), {at(l + 1), at(l), at(r + 1), at(r)});
    }
  }
  return out;
}

std::vector<uint8_t> ringBytes(const FakeRig& rig, uint32_t offset, size_t n) {
  std::vector<uint8_t> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = rig.sound.ring[(offset + i) & kRingMask];
  return out;
}

Lines head(const Lines& lines, size_t n) {
  return Lines(lines.begin(), lines.begin() + long(std::min(n, lines.size())));
}

// The restart of the sound around the first sample's write (if any).
Lines restart(const std::string& write, bool play = true) {
  Lines lines = {"sound.position 0",      write,       "sound.pan 0", "sound.volume 0",
                 "sound.frequency 44100", "sound.play"};
  if (write.empty()) lines.erase(lines.begin() + 1);
  if (!play) lines.pop_back();
  return lines;
}

class TickTest : public ::testing::Test {
 protected:
  void open(const FilmSpec& spec) { ASSERT_EQ(openTestMovie(player_, spec), OpenResult::Opened); }
  // Moves the play cursor to `progress` bytes since the clock started.
  void playTo(uint64_t progress) { rig_.sound.cursor = uint32_t(progress & kRingMask); }
  bool shows() {
    const int before = rig_.frames.presents;
    playbackTick(player_);
    return rig_.frames.presents != before;
  }
  Lines tickLog() {
    const size_t mark = rig_.log.size();
    playbackTick(player_);
    return Lines(rig_.log.begin() + long(mark), rig_.log.end());
  }

  FakeRig rig_;
  Player& player_ = rig_.player;
};

TEST_F(TickTest, FramesAreShownWhenTheClockReachesThemAcrossTurnsOfTheRing) {
  const std::vector<uint32_t> stamps = {0, 1000, 262000, 262200, 600000, 1000000, 1000001};
  FilmSpec spec = movieSpec(0);
  for (size_t i = 0; i < stamps.size(); ++i)
    spec.samples.push_back(videoSample(greyFrame(uint8_t(10 + i)), stamps[i]));
  open(spec);

  // The silent clock starts with the first frame, which is due at once.
  EXPECT_EQ(head(tickLog(), 5), (Lines{"sound.position 0", "sound.pan 0", "sound.volume -10000",
                                       "sound.frequency 44100", "sound.play"}));
  EXPECT_EQ(rig_.controls.status[kStatusPosition], "0");

  uint64_t progress = 0;
  for (size_t i = 1; i < stamps.size(); ++i) {
    const uint64_t due = 4 * uint64_t(stamps[i]);
    // Approach in steps shorter than a turn of the ring, then one short of it.
    while (progress + 400000 < due - 4) {
      playTo(progress += 400000);
      ASSERT_FALSE(shows()) << "frame " << i << " early at " << progress;
    }
    playTo(due - 4);
    ASSERT_FALSE(shows()) << "frame " << i << " one sound frame early";
    playTo(progress = due);
    ASSERT_TRUE(shows()) << "frame " << i << " not shown when due";
    EXPECT_EQ(rig_.controls.status[kStatusPosition], std::to_string(i));
    EXPECT_EQ(rig_.frames.surfaces[rig_.frames.backIndex].at(0) & 0xFFFFFFu,
              greyPixel(uint8_t(10 + i)));
  }
  EXPECT_EQ(rig_.controls.status[kStatusState], "End.");
}

// No sound has started the clock yet, so pictures that come first are shown
// at once; once sound starts, pictures wait.
TEST_F(TickTest, PicturesBeforeTheFirstSoundDoNotWaitOnAStoppedRing) {
  FilmSpec spec = movieSpec(2);
  spec.samples = {videoSample(greyFrame(20), 500), videoSample(greyFrame(30), 900),
                  audioSample(pattern(4000, 1)), videoSample(greyFrame(40), 1000)};
  open(spec);
  EXPECT_TRUE(shows());
  EXPECT_TRUE(shows());
  EXPECT_FALSE(rig_.sound.playing);
  EXPECT_FALSE(shows());  // the sound starts the ring and the clock
  EXPECT_TRUE(rig_.sound.playing);
  playTo(4 * 1000 - 4);
  EXPECT_FALSE(shows());
  playTo(4 * 1000);
  EXPECT_TRUE(shows());
}

TEST_F(TickTest, SoundRunsAheadIntoTheRingAndWrapsAtItsEnd) {
  constexpr uint32_t kChunk = 100000;  // eleven of them cross the end of the ring
  FilmSpec spec = movieSpec(2);
  for (uint32_t k = 0; k < 11; ++k) spec.samples.push_back(audioSample(pattern(kChunk, k)));
  spec.samples.push_back(videoSample(greyFrame(50), 0));
  open(spec);

  uint32_t offset = 0;
  for (size_t k = 0; k < 11; ++k) {
    const std::string write = "sound.write " + std::to_string(offset) + " 100000";
    EXPECT_EQ(tickLog(), k == 0 ? restart(write) : Lines{write}) << "sample " << k;
    EXPECT_EQ(ringBytes(rig_, offset, kChunk), expectedPcm(spec.samples[k].data, 16, 2))
        << "sample " << k;
    offset = (offset + kChunk) & kRingMask;
  }
  EXPECT_EQ(player_.playback.ringWriteOffset, int32_t(11 * kChunk - kRingBytes));
  EXPECT_TRUE(shows());  // stamp 0 with the cursor still at 0
}

// The ring holds each sample's sound back to back, whole frames only, so a
// chunk of an odd byte count never shifts the ones after it by half a frame.
// ADX keeps its history from chunk to chunk, so one decoder run over the
// chunks in table order gives the sound expected.
TEST(TickFormatTest, RingHoldsEachSampleAsWholeStereoFrames) {
  const struct {
    const char* name;
    int channels, bits, compression;
    std::vector<size_t> lengths;
  } cases[] = {
      {"Pcm8Mono", 1, 8, 0, {5, 3, 8}},
      {"Pcm8StereoOddLengths", 2, 8, 0, {5, 7, 4}},
      {"Pcm16Mono", 1, 16, 0, {6, 4, 10}},
      {"Pcm16StereoHalfFrames", 2, 16, 0, {6, 10, 2, 8}},
      {"UnknownCompressionIsSilence", 2, 16, 1, {6, 8, 3}},
      {"AdxStereo", 2, 16, 2, {36 * 4, 36 * 4, 36 * 4}},  // four stereo blocks each
  };
  for (const auto& c : cases) {
    FakeRig rig;
    FilmSpec spec = movieSpec(c.channels, c.bits);
    spec.audioCompression = int8_t(c.compression);
    AdxDecoder adx;
    adx.reset();
    std::vector<uint8_t> expected, pcm;
    for (size_t k = 0; k < c.lengths.size(); ++k) {
      std::vector<uint8_t> data = pattern(c.lengths[k], uint32_t(100 + k));
      if (c.compression == 0) pcm = expectedPcm(data, c.bits, c.channels);
      if (c.compression == 1) pcm.assign((data.size() + 3) / 4 * 4, 0);
      if (c.compression == 2) {
        if (k == 0) std::fill(data.begin(), data.begin() + 4, 0);  // an empty stream header
        pcm.assign(kPcmBufferBytes, 0);
        pcm.resize(size_t(
            adx.decode(data.data(), int32_t(data.size()), pcm.data(), true, kPcmBufferBytes)));
      }
      expected.insert(expected.end(), pcm.begin(), pcm.end());
      spec.samples.push_back(audioSample(data));
    }
    spec.samples.push_back(videoSample(greyFrame(1), 0));
    ASSERT_EQ(openTestMovie(rig.player, spec, c.name), OpenResult::Opened) << c.name;
    std::fill(rig.sound.ring.begin(), rig.sound.ring.end(), 0xAA);  // silence must be written
    for (size_t k = 0; k < c.lengths.size(); ++k) playbackTick(rig.player);
    EXPECT_EQ(rig.player.playback.ringWriteOffset, int32_t(expected.size())) << c.name;
    EXPECT_EQ(ringBytes(rig, 0, expected.size()), expected) << c.name;
  }
}

// Replay and the loop wrap restart the sound at the first sample and the
// clock from 0; while paused the ring is set up but stays stopped.
TEST_F(TickTest, ReplayAndLoopWrapRestartTheSoundAndTheClock) {
  open(pacedSoundMovie());
  toggleLoop(player_);
  playbackTick(player_);
  EXPECT_TRUE(shows());
  playbackTick(player_);
  playTo(2500);
  EXPECT_FALSE(shows());

  replayMovie(player_);
  EXPECT_EQ(tickLog(), restart("sound.write 0 4000"));
  // The clock counts from the restart: frame 1 needs 4,000 bytes again.
  EXPECT_TRUE(shows());
  playbackTick(player_);
  playTo(3996);
  EXPECT_FALSE(shows());
  playTo(4000);
  EXPECT_TRUE(shows());
  playbackTick(player_);
  playTo(8000);
  EXPECT_TRUE(shows());  // the last frame, then round to the start
  EXPECT_EQ(player_.playback.position, 0);
  EXPECT_EQ(tickLog(), restart("sound.write 0 4000"));
  EXPECT_EQ(rig_.controls.status[kStatusState], "Play...");

  pausePlayback(player_);
  for (int i = 0; i < 3; ++i) {  // frames 0, 1 and 2, then round to the start
    stepFrame(player_);
    if (i > 0) playbackTick(player_);  // the sound before the frame
    EXPECT_TRUE(shows()) << i;
  }
  EXPECT_EQ(player_.playback.position, 0);
  EXPECT_EQ(tickLog(), restart("sound.write 0 4000", false));
  EXPECT_TRUE(shows());
  EXPECT_EQ(rig_.controls.status[kStatusPosition], "1");
  EXPECT_FALSE(shows());  // one step only
}

TEST_F(TickTest, TimeBaseZeroWaitsUntilTheModeChanges) {
  FilmSpec spec = movieSpec(0);
  spec.timeBase = 0;
  spec.samples = {videoSample(greyFrame(1), 0), videoSample(greyFrame(2), 5)};
  open(spec);
  EXPECT_TRUE(shows());
  playTo(2700000);
  EXPECT_FALSE(shows());
  selectFrameRate(player_, FrameRateMode::NoWait);
  EXPECT_TRUE(shows());
}

// A time base so large that timeScale x progress leaves the 32-bit range:
// the due stamp saturates instead of wrapping negative and never arriving.
TEST_F(TickTest, HugeTimeBaseSaturatesTheDueStamp) {
  FilmSpec spec = movieSpec(0);
  spec.timeBase = 0x7FFFFFFF;
  spec.samples = {videoSample(greyFrame(1), 0), videoSample(greyFrame(2), 0x7FFFFFFF)};
  open(spec);
  EXPECT_TRUE(shows());
  playTo(4);  // 12,174 per byte: under the stamp
  EXPECT_FALSE(shows());
  playTo(400000);  // far past 2^31 before truncation
  EXPECT_TRUE(shows());
}

// A lost ring write must not shift the sound after it: that sound keeps its
// own place in the ring, in step with the pictures.
TEST_F(TickTest, FailedRingWriteKeepsLaterSoundInItsPlace) {
  FilmSpec spec = movieSpec(2);
  spec.samples = {audioSample(pattern(400, 1)), audioSample(pattern(800, 2)),
                  audioSample(pattern(1200, 3)), videoSample(greyFrame(1), 0)};
  open(spec);
  playbackTick(player_);
  rig_.sound.failWrites = true;
  playbackTick(player_);
  rig_.sound.failWrites = false;
  playbackTick(player_);
  EXPECT_EQ(player_.playback.ringWriteOffset, 2400);
  EXPECT_EQ(ringBytes(rig_, 0, 400), expectedPcm(spec.samples[0].data, 16, 2));
  EXPECT_EQ(ringBytes(rig_, 400, 800), std::vector<uint8_t>(800, 0));  // cleared, not written
  EXPECT_EQ(ringBytes(rig_, 1200, 1200), expectedPcm(spec.samples[2].data, 16, 2));
}

// A picture that does not decode, or a sample longer than the sample buffer
// (not even read), leaves the previous picture presented again; an oversize
// sound sample still restarts the sound, so the clock runs and the movie goes on.
TEST_F(TickTest, UndecodableOrOversizeSamplesAreSkipped) {
  std::vector<uint8_t> bigFrame = greyFrame(41);
  bigFrame.resize(kSampleBufferBytes + 1, 0);
  FilmSpec spec = movieSpec(2);
  spec.samples = {videoSample(brokenFrame(), 0), audioSample(pattern(kSampleBufferBytes + 4, 1)),
                  videoSample(greyFrame(40), 0), videoSample(brokenFrame(), 0),
                  audioSample(pattern(400, 2)),  videoSample(bigFrame, 0)};
  open(spec);
  const Lines first = tickLog();
  EXPECT_EQ(std::count(first.begin(), first.end(), "frames.convert 1"), 0);
  EXPECT_EQ(first.back(), "frames.present 0");  // the black surface opening cleared
  EXPECT_EQ(tickLog(), restart(""));
  EXPECT_TRUE(shows());
  EXPECT_EQ(head(tickLog(), 2), (Lines{"controls.status 2 3", "frames.present 1"}));
  playbackTick(player_);
  EXPECT_EQ(player_.playback.ringWriteOffset, 400);
  EXPECT_EQ(head(tickLog(), 2), (Lines{"controls.status 2 5", "frames.present 1"}));
}

TEST_F(TickTest, EmptyTableEndsAtOnceEvenWithLoop) {
  open(movieSpec(2));
  toggleLoop(player_);
  playbackTick(player_);
  EXPECT_EQ(rig_.controls.status[kStatusState], "End.");
  EXPECT_TRUE(tickLog().empty());
}

// After a refused header the name stays, so a menu can pause and a step be
// asked for; the tick must not take an entry of the stale table.
TEST_F(TickTest, StepWithNoMovieOpenTakesNothing) {
  open(pacedSoundMovie());
  for (int i = 0; i < 2; ++i) playbackTick(player_);
  const std::string bad = scratchDir("StepWithNoMovieOpenBad") + "/bad.cpk";
  ASSERT_TRUE(writeFile(bad, std::string(300, 'x')));
  ASSERT_EQ(openPath(player_, bad), OpenResult::UnknownHeader);
  pausePlayback(player_);
  stepFrame(player_);
  const int32_t position = player_.playback.position;
  EXPECT_TRUE(tickLog().empty());
  EXPECT_FALSE(player_.playback.stepRequest);
  EXPECT_EQ(player_.playback.position, position);
}

// A movie that ends with sound, stepped into its end: the step must not
// carry on past the table on later ticks.
TEST_F(TickTest, StepIntoTheEndStopsThere) {
  FilmSpec spec = movieSpec(2);
  spec.samples = {videoSample(greyFrame(1), 0), audioSample(pattern(400, 1)),
                  audioSample(pattern(400, 2))};
  open(spec);
  EXPECT_TRUE(shows());
  pausePlayback(player_);
  stepFrame(player_);
  playbackTick(player_);
  playbackTick(player_);
  EXPECT_EQ(player_.playback.position, 3);
  EXPECT_FALSE(player_.playback.stepRequest);
  EXPECT_EQ(rig_.controls.status[kStatusState], "End.");
  EXPECT_TRUE(tickLog().empty());
}

}  // namespace
}  // namespace zentrov::test
