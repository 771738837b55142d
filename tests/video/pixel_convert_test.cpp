#include "video/pixel_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace zentrov {
namespace {

constexpr uint8_t kGuard = 0xEE;
const PixelMasks k565{0xF800, 0x07E0, 0x001F};
const PixelMasks k555{0x7C00, 0x03E0, 0x001F};
const PixelMasks kBgr565{0x001F, 0x07E0, 0xF800};

DisplayPixelFormat formatFor(int32_t depth, const PixelMasks& masks) {
  DisplayPixelFormat f;
  f.formatCode = depth;
  Initial24to16(f, masks);
  Check555or565(f, masks);
  return f;
}

TEST(PixelFormat, ColourCubeIndices) {
  const uint8_t cases[][4] = {{0, 0, 0, 10},     {255, 255, 255, 225}, {42, 85, 127, 18},
                              {43, 86, 128, 61}, {255, 0, 0, 190},     {0, 255, 0, 40},
                              {0, 0, 255, 15},   {128, 128, 128, 139}};
  for (const auto& c : cases)
    EXPECT_EQ(colourCubeIndex(c[0], c[1], c[2]), c[3])
        << int(c[0]) << "," << int(c[1]) << "," << int(c[2]);
}

TEST(PixelFormat, ShiftTablesFromMasks) {
  // Left shifts, then right shifts, each for blue, green and red.
  const std::pair<PixelMasks, std::vector<int>> cases[] = {
      {k565, {0, 5, 11, 3, 2, 3}},
      {k555, {0, 5, 10, 3, 3, 3}},
      {kBgr565, {11, 5, 0, 3, 2, 3}},
      {{0x0F00, 0x00F0, 0x000F}, {0, 4, 8, 4, 4, 4}},
      {{0xFF0000, 0xFF00, 0xFF}, {0, 8, 16, 0, 0, 0}},
      {{0xF800, 0x07E0, 0}, {0, 5, 11, 8, 2, 3}}};  // no blue: shifted right out of the byte
  for (const auto& [masks, shifts] : cases) {
    DisplayPixelFormat f;
    Initial24to16(f, masks);
    const uint8_t *l = f.leftShift, *r = f.rightShift;
    EXPECT_EQ(std::vector<int>({l[0], l[1], l[2], r[0], r[1], r[2]}), shifts)
        << std::hex << masks.red << " " << masks.green << " " << masks.blue;
  }
}

TEST(PixelFormat, ClassificationByRedMask) {
  // {code, red mask, result}: 9..23 bits are refined on every set-up, from
  // the new masks; 8 bits and less, and 24 and more, never are.
  const uint32_t cases[][3] = {{16, 0x7C00, 15}, {16, 0xF800, 16}, {16, 0x001F, 17},
                               {9, 0x0F00, 17},  {23, 0x7C00, 15}, {15, 0xF800, 16},
                               {17, 0x7C00, 15}, {8, 0x7C00, 8},   {24, 0x7C00, 24}};
  for (const auto& c : cases) {
    DisplayPixelFormat f;
    f.formatCode = int32_t(c[0]);
    Check555or565(f, PixelMasks{c[1], 0, 0});
    EXPECT_EQ(f.formatCode, int32_t(c[2])) << c[0] << " red " << std::hex << c[1];
  }
}

TEST(PixelFormat, SixteenBitValues) {
  struct Case {
    PixelMasks masks;
    int32_t code;
    uint32_t in;  // 0xXXRRGGBB
    uint16_t out;
  };
  const Case cases[] = {
      {k555, 15, 0xFFFFFFFFu, 0x7FFF},    {k555, 15, 0xFF808080u, 0x4210},
      {k565, 16, 0xFFFFFFFFu, 0xFFFF},    {k565, 16, 0xFF808080u, 0x8410},
      {k565, 16, 0xFFC86432u, 0xCB26},    {kBgr565, 17, 0xFFFF0000u, 0x001F},
      {kBgr565, 17, 0xFF0000FFu, 0xF800}, {kBgr565, 17, 0xFF00FF00u, 0x07E0},
  };
  for (const Case& c : cases) {
    const DisplayPixelFormat f = formatFor(16, c.masks);
    ASSERT_EQ(f.formatCode, c.code);
    uint8_t out[2] = {};
    convertFrame(f, &c.in, 1, 1, out, 2, 1, 1);
    EXPECT_EQ(out[0] | out[1] << 8, c.out) << "code " << c.code << std::hex << ", pixel " << c.in;
  }
}

// The plain version: one pixel at a time, every 16-bit word built from the
// masks themselves.
void referenceConvert(int32_t code, const PixelMasks& masks, const uint32_t* frame, int32_t fw,
                      int32_t fh, uint8_t* surface, int32_t pitch, int32_t sw, int32_t sh) {
  auto scaled = [](uint32_t value, uint32_t mask) -> uint32_t {
    int low = 0, high = 31;
    while (!(mask >> low & 1)) ++low;
    while (!(mask >> high & 1)) --high;
    const int width = high - low + 1;
    return (width >= 8 ? value : value >> (8 - width)) << low;
  };
  for (int32_t y = 0; y < std::min(fh, sh); ++y) {
    for (int32_t x = 0; x < std::min(fw, sw); ++x) {
      const uint32_t p = frame[y * fw + x];
      const uint8_t b = uint8_t(p), g = uint8_t(p >> 8), r = uint8_t(p >> 16);
      uint8_t* out = surface + y * pitch;
      if (code == 8) {
        out[x] = uint8_t(10 + 36 * (3 * r / 128) + 6 * (3 * g / 128) + 3 * b / 128);
      } else if (code == 24 || code == 32) {
        for (int i = 0; i < code / 8; ++i) out[code / 8 * x + i] = uint8_t(p >> (8 * i));
      } else {
        const uint32_t word = scaled(r, masks.red) | scaled(g, masks.green) | scaled(b, masks.blue);
        out[2 * x] = uint8_t(word);
        out[2 * x + 1] = uint8_t(word >> 8);
      }
    }
  }
}

TEST(ConvertFrame, MatchesPlainVersionForEveryCode) {
  struct Format {
    int32_t depth;
    PixelMasks masks;
    int32_t code;
  };
  const Format formats[] = {{8, {}, 8},
                            {16, k555, 15},
                            {16, k565, 16},
                            {16, kBgr565, 17},
                            {24, {}, 24},
                            {32, {}, 32},
                            {12, {0x0E00, 0x01F8, 0x0007}, 17}};
  // {frame width, height, surface width, height, pitch beyond the row}; the
  // guard bytes past each row and below the surface must stay as they were.
  const int32_t shapes[][5] = {{40, 30, 40, 30, 0}, {33, 17, 40, 20, 13}, {50, 37, 31, 23, 7}};
  std::mt19937 rng(42);
  for (const Format& fmt : formats) {
    const DisplayPixelFormat f = formatFor(fmt.depth, fmt.masks);
    ASSERT_EQ(f.formatCode, fmt.code);
    for (const auto& s : shapes) {
      SCOPED_TRACE(testing::Message() << "code " << fmt.code << ", shape " << &s - shapes);
      std::vector<uint32_t> frame(size_t(s[0]) * s[1]);
      for (uint32_t& p : frame) p = uint32_t(rng());
      const int32_t pitch = s[2] * (fmt.code == 8 ? 1 : fmt.code < 24 ? 2 : fmt.code / 8) + s[4];
      std::vector<uint8_t> fast(size_t(pitch) * s[3] + 16, kGuard), plain = fast;
      convertFrame(f, frame.data(), s[0], s[1], fast.data(), pitch, s[2], s[3]);
      referenceConvert(fmt.code, fmt.masks, frame.data(), s[0], s[1], plain.data(), pitch, s[2],
                       s[3]);
      ASSERT_EQ(fast, plain);
    }
  }
}

TEST(ConvertFrame, OtherCodesAndEmptyFramesWriteNothing) {
  const std::vector<uint32_t> frame(16 * 16, 0x00123456);
  // {code, frame width, frame height, surface width}
  const int32_t cases[][4] = {{0, 16, 16, 16}, {4, 16, 16, 16}, {12, 16, 16, 16}, {33, 16, 16, 16},
                              {32, 0, 16, 16}, {32, 16, 0, 16}, {32, -4, 16, 16}, {32, 16, 16, 0}};
  for (const auto& c : cases) {
    DisplayPixelFormat f;
    f.formatCode = c[0];
    std::vector<uint8_t> surface(16 * 64, kGuard);
    convertFrame(f, frame.data(), c[1], c[2], surface.data(), 64, c[3], 16);
    EXPECT_EQ(surface, std::vector<uint8_t>(16 * 64, kGuard))
        << "code " << c[0] << ", " << c[1] << "x" << c[2] << " into " << c[3];
  }
}

}  // namespace
}  // namespace zentrov
