// Whole movies driven through openMovie and repeated ticks, with a sound
// ring whose play cursor the test moves: when each frame is shown, which
// bytes land where in the ring, the restart of the sound, and the limits.

#include "playback/playback_tick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codec/adx_decoder.h"
#include "playback/transport.h"
#include "shell/command_ids.h"
#include "support/playback_movies.h"
#include "support/recording_ports.h"
#include "support/test_paths.h"

namespace zentrov::test {
namespace {

// With the time base at the sound rate, a time stamp counts sound frames: a
// frame stamped S is due once the ring has played 4 x S bytes.
constexpr int32_t kRate = 44100;
constexpr uint32_t kRateFixed = uint32_t(kRate) << 16;

std::string testName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

bool tickShows(FakeRig& rig) {
  const int before = rig.frames.presents;
  playbackTick(rig.player);
  return rig.frames.presents != before;
}

std::vector<std::string> logSince(const FakeRig& rig, size_t mark) {
  return std::vector<std::string>(rig.log.begin() + long(mark), rig.log.end());
}

std::vector<uint8_t> ringBytes(const FakeRig& rig, uint32_t offset, size_t n) {
  std::vector<uint8_t> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = rig.sound.ring[(offset + i) & kRingMask];
  return out;
}

// Plain models of the sound a sample becomes: 16-bit stereo frames, little
// endian, left then right; planar stereo takes right from the second half;
// 8-bit bytes repeat into both halves of the word; past the data reads 0.
std::vector<uint8_t> expectedPcm(const std::vector<uint8_t>& in, int bits, int channels) {
  const size_t n = in.size();
  const size_t outBytes = n * size_t((32 / bits) / channels);
  const size_t frames = (outBytes + 3) / 4;
  const size_t half = channels == 2 ? n / 2 : 0;
  auto at = [&](size_t i) -> uint8_t { return i < n ? in[i] : 0; };
  std::vector<uint8_t> out;
  for (size_t f = 0; f < frames; ++f) {
    if (bits == 8) {
      const uint8_t l = at(f), r = at(half + f);
      out.insert(out.end(), {l, l, r, r});
    } else {
      const size_t l = 2 * f, r = half + 2 * f;
      out.insert(out.end(), {at(l + 1), at(l), at(r + 1), at(r)});
    }
  }
  return out;
}

FilmSpec soundSpec(int channels = 2, int bits = 16) {
  FilmSpec spec;
  spec.audioChannels = int8_t(channels);
  spec.audioBits = int8_t(bits);
  spec.sampleRate = kRateFixed;
  spec.timeBase = kRate;
  return spec;
}

FilmSpec silentSpec() {
  FilmSpec spec;
  spec.audioChannels = 0;
  spec.timeBase = kRate;  // the silent clock runs at 44,100 Hz
  return spec;
}

class TickTest : public ::testing::Test {
 protected:
  void open(const FilmSpec& spec) {
    ASSERT_EQ(openPath(player_, writeMovie(testName(), spec)), OpenResult::Opened);
  }
  // Moves the play cursor to `progress` bytes since the clock started.
  void playTo(uint64_t progress) { rig_.sound.cursor = uint32_t(progress & kRingMask); }

  FakeRig rig_;
  Player& player_ = rig_.player;
};

TEST_F(TickTest, NothingHappensBeforeAnyMovie) {
  const size_t mark = rig_.log.size();
  for (int i = 0; i < 3; ++i) playbackTick(player_);
  EXPECT_TRUE(logSince(rig_, mark).empty());
  EXPECT_EQ(player_.playback.position, -1);
}

// Each frame appears on the first tick whose accumulated cursor progress
// reaches its stamp, across the ring's wrap and several turns of it.
TEST_F(TickTest, FramesAreShownWhenTheClockReachesThemAcrossTurnsOfTheRing) {
  const std::vector<uint32_t> stamps = {0, 1000, 262000, 262200, 600000, 1000000, 1000001};
  FilmSpec spec = silentSpec();
  for (size_t i = 0; i < stamps.size(); ++i)
    spec.samples.push_back(videoSample(greyFrame(uint8_t(10 + i)), stamps[i]));
  open(spec);

  // The silent clock starts with the first frame, which is due at once.
  size_t mark = rig_.log.size();
  EXPECT_TRUE(tickShows(rig_));
  const std::vector<std::string> start = {"sound.position 0", "sound.pan 0", "sound.volume -10000",
                                          "sound.frequency 44100", "sound.play"};
  std::vector<std::string> log = logSince(rig_, mark);
  ASSERT_GE(log.size(), start.size());
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + long(start.size())), start);
  EXPECT_EQ(rig_.controls.status[kStatusPosition], "0");

  uint64_t progress = 0;
  for (size_t i = 1; i < stamps.size(); ++i) {
    const uint64_t due = 4 * uint64_t(stamps[i]);
    // Approach in steps shorter than a turn of the ring, then one short of it.
    while (progress + 400000 < due - 4) {
      progress += 400000;
      playTo(progress);
      ASSERT_FALSE(tickShows(rig_)) << "frame " << i << " early at " << progress;
    }
    progress = due - 4;
    playTo(progress);
    ASSERT_FALSE(tickShows(rig_)) << "frame " << i << " one sound frame early";
    EXPECT_EQ(player_.playback.position, int32_t(i));
    progress = due;
    playTo(progress);
    ASSERT_TRUE(tickShows(rig_)) << "frame " << i << " not shown when due";
    EXPECT_EQ(rig_.controls.status[kStatusPosition], std::to_string(i));
    EXPECT_EQ(player_.playback.elapsedBytes, double(progress));
    const auto& surface = rig_.frames.surfaces[rig_.frames.backIndex];
    ASSERT_FALSE(surface.empty());
    EXPECT_EQ(surface[0] & 0xFFFFFFu, greyPixel(uint8_t(10 + i)));
  }
  EXPECT_EQ(rig_.controls.status[kStatusState], "End.");
}

// A movie with sound whose first entries are pictures: no sound has started
// the clock yet, so they are shown at once; once sound starts, pictures wait.
TEST_F(TickTest, PicturesBeforeTheFirstSoundDoNotWaitOnAStoppedRing) {
  FilmSpec spec = soundSpec();
  spec.samples.push_back(videoSample(greyFrame(20), 500));
  spec.samples.push_back(videoSample(greyFrame(30), 900));
  spec.samples.push_back(audioSample(pattern(4000, 1)));
  spec.samples.push_back(videoSample(greyFrame(40), 1000));
  open(spec);
  EXPECT_TRUE(tickShows(rig_));
  EXPECT_TRUE(tickShows(rig_));
  EXPECT_FALSE(rig_.sound.playing);
  playbackTick(player_);  // the sound starts the ring and the clock
  EXPECT_TRUE(rig_.sound.playing);
  EXPECT_FALSE(tickShows(rig_));
  playTo(4 * 1000 - 4);
  EXPECT_FALSE(tickShows(rig_));
  playTo(4 * 1000);
  EXPECT_TRUE(tickShows(rig_));
}

TEST_F(TickTest, SoundRunsAheadIntoTheRingAndWrapsAtItsEnd) {
  constexpr size_t kChunk = 100000;  // eleven of them cross the end of the ring
  FilmSpec spec = soundSpec();
  std::vector<std::vector<uint8_t>> chunks;
  for (uint32_t k = 0; k < 11; ++k) {
    chunks.push_back(pattern(kChunk, k));
    spec.samples.push_back(audioSample(chunks.back()));
  }
  spec.samples.push_back(videoSample(greyFrame(50), 0));
  open(spec);

  uint32_t offset = 0;
  for (size_t k = 0; k < chunks.size(); ++k) {
    const size_t mark = rig_.log.size();
    EXPECT_FALSE(tickShows(rig_));
    std::vector<std::string> expected;
    const std::string write =
        "sound.write " + std::to_string(offset) + " " + std::to_string(kChunk);
    if (k == 0)  // the first sample after opening restarts the sound
      expected = {"sound.position 0",      write,       "sound.pan 0", "sound.volume 0",
                  "sound.frequency 44100", "sound.play"};
    else
      expected = {write};
    EXPECT_EQ(logSince(rig_, mark), expected) << "sample " << k;
    EXPECT_EQ(ringBytes(rig_, offset, kChunk), expectedPcm(chunks[k], 16, 2)) << "sample " << k;
    offset = uint32_t((offset + kChunk) & kRingMask);
    EXPECT_EQ(player_.playback.ringWriteOffset, int32_t(offset));
  }
  EXPECT_EQ(offset, 11 * kChunk - kRingBytes);
  EXPECT_TRUE(tickShows(rig_));  // stamp 0 with the cursor still at 0
}

struct FormatCase {
  const char* name;
  int channels;
  int bits;
  int compression;
  std::vector<size_t> lengths;
};

void PrintTo(const FormatCase& c, std::ostream* out) {
  *out << c.name;
}

class SoundFormatTest : public TickTest, public ::testing::WithParamInterface<FormatCase> {};

// The ring holds each sample's sound back to back, whole frames only, so a
// chunk of an odd byte count never shifts the ones after it by half a frame.
TEST_P(SoundFormatTest, RingHoldsEachSampleAsWholeStereoFrames) {
  const FormatCase& c = GetParam();
  FilmSpec spec = soundSpec(c.channels, c.bits);
  spec.audioCompression = int8_t(c.compression);
  std::vector<uint8_t> expected;
  for (size_t k = 0; k < c.lengths.size(); ++k) {
    const std::vector<uint8_t> data = pattern(c.lengths[k], uint32_t(100 + k));
    spec.samples.push_back(audioSample(data));
    if (c.compression == 0) {
      const std::vector<uint8_t> pcm = expectedPcm(data, c.bits, c.channels);
      expected.insert(expected.end(), pcm.begin(), pcm.end());
    } else {  // silence of the sample's length, rounded up to whole frames
      expected.resize(expected.size() + (data.size() + 3) / 4 * 4, 0);
    }
  }
  spec.samples.push_back(videoSample(greyFrame(1), 0));
  open(spec);
  std::fill(rig_.sound.ring.begin(), rig_.sound.ring.end(),
            uint8_t{0xAA});  // silence must be written
  for (size_t k = 0; k < c.lengths.size(); ++k) {
    playbackTick(player_);
    EXPECT_EQ(player_.playback.ringWriteOffset % 4, 0) << "after sample " << k;
  }
  EXPECT_EQ(player_.playback.ringWriteOffset, int32_t(expected.size()));
  EXPECT_EQ(ringBytes(rig_, 0, expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, SoundFormatTest,
    ::testing::Values(FormatCase{"Pcm8Mono", 1, 8, 0, {5, 3, 8}},
                      FormatCase{"Pcm8StereoOddLengths", 2, 8, 0, {5, 7, 4}},
                      FormatCase{"Pcm16Mono", 1, 16, 0, {6, 4, 10}},
                      FormatCase{"Pcm16StereoHalfFrames", 2, 16, 0, {6, 10, 2, 8}},
                      FormatCase{"UnknownCompressionIsSilence", 2, 16, 1, {6, 8, 3}}),
    [](const ::testing::TestParamInfo<FormatCase>& row) { return std::string(row.param.name); });

TEST_F(TickTest, AdxSamplesAreDecodedInOrderWithTheStereoFlag) {
  FilmSpec spec = soundSpec(2, 16);
  spec.audioCompression = 2;
  std::vector<std::vector<uint8_t>> chunks;
  for (uint32_t k = 0; k < 3; ++k) {
    chunks.push_back(pattern(36 * 4, 7 + k));  // four stereo blocks each
    chunks.back()[0] = 0x00;                   // not a stream header
    spec.samples.push_back(audioSample(chunks.back()));
  }
  spec.samples.push_back(videoSample(greyFrame(1), 0));
  open(spec);

  // The decoder keeps its history from chunk to chunk, so one decoder run over
  // the chunks in table order gives the sound expected in the ring.
  AdxDecoder reference;
  reference.reset();
  std::vector<uint8_t> expected;
  std::vector<uint8_t> out(kPcmBufferBytes);
  for (const auto& chunk : chunks) {
    const int32_t n =
        reference.decode(chunk.data(), int32_t(chunk.size()), out.data(), 1, out.size());
    expected.insert(expected.end(), out.begin(), out.begin() + n);
  }
  ASSERT_GT(expected.size(), 0u);
  for (size_t k = 0; k < chunks.size(); ++k) playbackTick(player_);
  EXPECT_EQ(player_.playback.ringWriteOffset, int32_t(expected.size()));
  EXPECT_EQ(ringBytes(rig_, 0, expected.size()), expected);
}

const std::vector<std::string> kRestartPlaying = {"sound.position 0",      "sound.write 0 4000",
                                                  "sound.pan 0",           "sound.volume 0",
                                                  "sound.frequency 44100", "sound.play"};

TEST_F(TickTest, ReplayWhilePlayingRestartsTheSoundAndTheClock) {
  open(pacedSoundMovie());
  playbackTick(player_);
  EXPECT_TRUE(tickShows(rig_));
  playbackTick(player_);
  playTo(2500);
  EXPECT_FALSE(tickShows(rig_));
  EXPECT_EQ(player_.playback.elapsedBytes, 2500.0);

  replayMovie(player_);
  EXPECT_FALSE(player_.playback.paused);
  const size_t mark = rig_.log.size();
  playbackTick(player_);
  EXPECT_EQ(logSince(rig_, mark), kRestartPlaying);
  EXPECT_EQ(player_.playback.elapsedBytes, 0.0);
  EXPECT_EQ(player_.playback.lastPlayCursor, 0);
  EXPECT_EQ(player_.playback.ringWriteOffset, 4000);
  // The clock counts from the restart: frame 1 needs 4,000 bytes again.
  EXPECT_TRUE(tickShows(rig_));
  playbackTick(player_);
  playTo(3996);
  EXPECT_FALSE(tickShows(rig_));
  playTo(4000);
  EXPECT_TRUE(tickShows(rig_));
}

TEST_F(TickTest, LoopWrapRestartsAtTheFirstSample) {
  open(pacedSoundMovie());
  toggleLoop(player_);
  playbackTick(player_);  // the restart puts the cursor at 0
  playTo(8000);
  for (int i = 0; i < 5; ++i) playbackTick(player_);
  EXPECT_EQ(player_.playback.position, 0);
  EXPECT_TRUE(player_.playback.audioRestart);
  EXPECT_FALSE(player_.playback.paused);
  EXPECT_FALSE(player_.playback.stepRequest);
  const size_t mark = rig_.log.size();
  playbackTick(player_);
  EXPECT_EQ(logSince(rig_, mark), kRestartPlaying);
  EXPECT_EQ(rig_.controls.status[kStatusState], "Play...");
}

// A restart while paused sets the ring up but leaves it stopped until resume.
TEST_F(TickTest, LoopWrapWhilePausedShowsTheFirstFrameAndStaysPaused) {
  open(pacedSoundMovie());
  toggleLoop(player_);
  for (int i = 0; i < 2; ++i) playbackTick(player_);
  pausePlayback(player_);
  stepFrame(player_);
  playbackTick(player_);
  EXPECT_TRUE(tickShows(rig_));  // frame 1 at once
  stepFrame(player_);
  playbackTick(player_);
  EXPECT_TRUE(tickShows(rig_));  // the last frame, then round to the start
  EXPECT_EQ(player_.playback.position, 0);
  EXPECT_TRUE(player_.playback.stepRequest);

  const size_t mark = rig_.log.size();
  playbackTick(player_);
  std::vector<std::string> expected = kRestartPlaying;
  expected.pop_back();  // no play while paused
  EXPECT_EQ(logSince(rig_, mark), expected);
  EXPECT_FALSE(rig_.sound.playing);
  EXPECT_TRUE(tickShows(rig_));
  EXPECT_EQ(rig_.controls.status[kStatusPosition], "1");
  EXPECT_FALSE(player_.playback.stepRequest);
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_EQ(rig_.controls.status[kStatusState], "Pause.");
  EXPECT_FALSE(tickShows(rig_));
  EXPECT_EQ(player_.playback.position, 2);

  resumePlayback(player_);
  EXPECT_TRUE(rig_.sound.playing);
}

TEST_F(TickTest, TimeBaseZeroWaitsUntilTheModeChanges) {
  FilmSpec spec = silentSpec();
  spec.timeBase = 0;
  spec.samples.push_back(videoSample(greyFrame(1), 0));
  spec.samples.push_back(videoSample(greyFrame(2), 5));
  open(spec);
  EXPECT_TRUE(tickShows(rig_));
  for (uint64_t p : {100000u, 900000u, 1800000u, 2700000u}) {
    playTo(p);
    EXPECT_FALSE(tickShows(rig_));
  }
  selectFrameRate(player_, FrameRateMode::NoWait);
  EXPECT_TRUE(tickShows(rig_));
}

// A time base so large that timeScale x progress leaves the 32-bit range:
// the due stamp saturates instead of wrapping negative and never arriving.
TEST_F(TickTest, HugeTimeBaseSaturatesTheDueStamp) {
  FilmSpec spec = silentSpec();
  spec.timeBase = 0x7FFFFFFF;
  spec.samples.push_back(videoSample(greyFrame(1), 0));
  spec.samples.push_back(videoSample(greyFrame(2), 0x7FFFFFFF));
  open(spec);
  EXPECT_TRUE(tickShows(rig_));
  playTo(4);  // 12,174 per byte: under the stamp
  EXPECT_FALSE(tickShows(rig_));
  playTo(400000);  // far past 2^31 before truncation
  EXPECT_TRUE(tickShows(rig_));
}

TEST_F(TickTest, DecoderFailurePresentsThePreviousPicture) {
  FilmSpec spec = silentSpec();
  spec.samples.push_back(videoSample(brokenFrame(), 0));
  spec.samples.push_back(videoSample(greyFrame(30), 0));
  spec.samples.push_back(videoSample(brokenFrame(), 0));
  open(spec);
  size_t mark = rig_.log.size();
  EXPECT_TRUE(tickShows(rig_));
  std::vector<std::string> log = logSince(rig_, mark);
  EXPECT_EQ(std::count(log.begin(), log.end(), "frames.convert 1"), 0);
  EXPECT_EQ(log.back(), "frames.present 0");  // the black surface opening cleared
  EXPECT_EQ(rig_.controls.status[kStatusPosition], "0");

  EXPECT_TRUE(tickShows(rig_));
  EXPECT_EQ(rig_.frames.backIndex, 1);
  mark = rig_.log.size();
  EXPECT_TRUE(tickShows(rig_));
  log = logSince(rig_, mark);
  EXPECT_EQ(log, (std::vector<std::string>{"controls.status 2 2", "frames.present 1",
                                           "controls.status 1 Pause.", "controls.button 40015 1",
                                           "controls.buttoncheck 40014 1", "sound.stop",
                                           "controls.status 1 End.", "controls.menu 40014 disabled",
                                           "controls.button 40014 0", "controls.button 40015 0"}));
}

// A lost ring write must not shift the sound after it: that sound keeps its
// own place in the ring, in step with the pictures.
TEST_F(TickTest, FailedRingWriteKeepsLaterSoundInItsPlace) {
  FilmSpec spec = soundSpec();
  const std::vector<uint8_t> a = pattern(400, 1), b = pattern(800, 2), c = pattern(1200, 3);
  for (const auto* s : {&a, &b, &c}) spec.samples.push_back(audioSample(*s));
  spec.samples.push_back(videoSample(greyFrame(1), 0));
  open(spec);
  playbackTick(player_);
  rig_.sound.failWrites = true;
  playbackTick(player_);
  rig_.sound.failWrites = false;
  playbackTick(player_);
  EXPECT_EQ(player_.playback.ringWriteOffset, 2400);
  EXPECT_EQ(ringBytes(rig_, 0, 400), expectedPcm(a, 16, 2));
  EXPECT_EQ(ringBytes(rig_, 400, 800), std::vector<uint8_t>(800, 0));  // cleared, not written
  EXPECT_EQ(ringBytes(rig_, 1200, 1200), expectedPcm(c, 16, 2));
}

// A sample longer than the sample buffer is neither read nor decoded; its
// restart still starts the clock, so the movie goes on.
TEST_F(TickTest, OversizeSamplesAreSkippedAndPlaybackGoesOn) {
  FilmSpec spec = soundSpec();
  spec.samples.push_back(audioSample(pattern(kSampleBufferBytes + 4, 1)));
  spec.samples.push_back(videoSample(greyFrame(40), 0));
  spec.samples.push_back(audioSample(pattern(400, 2)));
  std::vector<uint8_t> bigFrame = greyFrame(41);
  bigFrame.resize(kSampleBufferBytes + 1, 0);
  spec.samples.push_back(videoSample(bigFrame, 0));
  open(spec);

  size_t mark = rig_.log.size();
  playbackTick(player_);
  EXPECT_EQ(logSince(rig_, mark),
            (std::vector<std::string>{"sound.position 0", "sound.pan 0", "sound.volume 0",
                                      "sound.frequency 44100", "sound.play"}));
  EXPECT_EQ(player_.playback.ringWriteOffset, 0);
  EXPECT_TRUE(tickShows(rig_));
  playbackTick(player_);
  EXPECT_EQ(player_.playback.ringWriteOffset, 400);
  mark = rig_.log.size();
  EXPECT_TRUE(tickShows(rig_));  // presented again, not converted
  const std::vector<std::string> log = logSince(rig_, mark);
  EXPECT_EQ(std::count(log.begin(), log.end(), "frames.convert 0"), 0);
  EXPECT_EQ(rig_.frames.surfaces[1][0] & 0xFFFFFFu, greyPixel(40));
}

TEST_F(TickTest, EmptyTableEndsAtOnceEvenWithLoop) {
  FilmSpec spec = soundSpec();
  open(spec);
  toggleLoop(player_);
  const size_t mark = rig_.log.size();
  playbackTick(player_);
  EXPECT_EQ(rig_.controls.status[kStatusState], "End.");
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_EQ(player_.playback.position, 0);
  const std::vector<std::string> log = logSince(rig_, mark);
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& l) { return l.rfind("sound.write", 0) == 0; }),
            0);
  playbackTick(player_);
  EXPECT_EQ(rig_.log.size(), mark + log.size());
}

// After a refused header the name stays, so a menu can pause and a step be
// asked for; the tick must not take an entry of the stale table.
TEST_F(TickTest, StepWithNoMovieOpenTakesNothing) {
  open(pacedSoundMovie());
  for (int i = 0; i < 2; ++i) playbackTick(player_);
  const std::string bad = scratchDir(testName() + "_bad") + "/bad.cpk";
  ASSERT_TRUE(writeFile(bad, std::string(300, 'x')));
  ASSERT_EQ(openPath(player_, bad), OpenResult::UnknownHeader);
  pausePlayback(player_);
  EXPECT_EQ(rig_.controls.buttonEnabled[kCmdNextFrame], true);
  stepFrame(player_);
  const size_t mark = rig_.log.size();
  const int32_t position = player_.playback.position;
  playbackTick(player_);
  playbackTick(player_);
  EXPECT_TRUE(logSince(rig_, mark).empty());
  EXPECT_FALSE(player_.playback.stepRequest);
  EXPECT_EQ(player_.playback.position, position);
}

// A movie that ends with sound, stepped into its end: the step must not
// carry on past the table on later ticks.
TEST_F(TickTest, StepIntoTheEndStopsThere) {
  FilmSpec spec = soundSpec();
  spec.samples.push_back(videoSample(greyFrame(1), 0));
  spec.samples.push_back(audioSample(pattern(400, 1)));
  spec.samples.push_back(audioSample(pattern(400, 2)));
  open(spec);
  EXPECT_TRUE(tickShows(rig_));
  pausePlayback(player_);
  stepFrame(player_);
  playbackTick(player_);
  playbackTick(player_);
  EXPECT_EQ(player_.playback.position, 3);
  EXPECT_FALSE(player_.playback.stepRequest);
  EXPECT_EQ(rig_.controls.status[kStatusState], "End.");
  const size_t mark = rig_.log.size();
  playbackTick(player_);
  EXPECT_TRUE(logSince(rig_, mark).empty());

  // A menu opened at the end pauses and offers a step; it ends again.
  pausePlayback(player_);
  stepFrame(player_);
  playbackTick(player_);
  EXPECT_EQ(player_.playback.position, 3);
  EXPECT_EQ(rig_.controls.status[kStatusState], "End.");
  EXPECT_EQ(rig_.controls.buttonEnabled[kCmdNextFrame], false);
}

}  // namespace
}  // namespace zentrov::test
