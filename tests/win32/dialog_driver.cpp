#include "dialog_driver.h"

namespace zentrov::win32::test {
namespace {

DialogDriver* activeDriver = nullptr;
constexpr DWORD kTimeoutMs = 5000;

}  // namespace

DialogDriver::DialogDriver(std::wstring caption, std::function<void(HWND)> script)
    : caption_(std::move(caption)), script_(std::move(script)) {
  activeDriver = this;
  timer_ = SetTimer(nullptr, 0, 20, &DialogDriver::tick);
}

DialogDriver::~DialogDriver() {
  KillTimer(nullptr, timer_);
  activeDriver = nullptr;
}

void CALLBACK DialogDriver::tick(HWND, UINT, UINT_PTR, DWORD) {
  if (activeDriver) activeDriver->step();
}

void DialogDriver::step() {
  if (busy_) return;
  busy_ = true;
  if (!ran) {
    HWND found = FindWindowW(L"#32770", caption_.c_str());
    if (found && IsWindowVisible(found)) {
      ran = true;
      dialog_ = found;
      ranAt_ = GetTickCount();
      script_(dialog_);
    }
  } else if (IsWindow(dialog_) && GetTickCount() - ranAt_ > kTimeoutMs) {
    leftOpen = true;
    EndDialog(dialog_, -2);
  }
  busy_ = false;
}

std::wstring controlText(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

void click(HWND dialog, int id) {
  SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

}  // namespace zentrov::win32::test
