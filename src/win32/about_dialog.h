#pragma once
// The About dialog: the version from the program's version resource and
// check boxes for the processor's MMX and 3DNow! support.

#include <windows.h>

#include "win32/dialog_host.h"

namespace zentrov::win32 {

// Runs the modal About dialog owned by the host's main window; returns the
// command that closed it (IDOK or IDCANCEL), or -1 when it could not open.
INT_PTR runAboutDialog(const DialogHost& host);

// The dialog procedure; WM_INITDIALOG's lParam is the DialogHost.
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Writes "Version.%d.%02d" from the version resource of `instance` into
// control `controlId`; without a readable resource the text stays as it is.
void setVersionText(HWND dialog, int controlId, HINSTANCE instance);

}  // namespace zentrov::win32
