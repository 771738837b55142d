#include "video/frame_dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zentrov {
namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}
uint32_t le16(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at] | b[at + 1] << 8);
}

// Every pixel different, with a fourth byte that must not show up anywhere.
std::vector<uint32_t> numberedFrame(int32_t w, int32_t h) {
  std::vector<uint32_t> f(size_t(w) * h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      f[size_t(y) * w + x] = 0xEE000000u | uint32_t(y) << 16 | uint32_t(x & 0xFF) << 8 |
                             uint32_t((x * 7 + y * 3) & 0xFF);
  return f;
}

TEST(FrameDib, HeaderFieldsFor320x224) {
  std::vector<uint32_t> frame = numberedFrame(320, 224);
  std::vector<uint8_t> dib = buildFrameDib(frame.data(), 320, 224);
  ASSERT_EQ(dib.size(), 215096u);
  struct Field {
    const char* name;
    size_t offset;
    int width;
    uint32_t value;
  };
  const Field fields[] = {
      {"biSize", 0, 4, 40},      {"biWidth", 4, 4, 320},        {"biHeight", 8, 4, 224},
      {"biPlanes", 12, 2, 1},    {"biBitCount", 14, 2, 24},     {"biCompression", 16, 4, 0},
      {"biSizeImage", 20, 4, 0}, {"biXPelsPerMeter", 24, 4, 1}, {"biYPelsPerMeter", 28, 4, 1},
      {"biClrUsed", 32, 4, 0},   {"biClrImportant", 36, 4, 0},
  };
  for (const Field& f : fields)
    EXPECT_EQ(f.width == 4 ? le32(dib, f.offset) : le16(dib, f.offset), f.value) << f.name;
}

TEST(FrameDib, RowsBottomUpPaddedWithZeros) {
  struct Case {
    int32_t width, height;
    size_t stride;
  };
  const Case cases[] = {{66, 5, 200}, {1, 3, 4}, {2, 2, 8}, {3, 1, 12}, {4, 2, 12}, {320, 2, 960}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    std::vector<uint32_t> frame = numberedFrame(c.width, c.height);
    std::vector<uint8_t> dib = buildFrameDib(frame.data(), c.width, c.height);
    ASSERT_EQ(dib.size(), 56 + c.stride * size_t(c.height));
    for (int32_t y = 0; y < c.height; ++y) {
      const size_t row = 40 + size_t(c.height - 1 - y) * c.stride;
      for (int32_t x = 0; x < c.width; ++x) {
        const uint32_t p = frame[size_t(y) * c.width + x];
        ASSERT_EQ(dib[row + 3 * x], uint8_t(p)) << x << "," << y;
        ASSERT_EQ(dib[row + 3 * x + 1], uint8_t(p >> 8)) << x << "," << y;
        ASSERT_EQ(dib[row + 3 * x + 2], uint8_t(p >> 16)) << x << "," << y;
      }
      for (size_t pad = 3 * size_t(c.width); pad < c.stride; ++pad) ASSERT_EQ(dib[row + pad], 0);
    }
    for (size_t i = dib.size() - 16; i < dib.size(); ++i) ASSERT_EQ(dib[i], 0);
  }
}

TEST(FrameDib, EmptyFrameIsHeaderAndTrailer) {
  std::vector<uint8_t> dib = buildFrameDib(nullptr, 0, 0);
  ASSERT_EQ(dib.size(), 56u);
  EXPECT_EQ(le32(dib, 0), 40u);
  EXPECT_EQ(le32(dib, 4), 0u);
  EXPECT_EQ(le32(dib, 8), 0u);
}

}  // namespace
}  // namespace zentrov
