#include "win32/clipboard.h"

#include <cstring>

namespace zentrov::win32 {
namespace {

// Movable, zeroed and shareable, as other programs expect a clipboard block.
constexpr UINT kClipboardBlockFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;

}  // namespace

bool copyFrameToClipboard(HWND owner, const std::vector<uint8_t>& dib) {
  HGLOBAL block = GlobalAlloc(kClipboardBlockFlags, dib.size());
  if (!block) return false;
  void* bytes = GlobalLock(block);
  if (!bytes) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(bytes, dib.data(), dib.size());
  GlobalUnlock(block);
  if (!OpenClipboard(owner)) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  // Once handed over the system owns the block; a refused one is still ours.
  const bool handedOver = SetClipboardData(CF_DIB, block) != nullptr;
  if (!handedOver) GlobalFree(block);
  CloseClipboard();
  return handedOver;
}

}  // namespace zentrov::win32
