#pragma once
// A test-only Cinepak encoder for frames in the Saturn layout (a 12-byte frame
// header, then strip headers, codebook and vector chunks in the order added,
// unchecked, so malformed frames are easy to make), and a plain model of the
// picture a correct decoder draws from them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "codec/cinepak_decoder.h"

namespace zentrov::test {

// A pixel no frame draws: frame buffers start with it.
constexpr uint32_t kUntouched = 0xDEADBEEFu;

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

// Random well-formed frames `width` pixels wide: one to four strips of up to
// 40 rows, some wider or narrower than `width`; full and selective codebooks
// (some past index 255 or padded); every kind of vector chunk, inter ones with
// long runs of unchanged blocks, so codes straddle flag words.
class RandomCinepakFrames {
 public:
  explicit RandomCinepakFrames(uint32_t seed) : rng_(seed) {}
  CinepakFrame next(int width, int rows);
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(int percent) { return pick(1, 100) <= percent; }

 private:
  uint8_t byte() { return uint8_t(pick(0, 255)); }
  CinepakEntry entry();
  void codebook(CinepakFrame& frame, CinepakBook book);
  void vectors(CinepakFrame& frame, size_t blocks);

  std::mt19937 rng_;
};

// A decoder with a frame buffer of `pixels` pixels, rows `rowPixels` apart.
// decode() copies the sample's first `length` bytes, so that a read past them
// is seen (by the sanitizer, or by the pixels it draws).
struct CinepakCanvas {
  CinepakCanvas(int rowPixels, size_t pixels) : width(rowPixels), frame(pixels, kUntouched) {}
  int32_t decode(const std::vector<uint8_t>& sample, size_t length = SIZE_MAX);
  // A pixel as drawn, without byte 3 (it carries no meaning), or kUntouched.
  uint32_t at(size_t i) const { return frame[i] == kUntouched ? kUntouched : frame[i] & 0xFFFFFFu; }
  uint32_t at(int x, int y) const { return at(size_t(y) * size_t(width) + size_t(x)); }

  int width;
  std::vector<uint32_t> frame;
  CinepakDecoder decoder;
};

// The picture a correct decoder draws, written plainly: two codebook banks
// per kind (the first strip draws from the first, later strips from the
// second; full codebooks fill the current and the second), strips stacked,
// pixels outside the buffer not drawn, never-drawn ones kUntouched. Frames
// must be well formed (no raw chunks; one block per block of the strip).
class CinepakModel {
 public:
  CinepakModel(int frameWidth, int frameRows);

  void apply(const CinepakFrame& frame);
  const std::vector<uint32_t>& pixels() const { return pixels_; }
  int bottom() const { return bottom_; }  // the row below the last frame's last strip

  // One pixel of the decoded frame, 0x00RRGGBB.
  static uint32_t colour(uint8_t y, int8_t u, int8_t v);

 private:
  int width_, rows_, bottom_ = 0;
  std::vector<uint32_t> pixels_;
  // [kind][bank][index][pixel]: kind 0 V4, 1 V1; bank 0 first strip, 1 later strips.
  uint32_t books_[2][2][256][4] = {};
};

}  // namespace zentrov::test
