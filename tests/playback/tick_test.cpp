// Whole movies driven through ticks and the transport, with a play cursor
// the test moves.

#include <gtest/gtest.h>

#include "codec/adx_decoder.h"
#include "codec/sound_sample.h"
#include "headless/headless_host.h"
#include "playback/playback_tick.h"
#include "playback/transport.h"
#include "support/fake_ports.h"

namespace zentrov::test {
namespace {

// With the time base at the sound rate, a frame stamped S is due once the
// ring has played 4 x S bytes. No channels: the silent clock, at 44,100 Hz
// whatever the description says.
FilmSpec movie(int channels, std::vector<FilmSample> samples = {}) {
  const uint32_t rate = (channels > 0 ? 44100u : 22050u) << 16;
  return {64, 64, int8_t(channels), 16, 0, rate, 44100, 1, false, std::move(samples)};
}

FilmSpec pacedMovie() {
  FilmSpec spec = movie(2);
  for (uint32_t i = 0; i < 3; ++i) {
    spec.samples.push_back(audioSample(pattern(4000, i)));
    spec.samples.push_back(videoSample(greyFrame(uint8_t(20 + i)), 1000 * i));
  }
  return spec;
}

const std::string kRestart = "position 0\nwrite 0 4000\npan 0\nvolume 0\nfrequency 44100\n";

class Tick : public ::testing::Test {
 protected:
  void open(const FilmSpec& spec) {
    ASSERT_EQ(rig.open(::testing::UnitTest::GetInstance()->current_test_info()->name(), spec),
              OpenResult::Opened);
  }
  std::string tick() {
    const size_t mark = rig.log.size();
    playbackTick(player);
    return rig.since(mark);
  }
  void playTo(uint64_t bytes) { rig.cursor = uint32_t(bytes & kRingMask); }
  bool showsAt(uint64_t bytes) { return playTo(bytes), rig.shows(); }
  // Ticks until a frame is shown, at most four times; the entry shown or -1.
  int32_t tickToFrame() {
    for (int i = 0; i < 4; ++i) {
      const int32_t at = player.playback.position;
      if (rig.shows()) return at;
    }
    return -1;
  }
  int32_t stepToFrame() { return stepFrame(player), tickToFrame(); }
  // Status | play/pause menu item | its button enabled, down; next frame
  // enabled | flags | the sound's last start or stop.
  std::string transport() {
    auto& l = rig.last;
    return l["status 1"] + "|" + l["menu 40014"] + "|" + l["button 40014"] + l["down 40014"] +
           l["button 40015"] + "|" + (player.playback.paused ? "paused" : "running") +
           (player.playback.stepRequest ? "+step" : "") + "|" + l["sound"];
  }
  std::string after(void (*action)(Player&)) { return action(player), transport(); }

  FakePorts rig;
  Player& player = rig.player;
};

TEST_F(Tick, FramesShowWhenTheClockReachesTheirStampAcrossTurnsOfTheRing) {
  const uint32_t stamps[] = {0, 1000, 262000, 262200, 600000, 1000000, 1000001};
  FilmSpec spec = movie(0);
  for (uint32_t i = 0; i < std::size(stamps); ++i)
    spec.samples.push_back(videoSample(greyFrame(uint8_t(10 + i)), stamps[i]));
  open(spec);
  EXPECT_EQ(tick(),
            "position 0\npan 0\nvolume -10000\nfrequency 44100\nsound play\nconvert\n"
            "status 2 0\npresent\n");
  uint64_t played = 0;
  for (size_t i = 1; i < std::size(stamps); ++i) {
    const uint64_t due = 4 * uint64_t(stamps[i]);
    // Steps shorter than a turn of the ring, then one sound frame short.
    while (played + 400000 < due - 4) {
      playTo(played += 400000);
      ASSERT_FALSE(rig.shows()) << "frame " << i << " early at " << played;
    }
    playTo(due - 4);
    ASSERT_FALSE(rig.shows()) << "frame " << i << " one sound frame early";
    playTo(played = due);
    ASSERT_TRUE(rig.shows()) << "frame " << i << " not shown when due";
    EXPECT_EQ(rig.pixel, greyPixel(uint8_t(10 + i)));
    EXPECT_EQ(rig.last["status 2"], std::to_string(i));
  }
  EXPECT_EQ(rig.last["status 1"], "End.");
}

// Until the first sound starts the clock, pictures do not wait on the
// stopped ring; after it they do.
TEST_F(Tick, PicturesBeforeTheFirstSoundDoNotWait) {
  open(movie(2, {videoSample(greyFrame(20), 500), videoSample(greyFrame(30), 900),
                 audioSample(pattern(4000, 1)), videoSample(greyFrame(40), 1000)}));
  EXPECT_TRUE(rig.shows() && rig.shows());
  EXPECT_EQ(rig.last["sound"], "");
  EXPECT_FALSE(rig.shows());  // the sound, which starts the ring
  EXPECT_EQ(rig.last["sound"], "play");
  EXPECT_FALSE(showsAt(3996));
  EXPECT_TRUE(showsAt(4000));
}

// Each sample's sound goes into the ring back to back as the codec converts
// it (held to its models elsewhere), wrapping at the ring's end; ADX keeps
// its history from sample to sample; sound that cannot be converted is
// written as silence.
TEST(TickSound, RingHoldsEverySampleBackToBack) {
  const struct {
    int channels, bits, compression;
    std::vector<size_t> lengths;
  } cases[] = {
      {1, 8, 0, {5, 3, 8}},
      {2, 16, 0, {6, 10, 2, 8}},
      {2, 16, 1, {6, 8, 3}},                        // unknown compression: silence
      {2, 16, 2, {36 * 4, 36 * 4, 36 * 4}},         // ADX, four stereo blocks each
      {2, 16, 0, std::vector<size_t>(11, 100000)},  // round the end of the ring
  };
  for (size_t n = 0; n < std::size(cases); ++n) {
    const auto& c = cases[n];
    FakePorts rig;
    FilmSpec spec = movie(c.channels);
    spec.audioBits = int8_t(c.bits);
    spec.audioCompression = int8_t(c.compression);
    for (size_t k = 0; k < c.lengths.size(); ++k) {
      spec.samples.push_back(audioSample(pattern(c.lengths[k], uint32_t(100 + k))));
      if (c.compression == 2 && k == 0) std::fill_n(spec.samples[0].data.begin(), 4, 0);  // header
    }
    ASSERT_EQ(rig.open("ring" + std::to_string(n), spec), OpenResult::Opened);
    AdxDecoder adx;
    Bytes expected, pcm(kPcmBufferBytes);
    for (const FilmSample& sample : spec.samples) {
      const int32_t bytes = decodeSoundSample(rig.player.stream, adx, sample.data.data(),
                                              int32_t(sample.data.size()), pcm.data(), pcm.size());
      expected.insert(expected.end(), pcm.begin(), pcm.begin() + bytes);
    }
    std::fill(rig.ring.begin(), rig.ring.end(), 0xAA);  // silence must be written
    for (size_t k = 0; k < c.lengths.size(); ++k) playbackTick(rig.player);
    EXPECT_EQ(rig.player.playback.ringWriteOffset, int32_t(expected.size() & kRingMask)) << n;
    for (size_t i = expected.size() - std::min<size_t>(expected.size(), kRingBytes);
         i < expected.size(); ++i)
      ASSERT_EQ(rig.ring[i & kRingMask], expected[i]) << "case " << n << " byte " << i;
  }
}

// A lost ring write must not shift the sound after it out of step with the
// pictures; a picture that does not decode, or a sample that does not fit
// the sample buffer, presents the previous picture again; an oversize sound
// sample gives no sound but still starts the clock.
TEST_F(Tick, FailedWritesAndUndecodableSamplesAreSkipped) {
  open(movie(2, {audioSample(pattern(400, 1)), audioSample(pattern(800, 2)),
                 audioSample(pattern(1200, 3))}));
  for (bool fail : {false, true, false}) rig.failWrites = fail, playbackTick(player);
  Bytes expected = expectedPcm(pattern(400, 1), 16, 2),
        third = expectedPcm(pattern(1200, 3), 16, 2);
  expected.resize(1200, 0);  // cleared by the open, not written
  expected.insert(expected.end(), third.begin(), third.end());
  EXPECT_EQ(Bytes(rig.ring.begin(), rig.ring.begin() + 2400), expected);

  Bytes fits = greyFrame(42), tooBig = greyFrame(43);
  fits.resize(kSampleBufferBytes, 0);
  tooBig.resize(kSampleBufferBytes + 1, 0);
  open(movie(2, {videoSample(brokenFrame(), 0), audioSample(pattern(kSampleBufferBytes + 4, 1)),
                 videoSample(greyFrame(40), 0), videoSample(brokenFrame(), 0), videoSample(fits, 0),
                 videoSample(tooBig, 0)}));
  EXPECT_EQ(tick(), "status 2 0\npresent\n");
  EXPECT_EQ(tick(), "position 0\npan 0\nvolume 0\nfrequency 44100\nsound play\n");
  EXPECT_EQ(tick(), "convert\nstatus 2 2\npresent\n");
  EXPECT_EQ(tick(), "status 2 3\npresent\n");
  EXPECT_EQ(tick(), "convert\nstatus 2 4\npresent\n");
  EXPECT_EQ(rig.pixel, greyPixel(42));
  EXPECT_EQ(tick().substr(0, 19), "status 2 5\npresent\n");
}

// A time base so large that timeScale x progress leaves the 32-bit range:
// the due stamp saturates instead of wrapping negative and never arriving.
TEST_F(Tick, HugeTimeBaseSaturatesTheDueStamp) {
  FilmSpec spec = movie(0, {videoSample(greyFrame(1), 0), videoSample(greyFrame(2), 0x7FFFFFFF)});
  spec.timeBase = 0x7FFFFFFF;
  open(spec);
  EXPECT_TRUE(rig.shows());
  EXPECT_FALSE(showsAt(4));
  EXPECT_TRUE(showsAt(400000));
}

// An empty table, a step into the end and a step after a refused header all
// stop without taking an entry.
TEST_F(Tick, NothingIsTakenPastTheEndOrWithoutAMovie) {
  open(movie(2));
  toggleLoop(player);
  playbackTick(player);
  EXPECT_EQ(rig.last["status 1"] + tick(), "End.");
  toggleLoop(player);
  open(movie(2, {videoSample(greyFrame(1), 0), audioSample(pattern(400, 1)),
                 audioSample(pattern(400, 2))}));
  EXPECT_TRUE(rig.shows());
  pausePlayback(player);
  stepFrame(player);  // over the last sounds into the end
  playbackTick(player);
  playbackTick(player);
  EXPECT_EQ(rig.last["status 1"] + tick() + std::to_string(player.playback.position), "End.3");
  open(pacedMovie());
  playbackTick(player);
  ASSERT_EQ(rig.open(writeScratch("junk.cpk", Bytes(300, 'x'))), OpenResult::UnknownHeader);
  pausePlayback(player);
  stepFrame(player);
  EXPECT_EQ(tick(), "");
  EXPECT_FALSE(player.playback.stepRequest);
}

// Play, pause, resume, steps over sound, the end, replay from the end, play
// from the start, replay while playing, the loop wrap, Pcm off; then close.
TEST_F(Tick, TransportStatesAndControlsThroughAWholeMovie) {
  const char* const playing = "Play...|enabled|100|running|play";
  const char* const paused = "Pause.|enabled|111|paused|stop";
  open(pacedMovie());
  EXPECT_EQ(after(playbackTick), playing);
  EXPECT_EQ(after(togglePlayPause), paused);
  playbackTick(player);
  EXPECT_EQ(player.playback.position, 1);  // paused: nothing handled
  rig.cursor = 1234;
  EXPECT_EQ(after(togglePlayPause), playing);
  EXPECT_EQ(rig.cursor, 1234u);  // on from where it stopped
  togglePlayPause(player);
  EXPECT_EQ(after(stepFrame), "Pause.|enabled|111|paused+step|stop");
  EXPECT_EQ(tickToFrame(), 1);
  EXPECT_EQ(transport(), paused);
  // A step over sound writes it into the stopped ring, then shows the frame
  // before its time.
  stepFrame(player);
  const size_t mark = rig.log.size();
  EXPECT_EQ(tickToFrame(), 3);
  EXPECT_EQ(rig.since(mark).substr(0, 16), "write 4000 4000\n");
  EXPECT_EQ(stepToFrame(), 5);
  EXPECT_EQ(transport(), "End.|disabled|010|paused|stop");
  // Replay at the end enables play/pause only; the first frame is shown and
  // the movie stays paused.
  EXPECT_EQ(after(replayMovie), "End.|enabled|110|paused+step|stop");
  EXPECT_EQ(tickToFrame(), 1);
  EXPECT_EQ(transport(), "End.|enabled|110|paused|stop");
  EXPECT_EQ(after(togglePlayPause), playing);
  EXPECT_EQ(rig.cursor, 0u);  // from the start of the sound
  // Replay while playing and the loop wrap start the sound again at the first
  // sample and the clock from 0; while paused the ring is set up, stopped.
  playbackTick(player);
  EXPECT_FALSE(showsAt(2500));
  replayMovie(player);
  EXPECT_EQ(tick(), kRestart + "sound play\n");
  EXPECT_EQ(transport(), playing);
  EXPECT_TRUE(rig.shows());
  playbackTick(player);
  EXPECT_FALSE(showsAt(3996));  // counted from the restart
  EXPECT_TRUE(showsAt(4000));
  toggleLoop(player);
  playbackTick(player);
  EXPECT_TRUE(showsAt(8000));  // the last frame, then round to the start
  EXPECT_EQ(tick(), kRestart + "sound play\n");
  pausePlayback(player);
  // Frames 0, 1 and 2 by steps, then round to the start.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(stepToFrame(), 2 * i + 1);
  EXPECT_EQ(tick(), kRestart);  // a step into the wrap: set up, not played
  EXPECT_TRUE(rig.shows());
  EXPECT_EQ(rig.pixel, greyPixel(20));
  EXPECT_FALSE(rig.shows());  // one step only
  // Pcm off silences at once, and through the restart that follows.
  togglePlayPause(player);
  togglePcmOff(player);
  EXPECT_EQ(rig.log.substr(rig.log.size() - 14), "volume -10000\n");
  replayMovie(player);
  playbackTick(player);
  EXPECT_EQ(rig.last["volume"] + rig.last["check 40021"], "-100001");
  // Close: nothing left to play or resume, and nothing remembered.
  const size_t closing = rig.log.size();
  EXPECT_EQ(after(closeMovie), "|disabled|000|paused|stop");
  EXPECT_EQ(rig.since(closing).find("set "), std::string::npos);
  const size_t closed = rig.log.size();
  stepFrame(player);
  playbackTick(player);
  resumePlayback(player);
  EXPECT_EQ(rig.log.size(), closed);
}

// ffmpeg's layout: each picture's sound is stored after it. 30 pictures a
// second at 44,100 Hz, a 30th of a second of sound each.
FilmSpec soundAfterPictures(int frames) {
  FilmSpec spec = movie(2);
  for (int i = 0; i < frames; ++i) {
    spec.samples.push_back(videoSample(greyFrame(uint8_t(i)), 1470u * uint32_t(i)));
    spec.samples.push_back(audioSample(pattern(5880, uint32_t(i))));
  }
  return spec;
}

// When the tick next has work, as the host is told, state by state.
TEST_F(Tick, NextWorkDelayFollowsTheWaitingPictureAndTheLead) {
  EXPECT_EQ(nextTickDelayMs(player), kWaitForInput);  // no movie
  open(soundAfterPictures(100));
  EXPECT_EQ(nextTickDelayMs(player), 0);  // the restart
  EXPECT_TRUE(rig.shows());              // picture 0 before any sound
  EXPECT_EQ(nextTickDelayMs(player), 0);  // its sound
  tick();
  player.playback.soundLeadMs = 90;  // 15,876 bytes
  const struct {
    uint32_t cursor;
    int32_t delay;
  } rows[] = {
      {0, 0},        // picture 1 waits and the lead is short: write ahead now
      {0, 0},        // 17,640 bytes written
      {0, 10},       // 1,764 bytes above the lead; picture 1 only in 5,880
      {1768, 0},     // the lead ran low
      {1768, 24},    // a third entry written: picture 1 in 4,112 bytes
      {5000, 5},     // 880 bytes to go
      {5876, 1},     // one sound frame early still rests a millisecond
      {5880, 0},     // due
      {5880, 0},     // its sound, written ahead, is passed over
  };
  for (const auto& row : rows) {
    playTo(row.cursor);
    EXPECT_EQ(nextTickDelayMs(player), row.delay) << "cursor " << row.cursor;
    tick();
  }
  EXPECT_EQ(player.playback.writtenBytes, 4 * 5880);
  // However long a lead is asked for, sound not yet played is never
  // overwritten: half the ring at most.
  player.playback.soundLeadMs = 60000;
  for (int i = 0; i < 200; ++i) tick();
  EXPECT_GE(player.playback.writtenBytes, kRingBytes / 2);
  EXPECT_LE(player.playback.writtenBytes - player.playback.elapsedBytes, kRingBytes / 2 + 5880);
  player.playback.soundLeadMs = 90;
  // A stamp far ahead with no sound left to write is still a bounded wait:
  // the cursor must be read within a turn of the ring.
  player.playback.readAheadPosition = 1 << 20;
  player.table().entries[player.playback.position].info1 = 1470u * 1000;
  EXPECT_EQ(nextTickDelayMs(player), kMaxTickDelayMs);
  selectFrameRate(player, FrameRateMode::NoWait);
  EXPECT_EQ(nextTickDelayMs(player), 0);
  selectFrameRate(player, FrameRateMode::Normal);
  player.playback.timeScale = 0.0;  // a time base of 0: never due
  EXPECT_EQ(nextTickDelayMs(player), kWaitForInput);
  togglePlayPause(player);
  EXPECT_EQ(nextTickDelayMs(player), kWaitForInput);
  stepFrame(player);
  EXPECT_EQ(nextTickDelayMs(player), 0);
}

// Whatever the transport does, the sound since the last restart lies in the
// ring back to back from offset 0, each entry once and in table order.
TEST_F(Tick, SoundWrittenAheadStaysInOrderThroughTheTransport) {
  const FilmSpec spec = soundAfterPictures(40);
  Bytes sound;
  for (const FilmSample& sample : spec.samples)
    if (sample.info1 == kAudioInfo1) {
      const Bytes pcm = expectedPcm(sample.data, 16, 2);
      sound.insert(sound.end(), pcm.begin(), pcm.end());
    }
  open(spec);
  uint32_t seed = 7;
  auto next = [&](uint32_t n) { return (seed = seed * 1103515245u + 12345u) / 65536u % n; };
  for (int step = 0; step < 3000; ++step) {
    switch (next(40)) {
      case 0: togglePlayPause(player); break;
      case 1: stepFrame(player); break;
      case 2: replayMovie(player); break;
      case 3: toggleLoop(player); break;
      case 4: player.playback.soundLeadMs = int32_t(next(400)); break;
      default:
        if (!player.playback.paused) playTo(rig.cursor + next(3000));
        tick();
    }
    const auto written = size_t(player.playback.ringWriteOffset);
    ASSERT_LE(written, sound.size());
    ASSERT_TRUE(std::equal(sound.begin(), sound.begin() + long(written), rig.ring.begin()))
        << "step " << step;
    ASSERT_EQ(player.playback.writtenBytes, double(written)) << "step " << step;
  }
}

// A new movie starts from a black picture: rows its frames never draw do
// not show the last movie's.
TEST_F(Tick, OpeningClearsTheDecodedPicture) {
  open(movie(0, {videoSample(greyFrame(200), 0)}));
  EXPECT_TRUE(rig.shows());
  ASSERT_EQ(player.buffers.decodedFrame[0], greyPixel(200));
  open(soundAfterPictures(2));
  const uint32_t* frame = player.buffers.decodedFrame.get();
  EXPECT_EQ(std::count(frame, frame + kDecodedFramePixels, 0u), long(kDecodedFramePixels));
}

// Once a movie is open, playing it allocates nothing: every tick and every
// transport command runs on the buffers made at start-up.
TEST(NoAllocation, PlayingAMovieAllocatesNothing) {
  countAllocations(true);
  int* volatile p = new int(1);  // volatile: the pair cannot be optimised away
  delete p;
  ASSERT_EQ(countAllocations(false), 1u) << "the counter must see allocations";
  for (int compression : {0, 2, 5}) {  // PCM, ADX, unknown
    HeadlessHost host;                 // the null ports keep fixed-size state only
    ASSERT_TRUE(host.ready);
    Player& player = host.player;
    FilmSpec spec = pacedMovie();
    spec.audioCompression = int8_t(compression);
    spec.samples[5] = videoSample(brokenFrame(), 2000);
    player.shell.currentFileName = writeScratch("loose.cpk", buildFilm(spec));
    ASSERT_EQ(openMovie(player, OpenRequest::fromStart()), OpenResult::Opened);
    toggleLoop(player);
    countAllocations(true);
    for (int i = 0; i < 200; ++i) {  // three turns with the clock running, then the transport
      host.silentRing.cursor = (host.silentRing.cursor + 400) & kRingMask;
      playbackTick(player);
    }
    selectFrameRate(player, FrameRateMode::NoWait);
    using Command = void (*)(Player&);
    for (Command command : {Command(togglePlayPause), Command(stepFrame), Command(togglePcmOff),
                            Command(replayMovie), Command(togglePlayPause), Command(toggleLoop)}) {
      command(player);
      for (int i = 0; i < 8; ++i) playbackTick(player);
    }
    EXPECT_EQ(countAllocations(false), 0u) << "compression " << compression;
    EXPECT_TRUE(player.playback.paused);  // it played to its end
    EXPECT_GT(host.frames.converted, 6u);
    EXPECT_GT(host.silentRing.written, 0u);
  }
}

}  // namespace
}  // namespace zentrov::test
