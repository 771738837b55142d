#pragma once
// The clipboard side of copying a frame.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace zentrov::win32 {

// Puts `dib` (a CF_DIB block) on the clipboard for `owner`. When the block
// cannot be allocated or the clipboard not opened, the clipboard keeps what
// it held and false is returned.
bool copyFrameToClipboard(HWND owner, const std::vector<uint8_t>& dib);

}  // namespace zentrov::win32
