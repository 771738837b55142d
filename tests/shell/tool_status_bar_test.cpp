// The TlStBar word: what the start-up reading and the View menu commands do
// to the bars, their heights, the menu check marks and the saved word.

#include "shell/tool_status_bar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "shell/command_ids.h"
#include "shell/commands.h"
#include "shell/player.h"
#include "support/recording_ports.h"

namespace zentrov::test {
namespace {

const std::string kWordKey = "Software\\NUVAND\\Zentrov|TlStBar";

// The visible outcome of the word in one line: the toolbar's style, the
// status bar, both heights, then the check marks of Hide, Button style,
// Flat style, Add string and Status bar.
std::string viewOf(FakeRig& rig) {
  const FakeToolStatusBars& b = rig.bars;
  std::string view = b.toolbarShown ? (b.flat ? "flat" : "button") : "hidden";
  view += b.labels ? "+labels" : "";
  view += b.statusBarShown ? " status " : " nostatus ";
  view += std::to_string(rig.player.shell.toolbarHeight) + "/" +
          std::to_string(rig.player.shell.statusBarHeight) + " ";
  for (int id :
       {kCmdToolbarHide, kCmdToolbarButton, kCmdToolbarFlat, kCmdToolbarAddString, kCmdStatusBar})
    view += rig.controls.menuChecked[id] ? "1" : "0";
  return view;
}

struct StartCase {
  const char* name;
  uint32_t word;
  std::string expected;
};

void PrintTo(const StartCase& c, std::ostream* out) {
  *out << c.name;
}

class StartUpTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartUpTest, WordSetsTheBarsWithoutSaving) {
  const StartCase& c = GetParam();
  FakeRig rig;
  rig.player.shell.tlStBar = c.word;
  ResetToolStatusBar(rig.player);
  EXPECT_EQ(viewOf(rig), c.expected);
  EXPECT_EQ(rig.player.shell.tlStBar, c.word);
  EXPECT_TRUE(rig.settings.dwords.empty());
  EXPECT_EQ(rig.log.back().rfind("controls.", 0), 0u);
  EXPECT_NE(std::find(rig.log.begin(), rig.log.end(), "frames.resize 320x240"), rig.log.end());
}

INSTANTIATE_TEST_SUITE_P(
    Words, StartUpTest,
    ::testing::Values(
        // Nothing stored: button style, no labels, status bar.
        StartCase{"Default9", 9, "button status 26/20 01001"},
        // Mode 3 is never written: hidden toolbar, no mode item checked.
        StartCase{"Mode3", 3, "hidden nostatus 0/0 00000"},
        StartCase{"FlatWithLabels", 0xE, "flat+labels status 42/20 00111"},
        StartCase{"HiddenNoStatus", 0, "hidden nostatus 0/0 10000"},
        StartCase{"HighBitsIgnored", 0xFFFFFFF1u, "button nostatus 26/0 01000"}),
    [](const ::testing::TestParamInfo<StartCase>& row) { return std::string(row.param.name); });

struct CommandStep {
  int command;
  uint32_t word;
  std::string expected;
};

// The View menu commands one after another, from the default word with
// unused high bits set: each saves the word, and the high bits stay.
TEST(ToolStatusBarTest, ViewMenuCommandsSwitchSaveAndCheck) {
  FakeRig rig;
  rig.player.shell.tlStBar = 0x80000009u;
  ResetToolStatusBar(rig.player);
  const CommandStep steps[] = {
      {kCmdToolbarFlat, 0x8000000Au, "flat status 26/20 00101"},
      {kCmdToolbarAddString, 0x8000000Eu, "flat+labels status 42/20 00111"},
      {kCmdToolbarHide, 0x8000000Cu, "hidden+labels status 0/20 10011"},
      {kCmdStatusBar, 0x80000004u, "hidden+labels nostatus 0/0 10010"},
      {kCmdToolbarButton, 0x80000005u, "button+labels nostatus 42/0 01010"},
      {kCmdToolbarAddString, 0x80000001u, "button nostatus 26/0 01000"},
      {kCmdStatusBar, 0x80000009u, "button status 26/20 01001"},
  };
  for (const CommandStep& s : steps) {
    onCommand(rig.player, s.command);
    EXPECT_EQ(rig.player.shell.tlStBar, s.word) << "after " << s.command;
    EXPECT_EQ(rig.settings.dwords[kWordKey], s.word) << "after " << s.command;
    EXPECT_EQ(viewOf(rig), s.expected) << "after " << s.command;
  }
}

TEST(ToolStatusBarTest, MeasureOnlyKeepsTheWordAndRemeasures) {
  FakeRig rig;
  ResetToolStatusBar(rig.player);
  rig.bars.toolbarHeight = 30;
  rig.bars.statusBarHeight = 22;
  setToolStatusBar(rig.player, BarTarget::ToolbarMode, kBarMeasureOnly, false);
  setToolStatusBar(rig.player, BarTarget::StatusBar, kBarMeasureOnly, false);
  EXPECT_EQ(rig.player.shell.toolbarHeight, 30);
  EXPECT_EQ(rig.player.shell.statusBarHeight, 22);
  EXPECT_EQ(rig.player.shell.tlStBar, 9u);
  EXPECT_TRUE(rig.settings.dwords.empty());
}

}  // namespace
}  // namespace zentrov::test
