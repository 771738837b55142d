#pragma once
// A test-only Cinepak encoder for frames in the Saturn layout (a 12-byte frame
// header, then one flat sequence of strip headers, codebook chunks and vector
// chunks), and a plain model of the picture a correct decoder draws from them.
//
//   CinepakFrame frame(64, 64);                    // header width and height
//   frame.strip(64, 64)                             // 16 block rows x 16 block columns
//       .fullCodebook(CinepakBook::kV1, {greyEntry(16)})
//       .v1Vectors(std::vector<uint8_t>(256, 0));   // every block from V1 entry 0
//   std::vector<uint8_t> bytes = frame.encode();    // one video sample
//
//   CinepakModel model(64, 64);                    // a 64 x 64 pixel frame buffer
//   model.apply(frame);                             // model.pixel(x, y): what the decoder shows
//
// Chunks are written in the order they are added; nothing is checked against
// the strip's size, so malformed frames are easy to make (or add raw bytes,
// or patch the result using chunkOffsets()). For a ready-made picture use
// solidCinepakFrame or patternCinepakFrame.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace zentrov::test {

// One codebook entry as stored: four luminances (top-left, top-right,
// bottom-left, bottom-right) and the blue and red differences.
struct CinepakEntry {
  uint8_t y[4] = {};
  int8_t u = 0;
  int8_t v = 0;
};
CinepakEntry greyEntry(uint8_t y);
CinepakEntry cinepakEntry(uint8_t y0, uint8_t y1, uint8_t y2, uint8_t y3, int8_t u = 0,
                          int8_t v = 0);

enum class CinepakBook { kV4, kV1 };

// What one 4x4 block does: stay unchanged (inter chunks only), one V1 entry
// doubled, or four V4 entries (top-left, top-right, bottom-left, bottom-right).
enum class CinepakCode : uint8_t { kSkip, kV1, kV4 };
struct CinepakBlock {
  CinepakCode code = CinepakCode::kSkip;
  uint8_t index[4] = {};
};
CinepakBlock skipBlock();
CinepakBlock v1Block(uint8_t index);
CinepakBlock v4Block(uint8_t topLeft, uint8_t topRight, uint8_t bottomLeft, uint8_t bottomRight);

struct CinepakChunk {
  enum class Kind {
    kStrip,              // 0x10 key strip, 0x11 inter strip
    kFullCodebook,       // 0x20 V4, 0x22 V1
    kSelectiveCodebook,  // 0x21 V4, 0x23 V1
    kIntraVectors,       // 0x30: every block V1 or V4, one flag bit each
    kInterVectors,       // 0x31: codes 0 unchanged, 10 V1, 11 V4
    kV1Vectors,          // 0x32: one index byte per block
    kRaw,                // `raw` written as it is
  };
  Kind kind = Kind::kRaw;
  // kStrip
  bool keyStrip = true;
  uint16_t top = 0, left = 0, bottom = 0, right = 0;
  // Codebooks
  CinepakBook book = CinepakBook::kV4;
  std::vector<CinepakEntry> entries;                  // full: from index 0
  std::vector<std::pair<int, CinepakEntry>> updates;  // selective: indices ascending, 0..255
  // Vector chunks (kV1Vectors uses index[0] of each block)
  std::vector<CinepakBlock> blocks;
  // Bytes placed inside the chunk after its content, counted in its size.
  std::vector<uint8_t> tail;
  std::vector<uint8_t> raw;
};

class CinepakFrame {
 public:
  // `width` and `height` go into the frame header (the decoder does not read them).
  CinepakFrame(uint16_t width, uint16_t height) : width_(width), height_(height) {}

  // A strip header with the given bottom and right edges (pixels): bottom/4
  // block rows of right/4 block columns, drawn below the previous strip.
  CinepakFrame& strip(uint16_t bottom, uint16_t right, bool keyStrip = true);
  CinepakFrame& fullCodebook(CinepakBook book, std::vector<CinepakEntry> entries,
                             std::vector<uint8_t> tail = {});
  // Selective update: a 32-bit flag word per 32 indices, each set bit followed
  // by its entry. `tail` adds bytes after the last entry (padding).
  CinepakFrame& selectiveCodebook(CinepakBook book,
                                  std::vector<std::pair<int, CinepakEntry>> updates,
                                  std::vector<uint8_t> tail = {});
  // Blocks in raster order over the latest strip; kSkip is refused by intraVectors.
  CinepakFrame& intraVectors(std::vector<CinepakBlock> blocks, std::vector<uint8_t> tail = {});
  CinepakFrame& interVectors(std::vector<CinepakBlock> blocks, std::vector<uint8_t> tail = {});
  CinepakFrame& v1Vectors(const std::vector<uint8_t>& indices, std::vector<uint8_t> tail = {});
  CinepakFrame& raw(std::vector<uint8_t> bytes);
  // Overrides the 24-bit frame length in bytes 1-3 (default: the encoded size).
  CinepakFrame& frameLength(uint32_t length);
  CinepakFrame& add(CinepakChunk chunk);

  std::vector<uint8_t> encode() const;
  // Where each chunk starts in encode()'s result, in the order added.
  std::vector<size_t> chunkOffsets() const;
  const std::vector<CinepakChunk>& chunks() const { return chunks_; }

 private:
  std::vector<uint8_t> encode(std::vector<size_t>* offsets) const;

  uint16_t width_;
  uint16_t height_;
  std::optional<uint32_t> frameLength_;
  std::vector<CinepakChunk> chunks_;
};

// The bytes of one chunk as encode() writes it (for building frames by hand).
std::vector<uint8_t> encodeChunk(const CinepakChunk& chunk);

// A key frame that paints the whole `width` x `height` picture (multiples of
// 4) with one colour: one strip, a one-entry V1 codebook and a V1-only chunk.
std::vector<uint8_t> solidCinepakFrame(uint16_t width, uint16_t height, uint8_t y, int8_t u = 0,
                                       int8_t v = 0);
// A key frame whose every 4x4 block differs from its neighbours (V1 and V4
// blocks, several strips of at most 64 rows); `seed` varies the picture.
CinepakFrame patternCinepakFrame(uint16_t width, uint16_t height, uint32_t seed);

// The picture a correct decoder draws, written plainly from the format's
// rules: two codebook banks per kind, the first strip of each frame drawing
// from the first-strip bank and later strips from the later-strip bank, full
// codebooks written to the current and the later-strip bank, strips stacked
// below each other, pixels outside the buffer not drawn. Frames must be well
// formed (no raw chunks; each vector chunk has one block per block of its strip).
class CinepakModel {
 public:
  CinepakModel(int frameWidth, int frameRows);

  void apply(const CinepakFrame& frame);
  uint32_t pixel(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
  const std::vector<uint32_t>& pixels() const { return pixels_; }

  // One pixel of the decoded frame, 0x00RRGGBB.
  static uint32_t colour(uint8_t y, int8_t u, int8_t v);

 private:
  void draw(const CinepakBlock& block, int blockX, int blockY);
  void put(int x, int y, uint32_t value);

  int width_;
  int rows_;
  std::vector<uint32_t> pixels_;
  // [kind][bank][index][pixel]: kind 0 V4, 1 V1; bank 0 first strip, 1 later strips.
  uint32_t books_[2][2][256][4] = {};
  int bank_ = 0;
  int blockRows_ = 0;
  int blockColumns_ = 0;
};

}  // namespace zentrov::test
