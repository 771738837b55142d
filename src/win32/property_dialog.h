#pragma once
// The Property dialog: the movie's stream values, and on request its sample
// table in a list view that asks for each row as it is drawn.

#include <windows.h>

#include "film/property_text.h"
#include "win32/dialog_host.h"

namespace zentrov::win32 {

// Runs the modal Property dialog for `view`, owned by the host's main
// window; returns the command that closed it (IDOK or IDCANCEL), or -1 when
// it could not open.
INT_PTR runPropertyDialog(const DialogHost& host, const PropertyView& view);

}  // namespace zentrov::win32
