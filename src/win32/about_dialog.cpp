#include "win32/about_dialog.h"

#include "resource_ids.h"

namespace zentrov::win32 {
namespace {

constexpr int kVersionResource = 1;

void setCheck(HWND dialog, int id, bool checked) {
  SendDlgItemMessageW(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

INT_PTR runAboutDialog(const DialogHost& host) {
  return DialogBoxParamW(host.instance, MAKEINTRESOURCEW(IDD_ABOUT), host.owner, aboutDialogProc,
                         reinterpret_cast<LPARAM>(&host));
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* host = reinterpret_cast<const DialogHost*>(lParam);
      setVersionText(dialog, IDC_ABOUT_VERSION, host->instance);
      setCheck(dialog, IDC_ABOUT_MMX, host->features.mmxSupported);
      setCheck(dialog, IDC_ABOUT_3DNOW, host->features.threeDNowSupported);
      return TRUE;  // the default button takes the focus
    }
    case WM_COMMAND:
      // The check boxes are not automatic: their clicks end up here and
      // change nothing.
      if (wParam == IDOK || wParam == IDCANCEL) EndDialog(dialog, static_cast<INT_PTR>(wParam));
      return FALSE;
    default:
      return FALSE;
  }
}

void setVersionText(HWND dialog, int controlId, HINSTANCE instance) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(kVersionResource), RT_VERSION);
  if (!found) return;
  HGLOBAL loaded = LoadResource(instance, found);
  const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  const std::string text = versionText(bytes, bytes ? SizeofResource(instance, found) : 0);
  if (!text.empty()) SetDlgItemTextA(dialog, controlId, text.c_str());
}

}  // namespace zentrov::win32
