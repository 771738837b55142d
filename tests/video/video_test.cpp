// Frame conversion into every display format against a plain version built
// from the masks themselves, and the 24-bit DIB.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "video/frame_dib.h"
#include "video/pixel_convert.h"

namespace zentrov {
namespace {

using Bytes = std::vector<uint8_t>;

// One pixel at a time: the 8-bit index from the 6x6x6 cube above the 10
// reserved entries, 16-bit words from the masks, 24 and 32 bits as they are.
void plainConvert(int32_t code, const PixelMasks& masks, const uint32_t* frame, int32_t fw,
                  int32_t fh, uint8_t* surface, int32_t pitch, int32_t sw, int32_t sh) {
  auto scaled = [](uint32_t value, uint32_t mask) {
    int low = 0, high = 31;
    while (!(mask >> low & 1)) ++low;
    while (!(mask >> high & 1)) --high;
    return (high - low >= 7 ? value : value >> (7 - high + low)) << low;
  };
  for (int32_t y = 0; y < std::min(fh, sh); ++y) {
    for (int32_t x = 0; x < std::min(fw, sw); ++x) {
      const uint32_t p = frame[y * fw + x], b = p & 0xFF, g = p >> 8 & 0xFF, r = p >> 16 & 0xFF;
      uint8_t* out = surface + y * pitch;
      const uint32_t word = scaled(r, masks.red) | scaled(g, masks.green) | scaled(b, masks.blue);
      if (code == 8) out[x] = uint8_t(10 + 36 * (3 * r / 128) + 6 * (3 * g / 128) + 3 * b / 128);
      for (int i = 0; i < (code == 8 ? 0 : code < 24 ? 2 : code / 8); ++i)
        out[(code < 24 ? 2 : code / 8) * x + i] = uint8_t((code < 24 ? word : p) >> (8 * i));
    }
  }
}

TEST(ConvertFrame, MatchesThePlainVersionForEveryFormatAndClip) {
  const struct {
    int32_t depth;
    PixelMasks masks;
    int32_t code;  // as the display set-up refines it
  } formats[] = {{8, {0xE0, 0x1C, 0x03}, 8},         {16, {0x7C00, 0x03E0, 0x001F}, 15},
                 {16, {0xF800, 0x07E0, 0x001F}, 16}, {16, {0x001F, 0x07E0, 0xF800}, 17},
                 {12, {0x0E00, 0x01F8, 0x0007}, 17}, {23, {0x7C00, 0x03E0, 0x001F}, 15},
                 {24, {0xFF0000, 0xFF00, 0xFF}, 24}, {32, {0xFF0000, 0xFF00, 0xFF}, 32}};
  // Frame width and height, surface width and height, pitch beyond the row:
  // the guard bytes past each row and below the surface must stay.
  const int32_t shapes[][5] = {{40, 30, 40, 30, 0}, {33, 17, 40, 20, 13}, {50, 37, 31, 23, 7}};
  std::mt19937 rng(42);
  for (const auto& fmt : formats) {
    DisplayPixelFormat f;
    f.formatCode = fmt.depth;
    Initial24to16(f, fmt.masks);
    Check555or565(f, fmt.masks);
    ASSERT_EQ(f.formatCode, fmt.code) << fmt.depth;
    for (const auto& s : shapes) {
      std::vector<uint32_t> frame(size_t(s[0] * s[1]));
      for (uint32_t& p : frame) p = uint32_t(rng());
      const int32_t pitch = s[2] * (fmt.code == 8 ? 1 : fmt.code < 24 ? 2 : fmt.code / 8) + s[4];
      Bytes fast(size_t(pitch * s[3]) + 16, 0xEE), plain = fast;
      convertFrame(f, frame.data(), s[0], s[1], fast.data(), pitch, s[2], s[3]);
      plainConvert(fmt.code, fmt.masks, frame.data(), s[0], s[1], plain.data(), pitch, s[2], s[3]);
      ASSERT_EQ(fast, plain) << "code " << fmt.code << ", shape " << &s - shapes;
    }
  }
  // The 8-bit palette holds the cube colour at the index the conversion writes.
  for (uint32_t rgb = 0; rgb < 1u << 24; rgb += 0x0B0D11)
    ASSERT_EQ(colourCubeIndex(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)),
              10 + 36 * (3 * (rgb >> 16) / 128) + 6 * (3 * (rgb >> 8 & 0xFF) / 128) +
                  3 * (rgb & 0xFF) / 128)
        << std::hex << rgb;
  // Other codes and empty frames write nothing: code, frame width and
  // height, surface width.
  const std::vector<uint32_t> frame(16 * 16, 0x00123456);
  for (const auto& c :
       {std::array{0, 16, 16, 16}, std::array{12, 16, 16, 16}, std::array{33, 16, 16, 16},
        std::array{32, 0, 16, 16}, std::array{32, -4, 16, 16}, std::array{32, 16, 16, 0}}) {
    DisplayPixelFormat f;
    f.formatCode = c[0];
    Bytes surface(16 * 64, 0xEE);
    convertFrame(f, frame.data(), c[1], c[2], surface.data(), 64, c[3], 16);
    EXPECT_EQ(surface, Bytes(16 * 64, 0xEE)) << c[0] << " " << c[1] << " " << c[3];
  }
}

// The header, bottom-up rows of blue, green, red padded with zeros to 4
// bytes, and 16 zero bytes after them.
TEST(FrameDib, HeaderBottomUpPaddedRowsAndTrailer) {
  for (const auto& [width, height] : {std::pair{0, 0}, {1, 3}, {66, 5}, {4, 2}, {320, 224}}) {
    std::vector<uint32_t> frame(size_t(width * height));
    for (size_t i = 0; i < frame.size(); ++i)
      frame[i] = 0xEE000000u | uint32_t(i * 2654435761u >> 8);
    Bytes expected;  // the info header: 24 bits, uncompressed, 1 pixel per metre
    for (uint32_t v :
         {40u, uint32_t(width), uint32_t(height), 1u | 24u << 16, 0u, 0u, 1u, 1u, 0u, 0u})
      for (int i = 0; i < 4; ++i) expected.push_back(uint8_t(v >> 8 * i));
    for (int32_t y = height - 1; y >= 0; --y) {
      for (int32_t x = 0; x < width; ++x)
        for (int i = 0; i < 3; ++i)
          expected.push_back(uint8_t(frame[size_t(y * width + x)] >> 8 * i));
      expected.resize((expected.size() + 3) / 4 * 4, 0);
    }
    expected.resize(expected.size() + 16, 0);
    EXPECT_EQ(buildFrameDib(frame.data(), width, height), expected) << width << "x" << height;
  }
}

}  // namespace
}  // namespace zentrov
