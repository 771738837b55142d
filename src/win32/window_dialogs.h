#pragma once
// The modal things the main window's commands open. The open-file dialog
// works on the record prepared at start-up.

#include <windows.h>

#include <commdlg.h>

#include "playback/player.h"
#include "playback/ports.h"
#include "win32/dialog_host.h"

namespace zentrov::win32 {

class WindowDialogs : public Dialogs {
 public:
  // Fills the open-file record: owned by `window`, the movie filters, at most
  // a 259-character name.
  void prepareOpenFile(HWND window);

  bool chooseMovieFile(std::string& path) override;
  // The program, owner window, wait cursor and processor features that the
  // About, Property and Search header dialogs use.
  void attach(const DialogHost& host) { host_ = host; }
  const DialogHost& host() const { return host_; }

  void showAbout() override;
  void showProperty(const PropertyView& view) override;
  int searchHeader(HeaderSearch& search) override;
  void openHomePage(const std::string& address) override;
  void copyToClipboard(const std::vector<uint8_t>& dib) override;

 private:
  OPENFILENAMEA openFile_{};
  char fileName_[kMaxFileName + 1] = {};
  DialogHost host_;
};

}  // namespace zentrov::win32
