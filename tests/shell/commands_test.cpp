// Command dispatch: every command id onto its operation or port; the command
// line, the recent-file list over the settings store, and the TlStBar word:
// the bars, their heights, the View menu's check marks.

#include "shell/commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "playback/command_ids.h"
#include "playback/header_search.h"
#include "playback/playback_tick.h"
#include "shell/command_line.h"
#include "shell/recent_files.h"
#include "shell/tool_status_bar.h"
#include "support/fake_ports.h"

namespace zentrov::test {
namespace {

std::string greyMovie(const std::string& name, uint8_t level) {
  FilmSpec spec;
  spec.samples = {videoSample(greyFrame(level), 0), videoSample(greyFrame(level + 1), 100000)};
  return writeScratch(name, buildFilm(spec));
}

class Commands : public ::testing::Test {
 protected:
  void openPlaying(const std::string& path) {
    ASSERT_EQ(rig.open(path), OpenResult::Opened);
    playbackTick(player);  // starts the clock and shows the first frame
  }
  bool logged(size_t since, const std::string& line) {
    return ("\n" + rig.since(since)).find("\n" + line + "\n") != std::string::npos;
  }
  std::string recent(size_t n) {
    std::string names;
    for (size_t i = 0; i < n; ++i) names += player.shell.recentFiles[i] + "|";
    return names;
  }
  FakePorts rig;
  Player& player = rig.player;
};

// Each id on a playing movie reaches its operation or port: a line only that
// operation logs. Ids outside the table do nothing; a menu opening pauses.
TEST_F(Commands, EveryCommandReachesItsOperation) {
  onInitMenu(player);  // no movie: nothing
  EXPECT_EQ(rig.log, "");
  openPlaying(greyMovie("a.cpk", 10));
  const size_t start = rig.log.size();
  for (int id : {0, 40000, 40004, 40007, 40018, 40025, 40034, 40040, 40099, 40105, 40110, -1})
    onCommand(player, id);  // 40105: an empty recent entry has no item
  EXPECT_EQ(rig.since(start), "");
  onInitMenu(player);
  EXPECT_EQ(rig.last["status 1"], "Pause.");
  onCommand(player, kCmdNextFrame);  // shows only in the flag
  EXPECT_TRUE(player.playback.stepRequest);
  const std::pair<int, std::string> cases[] = {
      {kCmdPlayPause, "status 1 Play..."},
      {kCmdLoop, "check 40016 1"},
      {kCmdPcmOff, "volume -10000"},
      {kCmdNoWait, "check 40005 1"},
      {kCmdNormal, "check 40006 1"},
      {kCmdZoom2, "resize 64x64 x2"},
      {kCmdZoom1, "resize 64x64 x1"},
      {kCmdCopyFrame, "clipboard " + std::to_string(40 + 64 * 64 * 3 + 16)},
      {kCmdProperty, "property 64x64 2 PCM"},
      {kCmdAbout, "about"},
      {kCmdHomePage, std::string("homepage ") + kHomePageAddress},
      {kCmdExit, "closewindow"},
      {kCmdSearchHeader, "search"},
      {kCmdReplay, "button 40014 1"},
      {kCmdFullScreen, "fullscreen 1"},
      {kCmdOpen, "opendialog"},
      {kCmdClose, "ring clear"},
  };
  for (const auto& [id, line] : cases) {
    const size_t mark = rig.log.size();
    onCommand(player, id);
    EXPECT_TRUE(logged(mark, line)) << id << " should log " << line;
  }
  EXPECT_FALSE(player.playback.fileHandle.isOpen());
}

TEST_F(Commands, OpenRecentAndDroppedFiles) {
  const std::string a = greyMovie("a.cpk", 10), b = greyMovie("b.cpk", 20);
  openPlaying(a);
  player.shell.recentFiles[0] = "placeholder";  // so that remembering shows
  // Cancelled: paused and remembered before asking, loaded, but with no name.
  onCommand(player, kCmdOpen);
  EXPECT_NE(rig.log.find("sound stop\nset "), std::string::npos);
  EXPECT_EQ(rig.log.substr(rig.log.size() - 11), "opendialog\n");
  EXPECT_EQ(recent(1) + player.shell.currentFileName, a + "|");
  // It can be resumed with no name; Close must still stop it.
  onCommand(player, kCmdPlayPause);
  EXPECT_EQ(rig.last["sound"], "play");
  onCommand(player, kCmdClose);
  EXPECT_EQ(rig.last["sound"], "stop");
  // Chosen: it opens and heads the list.
  rig.choice = b;
  onCommand(player, kCmdOpen);
  EXPECT_EQ(recent(2) + rig.last["status 1"], b + "|" + a + "|Play...");
  // Recent items open their file from the start, the current one too.
  openPlaying(b);
  onCommand(player, kCmdRecentFirst + 1);
  EXPECT_EQ(recent(2) + player.shell.currentFileName, a + "|" + b + "|" + a);
  playbackTick(player);
  onCommand(player, kCmdRecentFirst);
  EXPECT_EQ(player.playback.position, 0);
  player.shell.recentFiles[9] = b;  // the tenth item
  onCommand(player, kCmdRecentLast);
  EXPECT_EQ(player.shell.currentFileName, b);
  // Of several dropped files only the first opens.
  const std::string c = greyMovie("c.cpk", 30);
  onDropFiles(player, {a, c});
  EXPECT_EQ(recent(3), a + "|" + b + "||");
  playbackTick(player);
  EXPECT_EQ(rig.pixel, greyPixel(10));
  // A page's dialog answers after the command has returned as cancelled: the
  // answer then opens as the blocking dialog would have, after a file dropped
  // in between. A longer path than a name holds fails like a cancel.
  rig.choice.clear();
  onCommand(player, kCmdOpen);
  EXPECT_EQ(player.shell.currentFileName, "");
  onDropFiles(player, {b});
  openChosenFile(player, scratchPath(std::string(300, 'x')));
  EXPECT_EQ(player.shell.currentFileName + rig.last["message"], b);
  openChosenFile(player, c);
  EXPECT_EQ(recent(3) + rig.last["status 1"], c + "|" + b + "|" + a + "|Play...");
  playbackTick(player);
  EXPECT_EQ(rig.pixel, greyPixel(30));
}

// Zooming resizes the window; full screen hides the bars, and leaving it
// shows them as the word says, at normal size. A playing movie pauses around
// the switch and plays on; a paused one stays paused.
TEST_F(Commands, ZoomAndFullScreenKeepTheBarsAsTheWordSays) {
  // The zoom, the bars shown, the layout given to the host, the checks of
  // x1, x2 and full screen, the word.
  auto screen = [&] {
    const WindowLayout& l = rig.layout;
    auto& c = rig.last;
    char text[96];
    std::snprintf(text, sizeof text, "%d bars %s%s %dx%d in %dx%d %d/%d %s%s%s word %u",
                  int(player.shell.zoom), c["toolbar"].c_str(), c["statusbar"].c_str(),
                  l.frameWidth, l.frameHeight, l.displayWidth, l.displayHeight, l.toolbarHeight,
                  l.statusBarHeight, c["check 40010"].c_str(), c["check 40011"].c_str(),
                  c["check 40022"].c_str(), player.shell.tlStBar);
    return std::string(text);
  };
  player.shell.tlStBar = 0xE;  // flat toolbar with labels, status bar
  ResetToolStatusBar(player);
  openPlaying(greyMovie("a.cpk", 10));
  onCommand(player, kCmdZoom2);
  EXPECT_EQ(screen(), "2 bars 11 64x64 in 128x128 42/20 010 word 14");
  const size_t start = rig.log.size();
  onCommand(player, kCmdFullScreen);
  EXPECT_EQ(screen(), "0 bars 00 64x64 in 0x0 0/0 001 word 14");
  const std::string switched = rig.since(start);
  EXPECT_LT(switched.find("sound stop"), switched.find("fullscreen 1"));
  EXPECT_LT(switched.find("fullscreen 1"), switched.find("sound play"));
  leaveFullScreen(player);
  EXPECT_EQ(screen(), "1 bars 11 64x64 in 64x64 42/20 100 word 14");
  EXPECT_EQ(rig.last["sound"], "play");
  EXPECT_EQ(rig.since(start).find("set "), std::string::npos);  // the switch saves nothing
  onCommand(player, kCmdPlayPause);
  const size_t mark = rig.log.size();
  onCommand(player, kCmdFullScreen);
  leaveFullScreen(player);
  EXPECT_FALSE(logged(mark, "sound play"));
}

// Movies at 0 and 4,096 and one 16 bytes into the block at 8,192: the scan
// lists the blocks while it runs, the table keeps the exact offsets. A page's
// dialog answers after the command has returned as cancelled.
TEST_F(Commands, HeaderSearchFindsEveryMovieAndOpensTheChosenOne) {
  FilmSpec spec;
  Bytes file;
  for (size_t at : {0, 4096, 8192 + 16}) {
    spec.samples = {videoSample(greyFrame(uint8_t(at / 100)), 0)};
    placeAt(file, at, buildFilm(spec));
  }
  openPlaying(writeScratch("three.cpk", file));
  HeaderSearch search(player);
  EXPECT_EQ(search.lines(), (std::vector<std::string>{"0 = 00000000"}));
  EXPECT_TRUE(player.playback.paused);
  std::string found;
  EXPECT_EQ(search.search([&](const std::string& line) { found += line + "|"; }), 3);
  EXPECT_EQ(found, "0 = 00000000|1 = 00001000|2 = 00002000|");
  EXPECT_EQ(search.lines(),
            (std::vector<std::string>{"0 = 00000000", "1 = 00001000", "2 = 00002010"}));
  EXPECT_EQ(search.choose(-1) + search.choose(3), 2 * kHeaderSearchCancelled);  // nothing selected
  EXPECT_EQ(search.choose(1), kHeaderChosen);
  openChosenHeader(player, kHeaderSearchCancelled);
  EXPECT_EQ(rig.last["title"], "three.cpk - Zentrov");
  openChosenHeader(player, kHeaderChosen);
  EXPECT_EQ(rig.last["title"], "three.cpk:1 - Zentrov");
  onCommand(player, kCmdSearchHeader);  // cancelled: nothing opens
  EXPECT_EQ(rig.log.substr(rig.log.size() - 7) + std::to_string(player.playback.headerIndex),
            "search\n1");
  rig.searchLine = 2;
  onCommand(player, kCmdSearchHeader);
  EXPECT_EQ(rig.last["title"], "three.cpk:2 - Zentrov");
  playbackTick(player);
  EXPECT_EQ(rig.pixel, greyPixel(82));
  onCommand(player, kCmdClose);  // no file left to read the header from
  const size_t mark = rig.log.size();
  openChosenHeader(player, kHeaderChosen);
  EXPECT_EQ(rig.since(mark), "");
}

TEST(CommandLine, FlagsAndName) {
  const std::string n400(400, 'n'), n259(259, 'n');
  const struct {
    std::string line;
    uint32_t flags;
    std::string name;
  } cases[] = {
      {"   \t ", 0, ""},
      {"-1 D:\\movies\\a.cpk", 1, "D:\\movies\\a.cpk"},
      {"-1fx.cpk", 0x1f, "x.cpk"},
      {"-FfFfFfFf1 a", 0xFFFFFFF1u, "a"},
      {"-123456789 a", 0x23456789u, "a"},  // 32 bits: the high digit drops out
      {"\"C:\\my movies\\a.cpk\"  ", 0, "\"C:\\my movies\\a.cpk\"  "},
      {"a-1.cpk", 0, "a-1.cpk"},
      {"-1 " + n400, 1, n259},  // cut to what the name buffer holds
      {n259, 0, n259},
  };
  for (const auto& c : cases) {
    ShellState shell;
    shell.debugFlags = 77;
    parseCommandLine(c.line.c_str(), shell);
    EXPECT_EQ(std::to_string(shell.debugFlags) + " " + shell.currentFileName,
              std::to_string(c.flags) + " " + c.name)
        << c.line;
  }
}

const std::string kKey = "Software\\NUVAND\\Zentrov";
std::string mru(int i) {
  return kKey + "\\MRU" + std::to_string(i) + "|path";
}
// The ten entries as held, and as saved; "-" for an empty one.
std::string listOf(FakePorts& rig, bool saved = false) {
  std::string out;
  for (int i = 0; i < kRecentFileCount; ++i) {
    const std::string& name = saved ? rig.stored[mru(i)] : rig.player.shell.recentFiles[size_t(i)];
    out += (name.empty() ? "-" : name) + " ";
  }
  return out;
}

TEST(RecentFiles, ReadBackAsTerminatedNamesWithDefaults) {
  FakePorts rig;
  rig.player.shell.programPath = "C:\\Zentrov\\zentrov.exe";
  rig.player.shell.tlStBar = 0;
  rig.player.shell.recentFiles[9] = "left over";
  CheckRegistry(rig.player);  // the first run: nothing stored
  EXPECT_EQ(rig.player.shell.tlStBar, 9u);
  EXPECT_EQ(listOf(rig), "- - - - - - - - - - ");
  EXPECT_EQ(rig.log, "set " + kKey + "|Path C:\\Zentrov\\zentrov.exe\n");  // not the word
  const std::string longName(300, 'n');
  rig.stored = {{kKey + "|TlStBar", "3"},
                {mru(0), "a"},
                {mru(2), "c"},
                {mru(5), longName},
                {mru(9), std::string("d\0junk", 6)}};
  CheckRegistry(rig.player);
  EXPECT_EQ(rig.player.shell.tlStBar, 3u);
  EXPECT_EQ(listOf(rig), "a - c - - " + longName.substr(0, 259) + " - - - d ");
  // Items go by entry: ids and mnemonics skip the empty ones; the tenth is &0.
  UpdateMRUFile(rig.player);
  EXPECT_EQ(rig.last["recent"],
            "40100 &1 a|40102 &3 c|40105 &6 " + longName.substr(0, 259) + "|40109 &0 d|");
}

TEST(RecentFiles, OpenedNameGoesToTheTopAndEverythingIsSaved) {
  const std::string cases[][3] = {
      {"a b c d e f g h i j ", "d", "d a b c e f g h i j "},
      {"a b c d e f g h i j ", "k", "k a b c d e f g h i "},  // the oldest makes room
      {"x D:\\a.cpk y - - - - - - - ", "d:\\A.cpk", "d:\\A.cpk x y - - - - - - - "},
      {"a b c - - - - - - - ", "a", "a b c - - - - - - - "},
  };
  for (const auto& [before, opened, after] : cases) {
    FakePorts rig;
    std::istringstream names(before);
    for (std::string& entry : rig.player.shell.recentFiles)
      if (names >> entry && entry == "-") entry.clear();
    rig.player.shell.currentFileName = opened;
    UpdateMRUFile(rig.player);
    EXPECT_EQ(listOf(rig) + "/ " + listOf(rig, true) + rig.stored[kKey + "|TlStBar"],
              after + "/ " + after + "9");
  }
  // Remembering overwrites the first entry only, and only with a name.
  FakePorts rig;
  rig.player.shell.recentFiles[1] = "b";
  rememberCurrentFile(rig.player);
  EXPECT_EQ(rig.log, "");
  rig.player.shell.currentFileName = "z";
  rememberCurrentFile(rig.player);
  EXPECT_EQ(listOf(rig) + rig.stored[mru(0)], "z b - - - - - - - - z");
}

// The toolbar's style, the status bar, both heights, then the check marks of
// Hide, Button style, Flat style, Add string and Status bar.
std::string bars(FakePorts& rig) {
  auto& l = rig.last;
  std::string view = l["toolbar"] != "1" ? "hidden" : l["flat"] == "1" ? "flat" : "button";
  view += (l["labels"] == "1" ? "+labels" : "") +
          std::string(l["statusbar"] == "1" ? " status " : " nostatus ");
  view += std::to_string(rig.player.shell.toolbarHeight) + "/" +
          std::to_string(rig.player.shell.statusBarHeight) + " ";
  for (int id :
       {kCmdToolbarHide, kCmdToolbarButton, kCmdToolbarFlat, kCmdToolbarAddString, kCmdStatusBar})
    view += l["check " + std::to_string(id)];
  return view;
}

// Start-up sets the bars from the word and saves nothing; then, from the
// default word with unused high bits set, each View menu command switches,
// checks and saves the word, keeping the high bits.
TEST(ToolStatusBar, StartUpWordAndViewMenuCommands) {
  const std::pair<uint32_t, std::string> words[] = {
      {3, "hidden nostatus 0/0 00000"},  // mode 3 is never written: no mode checked
      {0xE, "flat+labels status 42/20 00111"},
      {0, "hidden nostatus 0/0 10000"},
      {0xFFFFFFF1u, "button nostatus 26/0 01000"},
      {0x80000009u, "button status 26/20 01001"},
  };
  auto rig = std::make_unique<FakePorts>();
  for (const auto& [word, expected] : words) {
    rig = std::make_unique<FakePorts>();
    rig->player.shell.tlStBar = word;
    ResetToolStatusBar(rig->player);
    EXPECT_EQ(bars(*rig) + rig->last["resize"], expected + "320x240 x1") << word;
    EXPECT_EQ(rig->log.find("set "), std::string::npos) << word;
  }
  const std::tuple<int, uint32_t, std::string> steps[] = {
      {kCmdToolbarFlat, 0x8000000Au, "flat status 26/20 00101"},
      {kCmdToolbarAddString, 0x8000000Eu, "flat+labels status 42/20 00111"},
      {kCmdToolbarHide, 0x8000000Cu, "hidden+labels status 0/20 10011"},
      {kCmdStatusBar, 0x80000004u, "hidden+labels nostatus 0/0 10010"},
      {kCmdToolbarButton, 0x80000005u, "button+labels nostatus 42/0 01010"},
      {kCmdToolbarAddString, 0x80000001u, "button nostatus 26/0 01000"},
      {kCmdStatusBar, 0x80000009u, "button status 26/20 01001"},
  };
  for (const auto& [command, word, view] : steps) {
    onCommand(rig->player, command);
    EXPECT_EQ(bars(*rig) + " " + rig->stored[kKey + "|TlStBar"], view + " " + std::to_string(word));
    EXPECT_EQ(rig->player.shell.tlStBar, word);
  }
}

}  // namespace
}  // namespace zentrov::test
