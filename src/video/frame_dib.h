#pragma once
// The current frame as a 24-bit device-independent bitmap (the CF_DIB block).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zentrov {

constexpr size_t kDibInfoHeaderBytes = 40;  // BITMAPINFOHEADER; the pixels follow it
constexpr size_t kDibTrailingBytes = 16;    // zero bytes after the pixels

// BITMAPINFOHEADER, bottom-up rows of blue, green, red padded to 4 bytes, and
// 16 trailing zero bytes.
std::vector<uint8_t> buildFrameDib(const uint32_t* frame, int32_t frameWidth, int32_t frameHeight);

}  // namespace zentrov
