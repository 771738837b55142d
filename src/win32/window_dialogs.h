#pragma once
// The modal things the main window's commands open. The open-file dialog
// works on the record prepared at start-up.

#include <windows.h>

#include <commdlg.h>

#include "playback/player.h"
#include "playback/ports.h"

namespace zentrov::win32 {

class WindowDialogs : public Dialogs {
 public:
  // Fills the open-file record: owned by `window`, the movie filters, at most
  // a 259-character name.
  void prepareOpenFile(HWND window);

  bool chooseMovieFile(std::string& path) override;
  void showAbout() override {}
  void showProperty(const PropertyView&) override {}
  int searchHeader(HeaderSearch&) override { return 0; }
  void openHomePage(const std::string& address) override;
  void copyToClipboard(const std::vector<uint8_t>& dib) override;

 private:
  OPENFILENAMEA openFile_{};
  char fileName_[kMaxFileName + 1] = {};
};

}  // namespace zentrov::win32
