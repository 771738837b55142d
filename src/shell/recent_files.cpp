#include "shell/recent_files.h"

#include <cstdio>
#include <string>
#include <vector>

#include "playback/command_ids.h"
#include "playback/player.h"

namespace zentrov {

namespace {

const char* const kSettingsKey = "Software\\NUVAND\\Zentrov";
const char* const kTlStBarValue = "TlStBar";
const char* const kProgramPathValue = "Path";
const char* const kRecentPathValue = "path";

std::string recentKey(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "\\MRU%d", index);
  return std::string(kSettingsKey) + name;
}

// A stored name is a terminated string of at most kMaxFileName characters,
// whatever the store hands back.
std::string asFileName(const std::string& stored) {
  std::string name = stored.substr(0, stored.find('\0'));
  if (name.size() > kMaxFileName) name.resize(kMaxFileName);
  return name;
}

char foldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Letter case only; no other normalisation of paths.
bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  return true;
}

void rebuildRecentMenu(Player& player) {
  std::vector<RecentFileItem> items;
  for (int k = 0; k < kRecentFileCount; ++k) {
    const std::string& name = player.shell.recentFiles[size_t(k)];
    if (name.empty()) continue;
    char mnemonic[8];
    std::snprintf(mnemonic, sizeof mnemonic, "&%d ", (k + 1) % 10);
    items.push_back(RecentFileItem{kCmdRecentFirst + k, mnemonic + name});
  }
  player.ports.controls.setRecentFileItems(items);
}

}  // namespace

void CheckRegistry(Player& player) {
  ShellState& shell = player.shell;
  SettingsStore& settings = player.ports.settings;
  shell.tlStBar = kDefaultTlStBar;
  uint32_t word = 0;
  if (settings.readDword(kSettingsKey, kTlStBarValue, word)) shell.tlStBar = word;
  for (int i = 0; i < kRecentFileCount; ++i) {
    std::string& entry = shell.recentFiles[size_t(i)];
    entry.clear();
    std::string stored;
    if (settings.readString(recentKey(i), kRecentPathValue, stored)) entry = asFileName(stored);
  }
  settings.writeString(kSettingsKey, kProgramPathValue, asFileName(shell.programPath));
}

void saveRegistry(Player& player) {
  SettingsStore& settings = player.ports.settings;
  if (!settings.writeDword(kSettingsKey, kTlStBarValue, player.shell.tlStBar)) return;
  for (int i = 0; i < kRecentFileCount; ++i)
    settings.writeString(recentKey(i), kRecentPathValue, player.shell.recentFiles[size_t(i)]);
}

void rememberCurrentFile(Player& player) {
  const std::string& name = player.shell.currentFileName;
  if (name.empty()) return;
  player.shell.recentFiles[0] = asFileName(name);
  saveRegistry(player);
}

void UpdateMRUFile(Player& player) {
  ShellState& shell = player.shell;
  if (!shell.currentFileName.empty()) {
    int found = kRecentFileCount - 1;  // none: the oldest entry makes room
    for (int i = 0; i < kRecentFileCount; ++i) {
      if (sameName(shell.recentFiles[size_t(i)], shell.currentFileName)) {
        found = i;
        break;
      }
    }
    for (int k = found - 1; k >= 0; --k)
      shell.recentFiles[size_t(k + 1)] = shell.recentFiles[size_t(k)];
    rememberCurrentFile(player);
  }
  rebuildRecentMenu(player);
}

}  // namespace zentrov
