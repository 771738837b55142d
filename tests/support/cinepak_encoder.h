#pragma once
// A test-only Cinepak encoder for frames in the Saturn layout: a 12-byte frame
// header, then strip headers, codebook and vector chunks in the order added,
// unchecked, so malformed frames are easy to make.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "codec/cinepak_decoder.h"

namespace zentrov::test {

// One codebook entry as stored: four luminances (in raster order), U and V.
struct CinepakEntry {
  uint8_t y[4] = {};
  int8_t u = 0, v = 0;
};
inline CinepakEntry cinepakEntry(uint8_t y0, uint8_t y1, uint8_t y2, uint8_t y3, int8_t u = 0,
                                 int8_t v = 0) {
  return CinepakEntry{{y0, y1, y2, y3}, u, v};
}
inline CinepakEntry greyEntry(uint8_t y) {
  return cinepakEntry(y, y, y, y);
}

// Valued as the offset of the kind's chunk ids from the V4 ones.
enum class CinepakBook : uint8_t { kV4 = 0, kV1 = 2 };

// A 4x4 block: unchanged (inter chunks only), one V1 entry doubled, or four
// V4 entries (top-left, top-right, bottom-left, bottom-right).
enum class CinepakCode : uint8_t { kSkip, kV1, kV4 };
struct CinepakBlock {
  CinepakCode code = CinepakCode::kSkip;
  uint8_t index[4] = {};
};
inline CinepakBlock v1Block(uint8_t index) {
  return CinepakBlock{CinepakCode::kV1, {index}};
}
inline CinepakBlock v4Block(uint8_t topLeft, uint8_t topRight, uint8_t bottomLeft,
                            uint8_t bottomRight) {
  return CinepakBlock{CinepakCode::kV4, {topLeft, topRight, bottomLeft, bottomRight}};
}

// One chunk by its id: 0x10/0x11 key/inter strip; 0x20/0x22 full V4/V1
// codebook, 0x21/0x23 their selective updates; 0x30 intra, 0x31 inter, 0x32
// V1-only vectors. Id 0: `tail` written as it is.
struct CinepakChunk {
  uint8_t id = 0;
  uint16_t bottom = 0, right = 0;
  std::vector<CinepakEntry> entries;                  // full: from index 0
  std::vector<std::pair<int, CinepakEntry>> updates;  // selective: indices ascending
  std::vector<CinepakBlock> blocks;                   // raster order over the latest strip
  std::vector<uint8_t> tail;  // bytes after the chunk's content, counted in its size
};

class CinepakFrame {
 public:
  // `width` and `height` go into the frame header (the decoder does not read them).
  CinepakFrame(uint16_t width, uint16_t height) : width_(width), height_(height) {}

  // A strip of bottom/4 block rows of right/4 block columns, below the previous one.
  CinepakFrame& strip(uint16_t bottom, uint16_t right, bool keyStrip = true) {
    return add({uint8_t(keyStrip ? 0x10 : 0x11), bottom, right, {}, {}, {}, {}});
  }
  CinepakFrame& fullCodebook(CinepakBook book, std::vector<CinepakEntry> entries,
                             std::vector<uint8_t> tail = {}) {
    return add({uint8_t(0x20 + uint8_t(book)), 0, 0, std::move(entries), {}, {}, std::move(tail)});
  }
  // A 32-bit flag word per 32 indices up to the last one updated.
  CinepakFrame& selectiveCodebook(CinepakBook book,
                                  std::vector<std::pair<int, CinepakEntry>> updates,
                                  std::vector<uint8_t> tail = {}) {
    return add({uint8_t(0x21 + uint8_t(book)), 0, 0, {}, std::move(updates), {}, std::move(tail)});
  }
  CinepakFrame& v1Vectors(const std::vector<uint8_t>& indices) {
    std::vector<CinepakBlock> blocks;
    for (uint8_t i : indices) blocks.push_back(v1Block(i));
    return add({0x32, 0, 0, {}, {}, std::move(blocks), {}});
  }
  CinepakFrame& raw(std::vector<uint8_t> bytes) { return add({0, 0, 0, {}, {}, {}, bytes}); }
  // Overrides the 24-bit frame length in bytes 1-3 (default: the encoded size).
  CinepakFrame& frameLength(uint32_t length) { return frameLength_ = length, *this; }
  CinepakFrame& add(CinepakChunk chunk) { return chunks_.push_back(std::move(chunk)), *this; }

  std::vector<uint8_t> encode() const;
  const std::vector<CinepakChunk>& chunks() const { return chunks_; }

 private:
  uint16_t width_, height_;
  std::optional<uint32_t> frameLength_;
  std::vector<CinepakChunk> chunks_;
};

// A key frame whose every 4x4 block differs from its neighbours (V1 and V4
// blocks from full codebooks in the first strip, strips of at most 64 rows);
// `seed` varies the picture.
CinepakFrame patternCinepakFrame(uint16_t width, uint16_t height, uint32_t seed);

}  // namespace zentrov::test
