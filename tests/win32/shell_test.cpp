// The main window's shell, read back in-process: menu and toolbar states, the
// bars, the registry, accelerators, dropped and recent files, the dialogs.

#include <cpuid.h>
#include <gtest/gtest.h>

#include <cctype>

#include "harness.h"
#include "playback/movie_open.h"
#include "resource_ids.h"
#include "win32/about_dialog.h"
#include "win32/win_text.h"

namespace zentrov::win32 {
namespace {

using test::click;
using test::controlText;
using test::PlayerRun;
using zentrov::test::buildFilm;

// Menu items Play/Pause, Property, Search header, Full screen: G grayed,
// D disabled, E enabled; buttons replay, play/pause, next frame, loop, prev
// frame: e enabled or - disabled, p pressed; status parts 1, 3 and 4; the
// toolbar's look and whether the tooltip names play/pause.
std::wstring shellState(PlayerRun& run) {
  std::wstring out;
  for (int id : {kCmdPlayPause, kCmdProperty, kCmdSearchHeader, kCmdFullScreen}) {
    const UINT state = GetMenuState(run.host.menu(), UINT(id), MF_BYCOMMAND);
    out += (state & MF_GRAYED) ? L'G' : (state & MF_DISABLED) ? L'D' : L'E';
  }
  HWND toolbar = run.host.bars().toolbar();
  for (int id : {kCmdReplay, kCmdPlayPause, kCmdNextFrame, kCmdLoop, kCmdPrevFrame}) {
    const auto state = SendMessageW(toolbar, TB_GETSTATE, WPARAM(id), 0);
    out += std::wstring(L" ") + ((state & TBSTATE_ENABLED) ? L"e" : L"-") +
           ((state & TBSTATE_CHECKED) ? L"p" : L"");
  }
  out += L" " + run.status(1) + L"|" + run.status(3) + L"|" + run.status(4);
  NMTTDISPINFOW tip{};
  tip.hdr = {HWND(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0)), kCmdPlayPause, TTN_GETDISPINFOW};
  SendMessageW(run.host.window(), WM_NOTIFY, 0, LPARAM(&tip));
  const auto style = SendMessageW(toolbar, TB_GETSTYLE, 0, 0);
  const int width = LOWORD(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0));
  out += !IsWindowVisible(toolbar) ? L" hidden" : (style & TBSTYLE_FLAT) ? L" flat" : L" button";
  out += L" rows " + std::to_wstring(SendMessageW(toolbar, TB_GETTEXTROWS, 0, 0));
  out += (style & TBSTYLE_TOOLTIPS) ? L" tips" : L"";
  out += std::wstring(tip.lpszText ? tip.lpszText : tip.szText) == L"play/pause" ? L" named" : L"";
  return out + (width <= 16 ? L" w16" : width <= 48 ? L" w48" : L" wider");
}

// A movie dropped with two others, played to its end, replayed and closed,
// then each View command for the bars: the shell and the settings each time.
TEST(MainWindow, ShellAndSettingsFollowTheMovieAndTheViewCommands) {
  const std::string path =
      test::soundedMovie("walk.cpk", 3, 0.1, 320, 224);  // the menu bar on one line
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  const struct {
    int command;  // 1: drop, 2: play to the end
    const wchar_t* shell;
    uint32_t tlStBar;  // 0: none stored yet
  } steps[] = {
      {0, L"GGGG - - - e - |320x240|---- button rows 0 tips named w16", 0},
      {1, L"EEEG e e - e - Play...|320x224|---- button rows 0 tips named w16", 9},
      {2, L"DEEG e -p - e - End.|320x224|---- button rows 0 tips named w16", 9},
      {kCmdReplay, L"EEEG e ep - e - End.|320x224|---- button rows 0 tips named w16", 9},
      {kCmdClose, L"DEDG - - - e - |320x224|---- button rows 0 tips named w16", 9},
      {kCmdToolbarFlat, L"DEDG - - - e - |320x224|---- flat rows 0 tips named w16", 10},
      {kCmdToolbarAddString, L"DEDG - - - e - |320x224|---- flat rows 2 w48", 14},
      {kCmdToolbarHide, L"DEDG - - - e - |320x224|---- hidden rows 2 w48", 12},
      {kCmdToolbarButton, L"DEDG - - - e - |320x224|---- button rows 2 w48", 13},
      {kCmdToolbarAddString, L"DEDG - - - e - |320x224|---- button rows 0 tips named w16", 9},
      {kCmdStatusBar, L"DEDG - - - e - |320x224|---- button rows 0 tips named w16", 1},
  };
  const ShellState& shell = run.host.player().shell;
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  for (const auto& s : steps) {
    if (s.command == 1)
      run.drop({path, test::soundedMovie("other.cpk"), test::soundedMovie("third.cpk")});
    if (s.command == 2) run.runUntil([&] { return run.status(kStatusState) == L"End."; });
    if (s.command > 2) run.command(s.command);
    run.runFor(20);
    EXPECT_EQ(shellState(run), s.shell) << s.command;
    std::string settings = "Path:1:260=" + std::string(exe) + " ";
    if (s.tlStBar) settings += "TlStBar:4:4=" + std::to_string(s.tlStBar) + " ";
    for (int i = 0; s.tlStBar && i < 10; ++i)
      settings += "MRU" + std::to_string(i) + "/path:1:260=" + (i == 0 ? path : "") + " ";
    EXPECT_EQ(test::stored(test::kSettingsKey), settings) << s.command;
    // The picture keeps its height between the bars, measured as they stand.
    RECT bar{};
    GetWindowRect(run.host.bars().toolbar(), &bar);
    EXPECT_EQ(shell.toolbarHeight,
              IsWindowVisible(run.host.bars().toolbar()) ? bar.bottom - bar.top : 0);
    EXPECT_EQ(!shell.statusBarHeight, !IsWindowVisible(run.host.bars().statusBar()));
    EXPECT_EQ(run.clientSize().cy,
              shell.toolbarHeight + shell.statusBarHeight + run.host.layout().displayHeight);
  }
  EXPECT_EQ(run.title(), L"walk.cpk - Zentrov");
  // Five parts; the state part has no borders, the others are sunken.
  HWND status = run.host.bars().statusBar();
  int edges[5] = {}, w = run.clientSize().cx;
  SendMessageW(status, SB_GETPARTS, 5, LPARAM(edges));
  EXPECT_EQ(std::vector<int>(edges, edges + 5), (std::vector<int>{0, w - 176, w - 96, w - 32, w}));
  for (int part = 1; part <= 4; ++part)
    EXPECT_EQ(HIWORD(SendMessageW(status, SB_GETTEXTLENGTHW, WPARAM(part), 0)),
              part == 1 ? SBT_NOBORDERS : 0);
}

// A grayed or disabled item's accelerator sends nothing; in the window each
// translation first opens the menu, which pauses; in full screen there is
// no menu and the command comes alone, grayed item or not.
TEST(MainWindow, AcceleratorsFollowTheMenuInTheWindowOnly) {
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  enum When { kWindow, kFullScreen, kPlaying };
  const struct {
    When when;
    BYTE modifier;
    WPARAM key;
    const wchar_t* reached;  // and status part 1 afterwards
  } presses[] = {
      {kWindow, VK_CONTROL, 'P', L"menu |"},
      {kWindow, VK_MENU, VK_RETURN, L"menu |"},
      {kWindow, VK_CONTROL, 'X', L"|"},
      {kFullScreen, VK_CONTROL, 'P', L"40014 |"},
      {kPlaying, VK_CONTROL, 'P', L"menu 40014 |Play..."},
      {kFullScreen, VK_CONTROL, 'P', L"40014 |Pause."},
  };
  HWND window = run.host.window();
  for (const auto& p : presses) {
    if (p.when == kFullScreen && GetMenu(window)) run.command(kCmdFullScreen);
    if (p.when != kFullScreen && !GetMenu(window)) SendMessageW(window, WM_LBUTTONDOWN, 0, 0);
    if (p.when == kPlaying && run.title() == L"Zentrov")
      run.drop({test::soundedMovie("keys.cpk", 8)});
    // The modifier in the thread's key state, the key queued for the loop
    // to translate, then a mark.
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[p.modifier] = 0x80;
    SetKeyboardState(keys);
    run.log.clear();
    const bool alt = p.modifier == VK_MENU;
    PostMessageW(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, p.key, alt ? 0x20000001 : 1);
    PostMessageW(window, WM_APP, 0, 0);
    run.runUntil([&] { return run.log.find(L'|') != std::wstring::npos; });
    keys[p.modifier] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(run.log.substr(0, run.log.find(L'|') + 1) + run.status(1), p.reached) << p.when;
  }
}

// Eleven drops of two files open the first of each; the File menu then
// lists the last ten, newest first, with the mnemonics 1 to 9 and 0. A
// listed name dropped in other letter case goes to the top as now written.
TEST(MainWindow, DroppedFilesAndTheRecentFileMenu) {
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  const std::string spare = test::soundedMovie("spare.cpk", 1);
  std::vector<std::string> files;
  for (int i = 0; i <= 10; ++i) {
    files.push_back(test::soundedMovie("recent" + std::to_string(i) + ".cpk", 1));
    run.drop({files.back(), spare});
    EXPECT_EQ(run.title(), L"recent" + std::to_wstring(i) + L".cpk - Zentrov");
  }
  std::string upper = files[5], expected, shown;
  for (char& c : upper) c = char(std::toupper(c));
  run.drop({upper, spare});
  const int order[] = {-1, 10, 9, 8, 7, 6, 4, 3, 2, 1};
  for (int n = 0; n < 10; ++n)
    expected += "&" + std::to_string((n + 1) % 10) + " " +
                (order[n] < 0 ? upper : files[size_t(order[n])]) + "=" +
                std::to_string(kCmdRecentFirst + n) + "; ";
  HMENU file = GetSubMenu(run.host.menu(), 0);
  for (int i = 3; i < 13; ++i) {
    char text[300] = {};
    GetMenuStringA(file, UINT(i), text, 300, MF_BYPOSITION);
    shown += text + ("=" + std::to_string(GetMenuItemID(file, i))) + "; ";
  }
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(GetMenuState(file, 13, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  // A name longer than the name buffer is cut to fit it (and is not found).
  run.drop({std::string(300, 'x'), spare});
  EXPECT_EQ(run.host.player().shell.recentFiles[0], std::string(259, 'x'));
  EXPECT_EQ(run.boxes, L"Error: File not found.; ");
}

// What the Search header dialog does to its list while it scans.
std::wstring listOps;
WNDPROC listProc = nullptr;

LRESULT CALLBACK recordList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::wstring at = L" " + std::to_wstring(int(wParam));
  const auto text = [&] { return L" " + std::wstring(reinterpret_cast<const wchar_t*>(lParam)); };
  if (message == LB_RESETCONTENT) listOps += L"reset; ";
  if (message == LB_ADDSTRING) listOps += L"add" + text() + L"; ";
  if (message == LB_INSERTSTRING) listOps += L"insert" + at + text() + L"; ";
  if (message == LB_SETTOPINDEX) listOps += L"top" + at + L"; ";
  if (message == LB_SETCURSEL) listOps += L"select" + at + L"; ";
  if (message == WM_PAINT) listOps += L"paint; ";
  return CallWindowProcW(listProc, list, message, wParam, lParam);
}

// Two movies in one file: at 0 one with a full table whose first entries are
// audio, at 614,400 one with a larger picture.
TEST(Dialogs, AboutPropertyAndSearchHeaderInThePlayer) {
  zentrov::test::FilmSpec first = test::soundedMovie(1, 0.25);
  first.samples.resize(8191, zentrov::test::audioSample({0, 0, 0, 0}));
  first.samples[8000] = zentrov::test::videoSample({}, 0x1234, false, -7);
  std::vector<uint8_t> film = buildFilm(first);
  const zentrov::test::FilmSpec second = test::soundedMovie(1, 0.25, 96, 64);
  zentrov::test::placeAt(film, 614400, buildFilm(second));
  PlayerRun run(test::writeMovie("twomovies.cpk", film));
  ASSERT_TRUE(run.started);

  // About: the version and the features, which clicks do not change.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  const bool mmx = __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_MMX);
  const bool threeDNow =
      mmx && __get_cpuid(0x80000001, &eax, &ebx, &ecx, &edx) && (edx & bit_3DNOW);
  const std::wstring checks = L" " + std::to_wstring(mmx) + std::to_wstring(threeDNow);
  std::wstring seen;
  run.script(L"About Zentrov", [&](HWND dialog) {
    seen = controlText(dialog, IDC_ABOUT_VERSION);
    for (int round = 0; round < 2; ++round) {
      seen += L" " + std::to_wstring(IsDlgButtonChecked(dialog, IDC_ABOUT_MMX)) +
              std::to_wstring(IsDlgButtonChecked(dialog, IDC_ABOUT_3DNOW));
      click(dialog, IDC_ABOUT_MMX);
      click(dialog, IDC_ABOUT_3DNOW);
    }
    click(dialog, IDOK);
  });
  EXPECT_EQ(runAboutDialog(run.host.dialogs().host()), IDOK);
  EXPECT_EQ(seen, L"Version.2.04" + checks + checks);
  EXPECT_TRUE(run.ran && !run.leftOpen);

  // Property: the values; collapsed to the list's top, expanded below the
  // list, which is filled once and keeps its selection; every row.
  run.script(L"Property", [&](HWND dialog) {
    std::wstring values;
    for (int id : {IDC_PROPERTY_FRAME_SIZE, IDC_PROPERTY_TOTAL_FRAME, IDC_PROPERTY_FRAME_RATE_BASE,
                   IDC_PROPERTY_AUDIO_CH, IDC_PROPERTY_PCM_BIT, IDC_PROPERTY_PCM_FREQUENCY,
                   IDC_PROPERTY_PCM_FORMAT})
      values += L" " + controlText(dialog, id);
    EXPECT_EQ(values, L" 64x48 8191 44100 2ch 16bit 44100Hz PCM");
    HWND list = GetDlgItem(dialog, IDC_PROPERTY_LIST);
    std::wstring looks;
    for (int i = 0; i < 4; ++i) {
      if (i) click(dialog, IDC_PROPERTY_MORE);
      if (i == 1) ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
      RECT box{}, listBox{};
      GetWindowRect(dialog, &box);
      GetWindowRect(list, &listBox);
      looks +=
          (i % 2 ? box.bottom > listBox.bottom : box.bottom == listBox.top) ? L"fits " : L"no ";
      looks += controlText(dialog, IDC_PROPERTY_MORE) + L" " +
               std::to_wstring(Header_GetItemCount(ListView_GetHeader(list))) + L" " +
               std::to_wstring(ListView_GetItemCount(list)) + L" " +
               std::to_wstring(ListView_GetNextItem(list, -1, LVNI_SELECTED)) + L"; ";
    }
    EXPECT_EQ(looks,
              L"fits More>> 0 0 -1; fits <<More 4 8191 2; fits More>> 4 8191 2; "
              L"fits <<More 4 8191 2; ");
    std::wstring rows;  // audio, a key frame, a frame after it, the last row
    for (int r : {0, 3, 8000, 8190}) {
      for (int c = 0; c < 4; ++c) {
        wchar_t text[32] = {};
        ListView_GetItemText(list, r, c, text, 32);
        rows += text + std::wstring(c < 3 ? L"," : L"; ");
      }
    }
    EXPECT_EQ(rows, L"0,AUDIO,0,; 3,0,0,KEY; 8000,4660,-7,; 8190,AUDIO,0,; ");
    click(dialog, IDOK);
  });
  run.command(kCmdProperty);
  EXPECT_TRUE(run.ran && !run.leftOpen);

  // Search header: the lines before a scan, each find shown at once above
  // "Search...", the lines after it; then Cancel, a double-click or OK.
  const struct {
    const wchar_t *lines, *selected;  // before the scan
    int line;
    int ending;  // 0: a double-click on the line
    const wchar_t* title;
  } choices[] = {{L"1", L"0", 1, IDCANCEL, L"twomovies.cpk - Zentrov"},
                 {L"2", L"0", 1, 0, L"twomovies.cpk:1 - Zentrov"},
                 {L"2", L"1", 0, IDOK, L"twomovies.cpk:0 - Zentrov"}};
  for (const auto& choice : choices) {
    run.script(L"Search header", [&](HWND dialog) {
      HWND list = GetDlgItem(dialog, IDC_SEARCH_LIST);
      EXPECT_EQ(controlText(dialog, IDCANCEL) + L" " +
                    std::to_wstring(SendMessageW(list, LB_GETCOUNT, 0, 0)) + L" " +
                    std::to_wstring(SendMessageW(list, LB_GETCURSEL, 0, 0)),
                L"ｷｬﾝｾﾙ " + std::wstring(choice.lines) + L" " + choice.selected);
      listOps.clear();
      listProc = WNDPROC(SetWindowLongPtrW(list, GWLP_WNDPROC, LONG_PTR(recordList)));
      click(dialog, IDC_SEARCH_BUTTON);
      SetWindowLongPtrW(list, GWLP_WNDPROC, LONG_PTR(listProc));
      EXPECT_EQ(listOps,
                L"reset; add Search...; paint; insert 0 0 = 00000000; top 1; paint; "
                L"insert 1 1 = 00096000; top 2; paint; reset; add 0 = 00000000; "
                L"add 1 = 00096000; select " +
                    std::wstring(choice.selected) + L"; top " + choice.selected + L"; ");
      SendMessageW(list, LB_SETCURSEL, WPARAM(choice.line), 0);
      if (choice.ending) return click(dialog, choice.ending);
      RECT line{};
      SendMessageW(list, LB_GETITEMRECT, WPARAM(choice.line), LPARAM(&line));
      for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageW(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(line.left + 5, line.top + 2));
    });
    run.command(kCmdSearchHeader);
    EXPECT_TRUE(run.ran && !run.leftOpen);
    EXPECT_EQ(run.title(), choice.title);
    if (choice.ending) continue;
    // The second movie, its samples counted from its own header on.
    const std::wstring frame = std::to_wstring(second.samples.size() - 1);
    EXPECT_TRUE(run.runUntil([&] { return run.status(kStatusPosition) == frame; }));
    EXPECT_EQ(run.status(kStatusSize), L" 96x 64");
  }
  wchar_t text[256] = {};  // string 1, as the core shows it
  LoadStringW(GetModuleHandleW(nullptr), IDS_UNKNOWN_HEADER, text, 256);
  EXPECT_EQ(text, widen(kUnknownHeaderText, CP_UTF8));
}

}  // namespace
}  // namespace zentrov::win32
