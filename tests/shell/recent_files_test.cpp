// The settings word and the recent-file list over the settings store, and
// the File menu items built from the list.

#include "shell/recent_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/player.h"
#include "support/playback_movies.h"
#include "support/recording_ports.h"
#include "support/test_paths.h"

namespace zentrov::test {
namespace {

const std::string kKey = "Software\\NUVAND\\Zentrov";
std::string mruKey(int i) {
  return kKey + "\\MRU" + std::to_string(i) + "|path";
}

using List = std::vector<std::string>;

List listOf(const Player& player) {
  return List(player.shell.recentFiles.begin(), player.shell.recentFiles.end());
}

void setList(Player& player, const List& names) {
  for (size_t i = 0; i < player.shell.recentFiles.size(); ++i)
    player.shell.recentFiles[i] = i < names.size() ? names[i] : "";
}

List padded(List names) {
  names.resize(kRecentFileCount);
  return names;
}

TEST(RecentFilesTest, FirstRunKeepsDefaultsAndRecordsTheProgramPath) {
  FakeRig rig;
  rig.player.shell.programPath = "C:\\Zentrov\\zentrov.exe";
  rig.player.shell.tlStBar = 0;
  rig.player.shell.recentFiles[9] = "left over";
  CheckRegistry(rig.player);
  EXPECT_EQ(rig.player.shell.tlStBar, 9u);
  EXPECT_EQ(listOf(rig.player), padded({}));
  EXPECT_EQ(rig.settings.strings[kKey + "|Path"], "C:\\Zentrov\\zentrov.exe");
  EXPECT_TRUE(rig.settings.dwords.empty());  // the word is written only by saving

  UpdateMRUFile(rig.player);
  EXPECT_EQ(rig.log.back(), "controls.recent 0");
  EXPECT_EQ(rig.settings.strings.size(), 1u);  // no name: nothing saved
}

TEST(RecentFilesTest, ReadsBackTheWordAndTheListAsTerminatedNames) {
  FakeRig rig;
  const std::string longName(300, 'n');
  rig.settings.dwords[kKey + "|TlStBar"] = 3;
  rig.settings.strings[mruKey(0)] = "a.cpk";
  rig.settings.strings[mruKey(2)] = "c.cpk";
  rig.settings.strings[mruKey(5)] = longName;
  rig.settings.strings[mruKey(6)] = std::string("d.cpk\0junk", 10);
  CheckRegistry(rig.player);
  EXPECT_EQ(rig.player.shell.tlStBar, 3u);
  EXPECT_EQ(listOf(rig.player),
            padded({"a.cpk", "", "c.cpk", "", "", longName.substr(0, 259), "d.cpk"}));

  // Menu items go by entry: ids and mnemonics skip the empty entries.
  UpdateMRUFile(rig.player);
  const auto& items = rig.controls.recentItems;
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].id, 40100);
  EXPECT_EQ(items[0].label, "&1 a.cpk");
  EXPECT_EQ(items[1].id, 40102);
  EXPECT_EQ(items[1].label, "&3 c.cpk");
  EXPECT_EQ(items[2].id, 40105);
  EXPECT_EQ(items[2].label, "&6 " + longName.substr(0, 259));
  EXPECT_EQ(items[3].id, 40106);
  EXPECT_EQ(items[3].label, "&7 d.cpk");
}

struct MoveCase {
  const char* name;
  List before;
  std::string opened;
  List after;
};

void PrintTo(const MoveCase& c, std::ostream* out) {
  *out << c.name;
}

class MoveToTopTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveToTopTest, OpenedNameGoesToTheTopAndEverythingIsSaved) {
  const MoveCase& c = GetParam();
  FakeRig rig;
  setList(rig.player, c.before);
  rig.player.shell.currentFileName = c.opened;
  UpdateMRUFile(rig.player);
  EXPECT_EQ(listOf(rig.player), padded(c.after));
  for (int i = 0; i < kRecentFileCount; ++i)
    EXPECT_EQ(rig.settings.strings[mruKey(i)], padded(c.after)[size_t(i)]) << "MRU" << i;
  EXPECT_EQ(rig.settings.dwords[kKey + "|TlStBar"], 9u);
  ASSERT_FALSE(rig.controls.recentItems.empty());
  EXPECT_EQ(rig.controls.recentItems[0].label, "&1 " + c.opened);
}

const List kTen = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"};

INSTANTIATE_TEST_SUITE_P(
    Lists, MoveToTopTest,
    ::testing::Values(MoveCase{"EntryThreeMovesToTheTop",
                               kTen,
                               "d",
                               {"d", "a", "b", "c", "e", "f", "g", "h", "i", "j"}},
                      MoveCase{"EleventhFileDropsTheOldest",
                               kTen,
                               "k",
                               {"k", "a", "b", "c", "d", "e", "f", "g", "h", "i"}},
                      MoveCase{"CaseInsensitiveMatchKeepsTheNewSpelling",
                               {"x.cpk", "d:\\a.cpk", "y.cpk"},
                               "D:\\A.CPK",
                               {"D:\\A.CPK", "x.cpk", "y.cpk"}},
                      MoveCase{"FirstStaysFirst", {"a", "b", "c"}, "a", {"a", "b", "c"}},
                      MoveCase{"NewNameInAShortList", {"a", "b"}, "c", {"c", "a", "b"}},
                      MoveCase{"OtherSpellingsOfAPathAreOtherNames",
                               {"d:\\movies\\a.cpk"},
                               "d:/movies/a.cpk",
                               {"d:/movies/a.cpk", "d:\\movies\\a.cpk"}}),
    [](const ::testing::TestParamInfo<MoveCase>& row) { return std::string(row.param.name); });

TEST(RecentFilesTest, TenFilesShowMnemonicsOneToNineThenZero) {
  FakeRig rig;
  setList(rig.player, kTen);
  UpdateMRUFile(rig.player);
  const auto& items = rig.controls.recentItems;
  ASSERT_EQ(items.size(), 10u);
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(items[size_t(k)].id, 40100 + k);
    EXPECT_EQ(items[size_t(k)].label, "&" + std::to_string((k + 1) % 10) + " " + kTen[size_t(k)]);
  }
}

TEST(RecentFilesTest, RememberOverwritesTheFirstEntryOnly) {
  FakeRig rig;
  setList(rig.player, {"a", "b"});
  rememberCurrentFile(rig.player);
  EXPECT_TRUE(rig.log.empty());  // no name: nothing written
  rig.player.shell.currentFileName = "z";
  rememberCurrentFile(rig.player);
  EXPECT_EQ(listOf(rig.player), padded({"z", "b"}));
  EXPECT_EQ(rig.settings.strings[mruKey(0)], "z");
}

TEST(RecentFilesTest, FileThatFailsToOpenIsStillListed) {
  FakeRig rig;
  setList(rig.player, {"a"});
  const std::string missing = scratchDir("RecentMissing") + "/missing.cpk";
  EXPECT_EQ(openPath(rig.player, missing), OpenResult::FileNotFound);
  EXPECT_TRUE(rig.player.shell.currentFileName.empty());
  EXPECT_EQ(listOf(rig.player), padded({missing, "a"}));
  EXPECT_EQ(rig.controls.recentItems[0].label, "&1 " + missing);
}

}  // namespace
}  // namespace zentrov::test
