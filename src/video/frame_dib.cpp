#include "video/frame_dib.h"

#include "film/byte_view.h"

namespace zentrov {

std::vector<uint8_t> buildFrameDib(const uint32_t* frame, int32_t frameWidth, int32_t frameHeight) {
  const size_t width = frameWidth > 0 ? static_cast<size_t>(frameWidth) : 0;
  const size_t height = frameHeight > 0 ? static_cast<size_t>(frameHeight) : 0;
  const size_t stride = (3 * width + 3) & ~size_t{3};
  std::vector<uint8_t> block(kDibInfoHeaderBytes + height * stride + kDibTrailingBytes, 0);

  uint8_t* h = block.data();
  storeLE32(h + 0, static_cast<uint32_t>(kDibInfoHeaderBytes));  // biSize
  storeLE32(h + 4, static_cast<uint32_t>(width));                // biWidth
  storeLE32(h + 8, static_cast<uint32_t>(height));               // biHeight > 0: bottom row first
  storeLE16(h + 12, 1);                                          // biPlanes
  storeLE16(h + 14, 24);                                         // biBitCount
  // biCompression (BI_RGB) and biSizeImage stay 0.
  storeLE32(h + 24, 1);  // biXPelsPerMeter
  storeLE32(h + 28, 1);  // biYPelsPerMeter
  // biClrUsed and biClrImportant stay 0.

  uint8_t* pixels = h + kDibInfoHeaderBytes;
  for (size_t row = 0; row < height; ++row) {
    const uint32_t* src = frame + row * width;
    uint8_t* out = pixels + (height - 1 - row) * stride;
    for (size_t x = 0; x < width; ++x) {
      const uint32_t p = src[x];
      out[0] = static_cast<uint8_t>(p);
      out[1] = static_cast<uint8_t>(p >> 8);
      out[2] = static_cast<uint8_t>(p >> 16);
      out += 3;
    }
  }
  return block;
}

}  // namespace zentrov
