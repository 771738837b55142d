// The settings word and the recent-file list over the settings store, and
// the File menu items built from the list.

#include "shell/recent_files.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "playback/player.h"
#include "support/playback_movies.h"
#include "support/recording_ports.h"
#include "support/test_paths.h"

namespace zentrov::test {
namespace {

using List = std::vector<std::string>;

const std::string kKey = "Software\\NUVAND\\Zentrov";
std::string mruKey(int i) {
  return kKey + "\\MRU" + std::to_string(i) + "|path";
}

List listOf(const Player& player) {
  return List(player.shell.recentFiles.begin(), player.shell.recentFiles.end());
}

void setList(Player& player, const List& names) {
  for (size_t i = 0; i < player.shell.recentFiles.size(); ++i)
    player.shell.recentFiles[i] = i < names.size() ? names[i] : "";
}

List split(const std::string& words) {
  std::istringstream in(words);
  return List(std::istream_iterator<std::string>(in), std::istream_iterator<std::string>());
}

List padded(List names) {
  names.resize(kRecentFileCount);
  return names;
}

// The File menu's recent items as "id label".
List menuOf(const FakeRig& rig) {
  List items;
  for (const auto& item : rig.controls.recentItems)
    items.push_back(std::to_string(item.id) + " " + item.label);
  return items;
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
  EXPECT_EQ(menuOf(rig), (List{"40100 &1 a.cpk", "40102 &3 c.cpk",
                               "40105 &6 " + longName.substr(0, 259), "40106 &7 d.cpk"}));
}

TEST(RecentFilesTest, OpenedNameGoesToTheTopAndEverythingIsSaved) {
  const struct {
    const char* name;
    List before;
    std::string opened;
    List after;
    std::string lastItem;  // the tenth item's mnemonic is 0
  } cases[] = {
      {"entry 3 moves to the top", split("a b c d e f g h i j"), "d", split("d a b c e f g h i j"),
       "40109 &0 j"},
      {"an eleventh file drops the oldest", split("a b c d e f g h i j"), "k",
       split("k a b c d e f g h i"), "40109 &0 i"},
      {"a case-insensitive match keeps the new spelling", split("x.cpk d:\\a.cpk y.cpk"),
       "D:\\A.CPK", split("D:\\A.CPK x.cpk y.cpk"), "40102 &3 y.cpk"},
      {"the first stays first", split("a b c"), "a", split("a b c"), "40102 &3 c"},
  };
  for (const auto& c : cases) {
    FakeRig rig;
    setList(rig.player, c.before);
    rig.player.shell.currentFileName = c.opened;
    UpdateMRUFile(rig.player);
    EXPECT_EQ(listOf(rig.player), padded(c.after)) << c.name;
    for (int i = 0; i < kRecentFileCount; ++i)
      EXPECT_EQ(rig.settings.strings[mruKey(i)], padded(c.after)[size_t(i)]) << c.name << i;
    EXPECT_EQ(rig.settings.dwords[kKey + "|TlStBar"], 9u) << c.name;
    const List menu = menuOf(rig);
    ASSERT_EQ(menu.size(), c.after.size()) << c.name;
    EXPECT_EQ(menu.front(), "40100 &1 " + c.opened) << c.name;
    EXPECT_EQ(menu.back(), c.lastItem) << c.name;
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
  EXPECT_EQ(rig.controls.recentItems.at(0).label, "&1 " + missing);
}

}  // namespace
}  // namespace zentrov::test
