#pragma once
// Settings and the recent-file list, kept through the SettingsStore port under
// "Software\NUVAND\Zentrov".

namespace zentrov {

struct Player;

// Reads TlStBar (9 when none is stored) and the ten recent files; records the
// program path.
void CheckRegistry(Player& player);
// Writes TlStBar and all ten recent-file entries.
void saveRegistry(Player& player);
// Puts currentFileName, if any, into entry 0 and saves.
void rememberCurrentFile(Player& player);
// Moves currentFileName to the top of the list and rebuilds the menu items.
void UpdateMRUFile(Player& player);

}  // namespace zentrov
