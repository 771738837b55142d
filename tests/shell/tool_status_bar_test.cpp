// The TlStBar word: what the start-up reading and the View menu commands do
// to the bars, their heights, the menu check marks and the saved word.

#include "shell/tool_status_bar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "playback/command_ids.h"
#include "playback/player.h"
#include "shell/commands.h"
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

// Start-up sets the bars from the word and saves nothing.
TEST(ToolStatusBarTest, StartUpWordSetsTheBarsWithoutSaving) {
  const struct {
    uint32_t word;
    std::string expected;
  } cases[] = {
      {9, "button status 26/20 01001"},  // nothing stored: button style, no labels, status bar
      {3, "hidden nostatus 0/0 00000"},  // mode 3 is never written: no mode item checked
      {0xE, "flat+labels status 42/20 00111"},
      {0, "hidden nostatus 0/0 10000"},
      {0xFFFFFFF1u, "button nostatus 26/0 01000"},  // high bits ignored
  };
  for (const auto& c : cases) {
    FakeRig rig;
    rig.player.shell.tlStBar = c.word;
    ResetToolStatusBar(rig.player);
    EXPECT_EQ(viewOf(rig), c.expected) << c.word;
    EXPECT_EQ(rig.player.shell.tlStBar, c.word);
    EXPECT_TRUE(rig.settings.dwords.empty()) << c.word;
    EXPECT_NE(std::find(rig.log.begin(), rig.log.end(), "frames.resize 320x240 x1"), rig.log.end());
  }
}

// The View menu commands one after another, from the default word with
// unused high bits set: each saves the word, and the high bits stay.
TEST(ToolStatusBarTest, ViewMenuCommandsSwitchSaveAndCheck) {
  FakeRig rig;
  rig.player.shell.tlStBar = 0x80000009u;
  ResetToolStatusBar(rig.player);
  const struct {
    int command;
    uint32_t word;
    std::string expected;
  } steps[] = {
      {kCmdToolbarFlat, 0x8000000Au, "flat status 26/20 00101"},
      {kCmdToolbarAddString, 0x8000000Eu, "flat+labels status 42/20 00111"},
      {kCmdToolbarHide, 0x8000000Cu, "hidden+labels status 0/20 10011"},
      {kCmdStatusBar, 0x80000004u, "hidden+labels nostatus 0/0 10010"},
      {kCmdToolbarButton, 0x80000005u, "button+labels nostatus 42/0 01010"},
      {kCmdToolbarAddString, 0x80000001u, "button nostatus 26/0 01000"},
      {kCmdStatusBar, 0x80000009u, "button status 26/20 01001"},
  };
  for (const auto& s : steps) {
    onCommand(rig.player, s.command);
    EXPECT_EQ(rig.player.shell.tlStBar, s.word) << "after " << s.command;
    EXPECT_EQ(rig.settings.dwords[kWordKey], s.word) << "after " << s.command;
    EXPECT_EQ(viewOf(rig), s.expected) << "after " << s.command;
  }
}

}  // namespace
}  // namespace zentrov::test
