#include "video/pixel_convert.h"

#include <cstring>

#include "film/byte_view.h"

namespace zentrov {

namespace {

constexpr int kBlue = 0;
constexpr int kGreen = 1;
constexpr int kRed = 2;

constexpr uint32_t kCubeBase = 10;

// The 8-bit palette index of a 0x..RRGGBB pixel: each component's level
// floor(3C/128), 0..5, in the 6x6x6 cube above the reserved entries. Blue and
// red are scaled at once: each product fits in 10 bits, well clear of the
// other component 16 bits up.
inline uint32_t cubeIndex(uint32_t p) {
  const uint32_t rb = (p & 0x00FF00FFu) * 3u;
  const uint32_t g = (((p >> 8) & 0xFFu) * 3u) >> 7;
  return kCubeBase + 36u * ((rb >> 23) & 7u) + 6u * g + ((rb >> 7) & 7u);
}

// Index of the lowest and highest set bit; the mask must not be 0.
int lowestBit(uint32_t mask) {
  int i = 0;
  while ((mask & 1u) == 0) {
    mask >>= 1;
    ++i;
  }
  return i;
}
int highestBit(uint32_t mask) {
  int i = 31;
  while ((mask & 0x80000000u) == 0) {
    mask <<= 1;
    --i;
  }
  return i;
}

void shiftsFor(uint32_t mask, uint8_t& left, uint8_t& right) {
  if (mask == 0) {
    // A missing component contributes nothing: an 8-bit value shifted right
    // by 8 is 0.
    left = 0;
    right = 8;
    return;
  }
  const int low = lowestBit(mask);
  const int shift = 7 + low - highestBit(mask);
  left = static_cast<uint8_t>(low);
  // Masks wider than 8 bits keep the component's full 8 bits.
  right = static_cast<uint8_t>(shift < 0 ? 0 : shift);
}

struct Rows {
  const uint32_t* source;
  int32_t sourceStride;  // pixels
  uint8_t* dest;
  int32_t pitch;  // bytes
  int32_t width;
  int32_t height;
};

void convert8(const Rows& r) {
  const uint32_t* src = r.source;
  uint8_t* dst = r.dest;
  for (int32_t y = 0; y < r.height; ++y) {
    for (int32_t x = 0; x < r.width; ++x) dst[x] = static_cast<uint8_t>(cubeIndex(src[x]));
    src += r.sourceStride;
    dst += r.pitch;
  }
}

void convert555(const Rows& r) {
  const uint32_t* src = r.source;
  uint8_t* dst = r.dest;
  for (int32_t y = 0; y < r.height; ++y) {
    for (int32_t x = 0; x < r.width; ++x) {
      const uint32_t p = src[x];
      const uint32_t word = ((p >> 9) & 0x7C00u) | ((p >> 6) & 0x03E0u) | ((p >> 3) & 0x001Fu);
      storeLE16(dst + 2 * x, word);
    }
    src += r.sourceStride;
    dst += r.pitch;
  }
}

void convert565(const Rows& r) {
  const uint32_t* src = r.source;
  uint8_t* dst = r.dest;
  for (int32_t y = 0; y < r.height; ++y) {
    for (int32_t x = 0; x < r.width; ++x) {
      const uint32_t p = src[x];
      const uint32_t word = ((p >> 8) & 0xF800u) | ((p >> 5) & 0x07E0u) | ((p >> 3) & 0x001Fu);
      storeLE16(dst + 2 * x, word);
    }
    src += r.sourceStride;
    dst += r.pitch;
  }
}

void convertGeneric16(const Rows& r, const DisplayPixelFormat& format) {
  // Each triple packed in one word, blue in the low byte; a count is taken by
  // shifting the word by 8 per component.
  const uint32_t left = uint32_t{format.leftShift[kBlue]} |
                        (uint32_t{format.leftShift[kGreen]} << 8) |
                        (uint32_t{format.leftShift[kRed]} << 16);
  const uint32_t right = uint32_t{format.rightShift[kBlue]} |
                         (uint32_t{format.rightShift[kGreen]} << 8) |
                         (uint32_t{format.rightShift[kRed]} << 16);
  // Counts outside 0..31 would be undefined shifts; masking keeps every
  // count in range (the set-up never produces such counts).
  const uint32_t lb = left & 31u, lg = (left >> 8) & 31u, lr = (left >> 16) & 31u;
  const uint32_t rb = right & 31u, rg = (right >> 8) & 31u, rr = (right >> 16) & 31u;
  const uint32_t* src = r.source;
  uint8_t* dst = r.dest;
  for (int32_t y = 0; y < r.height; ++y) {
    for (int32_t x = 0; x < r.width; ++x) {
      const uint32_t p = src[x];
      const uint32_t word = (((p & 0xFFu) >> rb) << lb) | ((((p >> 8) & 0xFFu) >> rg) << lg) |
                            ((((p >> 16) & 0xFFu) >> rr) << lr);
      storeLE16(dst + 2 * x, word);
    }
    src += r.sourceStride;
    dst += r.pitch;
  }
}

void convert24(const Rows& r) {
  const uint32_t* src = r.source;
  uint8_t* dst = r.dest;
  for (int32_t y = 0; y < r.height; ++y) {
    uint8_t* out = dst;
    for (int32_t x = 0; x < r.width; ++x) {
      const uint32_t p = src[x];
      out[0] = static_cast<uint8_t>(p);
      out[1] = static_cast<uint8_t>(p >> 8);
      out[2] = static_cast<uint8_t>(p >> 16);
      out += 3;
    }
    src += r.sourceStride;
    dst += r.pitch;
  }
}

void convert32(const Rows& r) {
  const uint32_t* src = r.source;
  uint8_t* dst = r.dest;
  const size_t rowBytes = static_cast<size_t>(r.width) * 4;
  for (int32_t y = 0; y < r.height; ++y) {
    std::memcpy(dst, src, rowBytes);
    src += r.sourceStride;
    dst += r.pitch;
  }
}

}  // namespace

void Initial24to16(DisplayPixelFormat& format, const PixelMasks& masks) {
  shiftsFor(masks.blue, format.leftShift[kBlue], format.rightShift[kBlue]);
  shiftsFor(masks.green, format.leftShift[kGreen], format.rightShift[kGreen]);
  shiftsFor(masks.red, format.leftShift[kRed], format.rightShift[kRed]);
}

void Check555or565(DisplayPixelFormat& format, const PixelMasks& masks) {
  if (format.formatCode <= 8 || format.formatCode >= 24) return;
  if (masks.red == 0x7C00u)
    format.formatCode = 15;
  else if (masks.red == 0xF800u)
    format.formatCode = 16;
  else
    format.formatCode = 17;
}

uint8_t colourCubeIndex(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint8_t>(
      cubeIndex((uint32_t{red} << 16) | (uint32_t{green} << 8) | uint32_t{blue}));
}

void convertFrame(const DisplayPixelFormat& format, const uint32_t* frame, int32_t frameWidth,
                  int32_t frameHeight, uint8_t* surface, int32_t pitch, int32_t surfaceWidth,
                  int32_t surfaceHeight) {
  Rows rows{frame,
            frameWidth,
            surface,
            pitch,
            frameWidth < surfaceWidth ? frameWidth : surfaceWidth,
            frameHeight < surfaceHeight ? frameHeight : surfaceHeight};
  if (rows.width <= 0 || rows.height <= 0) return;
  switch (format.formatCode) {
    case 8:
      convert8(rows);
      break;
    case 15:
      convert555(rows);
      break;
    case 16:
      convert565(rows);
      break;
    case 17:
      convertGeneric16(rows, format);
      break;
    case 24:
      convert24(rows);
      break;
    case 32:
      convert32(rows);
      break;
    default:
      break;  // a display format with no conversion keeps its surface as it was
  }
}

}  // namespace zentrov
