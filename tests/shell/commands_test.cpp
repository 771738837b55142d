// Command dispatch: every command id onto the operations and the ports,
// dropped files, a menu opening, full screen, and the Search header
// dialog's outcomes.

#include "shell/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "playback/command_ids.h"
#include "playback/header_search.h"
#include "playback/playback_tick.h"
#include "playback/player.h"
#include "shell/tool_status_bar.h"
#include "support/playback_movies.h"
#include "support/recording_ports.h"
#include "support/test_paths.h"

namespace zentrov::test {
namespace {

using Lines = std::vector<std::string>;

// A silent movie of two frames of grey `level`, `level + 1`.
FilmSpec greyMovie(uint8_t level) {
  FilmSpec spec;
  spec.samples = {videoSample(greyFrame(level), 0), videoSample(greyFrame(level + 1), 100000)};
  return spec;
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
  Lines logSince(size_t mark) const { return Lines(rig_.log.begin() + long(mark), rig_.log.end()); }
  // Index of `line` in the log at or after `from`, or -1.
  long logIndex(size_t from, const std::string& line) const {
    auto it = std::find(rig_.log.begin() + long(from), rig_.log.end(), line);
    return it == rig_.log.end() ? -1 : long(it - rig_.log.begin());
  }
  Lines recent(size_t n) const {
    return Lines(player_.shell.recentFiles.begin(), player_.shell.recentFiles.begin() + long(n));
  }
  uint32_t shownPixel() { return rig_.frames.surfaces[rig_.frames.backIndex].at(0) & 0xFFFFFFu; }

  std::string dir_ = scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  FakeRig rig_;
  Player& player_ = rig_.player;
};

// Each id, one after another on a playing movie, reaches its operation or
// port: a line that only that operation logs (the View menu's ids have their
// own tests). Ids outside the table do nothing. A menu opening pauses.
TEST_F(CommandsTest, EveryCommandReachesItsOperation) {
  onInitMenu(player_);  // no movie: nothing
  EXPECT_TRUE(rig_.log.empty());
  openPlaying(movie("a.cpk", greyMovie(10)));
  const size_t start = rig_.log.size();
  for (int id : {0, 40000, 40004, 40007, 40018, 40025, 40034, 40040, 40099, 40110, -1})
    onCommand(player_, id);
  onCommand(player_, kCmdRecentFirst + 5);  // an empty entry has no item
  EXPECT_EQ(rig_.log.size(), start);
  onInitMenu(player_);
  EXPECT_EQ(rig_.controls.status[kStatusState], "Pause.");
  // Ctrl+P in the window: the menu rule pauses, the command resumes.
  onInitMenu(player_);
  onCommand(player_, kCmdPlayPause);
  EXPECT_EQ(rig_.controls.status[kStatusState], "Play...");

  onCommand(player_, kCmdNextFrame);  // the step only shows in the flag
  EXPECT_TRUE(player_.playback.stepRequest);
  const std::pair<int, std::string> cases[] = {
      {kCmdLoop, "controls.menucheck 40016 1"},
      {kCmdPcmOff, "sound.volume -10000"},
      {kCmdNoWait, "controls.menucheck 40005 1"},
      {kCmdNormal, "controls.menucheck 40006 1"},
      {kCmdZoom2, "frames.resize 64x64 x2"},
      {kCmdZoom1, "frames.resize 64x64 x1"},
      {kCmdCopyFrame, "dialogs.clipboard " + std::to_string(56 + 64 * 192)},
      {kCmdProperty, "dialogs.property"},
      {kCmdAbout, "dialogs.about"},
      {kCmdHomePage, std::string("dialogs.homepage ") + kHomePageAddress},
      {kCmdExit, "controls.closewindow"},
      {kCmdSearchHeader, "dialogs.search"},  // the dialog pauses
      {kCmdPlayPause, "controls.status 1 Play..."},
      {kCmdReplay, "controls.button 40014 1"},
      {kCmdFullScreen, "frames.fullscreen 1"},
      {kCmdOpen, "dialogs.open"},
      {kCmdClose, "sound.clear"},
  };
  for (const auto& [id, line] : cases) {
    const size_t mark = rig_.log.size();
    onCommand(player_, id);
    EXPECT_GE(logIndex(mark, line), 0) << id << " should log " << line;
  }
  EXPECT_FALSE(player_.playback.fileHandle.isOpen());
}

TEST_F(CommandsTest, OpenRemembersPausesAndAsks) {
  const std::string first = movie("first.cpk", greyMovie(10));
  const std::string second = movie("second.cpk", greyMovie(20));
  openPlaying(first);
  player_.shell.recentFiles[0] = "placeholder";  // so that remembering shows

  // Cancelled: the movie stays loaded and paused, with no name.
  const size_t mark = rig_.log.size();
  onCommand(player_, kCmdOpen);
  const long asked = logIndex(mark, "dialogs.open");
  EXPECT_LT(logIndex(mark, "controls.status 1 Pause."), asked);
  EXPECT_LT(logIndex(mark, "settings.string Software\\NUVAND\\Zentrov\\MRU0|path " + first), asked);
  EXPECT_TRUE(player_.shell.currentFileName.empty());
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_EQ(player_.shell.recentFiles[0], first);

  // It can be resumed with no name; Close must still stop it.
  onCommand(player_, kCmdPlayPause);
  EXPECT_TRUE(rig_.sound.playing);
  onCommand(player_, kCmdClose);
  EXPECT_TRUE(player_.playback.paused);
  EXPECT_FALSE(rig_.sound.playing);

  // Chosen: the other movie opens and heads the list.
  rig_.dialogs.nextChoice = second;
  onCommand(player_, kCmdOpen);
  EXPECT_FALSE(player_.playback.paused);
  EXPECT_EQ(recent(2), (Lines{second, first}));

  // A path longer than a name can hold fails like a cancelled dialog.
  rig_.dialogs.nextChoice = dir_ + "/" + std::string(300, 'x');
  onCommand(player_, kCmdOpen);
  EXPECT_TRUE(player_.shell.currentFileName.empty());
  EXPECT_TRUE(rig_.controls.messages.empty());
}

TEST_F(CommandsTest, RecentItemsAndDroppedFilesOpenTheirFileFromTheStart) {
  const std::string a = movie("a.cpk", greyMovie(10));
  const std::string b = movie("b.cpk", greyMovie(20));
  openPlaying(a);
  openPlaying(b);
  onCommand(player_, kCmdRecentFirst + 1);
  EXPECT_EQ(player_.shell.currentFileName, a);
  EXPECT_EQ(recent(2), (Lines{a, b}));
  // Item 1 is the current file: it opens again from its start.
  playbackTick(player_);
  onCommand(player_, kCmdRecentFirst);
  EXPECT_EQ(player_.playback.position, 0);
  EXPECT_EQ(rig_.controls.status[kStatusState], "Play...");

  // Of several dropped files only the first opens.
  onDropFiles(player_, {b, movie("c.cpk", greyMovie(30))});
  EXPECT_EQ(recent(3), (Lines{b, a, ""}));
  playbackTick(player_);
  EXPECT_EQ(shownPixel(), greyPixel(20));
  const size_t mark = rig_.log.size();
  onDropFiles(player_, {});
  EXPECT_EQ(rig_.log.size(), mark);
}

// Zooming resizes the window; full screen hides the bars, and leaving it
// shows them as the word says, at normal size. The view: zoom, full screen,
// bars shown, bar heights, the Zoom1/Zoom2/FullScreen checks, the word.
TEST_F(CommandsTest, ZoomAndFullScreenKeepTheBarsAsTheWordSays) {
  auto screen = [&] {
    const ShellState& s = player_.shell;
    std::string view =
        std::to_string(int(s.zoom)) + (rig_.frames.fullScreen ? " full" : "") + " bars ";
    for (bool b : {rig_.bars.toolbarShown, rig_.bars.statusBarShown}) view += b ? "1" : "0";
    view += " " + std::to_string(s.toolbarHeight) + "/" + std::to_string(s.statusBarHeight) + " ";
    for (int id : {kCmdZoom1, kCmdZoom2, kCmdFullScreen})
      view += rig_.controls.menuChecked[id] ? "1" : "0";
    return view + " word " + std::to_string(s.tlStBar);
  };
  player_.shell.tlStBar = 0xE;  // flat toolbar with labels, status bar
  ResetToolStatusBar(player_);
  openPlaying(movie("a.cpk", greyMovie(10)));
  onCommand(player_, kCmdZoom2);
  EXPECT_EQ(screen(), "2 bars 11 42/20 010 word 14");
  // The host is given what it needs to size the window and paint.
  const WindowLayout& given = rig_.frames.layout;
  EXPECT_EQ(std::vector<int32_t>({given.frameWidth, given.frameHeight, given.displayWidth,
                                  given.displayHeight, given.toolbarHeight, given.statusBarHeight}),
            std::vector<int32_t>({64, 64, 128, 128, 42, 20}));

  const size_t start = rig_.log.size();
  onCommand(player_, kCmdFullScreen);
  EXPECT_EQ(screen(), "0 full bars 00 0/0 001 word 14");
  EXPECT_EQ(given.toolbarHeight + given.statusBarHeight, 0);
  // A playing movie pauses around the switch and plays on after it.
  const long switched = logIndex(start, "frames.fullscreen 1");
  EXPECT_LT(logIndex(start, "sound.stop"), switched);
  EXPECT_LT(switched, logIndex(start, "sound.play"));

  leaveFullScreen(player_);
  EXPECT_EQ(screen(), "1 bars 11 42/20 100 word 14");
  EXPECT_FALSE(player_.playback.paused);
  for (const std::string& line : logSince(start))  // the switch saves nothing
    EXPECT_NE(line.rfind("settings.", 0), 0u) << line;

  // A paused movie stays paused, and hidden bars stay hidden.
  player_.shell.tlStBar = 0;
  ResetToolStatusBar(player_);
  onCommand(player_, kCmdPlayPause);
  const size_t mark = rig_.log.size();
  onCommand(player_, kCmdFullScreen);
  leaveFullScreen(player_);
  EXPECT_EQ(screen(), "1 bars 00 0/0 100 word 0");
  EXPECT_EQ(logIndex(mark, "sound.play"), -1);
}

// A file with movies at 0 and 4,096 and a third one 16 bytes into the block
// at 8,192: the scan reports the block, the table keeps the exact offset.
class HeaderSearchTest : public CommandsTest {
 protected:
  void SetUp() override {
    std::vector<uint8_t> file = buildFilm(greyMovie(10));
    placeAt(file, 4096, buildFilm(greyMovie(40)));
    placeAt(file, 8192 + 16, buildFilm(greyMovie(70)));
    ASSERT_TRUE(writeFile(dir_ + "/three.cpk", toString(file)));
    openPlaying(dir_ + "/three.cpk");
  }
};

TEST_F(HeaderSearchTest, SearchFindsEveryMovieAndCancelOrOkWithoutSelectionKeepTheIndex) {
  HeaderSearch search(player_);
  EXPECT_EQ(search.lines(), (Lines{"0 = 00000000"}));
  EXPECT_EQ(search.selectedLine(), 0);
  EXPECT_TRUE(player_.playback.paused);
  Lines found;  // while it runs: the block offsets
  EXPECT_EQ(search.search([&](const std::string& line) { found.push_back(line); }), 3);
  EXPECT_EQ(found, (Lines{"0 = 00000000", "1 = 00001000", "2 = 00002000"}));
  EXPECT_EQ(search.lines(), (Lines{"0 = 00000000", "1 = 00001000", "2 = 00002010"}));

  EXPECT_EQ(search.choose(-1), kHeaderSearchCancelled);  // OK, nothing selected
  EXPECT_EQ(search.choose(3), kHeaderSearchCancelled);   // past the listed lines
  EXPECT_EQ(search.cancel(), kHeaderSearchCancelled);
  EXPECT_EQ(player_.playback.headerIndex, 0);
  EXPECT_EQ(player_.headerOffsets.count(), 3);  // the new scan stays
  const size_t mark = rig_.log.size();
  onCommand(player_, kCmdSearchHeader);  // the dialog is cancelled: nothing opens
  EXPECT_EQ(logSince(mark).back(), "dialogs.search");
  EXPECT_EQ(logIndex(mark, "frames.clear"), -1);
}

TEST_F(HeaderSearchTest, OkOrDoubleClickChoosesAndTheChosenMoviePlays) {
  HeaderSearch(player_).search({});
  rig_.dialogs.searchLine = 2;
  onCommand(player_, kCmdSearchHeader);
  EXPECT_EQ(player_.playback.headerIndex, 2);
  EXPECT_EQ(rig_.controls.title, "three.cpk:2 - Zentrov");
  playbackTick(player_);
  EXPECT_EQ(shownPixel(), greyPixel(70));
}

}  // namespace
}  // namespace zentrov::test
