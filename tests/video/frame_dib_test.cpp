#include "video/frame_dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zentrov {
namespace {

uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + size_t(i)];
  return v;
}

TEST(FrameDib, HeaderBottomUpRowsZeroPaddingAndTrailer) {
  struct Case {
    int32_t width, height;
    size_t stride, size;
  };
  const Case cases[] = {
      {320, 224, 960, 215096}, {66, 5, 200, 1056}, {1, 3, 4, 68}, {4, 2, 12, 80}, {0, 0, 0, 56}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    // Every pixel different, with a fourth byte that must not show up anywhere.
    std::vector<uint32_t> frame(size_t(c.width) * c.height);
    for (size_t i = 0; i < frame.size(); ++i)
      frame[i] = 0xEE000000u | uint32_t(i / c.width) << 16 | uint32_t(i % c.width & 0xFF) << 8 |
                 uint32_t((i * 7) & 0xFF);
    const std::vector<uint8_t> dib = buildFrameDib(frame.data(), c.width, c.height);
    ASSERT_EQ(dib.size(), c.size);
    // biSize, biWidth, biHeight, biPlanes | biBitCount << 16, biCompression,
    // biSizeImage, biX/YPelsPerMeter, biClrUsed, biClrImportant.
    const uint32_t header[] = {
        40, uint32_t(c.width), uint32_t(c.height), 1 | 24 << 16, 0, 0, 1, 1, 0, 0};
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(le(dib, 4 * i, 4), header[i]) << "header word " << i;
    for (int32_t y = 0; y < c.height; ++y) {
      const size_t row = 40 + size_t(c.height - 1 - y) * c.stride;
      for (int32_t x = 0; x < c.width; ++x)
        ASSERT_EQ(le(dib, row + 3 * size_t(x), 3), frame[size_t(y) * c.width + x] & 0xFFFFFF)
            << x << "," << y;
      for (size_t pad = 3 * size_t(c.width); pad < c.stride; ++pad) ASSERT_EQ(dib[row + pad], 0);
    }
    for (size_t i = dib.size() - 16; i < dib.size(); ++i) ASSERT_EQ(dib[i], 0);
  }
}

}  // namespace
}  // namespace zentrov
