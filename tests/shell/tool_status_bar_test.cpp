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

// The visible outcome of the word.
struct BarsView {
  bool toolbarShown;
  bool flat;
  bool labels;
  bool statusShown;
  int32_t toolbarHeight;
  int32_t statusBarHeight;
  bool hideChecked, buttonChecked, flatChecked, labelsChecked, statusChecked;

  bool operator==(const BarsView& o) const {
    return toolbarShown == o.toolbarShown && flat == o.flat && labels == o.labels &&
           statusShown == o.statusShown && toolbarHeight == o.toolbarHeight &&
           statusBarHeight == o.statusBarHeight && hideChecked == o.hideChecked &&
           buttonChecked == o.buttonChecked && flatChecked == o.flatChecked &&
           labelsChecked == o.labelsChecked && statusChecked == o.statusChecked;
  }
};

std::ostream& operator<<(std::ostream& out, const BarsView& v) {
  return out << "{toolbar " << v.toolbarShown << " flat " << v.flat << " labels " << v.labels
             << " status " << v.statusShown << " heights " << v.toolbarHeight << "/"
             << v.statusBarHeight << " checks " << v.hideChecked << v.buttonChecked << v.flatChecked
             << v.labelsChecked << v.statusChecked << "}";
}

BarsView viewOf(FakeRig& rig) {
  auto& m = rig.controls.menuChecked;
  return {rig.bars.toolbarShown,
          rig.bars.flat,
          rig.bars.labels,
          rig.bars.statusBarShown,
          rig.player.shell.toolbarHeight,
          rig.player.shell.statusBarHeight,
          m[kCmdToolbarHide],
          m[kCmdToolbarButton],
          m[kCmdToolbarFlat],
          m[kCmdToolbarAddString],
          m[kCmdStatusBar]};
}

struct StartCase {
  const char* name;
  uint32_t word;
  BarsView expected;
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
        StartCase{
            "Default9", 9, {true, false, false, true, 26, 20, false, true, false, false, true}},
        // Mode 3 is never written: hidden toolbar, no mode item checked.
        StartCase{
            "Mode3", 3, {false, false, false, false, 0, 0, false, false, false, false, false}},
        StartCase{"FlatWithLabels",
                  0xE,
                  {true, true, true, true, 42, 20, false, false, true, true, true}},
        StartCase{"HiddenNoStatus",
                  0,
                  {false, false, false, false, 0, 0, true, false, false, false, false}},
        StartCase{"HighBitsIgnored",
                  0xFFFFFFF1u,
                  {true, false, false, false, 26, 0, false, true, false, false, false}}),
    [](const ::testing::TestParamInfo<StartCase>& row) { return std::string(row.param.name); });

struct CommandStep {
  int command;
  uint32_t word;
  BarsView expected;
};

// The View menu commands one after another, from the default word with
// unused high bits set: each saves the word, and the high bits stay.
TEST(ToolStatusBarTest, ViewMenuCommandsSwitchSaveAndCheck) {
  FakeRig rig;
  rig.player.shell.tlStBar = 0x80000009u;
  ResetToolStatusBar(rig.player);
  const CommandStep steps[] = {
      {kCmdToolbarFlat,
       0x8000000Au,
       {true, true, false, true, 26, 20, false, false, true, false, true}},
      {kCmdToolbarAddString,
       0x8000000Eu,
       {true, true, true, true, 42, 20, false, false, true, true, true}},
      {kCmdToolbarHide,
       0x8000000Cu,
       {false, true, true, true, 0, 20, true, false, false, true, true}},
      {kCmdStatusBar,
       0x80000004u,
       {false, true, true, false, 0, 0, true, false, false, true, false}},
      {kCmdToolbarButton,
       0x80000005u,
       {true, false, true, false, 42, 0, false, true, false, true, false}},
      {kCmdToolbarAddString,
       0x80000001u,
       {true, false, false, false, 26, 0, false, true, false, false, false}},
      {kCmdStatusBar,
       0x80000009u,
       {true, false, false, true, 26, 20, false, true, false, false, true}},
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
