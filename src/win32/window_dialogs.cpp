#include "win32/window_dialogs.h"

#include <shellapi.h>

#include "win32/about_dialog.h"
#include "win32/clipboard.h"
#include "win32/header_search_dialog.h"
#include "win32/property_dialog.h"

namespace zentrov::win32 {
namespace {

const char kMovieFilter[] =
    "SATURN Cinepak(*.cpk,*.cak)\0*.cpk;*.cak\0"
    "All Files(*.*)\0*.*\0";

}  // namespace

void WindowDialogs::prepareOpenFile(HWND window) {
  openFile_ = OPENFILENAMEA{};
  // The record as the first common dialogs knew it, which every Windows reads.
  openFile_.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  openFile_.hwndOwner = window;
  openFile_.lpstrFilter = kMovieFilter;
  openFile_.nFilterIndex = 1;
  openFile_.lpstrFile = fileName_;
  openFile_.nMaxFile = sizeof fileName_;
  openFile_.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
}

bool WindowDialogs::chooseMovieFile(std::string& path) {
  fileName_[0] = '\0';
  if (!GetOpenFileNameA(&openFile_)) return false;
  path = fileName_;
  return true;
}

void WindowDialogs::showAbout() {
  runAboutDialog(host_);
}

void WindowDialogs::showProperty(const PropertyView& view) {
  runPropertyDialog(host_, view);
}

int WindowDialogs::searchHeader(HeaderSearch& search) {
  return runHeaderSearchDialog(host_, search);
}

void WindowDialogs::openHomePage(const std::string& address) {
  ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_HIDE);
}

// The clipboard is opened for the main window, the owner of every dialog.
void WindowDialogs::copyToClipboard(const std::vector<uint8_t>& dib) {
  copyFrameToClipboard(host_.owner, dib);
}

}  // namespace zentrov::win32
