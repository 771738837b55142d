#include "win32/header_search_dialog.h"

#include <string>
#include <vector>

#include "resource_ids.h"

namespace zentrov::win32 {
namespace {

struct SearchDialog {
  const DialogHost& host;
  HeaderSearch& search;
};

LRESULT sendList(HWND list, UINT message, WPARAM wParam, const std::string& text) {
  return SendMessageA(list, message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
}

// The table's lines, with the selected one at the top of the list.
void listTable(HWND list, const HeaderSearch& search) {
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : search.lines()) sendList(list, LB_ADDSTRING, 0, line);
  const auto selected = static_cast<WPARAM>(search.selectedLine());
  SendMessageW(list, LB_SETCURSEL, selected, 0);
  SendMessageW(list, LB_SETTOPINDEX, selected, 0);
}

// The scan runs here, inside the button's message, so the list is repainted
// by hand after each change to show how far it got.
void searchAgain(HWND list, SearchDialog& state) {
  WaitCursor wait(state.host.waitCursor);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  sendList(list, LB_ADDSTRING, 0, kSearchingLine);
  UpdateWindow(list);
  state.search.search([list](const std::string& line) {
    // Ahead of the "Search..." line, which stays last and comes to the top.
    const LRESULT searching = SendMessageW(list, LB_GETCOUNT, 0, 0) - 1;
    sendList(list, LB_INSERTSTRING, static_cast<WPARAM>(searching), line);
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(searching + 1), 0);
    UpdateWindow(list);
  });
  listTable(list, state.search);
}

INT_PTR CALLBACK searchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<SearchDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  HWND list = GetDlgItem(dialog, IDC_SEARCH_LIST);
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      listTable(list, reinterpret_cast<SearchDialog*>(lParam)->search);
      return TRUE;
    case WM_COMMAND:
      if (!state) return FALSE;
      // OK, or a double-click on a line (whatever control sends code 2).
      if (wParam == IDOK || HIWORD(wParam) == LBN_DBLCLK) {
        const auto line = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
        EndDialog(dialog, state->search.choose(line));
      } else if (wParam == IDCANCEL) {
        EndDialog(dialog, state->search.cancel());
      } else if (wParam == IDC_SEARCH_BUTTON) {
        searchAgain(list, *state);
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int runHeaderSearchDialog(const DialogHost& host, HeaderSearch& search) {
  SearchDialog state{host, search};
  const INT_PTR result =
      DialogBoxParamW(host.instance, MAKEINTRESOURCEW(IDD_SEARCH_HEADER), host.owner,
                      searchDialogProc, reinterpret_cast<LPARAM>(&state));
  return result == kHeaderChosen ? kHeaderChosen : kHeaderSearchCancelled;
}

}  // namespace zentrov::win32
