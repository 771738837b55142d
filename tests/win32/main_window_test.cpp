// The main window's own side, read back in-process: menu and toolbar states,
// accelerators, the bars, the registry, dropped files, recent files and the
// clipboard.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "playback/command_ids.h"
#include "player_run.h"
#include "video/frame_dib.h"
#include "win32_test_support.h"

namespace zentrov::win32 {
namespace {

using test::PlayerRun;

std::string movie(const std::string& name, int frames = 3) {
  return test::writeMovie(name, test::tonedMovie(frames, 0.1));
}

void command(PlayerRun& run, int id) {
  SendMessageW(run.host.window(), WM_COMMAND, static_cast<WPARAM>(id), 0);
}

// Drops `files` on the window as the shell does: a DROPFILES block, then the
// names, each with its terminator, and a final terminator.
void dropFiles(PlayerRun& run, const std::vector<std::string>& files) {
  size_t bytes = sizeof(DROPFILES) + 1;
  for (const std::string& file : files) bytes += file.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  char* name = reinterpret_cast<char*>(drop + 1);
  for (const std::string& file : files) name = std::strcpy(name, file.c_str()) + file.size() + 1;
  GlobalUnlock(block);
  SendMessageW(run.host.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
}

// Menu items Play/Pause, Property, Search header, Full screen: G grayed,
// D disabled, E enabled. Then the buttons replay, play/pause, next frame,
// loop play, prev frame: e enabled or - disabled, p pressed.
std::string controlStates(PlayerRun& run) {
  std::string out;
  for (int id : {kCmdPlayPause, kCmdProperty, kCmdSearchHeader, kCmdFullScreen}) {
    const UINT state = GetMenuState(run.host.menu(), UINT(id), MF_BYCOMMAND);
    out += (state & MF_GRAYED) ? 'G' : (state & MF_DISABLED) ? 'D' : 'E';
  }
  for (int id : {kCmdReplay, kCmdPlayPause, kCmdNextFrame, kCmdLoop, kCmdPrevFrame}) {
    const auto state = SendMessageW(run.host.bars().toolbar(), TB_GETSTATE, WPARAM(id), 0);
    out += std::string(" ") + ((state & TBSTATE_ENABLED) ? "e" : "-") +
           ((state & TBSTATE_CHECKED) ? "p" : "");
  }
  return out;
}

// The settings key read back: each value as name:type:length (a DWORD with
// its value), then each subkey's values the same way with their text.
std::string storedSettings() {
  std::string out;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, test::kSettingsKey, 0, KEY_READ, &key)) return out;
  char name[64], data[400];
  DWORD length, type, bytes;
  const auto values = [&](HKEY from, const std::string& prefix) {
    for (DWORD i = 0; length = 64, bytes = sizeof data,
               !RegEnumValueA(from, i, name, &length, nullptr, &type, LPBYTE(data), &bytes);
         ++i) {
      out += prefix + name + ":" + std::to_string(type) + ":" + std::to_string(bytes);
      if (type == REG_DWORD) out += "=" + std::to_string(*reinterpret_cast<DWORD*>(data));
      out += prefix.empty() ? " " : "=" + std::string(data) + " ";
    }
  };
  values(key, "");
  for (DWORD i = 0; length = 64, !RegEnumKeyExA(key, i, name, &length, 0, 0, 0, 0); ++i) {
    HKEY sub = nullptr;
    RegOpenKeyExA(key, name, 0, KEY_READ, &sub);
    values(sub, std::string(name) + "/");
    RegCloseKey(sub);
  }
  RegCloseKey(key);
  return out;
}

// The settings after the player stored `tlStBar` with `recent` as its only
// recent file.
std::string settingsHolding(uint32_t tlStBar, const std::string& recent) {
  std::string out = "Path:1:260 TlStBar:4:4=" + std::to_string(tlStBar) + " ";
  for (int i = 0; i < 10; ++i)
    out += "MRU" + std::to_string(i) + "/path:1:260=" + (i == 0 ? recent : "") + " ";
  return out;
}

// A movie dropped, played to its end, replayed and closed, then a toolbar
// change: the controls, status parts 1, 3 and 4 and the settings each time.
TEST(MainWindow, ControlsStatusAndSettingsFollowTheMovie) {
  const std::string path = movie("walk.cpk");
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  const struct {
    int command;  // 1: drop, 2: play to the end
    std::string controls, status, settings;
  } steps[] = {
      {0, "GGGG - - - e -", "|320x240|----", "Path:1:260 "},
      {1, "EEEG e e - e -", "Play...| 64x 64|----", settingsHolding(9, path)},
      {2, "DEEG e -p - e -", "End.| 64x 64|----", settingsHolding(9, path)},
      {kCmdReplay, "EEEG e ep - e -", "End.| 64x 64|----", settingsHolding(9, path)},
      {kCmdClose, "DEDG - - - e -", "| 64x 64|----", settingsHolding(9, path)},
      {kCmdToolbarFlat, "DEDG - - - e -", "| 64x 64|----", settingsHolding(10, path)},
  };
  for (const auto& s : steps) {
    if (s.command == 1) dropFiles(run, {path, movie("other.cpk"), movie("third.cpk")});
    if (s.command == 2) run.runUntil([&] { return run.statusText(1) == L"End."; });
    if (s.command > 2) command(run, s.command);
    run.runFor(20);
    EXPECT_EQ(controlStates(run), s.controls) << s.command;
    EXPECT_EQ(run.statusText(1) + L"|" + run.statusText(3) + L"|" + run.statusText(4),
              test::utf16(s.status.c_str()))
        << s.command;
    EXPECT_EQ(storedSettings(), s.settings) << s.command;
  }
  EXPECT_EQ(run.title(), L"walk.cpk - Zentrov");

  // Five parts; the state part has no borders, the others are sunken.
  HWND status = run.host.bars().statusBar();
  int edges[5] = {};
  ASSERT_EQ(SendMessageW(status, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(edges)), 5);
  const int w = run.clientSize().cx;
  EXPECT_EQ(std::vector<int>(edges, edges + 5), (std::vector<int>{0, w - 176, w - 96, w - 32, w}));
  for (int part = 1; part <= 4; ++part)
    EXPECT_EQ(HIWORD(SendMessageW(status, SB_GETTEXTLENGTHW, WPARAM(part), 0)),
              part == 1 ? SBT_NOBORDERS : 0);
}

// The main window's menu openings and commands, as a subclass sees them.
std::string messageLog;
WNDPROC playerProc = nullptr;

LRESULT CALLBACK loggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITMENU) messageLog += "menu ";
  if (message == WM_COMMAND) messageLog += std::to_string(LOWORD(wParam)) + " ";
  if (message == WM_APP) messageLog += "|";
  return CallWindowProcW(playerProc, window, message, wParam, lParam);
}

// Presses `key` with `modifier` held as the keyboard does: the modifier in
// the thread's key state, the key in the queue for the loop to translate.
// Returns what reached the window.
std::string press(PlayerRun& run, BYTE modifier, WPARAM key) {
  HWND window = run.host.window();
  playerProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&loggingProc)));
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[modifier] = 0x80;
  SetKeyboardState(keys);
  messageLog.clear();
  const bool alt = modifier == VK_MENU;
  PostMessageW(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? 0x20000001 : 1);
  PostMessageW(window, WM_APP, 0, 0);
  run.runUntil([] { return !messageLog.empty() && messageLog.back() == '|'; });
  keys[modifier] = 0;
  SetKeyboardState(keys);
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(playerProc));
  return messageLog;
}

// A grayed or disabled item's accelerator sends nothing; in the window each
// translation first opens the menu, which pauses; in full screen there is
// no menu and the command comes alone, grayed item or not.
TEST(MainWindow, AcceleratorsFollowTheMenuInTheWindowOnly) {
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  const struct {
    const char* when;
    BYTE modifier;
    WPARAM key;
    std::string reached, state;  // state: status part 1 afterwards
  } presses[] = {
      {"start", VK_CONTROL, 'P', "menu |", ""},
      {"start", VK_MENU, VK_RETURN, "menu |", ""},
      {"start", VK_CONTROL, 'X', "|", ""},
      {"full screen, no movie", VK_CONTROL, 'P', "40014 |", ""},
      {"playing", VK_CONTROL, 'P', "menu 40014 |", "Play..."},
      {"playing", VK_CONTROL, 'P', "menu 40014 |", "Play..."},
      {"full screen", VK_CONTROL, 'P', "40014 |", "Pause."},
      {"full screen", VK_CONTROL, 'P', "40014 |", "Play..."},
      {"ended", VK_CONTROL, 'P', "menu |", "Pause."},  // the menu's pause writes over "End."
  };
  for (const auto& p : presses) {
    const std::string when = p.when;
    const bool fullScreen = when.rfind("full screen", 0) == 0;
    if (fullScreen && GetMenu(run.host.window())) command(run, kCmdFullScreen);
    if (!fullScreen && !GetMenu(run.host.window()))
      SendMessageW(run.host.window(), WM_LBUTTONDOWN, 0, 0);
    if (when == "playing" && run.title() == L"Zentrov") dropFiles(run, {movie("keys.cpk", 8)});
    if (when == "ended") {
      ASSERT_TRUE(run.runUntil([&] { return run.statusText(1) == L"End."; }));
    }
    EXPECT_EQ(press(run, p.modifier, p.key), p.reached) << when << " " << p.key;
    EXPECT_EQ(run.statusText(1), test::utf16(p.state.c_str())) << when << " " << p.key;
  }
}

// The text the toolbar's tooltip gets for the play/pause button.
std::wstring tooltipOfPlayPause(HWND toolbar) {
  NMTTDISPINFOW tip{};
  tip.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0));
  tip.hdr.idFrom = kCmdPlayPause;
  tip.hdr.code = TTN_GETDISPINFOW;
  SendMessageW(toolbar, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  return tip.lpszText ? tip.lpszText : tip.szText;
}

// The toolbar after each View menu command from the first start: style, text
// rows, tooltips naming the buttons, button width. The picture keeps its
// height between the bars, whose heights are those of their windows.
TEST(MainWindow, ToolbarModesAndLabels) {
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  HWND toolbar = run.host.bars().toolbar();
  const struct {
    int command;
    const char* look;
  } steps[] = {
      {0, "button rows 0 tips named w<=16"},
      {kCmdToolbarFlat, "flat rows 0 tips named w<=16"},
      {kCmdToolbarAddString, "flat rows 2 w<=48"},
      {kCmdToolbarHide, "hidden rows 2 w<=48"},
      {kCmdToolbarButton, "button rows 2 w<=48"},
      {kCmdToolbarAddString, "button rows 0 tips named w<=16"},
      {kCmdStatusBar, "button rows 0 tips named w<=16"},
  };
  for (const auto& s : steps) {
    if (s.command) command(run, s.command);
    const auto style = SendMessageW(toolbar, TB_GETSTYLE, 0, 0);
    const int width = LOWORD(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0));
    std::string look = !IsWindowVisible(toolbar)     ? "hidden"
                       : (style & TBSTYLE_FLAT) != 0 ? "flat"
                                                     : "button";
    look += " rows " + std::to_string(SendMessageW(toolbar, TB_GETTEXTROWS, 0, 0));
    look += (style & TBSTYLE_TOOLTIPS) ? " tips" : "";
    look += tooltipOfPlayPause(toolbar) == L"play/pause" ? " named" : "";
    look += width <= 16 ? " w<=16" : width <= 48 ? " w<=48" : " wider";
    EXPECT_EQ(look, s.look) << s.command;
    RECT bar{};
    GetWindowRect(toolbar, &bar);
    const ShellState& shell = run.host.player().shell;
    EXPECT_EQ(shell.toolbarHeight, IsWindowVisible(toolbar) ? bar.bottom - bar.top : 0);
    EXPECT_EQ(shell.statusBarHeight > 0, IsWindowVisible(run.host.bars().statusBar()) != 0);
    EXPECT_EQ(run.clientSize().cy, shell.toolbarHeight + shell.statusBarHeight + 240);
  }
}

// Eleven drops of two files open the first of each; the File menu then
// lists the last ten, newest first, with the mnemonics 1 to 9 and 0. A
// listed name dropped in other letter case goes to the top as now written.
TEST(MainWindow, DroppedFilesAndTheRecentFileMenu) {
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  const std::string spare = movie("spare.cpk", 1);
  std::vector<std::string> files;
  for (int i = 0; i <= 10; ++i) {
    files.push_back(movie("recent" + std::to_string(i) + ".cpk", 1));
    dropFiles(run, {files.back(), spare});
    EXPECT_EQ(run.title(), L"recent" + std::to_wstring(i) + L".cpk - Zentrov");
  }
  std::string upper = files[5];
  for (char& c : upper) c = char(std::toupper(c));
  dropFiles(run, {upper, spare});

  std::vector<std::string> expected, shown;
  for (int i : {-1, 10, 9, 8, 7, 6, 4, 3, 2, 1})
    expected.push_back("&" + std::to_string((expected.size() + 1) % 10) + " " +
                       (i < 0 ? upper : files[size_t(i)]) + "=" +
                       std::to_string(kCmdRecentFirst + int(expected.size())));
  HMENU file = GetSubMenu(run.host.menu(), 0);
  for (int i = 3; i < 13; ++i) {
    char text[300] = {};
    GetMenuStringA(file, UINT(i), text, 300, MF_BYPOSITION);
    shown.push_back(std::string(text) + "=" + std::to_string(GetMenuItemID(file, i)));
  }
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(GetMenuState(file, 13, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));

  // A name longer than the name buffer is cut to fit it (and is not found).
  test::BoxCatcher boxes;
  dropFiles(run, {std::string(300, 'x'), spare});
  EXPECT_EQ(run.host.player().shell.recentFiles[0], std::string(259, 'x'));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, L"File not found.");
}

// Copy(frame) hands the core's DIB block of the decoded frame to the clipboard.
TEST(MainWindow, CopyFramePutsTheFrameDibOnTheClipboard) {
  PlayerRun run(movie("copy.cpk", 8));
  ASSERT_TRUE(run.started);
  ASSERT_TRUE(run.runUntil([&] { return !run.statusText(2).empty(); }));
  command(run, kCmdPlayPause);
  command(run, kCmdCopyFrame);
  const PlaybackState& state = run.host.player().playback;
  const std::vector<uint8_t> dib = buildFrameDib(run.host.player().buffers.decodedFrame.get(),
                                                 state.frameWidth, state.frameHeight);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE block = GetClipboardData(CF_DIB);
  ASSERT_NE(block, nullptr);
  ASSERT_GE(GlobalSize(block), dib.size());
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
  EXPECT_TRUE(std::vector<uint8_t>(bytes, bytes + dib.size()) == dib);
  GlobalUnlock(block);
  CloseClipboard();
}

}  // namespace
}  // namespace zentrov::win32
