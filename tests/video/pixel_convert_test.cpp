#include "video/pixel_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace zentrov {
namespace {

constexpr uint8_t kGuard = 0xEE;

uint32_t pixel(uint8_t r, uint8_t g, uint8_t b, uint8_t extra = 0) {
  return (uint32_t{extra} << 24) | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

DisplayPixelFormat formatFor(int32_t depth, const PixelMasks& masks) {
  DisplayPixelFormat f;
  f.formatCode = depth;
  Initial24to16(f, masks);
  Check555or565(f, masks);
  return f;
}

const PixelMasks k565{0xF800, 0x07E0, 0x001F};
const PixelMasks k555{0x7C00, 0x03E0, 0x001F};
const PixelMasks kBgr565{0x001F, 0x07E0, 0xF800};

// One pixel through convertFrame, as the surface's first 16-bit word.
uint16_t convertOne16(const DisplayPixelFormat& f, uint32_t p) {
  uint8_t out[2] = {};
  convertFrame(f, &p, 1, 1, out, 2, 1, 1);
  return uint16_t(out[0] | (out[1] << 8));
}

TEST(ColourCube, IndexOfKnownColours) {
  struct Case {
    uint8_t r, g, b, index;
  };
  const Case cases[] = {
      {0, 0, 0, 10},    {255, 255, 255, 225}, {42, 85, 127, 18}, {43, 86, 128, 61},
      {255, 0, 0, 190}, {0, 255, 0, 40},      {0, 0, 255, 15},   {128, 128, 128, 139},
  };
  DisplayPixelFormat f;
  f.formatCode = 8;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.r) << "," << int(c.g) << "," << int(c.b));
    EXPECT_EQ(colourCubeIndex(c.r, c.g, c.b), c.index);
    uint32_t p = pixel(c.r, c.g, c.b, 0xA5);
    uint8_t out = 0;
    convertFrame(f, &p, 1, 1, &out, 1, 1, 1);
    EXPECT_EQ(out, c.index);
  }
}

TEST(PixelFormat, ShiftTablesFromMasks) {
  struct Case {
    const char* name;
    PixelMasks masks;
    uint8_t left[3], right[3];  // blue, green, red
  };
  const Case cases[] = {
      {"5-6-5", k565, {0, 5, 11}, {3, 2, 3}},
      {"5-5-5", k555, {0, 5, 10}, {3, 3, 3}},
      {"blue high", kBgr565, {11, 5, 0}, {3, 2, 3}},
      {"4-4-4", {0x0F00, 0x00F0, 0x000F}, {0, 4, 8}, {4, 4, 4}},
      {"8-8-8", {0xFF0000, 0xFF00, 0xFF}, {0, 8, 16}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DisplayPixelFormat f;
    Initial24to16(f, c.masks);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(f.leftShift[i], c.left[i]) << i;
      EXPECT_EQ(f.rightShift[i], c.right[i]) << i;
    }
  }
}

TEST(PixelFormat, ClassificationByRedMask) {
  struct Case {
    int32_t code;
    uint32_t red;
    int32_t expected;
  };
  const Case cases[] = {
      {16, 0x7C00, 15},
      {16, 0xF800, 16},
      {16, 0x001F, 17},
      {15, 0x7C00, 15},
      {12, 0xF800, 16},
      {9, 0x0F00, 17},
      {23, 0x7C00, 15},
      // Refined again on every set-up from the new masks.
      {15, 0xF800, 16},
      {17, 0x7C00, 15},
      {16, 0x0F00, 17},
      // 8 bits and less, and 24 and more, are never refined.
      {8, 0x7C00, 8},
      {4, 0xF800, 4},
      {24, 0x7C00, 24},
      {32, 0xF800, 32},
  };
  for (const Case& c : cases) {
    DisplayPixelFormat f;
    f.formatCode = c.code;
    Check555or565(f, PixelMasks{c.red, 0, 0});
    EXPECT_EQ(f.formatCode, c.expected) << c.code << " red " << std::hex << c.red;
  }
}

TEST(PixelFormat, SixteenBitValues) {
  struct Case {
    const char* name;
    PixelMasks masks;
    int32_t code;
    uint32_t in;
    uint16_t out;
  };
  const Case cases[] = {
      {"5-5-5 white", k555, 15, pixel(255, 255, 255), 0x7FFF},
      {"5-5-5 grey", k555, 15, pixel(128, 128, 128), 0x4210},
      {"5-6-5 white", k565, 16, pixel(255, 255, 255), 0xFFFF},
      {"5-6-5 grey", k565, 16, pixel(128, 128, 128), 0x8410},
      {"5-6-5 (200,100,50)", k565, 16, pixel(200, 100, 50), 0xCB26},
      {"blue-high red", kBgr565, 17, pixel(255, 0, 0), 0x001F},
      {"blue-high blue", kBgr565, 17, pixel(0, 0, 255), 0xF800},
      {"blue-high green", kBgr565, 17, pixel(0, 255, 0), 0x07E0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DisplayPixelFormat f = formatFor(16, c.masks);
    ASSERT_EQ(f.formatCode, c.code);
    EXPECT_EQ(convertOne16(f, c.in | 0xFF000000u), c.out);
  }
}

// The plain version: one pixel at a time, the format decided per pixel, the
// 16-bit words built from the masks themselves.
void referenceConvert(int32_t code, const PixelMasks& masks, const uint32_t* frame, int32_t fw,
                      int32_t fh, uint8_t* surface, int32_t pitch, int32_t sw, int32_t sh) {
  auto scaled = [](uint32_t value, uint32_t mask) -> uint32_t {
    if (mask == 0) return 0;
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
      uint8_t* row = surface + y * pitch;
      uint32_t word = 0;
      switch (code) {
        case 8:
          row[x] = uint8_t(10 + 36 * (3 * r / 128) + 6 * (3 * g / 128) + 3 * b / 128);
          continue;
        case 15:
          word = (uint32_t(r >> 3) << 10) | (uint32_t(g >> 3) << 5) | (b >> 3);
          break;
        case 16:
          word = (uint32_t(r >> 3) << 11) | (uint32_t(g >> 2) << 5) | (b >> 3);
          break;
        case 17:
          word = scaled(r, masks.red) | scaled(g, masks.green) | scaled(b, masks.blue);
          break;
        case 24:
          row[3 * x] = b, row[3 * x + 1] = g, row[3 * x + 2] = r;
          continue;
        case 32:
          for (int i = 0; i < 4; ++i) row[4 * x + i] = uint8_t(p >> (8 * i));
          continue;
        default:
          continue;
      }
      row[2 * x] = uint8_t(word);
      row[2 * x + 1] = uint8_t(word >> 8);
    }
  }
}

TEST(ConvertFrame, MatchesPlainVersionForEveryCode) {
  struct Format {
    int32_t depth;
    PixelMasks masks;
    int32_t code;
    int bytes;
  };
  const Format formats[] = {
      {8, {}, 8, 1},
      {16, k555, 15, 2},
      {16, k565, 16, 2},
      {16, kBgr565, 17, 2},
      {16, {0x0F00, 0x00F0, 0x000F}, 17, 2},
      {12, {0x0E00, 0x01F8, 0x0007}, 17, 2},
      {24, {}, 24, 3},
      {32, {}, 32, 4},
  };
  struct Shape {
    const char* name;
    int32_t fw, fh, sw, sh, extraPitch;
  };
  const Shape shapes[] = {
      {"exact surface", 40, 30, 40, 30, 0},
      {"pitch longer than the row", 33, 17, 40, 20, 13},
      {"frame wider and taller than the surface", 50, 37, 31, 23, 7},
      {"frame wider only", 64, 8, 60, 20, 0},
      {"one pixel", 1, 1, 5, 5, 3},
  };
  std::mt19937 rng(42);
  for (const Format& fmt : formats) {
    DisplayPixelFormat f = formatFor(fmt.depth, fmt.masks);
    ASSERT_EQ(f.formatCode, fmt.code);
    for (const Shape& s : shapes) {
      SCOPED_TRACE(testing::Message() << "code " << fmt.code << ", " << s.name);
      std::vector<uint32_t> frame(size_t(s.fw) * s.fh);
      for (uint32_t& p : frame) p = uint32_t(rng());
      const int32_t pitch = s.sw * fmt.bytes + s.extraPitch;
      std::vector<uint8_t> fast(size_t(pitch) * s.sh + 16, kGuard), plain = fast;
      convertFrame(f, frame.data(), s.fw, s.fh, fast.data(), pitch, s.sw, s.sh);
      referenceConvert(fmt.code, fmt.masks, frame.data(), s.fw, s.fh, plain.data(), pitch, s.sw,
                       s.sh);
      ASSERT_EQ(fast, plain);
      // The untouched tail of a row really is untouched.
      if (s.extraPitch > 0) {
        EXPECT_EQ(fast[size_t(pitch) - 1], kGuard);
      }
    }
  }
}

TEST(ConvertFrame, OtherCodesAndEmptyFramesWriteNothing) {
  std::vector<uint32_t> frame(16 * 16, 0x00123456);
  struct Case {
    int32_t code, fw, fh, sw, sh;
  };
  const Case cases[] = {
      {1, 16, 16, 16, 16},  {4, 16, 16, 16, 16},  {0, 16, 16, 16, 16},
      {12, 16, 16, 16, 16}, {33, 16, 16, 16, 16}, {32, 0, 16, 16, 16},
      {32, 16, 0, 16, 16},  {32, -4, 16, 16, 16}, {32, 16, 16, 0, 16},
  };
  for (const Case& c : cases) {
    DisplayPixelFormat f;
    f.formatCode = c.code;
    std::vector<uint8_t> surface(16 * 16 * 4, kGuard);
    convertFrame(f, frame.data(), c.fw, c.fh, surface.data(), 64, c.sw, c.sh);
    EXPECT_EQ(surface, std::vector<uint8_t>(16 * 16 * 4, kGuard)) << "code " << c.code;
  }
}

}  // namespace
}  // namespace zentrov
