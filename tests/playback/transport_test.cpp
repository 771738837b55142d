// The transport commands in every state: the status text, the play/pause
// and next-frame controls, the sound ring and the playback flags after each.

#include "playback/transport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/command_ids.h"
#include "playback/playback_tick.h"
#include "support/playback_movies.h"
#include "support/recording_ports.h"

namespace zentrov::test {
namespace {

// What the user sees and hears of the transport, and the flags behind it:
// status, play/pause menu item and button (enabled, down), next-frame button.
const std::string kPlaying = "Play... menu+ play+ up next- running sound+";
const std::string kPaused = "Pause. menu+ play+ down next+ paused sound-";
const std::string kStepping = "Pause. menu+ play+ down next+ paused stepping sound-";
const std::string kEnded = "End. menu- play- down next- paused sound-";
const std::string kReplayFromEnd = "End. menu+ play+ down next- paused stepping sound-";
const std::string kEndedReplayed = "End. menu+ play+ down next- paused sound-";
const std::string kClosed = " menu- play- up next- paused sound-";

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(openTestMovie(player_, pacedSoundMovie()), OpenResult::Opened);
    playbackTick(player_);  // the first sound starts the ring
  }
  std::string view() {
    FakeControls& c = rig_.controls;
    auto sign = [](bool on) { return on ? "+ " : "- "; };
    return c.status[kStatusState] + " menu" +
           sign(c.menuState[kCmdPlayPause] == MenuState::Enabled) + "play" +
           sign(c.buttonEnabled[kCmdPlayPause]) + (c.buttonChecked[kCmdPlayPause] ? "down" : "up") +
           " next" + sign(c.buttonEnabled[kCmdNextFrame]) +
           (player_.playback.paused ? "paused" : "running") +
           (player_.playback.stepRequest ? " stepping" : "") + " sound" +
           (rig_.sound.playing ? "+" : "-");
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
  EXPECT_EQ(view(), kPlaying);
  togglePlayPause(player_);
  EXPECT_EQ(view(), kPaused);
  playbackTick(player_);
  EXPECT_EQ(player_.playback.position, 1);  // paused: nothing handled

  rig_.sound.cursor = 1234;
  togglePlayPause(player_);
  EXPECT_EQ(view(), kPlaying);
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
  EXPECT_EQ(view(), kPaused);

  stepFrame(player_);
  EXPECT_EQ(tickToFrame(), 5);
  EXPECT_EQ(view(), kEnded);

  // Replay at the end re-enables play/pause only; the first frame is shown
  // and the movie stays paused.
  replayMovie(player_);
  EXPECT_EQ(view(), kReplayFromEnd);
  EXPECT_EQ(tickToFrame(), 1);
  EXPECT_EQ(view(), kEndedReplayed);

  togglePlayPause(player_);
  EXPECT_EQ(view(), kPlaying);
  EXPECT_EQ(rig_.sound.cursor, 0u);  // from the start of the sound

  replayMovie(player_);
  EXPECT_EQ(view(), kPlaying);
}

TEST_F(TransportTest, PcmOffWhilePausedSilencesTheStoppedRingAndLaterRestarts) {
  pausePlayback(player_);
  togglePcmOff(player_);
  EXPECT_EQ(rig_.log.back(), "sound.volume -10000");
  EXPECT_TRUE(rig_.controls.menuChecked[kCmdPcmOff]);
  EXPECT_EQ(view(), kPaused);

  resumePlayback(player_);
  EXPECT_EQ(rig_.sound.volume, -10000);
  replayMovie(player_);
  playbackTick(player_);
  EXPECT_EQ(rig_.sound.volume, -10000);  // the restart keeps the sound off

  togglePcmOff(player_);
  EXPECT_EQ(rig_.sound.volume, 0);
  EXPECT_FALSE(rig_.controls.menuChecked[kCmdPcmOff]);
}

TEST_F(TransportTest, FrameRateModeTakesEffectOnlyWhenPlaying) {
  pausePlayback(player_);
  selectFrameRate(player_, FrameRateMode::NoWait);
  EXPECT_TRUE(rig_.controls.menuChecked[kCmdNoWait]);
  EXPECT_FALSE(rig_.controls.menuChecked[kCmdNormal]);
  EXPECT_EQ(tickToFrame(), -1);

  resumePlayback(player_);
  // The cursor stays at 0, yet both later frames come at once.
  EXPECT_EQ(tickToFrame(), 1);
  EXPECT_EQ(tickToFrame(), 3);

  selectFrameRate(player_, FrameRateMode::Normal);
  EXPECT_FALSE(rig_.controls.menuChecked[kCmdNoWait]);
  EXPECT_TRUE(rig_.controls.menuChecked[kCmdNormal]);
  EXPECT_EQ(tickToFrame(), -1);  // 2,000 sound frames not yet played
}

TEST_F(TransportTest, CloseLeavesNoMovieAndDoesNotRememberIt) {
  rig_.controls.status[kStatusPosition] = "7";
  const auto recentBefore = player_.shell.recentFiles;
  const size_t mark = rig_.log.size();
  closeMovie(player_);
  EXPECT_EQ(view(), kClosed);
  EXPECT_TRUE(player_.shell.currentFileName.empty());
  EXPECT_EQ(rig_.controls.status[kStatusPosition], "");
  EXPECT_FALSE(rig_.controls.buttonEnabled[kCmdReplay]);
  EXPECT_EQ(rig_.controls.menuState[kCmdProperty], MenuState::Enabled);
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
