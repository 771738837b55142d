#pragma once
// The Search header dialog: the header offsets of the open file, a Search
// button that scans the file again and shows each find at once, OK (or a
// double-click) to choose a movie and Cancel.

#include <windows.h>

#include "playback/header_search.h"
#include "win32/dialog_host.h"

namespace zentrov::win32 {

// Runs the modal dialog over `search`, owned by the host's main window.
// Returns kHeaderChosen when a line was chosen, kHeaderSearchCancelled when
// not (also when the dialog could not open).
int runHeaderSearchDialog(const DialogHost& host, HeaderSearch& search);

}  // namespace zentrov::win32
