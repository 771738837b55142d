// The transport commands in every state: the status text, the play/pause
// and next-frame controls, the sound ring and the playback flags after each.

#include "playback/transport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/playback_tick.h"
#include "shell/command_ids.h"
#include "support/playback_movies.h"
#include "support/recording_ports.h"

namespace zentrov::test {
namespace {

std::string testName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// What the user sees of the transport, and the flags behind it, in one line.
const std::string kPlaying = "Play... | menu on | play on up | next off | running";
const std::string kPaused = "Pause. | menu on | play on down | next on | paused";
const std::string kStepping = "Pause. | menu on | play on down | next on | paused stepping";
const std::string kEnded = "End. | menu off | play off down | next off | paused";
const std::string kReplayFromEnd = "End. | menu on | play on down | next off | paused stepping";
const std::string kEndedReplayed = "End. | menu on | play on down | next off | paused";

class TransportTest : public ::testing::Test {
 protected:
  void open(const FilmSpec& spec = pacedSoundMovie()) {
    ASSERT_EQ(openPath(player_, writeMovie(testName(), spec)), OpenResult::Opened);
  }
  std::string view() {
    FakeControls& c = rig_.controls;
    auto onOff = [](bool on) { return on ? "on" : "off"; };
    return c.status[kStatusState] + " | menu " +
           onOff(c.menuState[kCmdPlayPause] == MenuState::Enabled) + " | play " +
           onOff(c.buttonEnabled[kCmdPlayPause]) +
           (c.buttonChecked[kCmdPlayPause] ? " down" : " up") + " | next " +
           onOff(c.buttonEnabled[kCmdNextFrame]) +
           (player_.playback.paused ? " | paused" : " | running") +
           (player_.playback.stepRequest ? " stepping" : "");
  }
  // Ticks until a frame is shown or `limit` ticks have run; the shown entry, or -1.
  int32_t tickToFrame(int limit = 4) {
    for (int i = 0; i < limit; ++i) {
      const int32_t at = player_.playback.position;
      const int before = rig_.frames.presents;
      playbackTick(player_);
      if (rig_.frames.presents != before) return at;
    }
    return -1;
  }

  FakeRig rig_;
  Player& player_ = rig_.player;
};

// The whole life of a movie: play, pause, resume, steps over sound, the end,
// replay from the end, play from the start, replay while playing.
TEST_F(TransportTest, StatesAndControlsThroughAWholeMovie) {
  open();
  EXPECT_EQ(view(), kPlaying);
  playbackTick(player_);  // the first sound starts the ring
  EXPECT_TRUE(rig_.sound.playing);

  const int presents = rig_.frames.presents;
  togglePlayPause(player_);
  EXPECT_EQ(view(), kPaused);
  EXPECT_FALSE(rig_.sound.playing);
  EXPECT_EQ(rig_.frames.presents, presents);  // the picture stays
  playbackTick(player_);
  EXPECT_EQ(player_.playback.position, 1);  // paused: nothing handled

  rig_.sound.cursor = 1234;
  togglePlayPause(player_);
  EXPECT_EQ(view(), kPlaying);
  EXPECT_TRUE(rig_.sound.playing);
  EXPECT_EQ(rig_.sound.cursor, 1234u);  // continues where it stopped

  togglePlayPause(player_);
  stepFrame(player_);
  EXPECT_EQ(view(), kStepping);
  EXPECT_EQ(tickToFrame(), 1);
  EXPECT_EQ(view(), kPaused);

  // A step over sound writes it into the stopped ring, then shows the frame
  // though its time has not come.
  stepFrame(player_);
  const size_t mark = rig_.log.size();
  EXPECT_EQ(tickToFrame(), 3);
  EXPECT_EQ(rig_.log[mark], "sound.write 4000 4000");
  EXPECT_FALSE(rig_.sound.playing);
  EXPECT_EQ(view(), kPaused);

  stepFrame(player_);
  EXPECT_EQ(tickToFrame(), 5);
  EXPECT_EQ(view(), kEnded);
  EXPECT_EQ(player_.playback.position, 6);
  playbackTick(player_);
  EXPECT_EQ(player_.playback.position, 6);

  // Replay at the end re-enables play/pause only; the first frame is shown
  // and the movie stays paused.
  replayMovie(player_);
  EXPECT_EQ(view(), kReplayFromEnd);
  EXPECT_EQ(tickToFrame(), 1);
  EXPECT_EQ(view(), kEndedReplayed);
  EXPECT_FALSE(rig_.sound.playing);

  togglePlayPause(player_);
  EXPECT_EQ(view(), kPlaying);
  EXPECT_TRUE(rig_.sound.playing);
  EXPECT_EQ(rig_.sound.cursor, 0u);  // from the start of the sound
  playbackTick(player_);
  rig_.sound.cursor = 3996;
  EXPECT_EQ(tickToFrame(1), -1);
  rig_.sound.cursor = 4000;
  EXPECT_EQ(tickToFrame(1), 3);

  replayMovie(player_);
  EXPECT_EQ(view(), kPlaying);
  EXPECT_EQ(player_.playback.position, 0);
  EXPECT_TRUE(player_.playback.audioRestart);
}

TEST_F(TransportTest, PcmOffWhilePausedSilencesTheStoppedRingAndLaterRestarts) {
  open();
  playbackTick(player_);
  pausePlayback(player_);
  togglePcmOff(player_);
  EXPECT_EQ(rig_.log.back(), "sound.volume -10000");
  EXPECT_EQ(rig_.controls.menuChecked[kCmdPcmOff], true);
  EXPECT_FALSE(rig_.sound.playing);

  const size_t mark = rig_.log.size();
  resumePlayback(player_);
  EXPECT_TRUE(rig_.sound.playing);
  EXPECT_EQ(rig_.sound.volume, -10000);
  for (size_t i = mark; i < rig_.log.size(); ++i)
    EXPECT_EQ(rig_.log[i].rfind("sound.volume", 0), std::string::npos) << rig_.log[i];

  replayMovie(player_);
  playbackTick(player_);
  EXPECT_EQ(rig_.sound.volume, -10000);  // the restart keeps the sound off

  togglePcmOff(player_);
  EXPECT_EQ(rig_.sound.volume, 0);
  EXPECT_EQ(rig_.controls.menuChecked[kCmdPcmOff], false);
  EXPECT_EQ(player_.playback.volume, 0);
}

TEST_F(TransportTest, FrameRateModeTakesEffectOnlyWhenPlaying) {
  open();
  playbackTick(player_);
  pausePlayback(player_);
  selectFrameRate(player_, FrameRateMode::NoWait);
  EXPECT_EQ(rig_.controls.menuChecked[kCmdNoWait], true);
  EXPECT_EQ(rig_.controls.menuChecked[kCmdNormal], false);
  EXPECT_EQ(tickToFrame(), -1);

  resumePlayback(player_);
  // The cursor stays at 0, yet both later frames come at once.
  EXPECT_EQ(tickToFrame(), 1);
  EXPECT_EQ(tickToFrame(), 3);

  selectFrameRate(player_, FrameRateMode::Normal);
  EXPECT_EQ(rig_.controls.menuChecked[kCmdNoWait], false);
  EXPECT_EQ(rig_.controls.menuChecked[kCmdNormal], true);
  EXPECT_EQ(tickToFrame(), -1);  // 2,000 sound frames not yet played
}

TEST_F(TransportTest, CloseLeavesNoMovie) {
  open();
  playbackTick(player_);
  rig_.controls.status[kStatusPosition] = "7";
  const auto recentBefore = player_.shell.recentFiles;
  const size_t mark = rig_.log.size();
  closeMovie(player_);
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_FALSE(rig_.sound.playing);
  EXPECT_TRUE(player_.shell.currentFileName.empty());
  EXPECT_FALSE(player_.playback.fileHandle.isOpen());
  EXPECT_EQ(rig_.controls.status[kStatusState], "");
  EXPECT_EQ(rig_.controls.status[kStatusPosition], "");
  EXPECT_EQ(rig_.controls.menuState[kCmdPlayPause], MenuState::Disabled);
  EXPECT_FALSE(rig_.controls.buttonEnabled[kCmdPlayPause]);
  EXPECT_FALSE(rig_.controls.buttonEnabled[kCmdReplay]);
  EXPECT_FALSE(rig_.controls.buttonEnabled[kCmdNextFrame]);
  EXPECT_EQ(rig_.controls.menuState[kCmdProperty], MenuState::Enabled);
  // Close does not remember the file it closes.
  for (size_t i = mark; i < rig_.log.size(); ++i)
    EXPECT_EQ(rig_.log[i].rfind("settings.", 0), std::string::npos) << rig_.log[i];
  EXPECT_EQ(player_.shell.recentFiles, recentBefore);

  const size_t after = rig_.log.size();
  stepFrame(player_);
  playbackTick(player_);
  resumePlayback(player_);  // nothing to resume
  EXPECT_EQ(rig_.log.size(), after);
  EXPECT_TRUE(player_.playback.paused);
}

}  // namespace
}  // namespace zentrov::test
