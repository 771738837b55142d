#pragma once
// A test-only Cinepak encoder for frames in the Saturn layout: a 12-byte frame
// header, then the chunks in the order added, unchecked, so malformed frames
// are easy to make.

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "codec/cinepak_decoder.h"

namespace zentrov::test {

struct CinepakEntry {  // four luminances in raster order, U and V
  uint8_t y[4] = {};
  int8_t u = 0, v = 0;
  static CinepakEntry grey(uint8_t y) { return {{y, y, y, y}, 0, 0}; }
};

// A 4x4 block: unchanged (inter chunks only), one V1 entry doubled, or four
// V4 entries (top-left, top-right, bottom-left, bottom-right).
enum class CinepakCode : uint8_t { kSkip, kV1, kV4 };
struct CinepakBlock {
  CinepakCode code = CinepakCode::kSkip;
  uint8_t index[4] = {};
  static CinepakBlock v1(uint8_t i) { return {CinepakCode::kV1, {i}}; }
  static CinepakBlock v4(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return {CinepakCode::kV4, {a, b, c, d}};
  }
};

// One chunk by its id: 0x10/0x11 key/inter strip of bottom/4 block rows of
// right/4 block columns, below the previous one; 0x20/0x22 full V4/V1
// codebook, 0x21/0x23 their selective updates (a 32-bit flag word per 32
// indices up to the last one updated); 0x30 intra, 0x31 inter, 0x32 V1-only
// vectors. Id 0: `tail` written as it is.
struct CinepakChunk {
  uint8_t id = 0;
  std::vector<CinepakEntry> entries = {};                  // full: from index 0
  std::vector<std::pair<int, CinepakEntry>> updates = {};  // selective: indices ascending
  std::vector<CinepakBlock> blocks = {};                   // raster order over the latest strip
  std::vector<uint8_t> tail = {};  // bytes after the chunk's content, counted in its size
  uint16_t bottom = 0, right = 0;
};

struct CinepakFrame {
  uint16_t width = 0, height = 0;  // in the frame header; the decoder does not read them
  std::vector<CinepakChunk> chunks = {};
  std::optional<uint32_t> length = {};  // bytes 1-3; by default the encoded size

  CinepakFrame& add(CinepakChunk chunk) { return chunks.push_back(std::move(chunk)), *this; }
  CinepakFrame& strip(uint16_t bottom, uint16_t right, bool key = true) {
    return add({uint8_t(key ? 0x10 : 0x11), {}, {}, {}, {}, bottom, right});
  }
  CinepakFrame& raw(std::vector<uint8_t> bytes) { return add({0, {}, {}, {}, bytes}); }
  CinepakFrame& v1Vectors(std::vector<uint8_t> indices) {
    std::vector<CinepakBlock> blocks;
    for (uint8_t i : indices) blocks.push_back(CinepakBlock::v1(i));
    return add({0x32, {}, {}, blocks});
  }
  std::vector<uint8_t> encode() const;
};

// A key frame whose every 4x4 block differs from its neighbours (V1 and V4
// blocks, strips of at most 64 rows); `seed` varies the picture.
CinepakFrame patternCinepakFrame(uint16_t width, uint16_t height, uint32_t seed);

}  // namespace zentrov::test
