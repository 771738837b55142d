// The calls the page's script makes into its module instance: start-up, the
// user's commands and events, the tick and its pacing, and the answers of
// the page's dialogs. One player per module instance.

#include <emscripten.h>
#include <unistd.h>

#include <array>
#include <string>
#include <vector>

#include "playback/header_search.h"
#include "playback/playback_tick.h"
#include "shell/commands.h"
#include "web_ports.h"

using zentrov::web::WebPlayer;

namespace {

WebPlayer* g_player = nullptr;
std::string g_text;  // the last text handed to the script; valid until the next call

bool alive() {
  return g_player && !g_player->destroyed();
}

const char* hand(std::string text) {
  g_text = std::move(text);
  return g_text.c_str();
}

}  // namespace

extern "C" {

// Starts the player; movies are opened by their name in the folder the page
// stores them in, the current folder.
EMSCRIPTEN_KEEPALIVE int zt_start(const char* folder) {
  if (g_player) return 0;
  if (folder && *folder && chdir(folder) != 0) return 0;
  g_player = new WebPlayer();
  return g_player->start() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void zt_command(int id) {
  if (alive()) zentrov::onCommand(g_player->player(), id);
}

EMSCRIPTEN_KEEPALIVE void zt_init_menu() {
  if (alive()) zentrov::onInitMenu(g_player->player());
}

EMSCRIPTEN_KEEPALIVE void zt_drop(const char* name) {
  if (alive()) zentrov::onDropFiles(g_player->player(), {std::string(name)});
}

EMSCRIPTEN_KEEPALIVE void zt_chosen(const char* name) {
  if (alive()) zentrov::openChosenFile(g_player->player(), name);
}

EMSCRIPTEN_KEEPALIVE void zt_leave_full_screen() {
  if (alive()) zentrov::leaveFullScreen(g_player->player());
}

EMSCRIPTEN_KEEPALIVE void zt_tick() {
  if (alive()) zentrov::playbackTick(g_player->player());
}

EMSCRIPTEN_KEEPALIVE int zt_next_delay() {
  return alive() ? zentrov::nextTickDelayMs(g_player->player()) : zentrov::kWaitForInput;
}

EMSCRIPTEN_KEEPALIVE void zt_set_sound_lead(int ms) {
  if (alive()) g_player->player().playback.soundLeadMs = ms;
}

// The current file's name, empty when none is named.
EMSCRIPTEN_KEEPALIVE const char* zt_current_file() {
  return hand(alive() ? g_player->player().shell.currentFileName : std::string());
}

// The window is closed (Exit, or the page going away): the teardown.
EMSCRIPTEN_KEEPALIVE void zt_destroy() {
  if (alive()) zentrov::onDestroy(g_player->player(), *g_player);
}

// Property: row `index` as four texts separated by tabs.
EMSCRIPTEN_KEEPALIVE const char* zt_property_row(int index) {
  const zentrov::PropertyView* view = alive() ? g_player->dialogs().property() : nullptr;
  if (!view) return "";
  const std::array<std::string, 4> row = view->row(index);
  return hand(row[0] + "\t" + row[1] + "\t" + row[2] + "\t" + row[3]);
}

EMSCRIPTEN_KEEPALIVE void zt_property_closed() {
  if (alive()) g_player->dialogs().closeProperty();
}

// Search header: the list's lines, one per line of text, after the index of
// the line to select.
EMSCRIPTEN_KEEPALIVE const char* zt_search_lines() {
  zentrov::HeaderSearch* search = alive() ? g_player->dialogs().search() : nullptr;
  if (!search) return "";
  std::string text = std::to_string(search->selectedLine());
  for (const std::string& line : search->lines()) text += "\n" + line;
  return hand(text);
}

// The Search button: the scan, each find handed to the page as it comes.
EMSCRIPTEN_KEEPALIVE int zt_search_run() {
  zentrov::HeaderSearch* search = alive() ? g_player->dialogs().search() : nullptr;
  if (!search) return 0;
  return search->search([](const std::string& line) {
    EM_ASM({ Module.host.searchFound(UTF8ToString($0)); }, line.c_str());
  });
}

// OK or a double-click on `line` (-1: none selected), or Cancel (`ok` 0):
// the dialog closes and a chosen header opens.
EMSCRIPTEN_KEEPALIVE void zt_search_answer(int ok, int line) {
  zentrov::HeaderSearch* search = alive() ? g_player->dialogs().search() : nullptr;
  if (!search) return;
  const int result = ok ? search->choose(line) : search->cancel();
  g_player->dialogs().closeSearch();
  zentrov::openChosenHeader(g_player->player(), result);
}

}  // extern "C"
