// The command line, the recent-file list over the settings store, and the
// TlStBar word: the bars, their heights, the View menu's check marks.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "playback/command_ids.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/recent_files.h"
#include "shell/tool_status_bar.h"
#include "support/fake_ports.h"

namespace zentrov::test {
namespace {

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
