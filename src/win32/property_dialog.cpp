#include "win32/property_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <string>

#include "resource_ids.h"

namespace zentrov::win32 {
namespace {

const wchar_t kMoreText[] = L"More>>";
const wchar_t kLessText[] = L"<<More";

struct Column {
  const wchar_t* title;
  int width;  // pixels
};
constexpr Column kColumns[] = {{L"Block", 48}, {L"AbsTime", 64}, {L"DspTime", 64}, {L"Key", 40}};

// What one opening of the dialog keeps across its messages.
struct PropertyDialog {
  const DialogHost& host;
  const PropertyView& view;
  int fullHeight = 0;  // the window's height as the template made it
  bool expanded = false;
  bool listFilled = false;
};

void resizeHeight(HWND dialog, int height) {
  RECT window;
  GetWindowRect(dialog, &window);
  SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The list sits below the dialog's bottom edge.
void collapse(HWND dialog) {
  RECT window, list;
  GetWindowRect(dialog, &window);
  GetWindowRect(GetDlgItem(dialog, IDC_PROPERTY_LIST), &list);
  resizeHeight(dialog, list.top - window.top);
}

// The rows come from the view when the list draws them: only the count is
// set here, so even 8,191 rows take no time.
void fillList(HWND list, const PropertyView& view) {
  ListView_DeleteAllItems(list);
  ListView_SetItemCount(list, view.rowCount());
  int index = 0;
  for (const Column& c : kColumns) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_RIGHT;
    column.cx = c.width;
    column.pszText = const_cast<wchar_t*>(c.title);
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
    ++index;
  }
}

void showRowText(const PropertyView& view, LVITEMW& item) {
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const std::array<std::string, 4> row = view.row(item.iItem);
  const std::string& text =
      item.iSubItem >= 0 && item.iSubItem < 4 ? row[size_t(item.iSubItem)] : std::string();
  // The row texts are digits and capitals: one character per byte.
  const size_t room = static_cast<size_t>(item.cchTextMax) - 1;
  const size_t length = std::min(text.size(), room);
  for (size_t i = 0; i < length; ++i) item.pszText[i] = static_cast<wchar_t>(text[i]);
  item.pszText[length] = L'\0';
}

void expandOrCollapse(HWND dialog, PropertyDialog& state) {
  if (state.expanded) {
    collapse(dialog);
    SetDlgItemTextW(dialog, IDC_PROPERTY_MORE, kMoreText);
    state.expanded = false;
    return;
  }
  WaitCursor wait(state.host.waitCursor);
  if (!state.listFilled) {
    fillList(GetDlgItem(dialog, IDC_PROPERTY_LIST), state.view);
    state.listFilled = true;
  }
  resizeHeight(dialog, state.fullHeight);
  SetDlgItemTextW(dialog, IDC_PROPERTY_MORE, kLessText);
  state.expanded = true;
}

void showValues(HWND dialog, const PropertyValues& v) {
  const struct {
    int id;
    const std::string& text;
  } fields[] = {
      {IDC_PROPERTY_FRAME_SIZE, v.frameSize},
      {IDC_PROPERTY_TOTAL_FRAME, v.totalFrame},
      {IDC_PROPERTY_FRAME_RATE_BASE, v.frameRateBase},
      {IDC_PROPERTY_AUDIO_CH, v.audioChannels},
      {IDC_PROPERTY_PCM_BIT, v.pcmBits},
      {IDC_PROPERTY_PCM_FREQUENCY, v.pcmFrequency},
      {IDC_PROPERTY_PCM_FORMAT, v.pcmFormat},
  };
  for (const auto& f : fields) SetDlgItemTextA(dialog, f.id, f.text.c_str());
}

INT_PTR CALLBACK propertyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<PropertyDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<PropertyDialog*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      showValues(dialog, state->view.values());
      RECT window;
      GetWindowRect(dialog, &window);
      state->fullHeight = window.bottom - window.top;
      state->expanded = false;
      collapse(dialog);
      state->listFilled = false;
      return TRUE;
    }
    case WM_COMMAND:
      if (!state) return FALSE;
      switch (wParam) {
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, static_cast<INT_PTR>(wParam));
          break;
        case IDC_PROPERTY_MORE:
          expandOrCollapse(dialog, *state);
          break;
        default:
          break;
      }
      return FALSE;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (!state || header->idFrom != IDC_PROPERTY_LIST || header->code != LVN_GETDISPINFOW)
        return FALSE;
      showRowText(state->view, reinterpret_cast<NMLVDISPINFOW*>(lParam)->item);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR runPropertyDialog(const DialogHost& host, const PropertyView& view) {
  PropertyDialog state{host, view};
  return DialogBoxParamW(host.instance, MAKEINTRESOURCEW(IDD_PROPERTY), host.owner,
                         propertyDialogProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace zentrov::win32
