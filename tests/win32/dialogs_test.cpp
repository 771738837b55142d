// The About, Property and Search header dialogs in the running player,
// driven from inside their modal loops.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <cpuid.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "playback/command_ids.h"
#include "player_run.h"
#include "resource_ids.h"
#include "support/cinepak_encoder.h"
#include "win32/about_dialog.h"

namespace zentrov::win32 {
namespace {

using test::click;
using test::controlText;
using test::DialogDriver;
using test::PlayerRun;

void command(PlayerRun& run, int id) {
  SendMessageW(run.host.window(), WM_COMMAND, static_cast<WPARAM>(id), 0);
}

int height(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r.bottom - r.top;
}

int top(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r.top;
}

TEST(Dialogs, AboutShowsTheVersionAndTheFeaturesThatClicksDoNotChange) {
  PlayerRun run("");
  ASSERT_TRUE(run.started);
  unsigned a = 0, b = 0, c = 0, d = 0;
  const bool mmx = __get_cpuid(1, &a, &b, &c, &d) && (d & bit_MMX);
  const bool threeDNow = mmx && __get_cpuid(0x80000001, &a, &b, &c, &d) && (d & bit_3DNOW);
  // Each way of closing, as it reaches the dialog, and the command it ends with.
  const struct {
    UINT message;
    WPARAM wParam;
    INT_PTR result;
  } ways[] = {{BM_CLICK, 0, IDOK},
              {WM_KEYDOWN, VK_RETURN, IDOK},
              {WM_KEYDOWN, VK_ESCAPE, IDCANCEL},
              {WM_SYSCOMMAND, SC_CLOSE, IDCANCEL}};
  for (const auto& way : ways) {
    DialogDriver driver(L"About Zentrov", [&](HWND dialog) {
      EXPECT_EQ(GetWindow(dialog, GW_OWNER), run.host.window());
      EXPECT_EQ(controlText(dialog, IDC_ABOUT_VERSION), L"Version.2.04");
      for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_ABOUT_MMX) == BST_CHECKED, mmx);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_ABOUT_3DNOW) == BST_CHECKED, threeDNow);
        click(dialog, IDC_ABOUT_MMX);
        click(dialog, IDC_ABOUT_3DNOW);
      }
      SetFocus(GetDlgItem(dialog, IDOK));
      PostMessageW(way.message == WM_SYSCOMMAND ? dialog : GetFocus(), way.message, way.wParam, 0);
    });
    EXPECT_EQ(runAboutDialog(run.host.dialogs().host()), way.result) << way.wParam;
    EXPECT_TRUE(driver.ran && !driver.leftOpen);
  }
}

test::FilmSpec fullTable() {
  test::FilmSpec spec = test::tonedMovie(1, 0.25, 64, 48);
  spec.samples.resize(8191, zentrov::test::audioSample({0, 0, 0, 0}));
  spec.samples[8000] = zentrov::test::videoSample({}, 0x1234, false, -7);
  return spec;
}

TEST(Dialogs, PropertyShowsTheValuesThenTheRowsFilledOnceAtTheFirstExpansion) {
  const test::FilmSpec toned = test::tonedMovie(3, 0.25, 320, 224);
  const struct {
    const char* name;
    test::FilmSpec spec;
    std::vector<std::wstring> values;  // 1004 to 1010 in the order of the rows
  } movies[] = {
      {"toned.cpk", toned, {L"320x224", std::to_wstring(toned.samples.size()), L"44100"}},
      {"full_table.cpk", fullTable(), {L"64x48", L"8191", L"44100"}},
  };
  const int valueIds[] = {IDC_PROPERTY_FRAME_SIZE,      IDC_PROPERTY_TOTAL_FRAME,
                          IDC_PROPERTY_FRAME_RATE_BASE, IDC_PROPERTY_AUDIO_CH,
                          IDC_PROPERTY_PCM_BIT,         IDC_PROPERTY_PCM_FREQUENCY,
                          IDC_PROPERTY_PCM_FORMAT};
  const std::wstring sound[] = {L"2ch", L"16bit", L"44100Hz", L"PCM"};
  for (const auto& movie : movies) {
    SCOPED_TRACE(movie.name);
    std::vector<std::wstring> values = movie.values;
    values.insert(values.end(), std::begin(sound), std::end(sound));
    PlayerRun run(test::writeMovie(movie.name, movie.spec));
    ASSERT_TRUE(run.started);
    DialogDriver driver(L"Property", [&](HWND dialog) {
      EXPECT_EQ(GetWindow(dialog, GW_OWNER), run.host.window());
      for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(controlText(dialog, valueIds[i]), values[i]);
      HWND list = GetDlgItem(dialog, IDC_PROPERTY_LIST);
      HWND header = ListView_GetHeader(list);
      const int collapsed = top(list) - top(dialog);
      EXPECT_EQ(height(dialog), collapsed);
      EXPECT_EQ(Header_GetItemCount(header), 0);
      // The window's height as the template makes it, frame included.
      RECT full{0, 0, 147, 219};
      MapDialogRect(dialog, &full);
      AdjustWindowRectEx(&full, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)));

      // Open, close, open: the list is filled once and keeps its selection.
      for (const bool expanded : {true, false, true}) {
        click(dialog, IDC_PROPERTY_MORE);
        EXPECT_EQ(height(dialog), expanded ? full.bottom - full.top : collapsed);
        EXPECT_EQ(controlText(dialog, IDC_PROPERTY_MORE), expanded ? L"<<More" : L"More>>");
        EXPECT_EQ(ListView_GetItemCount(list), static_cast<int>(movie.spec.samples.size()));
        ASSERT_EQ(Header_GetItemCount(header), 4);
        if (expanded) ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2);
      }
      const std::pair<const wchar_t*, int> columns[] = {
          {L"Block", 48}, {L"AbsTime", 64}, {L"DspTime", 64}, {L"Key", 40}};
      for (int c = 0; c < 4; ++c) {
        wchar_t title[32] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = title;
        column.cchTextMax = 32;
        ASSERT_TRUE(ListView_GetColumn(list, c, &column));
        EXPECT_EQ(title + std::to_wstring(column.cx),
                  columns[c].first + std::to_wstring(columns[c].second));
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
      }
      int wrong = 0;
      for (size_t r = 0; r < movie.spec.samples.size(); ++r) {
        const zentrov::test::FilmSample& s = movie.spec.samples[r];
        const bool audio = s.info1 == 0xFFFFFFFFu;
        const std::wstring row[] = {
            std::to_wstring(r), audio ? L"AUDIO" : std::to_wstring(s.info1 & 0x7FFFFFFF),
            std::to_wstring(s.info2), audio || s.info1 >> 31 ? L"" : L"KEY"};
        for (int c = 0; c < 4; ++c) {
          wchar_t shown[32] = {};
          ListView_GetItemText(list, static_cast<int>(r), c, shown, 32);
          if (row[c] != shown && ++wrong < 5) ADD_FAILURE() << "row " << r << " column " << c;
        }
      }
      SendMessageW(dialog, WM_COMMAND, 0, 0);  // ignored
      click(dialog, IDOK);
    });
    command(run, kCmdProperty);
    EXPECT_TRUE(driver.ran && !driver.leftOpen);
  }
}

// What the Search header dialog does to its list while it scans.
std::vector<std::wstring> listOps;
WNDPROC listProc = nullptr;

LRESULT CALLBACK recordList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::wstring at = std::to_wstring(static_cast<int>(wParam));
  const auto text = [&] { return std::wstring(reinterpret_cast<const wchar_t*>(lParam)); };
  if (message == LB_RESETCONTENT) listOps.push_back(L"reset");
  if (message == LB_ADDSTRING) listOps.push_back(L"add " + text());
  if (message == LB_INSERTSTRING) listOps.push_back(L"insert " + at + L" " + text());
  if (message == LB_SETTOPINDEX) listOps.push_back(L"top " + at);
  if (message == LB_SETCURSEL) listOps.push_back(L"select " + at);
  if (message == WM_PAINT) listOps.push_back(L"paint");
  return CallWindowProcW(listProc, list, message, wParam, lParam);
}

TEST(Dialogs, SearchHeaderShowsEachFindAndOkOrDoubleClickPlaysTheChosenMovie) {
  // Movies at 0 and 614,400, the second with a larger picture.
  std::vector<uint8_t> bytes = zentrov::test::buildFilm(test::tonedMovie(2, 0.25, 64, 48));
  const test::FilmSpec second = test::tonedMovie(1, 0.25, 96, 64);
  zentrov::test::placeAt(bytes, 614400, zentrov::test::buildFilm(second));
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "twomovies.cpk";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  int secondFrame = 0;
  while (second.samples[size_t(secondFrame)].info1 == 0xFFFFFFFFu) ++secondFrame;

  enum Choice { kOk, kDoubleClick, kOkWithoutLine, kCancel };
  for (const Choice choice : {kOk, kDoubleClick, kOkWithoutLine, kCancel}) {
    SCOPED_TRACE(choice);
    PlayerRun run(path);
    ASSERT_TRUE(run.started);
    ASSERT_TRUE(run.runUntil([&] { return !run.statusText(2).empty(); }));
    DialogDriver driver(L"Search header", [&](HWND dialog) {
      EXPECT_EQ(GetWindow(dialog, GW_OWNER), run.host.window());
      EXPECT_EQ(run.statusText(1), L"Pause.");
      HWND list = GetDlgItem(dialog, IDC_SEARCH_LIST);
      EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
      EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
      listOps.clear();
      listProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordList)));
      click(dialog, IDC_SEARCH_BUTTON);
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc));
      const std::vector<std::wstring> ops = {L"reset",
                                             L"add Search...",
                                             L"paint",  // the scan starts
                                             L"insert 0 0 = 00000000",
                                             L"top 1",
                                             L"paint",  // each find at once
                                             L"insert 1 1 = 00096000",
                                             L"top 2",
                                             L"paint",  //
                                             L"reset",
                                             L"add 0 = 00000000",
                                             L"add 1 = 00096000",
                                             L"select 0",
                                             L"top 0"};
      EXPECT_EQ(listOps, ops);

      SendMessageW(list, LB_SETCURSEL, choice == kOkWithoutLine ? WPARAM(-1) : 1, 0);
      if (choice == kDoubleClick) {
        RECT line{};
        SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&line));
        const LPARAM at = MAKELPARAM(line.left + 5, line.top + 2);
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
          SendMessageW(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
      } else {
        click(dialog, choice == kCancel ? IDCANCEL : IDOK);
      }
    });
    const int32_t position = run.host.player().playback.position;
    command(run, kCmdSearchHeader);
    EXPECT_TRUE(driver.ran && !driver.leftOpen);

    const PlaybackState& playback = run.host.player().playback;
    if (choice == kOk || choice == kDoubleClick) {
      // The second movie, its samples read from its own header on.
      EXPECT_EQ(run.title(), L"twomovies.cpk:1 - Zentrov");
      ASSERT_TRUE(run.runUntil([&] { return run.statusText(2) == std::to_wstring(secondFrame); }));
      EXPECT_EQ(playback.frameWidth * 1000 + playback.frameHeight, 96064);
      zentrov::test::CinepakModel model(96, 64);
      model.apply(zentrov::test::patternCinepakFrame(96, 64, 1));
      EXPECT_TRUE(std::equal(model.pixels().begin(), model.pixels().end(),
                             run.host.player().buffers.decodedFrame.get(),
                             [](uint32_t want, uint32_t got) { return want == (got & 0xFFFFFF); }));
    } else {
      // The same movie stays, paused where it was.
      EXPECT_EQ(run.title(), L"twomovies.cpk - Zentrov");
      run.runFor(200);
      EXPECT_EQ(run.statusText(1), L"Pause.");
      EXPECT_EQ(playback.position, position);
      EXPECT_EQ(playback.frameWidth, 64);
    }
  }
}

}  // namespace
}  // namespace zentrov::win32
