// Command dispatch: every command id onto the operations and the ports,
// dropped files, a menu opening, zoom and full screen, and the Search
// header dialog's outcomes.

#include "shell/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "playback/playback_tick.h"
#include "shell/command_ids.h"
#include "shell/header_search_dialog.h"
#include "shell/player.h"
#include "shell/tool_status_bar.h"
#include "support/playback_movies.h"
#include "support/recording_ports.h"
#include "support/test_paths.h"

namespace zentrov::test {
namespace {

std::string testName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// A silent movie of two frames of grey `level`, `level + 1`.
FilmSpec greyMovie(uint8_t level) {
  FilmSpec spec;
  spec.samples.push_back(videoSample(greyFrame(level), 0));
  spec.samples.push_back(videoSample(greyFrame(uint8_t(level + 1)), 100000));
  return spec;
}

bool logHas(const FakeRig& rig, size_t from, const std::string& line) {
  return std::find(rig.log.begin() + long(from), rig.log.end(), line) != rig.log.end();
}

// Index of `line` in the log at or after `from`, or -1.
long logIndex(const FakeRig& rig, size_t from, const std::string& line) {
  auto it = std::find(rig.log.begin() + long(from), rig.log.end(), line);
  return it == rig.log.end() ? -1 : long(it - rig.log.begin());
}

class CommandsTest : public ::testing::Test {
 protected:
  std::string movie(const std::string& name, const FilmSpec& spec) {
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(writeFile(path, toString(buildFilm(spec))));
    return path;
  }
  void openPlaying(const std::string& path) {
    ASSERT_EQ(openPath(player_, path), OpenResult::Opened);
    playbackTick(player_);  // starts the clock and shows the first frame
  }

  std::string dir_ = scratchDir(testName());
  FakeRig rig_;
  Player& player_ = rig_.player;
};

TEST_F(CommandsTest, IdsOutsideTheTableAreIgnored) {
  openPlaying(movie("a.cpk", greyMovie(10)));
  const size_t mark = rig_.log.size();
  for (int id : {0, 40000, 40004, 40007, 40018, 40025, 40034, 40040, 40099, 40110, -1})
    onCommand(player_, id);
  // Recent-file ids whose entry is empty have no item; they do nothing either.
  onCommand(player_, kCmdRecentFirst + 5);
  EXPECT_EQ(rig_.log.size(), mark);
  EXPECT_FALSE(player_.playback.paused);
}

TEST_F(CommandsTest, HostCommandsReachTheirPorts) {
  const struct {
    int id;
    std::string line;
  } cases[] = {
      {kCmdProperty, "dialogs.property"},
      {kCmdAbout, "dialogs.about"},
      {kCmdHomePage, std::string("dialogs.homepage ") + kHomePageAddress},
      {kCmdExit, "controls.closewindow"},
  };
  for (const auto& c : cases) {
    const size_t mark = rig_.log.size();
    onCommand(player_, c.id);
    EXPECT_EQ(std::vector<std::string>(rig_.log.begin() + long(mark), rig_.log.end()),
              std::vector<std::string>{c.line})
        << c.id;
  }
}

TEST_F(CommandsTest, CopyFrameGivesTheDecodedFrameAsA24BitBitmap) {
  // Before any movie: a black 320 x 240 picture.
  onCommand(player_, kCmdCopyFrame);
  ASSERT_EQ(rig_.dialogs.clipboard.size(), 56u + 240u * 960u);
  EXPECT_EQ(rig_.dialogs.clipboard[4], 0x40);  // biWidth 320
  EXPECT_EQ(rig_.dialogs.clipboard[5], 0x01);
  EXPECT_TRUE(std::all_of(rig_.dialogs.clipboard.begin() + 40, rig_.dialogs.clipboard.end(),
                          [](uint8_t b) { return b == 0; }));

  openPlaying(movie("a.cpk", greyMovie(77)));
  onCommand(player_, kCmdCopyFrame);
  ASSERT_EQ(rig_.dialogs.clipboard.size(), 56u + 64u * 192u);
  EXPECT_EQ(rig_.dialogs.clipboard[40], 77);
  EXPECT_EQ(rig_.dialogs.clipboard[40 + 64 * 192 - 1], 77);
}

TEST_F(CommandsTest, OpenRemembersPausesAndAsks) {
  const std::string first = movie("first.cpk", greyMovie(10));
  const std::string second = movie("second.cpk", greyMovie(20));
  openPlaying(first);
  player_.shell.recentFiles[0] = "placeholder";  // so that remembering shows

  // Cancelled: the movie stays loaded and paused, with no name.
  size_t mark = rig_.log.size();
  onCommand(player_, kCmdOpen);
  const long paused = logIndex(rig_, mark, "controls.status 1 Pause.");
  const long remembered =
      logIndex(rig_, mark, "settings.string Software\\NUVAND\\Zentrov\\MRU0|path " + first);
  const long asked = logIndex(rig_, mark, "dialogs.open");
  ASSERT_GE(paused, 0);
  EXPECT_LT(paused, remembered);
  EXPECT_LT(remembered, asked);
  EXPECT_TRUE(player_.shell.currentFileName.empty());
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_TRUE(player_.playback.fileHandle.isOpen());

  // Chosen: the other movie opens and heads the list.
  rig_.dialogs.nextChoice = second;
  onCommand(player_, kCmdOpen);
  EXPECT_EQ(player_.shell.currentFileName, second);
  EXPECT_FALSE(player_.playback.paused);
  EXPECT_EQ(player_.shell.recentFiles[0], second);
  EXPECT_EQ(player_.shell.recentFiles[1], first);

  // A path longer than a name can hold fails like a cancelled dialog.
  rig_.dialogs.nextChoice = dir_ + "/" + std::string(300, 'x');
  onCommand(player_, kCmdOpen);
  EXPECT_TRUE(player_.shell.currentFileName.empty());
  EXPECT_TRUE(rig_.controls.messages.empty());
}

// After a cancelled Open the loaded movie can be resumed with no name; Close
// must still leave it stopped.
TEST_F(CommandsTest, CloseStopsAMovieResumedAfterACancelledOpen) {
  openPlaying(movie("a.cpk", greyMovie(10)));
  onCommand(player_, kCmdOpen);
  onCommand(player_, kCmdPlayPause);
  EXPECT_FALSE(player_.playback.paused);
  EXPECT_TRUE(rig_.sound.playing);
  onCommand(player_, kCmdClose);
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_FALSE(rig_.sound.playing);
  EXPECT_FALSE(player_.playback.fileHandle.isOpen());
}

TEST_F(CommandsTest, RecentItemReopensItsFileFromTheStart) {
  const std::string a = movie("a.cpk", greyMovie(10));
  const std::string b = movie("b.cpk", greyMovie(20));
  openPlaying(a);
  openPlaying(b);
  ASSERT_EQ(player_.shell.recentFiles[1], a);

  onCommand(player_, kCmdRecentFirst + 1);
  EXPECT_EQ(player_.shell.currentFileName, a);
  EXPECT_EQ(player_.shell.recentFiles[0], a);
  EXPECT_EQ(player_.shell.recentFiles[1], b);
  EXPECT_EQ(player_.playback.position, 0);
  EXPECT_FALSE(player_.playback.paused);

  // Item 1 is the current file: it opens again from its start.
  playbackTick(player_);
  EXPECT_EQ(player_.playback.position, 1);
  onCommand(player_, kCmdRecentFirst);
  EXPECT_EQ(player_.shell.currentFileName, a);
  EXPECT_EQ(player_.playback.position, 0);
  EXPECT_EQ(rig_.controls.status[kStatusState], "Play...");
}

TEST_F(CommandsTest, DroppedFilesOpenTheFirstOnly) {
  const std::string a = movie("a.cpk", greyMovie(10));
  const std::string b = movie("b.cpk", greyMovie(20));
  const std::string c = movie("c.cpk", greyMovie(30));
  openPlaying(a);
  onDropFiles(player_, {b, c, a});
  EXPECT_EQ(player_.shell.currentFileName, b);
  EXPECT_EQ(player_.shell.recentFiles[0], b);
  EXPECT_EQ(player_.shell.recentFiles[1], a);
  EXPECT_EQ(player_.shell.recentFiles[2], "");
  playbackTick(player_);
  EXPECT_EQ(rig_.frames.surfaces[rig_.frames.backIndex][0] & 0xFFFFFFu, greyPixel(20));

  const size_t mark = rig_.log.size();
  onDropFiles(player_, {});
  EXPECT_EQ(rig_.log.size(), mark);
}

TEST_F(CommandsTest, OpeningAMenuPausesAndAcceleratorPlayPauseThenResumes) {
  onInitMenu(player_);  // no movie: nothing
  EXPECT_TRUE(rig_.log.empty());

  openPlaying(movie("a.cpk", greyMovie(10)));
  onInitMenu(player_);
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_EQ(rig_.controls.status[kStatusState], "Pause.");

  // Ctrl+P in the window: the menu rule pauses, the command resumes.
  onInitMenu(player_);
  onCommand(player_, kCmdPlayPause);
  EXPECT_FALSE(player_.playback.paused);
  EXPECT_EQ(rig_.controls.status[kStatusState], "Play...");
}

TEST_F(CommandsTest, TransportCommandsAreDispatched) {
  openPlaying(movie("a.cpk", greyMovie(10)));
  onCommand(player_, kCmdLoop);
  EXPECT_TRUE(player_.playback.loop);
  onCommand(player_, kCmdPcmOff);
  EXPECT_EQ(player_.playback.volume, -10000);
  onCommand(player_, kCmdNoWait);
  EXPECT_EQ(player_.playback.frameRateMode, FrameRateMode::NoWait);
  onCommand(player_, kCmdNormal);
  EXPECT_EQ(player_.playback.frameRateMode, FrameRateMode::Normal);
  onCommand(player_, kCmdPlayPause);
  EXPECT_TRUE(player_.playback.paused);
  onCommand(player_, kCmdNextFrame);
  EXPECT_TRUE(player_.playback.stepRequest);
  onCommand(player_, kCmdReplay);
  EXPECT_EQ(player_.playback.position, 0);
  EXPECT_TRUE(player_.playback.audioRestart);
  onCommand(player_, kCmdClose);
  EXPECT_TRUE(player_.shell.currentFileName.empty());
  EXPECT_FALSE(player_.playback.fileHandle.isOpen());
}

TEST_F(CommandsTest, ZoomSizesTheWindowAndMovesTheCheckMark) {
  openPlaying(movie("a.cpk", greyMovie(10)));
  for (int zoom : {2, 1, 2}) {
    const size_t mark = rig_.log.size();
    onCommand(player_, zoom == 2 ? kCmdZoom2 : kCmdZoom1);
    EXPECT_EQ(player_.shell.zoom, zoom);
    EXPECT_EQ(rig_.frames.zoom, zoom);
    EXPECT_EQ(rig_.controls.menuChecked[kCmdZoom1], zoom == 1);
    EXPECT_EQ(rig_.controls.menuChecked[kCmdZoom2], zoom == 2);
    EXPECT_EQ(rig_.controls.menuChecked[kCmdFullScreen], false);
    const long zoomed = logIndex(rig_, mark, "frames.zoom " + std::to_string(zoom));
    const long resized = logIndex(rig_, mark, "frames.resize 64x64");
    ASSERT_GE(zoomed, 0);
    EXPECT_GT(resized, zoomed);
  }
}

TEST_F(CommandsTest, FullScreenHidesTheBarsAndComesBackAtNormalSize) {
  player_.shell.tlStBar = 0xE;  // flat toolbar with labels, status bar
  ResetToolStatusBar(player_);
  openPlaying(movie("a.cpk", greyMovie(10)));
  onCommand(player_, kCmdZoom2);

  const size_t start = rig_.log.size();
  size_t mark = start;
  onCommand(player_, kCmdFullScreen);
  EXPECT_EQ(player_.shell.zoom, 0);
  EXPECT_TRUE(rig_.frames.fullScreen);
  EXPECT_FALSE(rig_.bars.toolbarShown);
  EXPECT_FALSE(rig_.bars.statusBarShown);
  EXPECT_EQ(player_.shell.toolbarHeight, 0);
  EXPECT_EQ(player_.shell.statusBarHeight, 0);
  EXPECT_EQ(player_.shell.tlStBar, 0xEu);
  EXPECT_EQ(rig_.controls.menuChecked[kCmdFullScreen], true);
  // A playing movie pauses around the switch and plays on after it.
  const long stopped = logIndex(rig_, mark, "sound.stop");
  const long switched = logIndex(rig_, mark, "frames.fullscreen 1");
  const long played = logIndex(rig_, mark, "sound.play");
  ASSERT_GE(stopped, 0);
  EXPECT_LT(stopped, switched);
  EXPECT_LT(switched, played);
  EXPECT_FALSE(player_.playback.paused);

  mark = rig_.log.size();
  onCommand(player_, kCmdFullScreen);  // already full screen
  EXPECT_EQ(rig_.log.size(), mark);

  leaveFullScreen(player_);
  EXPECT_FALSE(rig_.frames.fullScreen);
  EXPECT_EQ(player_.shell.zoom, 1);
  EXPECT_EQ(rig_.controls.menuChecked[kCmdZoom1], true);
  EXPECT_EQ(rig_.controls.menuChecked[kCmdFullScreen], false);
  EXPECT_TRUE(rig_.bars.toolbarShown);
  EXPECT_TRUE(rig_.bars.statusBarShown);
  EXPECT_EQ(player_.shell.toolbarHeight, 42);
  EXPECT_EQ(player_.shell.statusBarHeight, 20);
  EXPECT_FALSE(player_.playback.paused);
  EXPECT_EQ(player_.shell.tlStBar, 0xEu);
  for (size_t i = start; i < rig_.log.size(); ++i)  // the switch saves nothing
    EXPECT_NE(rig_.log[i].rfind("settings.", 0), 0u) << rig_.log[i];

  mark = rig_.log.size();
  leaveFullScreen(player_);  // a click in the window does nothing
  EXPECT_EQ(rig_.log.size(), mark);
}

TEST_F(CommandsTest, FullScreenKeepsAPausedMoviePausedAndHiddenBarsHidden) {
  player_.shell.tlStBar = 0;  // toolbar hidden, no status bar
  ResetToolStatusBar(player_);
  openPlaying(movie("a.cpk", greyMovie(10)));
  onCommand(player_, kCmdPlayPause);
  const size_t mark = rig_.log.size();
  onCommand(player_, kCmdFullScreen);
  leaveFullScreen(player_);
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_FALSE(logHas(rig_, mark, "sound.play"));
  EXPECT_FALSE(rig_.bars.toolbarShown);
  EXPECT_FALSE(rig_.bars.statusBarShown);
  EXPECT_EQ(player_.shell.toolbarHeight, 0);
  EXPECT_EQ(player_.shell.statusBarHeight, 0);
}

// A file with movies at 0 and 4,096 and a third one 16 bytes into the block
// at 8,192: the scan reports the block, the table keeps the exact offset.
class HeaderSearchTest : public CommandsTest {
 protected:
  void SetUp() override {
    std::vector<uint8_t> file = buildFilm(greyMovie(10));
    placeAt(file, 4096, buildFilm(greyMovie(40)));
    placeAt(file, 8192 + 16, buildFilm(greyMovie(70)));
    path_ = dir_ + "/three.cpk";
    ASSERT_TRUE(writeFile(path_, toString(file)));
    openPlaying(path_);
  }
  std::string path_;
};

TEST_F(HeaderSearchTest, ListShowsTheTableAndSearchFindsEveryMovie) {
  EXPECT_EQ(headerListLines(player_), (std::vector<std::string>{"0 = 00000000"}));
  EXPECT_EQ(beginHeaderSearch(player_), 0);
  EXPECT_TRUE(player_.playback.paused);

  std::vector<std::string> progress;
  const int found = searchHeaders(player_, [&](int line, int64_t block) {
    progress.push_back(std::to_string(line) + "@" + std::to_string(block));
  });
  EXPECT_EQ(found, 3);
  EXPECT_EQ(progress, (std::vector<std::string>{"0@0", "1@4096", "2@8192"}));
  EXPECT_EQ(headerListLines(player_),
            (std::vector<std::string>{"0 = 00000000", "1 = 00001000", "2 = 00002010"}));
}

TEST_F(HeaderSearchTest, OkOrDoubleClickChoosesAndTheChosenMoviePlays) {
  searchHeaders(player_, {});
  EXPECT_EQ(chooseHeader(player_, 2), kHeaderChosen);
  EXPECT_EQ(player_.playback.headerIndex, 2);
  rig_.dialogs.searchResult = kHeaderChosen;
  onCommand(player_, kCmdSearchHeader);
  EXPECT_FALSE(player_.playback.paused);
  EXPECT_EQ(rig_.controls.title, "three.cpk:2 - Zentrov");
  playbackTick(player_);
  EXPECT_EQ(rig_.frames.surfaces[rig_.frames.backIndex][0] & 0xFFFFFFu, greyPixel(70));
}

TEST_F(HeaderSearchTest, CancelAndOkWithoutSelectionKeepTheIndex) {
  beginHeaderSearch(player_);
  searchHeaders(player_, {});
  EXPECT_EQ(chooseHeader(player_, -1), kHeaderSearchCancelled);  // OK, nothing selected
  EXPECT_EQ(chooseHeader(player_, 3), kHeaderSearchCancelled);   // past the listed lines
  EXPECT_EQ(cancelHeaderSearch(player_), kHeaderSearchCancelled);
  EXPECT_EQ(player_.playback.headerIndex, 0);
  EXPECT_EQ(player_.headerOffsets.count(), 3);  // the new scan stays

  rig_.dialogs.searchResult = kHeaderSearchCancelled;
  const size_t mark = rig_.log.size();
  onCommand(player_, kCmdSearchHeader);
  EXPECT_EQ(std::vector<std::string>(rig_.log.begin() + long(mark), rig_.log.end()),
            std::vector<std::string>{"dialogs.search"});
  EXPECT_TRUE(player_.playback.paused);
}

}  // namespace
}  // namespace zentrov::test
