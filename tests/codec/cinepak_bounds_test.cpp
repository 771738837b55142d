// Damaged and hostile frames: every read stays inside the sample, every write
// inside the frame buffer, and decoding always ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "codec/cinepak_decoder.h"
#include "support/cinepak_encoder.h"

namespace zentrov {
namespace {

using test::CinepakBook;
using test::CinepakFrame;
using test::CinepakModel;
using test::greyEntry;
using test::v4Block;

constexpr uint32_t kUntouched = 0xDEADBEEFu;

// The sample and the frame buffer in allocations of exactly their size, so
// the address sanitizer sees any access past either.
struct ExactBuffers {
  ExactBuffers(const std::vector<uint8_t>& bytes, size_t length, size_t framePixels)
      : sample(new uint8_t[length > 0 ? length : 1]),
        sampleLength(length),
        frame(new uint32_t[framePixels > 0 ? framePixels : 1]),
        pixels(framePixels) {
    std::copy(bytes.begin(), bytes.begin() + ptrdiff_t(length), sample.get());
    std::fill(frame.get(), frame.get() + framePixels, kUntouched);
  }
  int32_t decode(CinepakDecoder& decoder, int32_t width) {
    return decoder.decodeFrame(sample.get(), sampleLength, frame.get(), pixels, width);
  }
  std::unique_ptr<uint8_t[]> sample;
  size_t sampleLength;
  std::unique_ptr<uint32_t[]> frame;
  size_t pixels;
};

TEST(CinepakBounds, EveryTruncationIsIncompleteAndDrawsOnlyTrueBlocks) {
  const CinepakFrame frame = test::patternCinepakFrame(32, 72, 5);  // two strips
  const std::vector<uint8_t> bytes = frame.encode();
  CinepakModel model(32, 72);
  model.apply(frame);
  for (size_t length = 0; length <= bytes.size(); ++length) {
    CinepakDecoder decoder;
    ExactBuffers buffers(bytes, length, 32 * 72);
    ASSERT_EQ(buffers.decode(decoder, 32), length == bytes.size() ? 0 : 1) << length;
    for (size_t i = 0; i < buffers.pixels; ++i) {
      const uint32_t p = buffers.frame[i];
      if (p != kUntouched) {
        ASSERT_EQ(p & 0xFFFFFFu, model.pixels()[i]) << length << " @" << i;
      }
    }
  }
}

TEST(CinepakBounds, ChunkSizesBelowFourEndTheFrame) {
  for (uint8_t id : {uint8_t{0x20}, uint8_t{0x21}, uint8_t{0x22}, uint8_t{0x23}, uint8_t{0x30},
                     uint8_t{0x31}, uint8_t{0x32}}) {
    for (uint8_t size = 0; size < 4; ++size) {
      CinepakFrame frame(16, 16);
      frame.strip(16, 16)
          .raw({id, 0x00, 0x00, size})
          .raw(std::vector<uint8_t>(64, 0x11))
          .frameLength(0xFFFF);
      CinepakDecoder decoder;
      const std::vector<uint8_t> bytes = frame.encode();
      ExactBuffers buffers(bytes, bytes.size(), 16 * 16);
      EXPECT_EQ(buffers.decode(decoder, 16), 1) << int(id) << " size " << int(size);
      // Refused before its content is read.
      EXPECT_EQ(std::count(buffers.frame.get(), buffers.frame.get() + 256, kUntouched), 256);
    }
  }
}

TEST(CinepakBounds, ArgumentsThatCannotHoldAFrame) {
  const std::vector<uint8_t> bytes = test::solidCinepakFrame(8, 8, 1);
  std::vector<uint32_t> frame(64, kUntouched);
  CinepakDecoder decoder;
  EXPECT_EQ(decoder.decodeFrame(nullptr, bytes.size(), frame.data(), 64, 8), 1);
  EXPECT_EQ(decoder.decodeFrame(bytes.data(), bytes.size(), nullptr, 64, 8), 1);
  EXPECT_EQ(decoder.decodeFrame(bytes.data(), bytes.size(), frame.data(), 64, 0), 1);
  EXPECT_EQ(decoder.decodeFrame(bytes.data(), bytes.size(), frame.data(), 64, -8), 1);
  // A buffer smaller than one row: the frame decodes, nothing is drawn.
  EXPECT_EQ(decoder.decodeFrame(bytes.data(), bytes.size(), frame.data(), 7, 8), 0);
  EXPECT_EQ(frame[0], kUntouched);
}

TEST(CinepakBounds, CodebooksStopAtTheirLastEntry) {
  // A full V4 codebook of 300 entries and a selective one flagging 257
  // indices: nothing past index 255 lands anywhere, in particular not in
  // the neighbouring codebooks.
  std::vector<test::CinepakEntry> full;
  for (int i = 0; i < 300; ++i) full.push_back(greyEntry(i < 256 ? uint8_t(i) : uint8_t(200)));
  std::vector<std::pair<int, test::CinepakEntry>> updates;
  for (int i = 0; i < 256; ++i) updates.push_back({i, greyEntry(uint8_t(255 - i))});
  test::CinepakChunk selective;
  selective.kind = test::CinepakChunk::Kind::kSelectiveCodebook;
  selective.updates = updates;
  selective.tail = {0xFF, 0xFF, 0xFF, 0xFF, 1, 1, 1, 1, 0, 0};  // index 256 flagged
  CinepakFrame frame(8, 8);
  frame.strip(4, 8)
      .fullCodebook(CinepakBook::kV1, {greyEntry(33)})
      .fullCodebook(CinepakBook::kV4, full)
      .add(selective)
      .intraVectors({v4Block(255, 255, 255, 255), test::v1Block(0)})
      .strip(4, 8)
      .intraVectors({v4Block(0, 0, 0, 0), v4Block(255, 255, 255, 255)});
  CinepakDecoder decoder;
  std::vector<uint32_t> pixels(64, kUntouched);
  const std::vector<uint8_t> bytes = frame.encode();
  ASSERT_EQ(decoder.decodeFrame(bytes.data(), bytes.size(), pixels.data(), 64, 8), 0);
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x000000u);   // selective: entry 255 = 255 - 255
  EXPECT_EQ(pixels[4] & 0xFFFFFF, 0x212121u);   // V1 entry 0 untouched by the V4 chunks
  EXPECT_EQ(pixels[32] & 0xFFFFFF, 0x000000u);  // later-strip V4 entry 0 from the full chunk
  EXPECT_EQ(pixels[36] & 0xFFFFFF, 0xFFFFFFu);  // and entry 255: grey 255
}

// Strips wider or taller than the buffer draw the part that fits; a block
// cut by the right or bottom edge is drawn in part.
TEST(CinepakBounds, PicturesLargerThanTheBufferAreClipped) {
  struct Case {
    int width, rows;
    size_t extraPixels;  // a partial row at the end of the buffer, never drawn
    uint16_t stripBottom, stripRight;
    int strips;
  };
  const Case cases[] = {
      {70, 16, 0, 16, 80, 1},  // two columns of the last block inside
      {64, 10, 5, 64, 64, 1},  // 10 rows: the third block row in part
      {64, 40, 0, 16, 64, 5},  // later strips below the buffer
      {3, 9, 2, 12, 8, 2},     // narrower than one block
      {68, 8, 0, 8, 72, 2},    // wider by exactly one block
  };
  for (const Case& c : cases) {
    CinepakFrame frame(c.stripRight, uint16_t(c.stripBottom * c.strips));
    const CinepakFrame pattern = test::patternCinepakFrame(c.stripRight, c.stripBottom, 9);
    for (int s = 0; s < c.strips; ++s) {
      for (const test::CinepakChunk& chunk : pattern.chunks()) frame.add(chunk);
    }
    CinepakModel model(c.width, c.rows);
    model.apply(frame);
    const std::vector<uint8_t> bytes = frame.encode();
    const size_t pixels = size_t(c.width) * size_t(c.rows) + c.extraPixels;
    CinepakDecoder decoder;
    ExactBuffers buffers(bytes, bytes.size(), pixels);
    ASSERT_EQ(buffers.decode(decoder, c.width), 0) << c.width << "x" << c.rows;
    for (size_t i = 0; i < pixels; ++i) {
      const uint32_t expected = i < model.pixels().size() ? model.pixels()[i] : kUntouched;
      ASSERT_EQ(buffers.frame[i] == kUntouched ? kUntouched : buffers.frame[i] & 0xFFFFFFu,
                expected)
          << c.width << "x" << c.rows << " pixel " << i;
    }
  }
}

// Inside the sample, a vector chunk whose blocks need more bytes than its
// size gives reads on past its end; the next chunk is still read from the end.
TEST(CinepakBounds, VectorChunkReadsPastItsEndWithinTheSample) {
  CinepakFrame frame(4, 8);
  std::vector<test::CinepakEntry> entries;
  for (int i = 0; i < 0x33; ++i) entries.push_back(greyEntry(uint8_t(i)));
  frame.strip(4, 4)
      .fullCodebook(CinepakBook::kV1, entries)
      .raw({0x32, 0x00, 0x00, 0x04})         // no room for the block's index...
      .raw({0x32, 0x00, 0x00, 0x05, 0x07});  // ...which is this chunk's first byte
  CinepakDecoder decoder;
  std::vector<uint32_t> pixels(32, kUntouched);
  const std::vector<uint8_t> bytes = frame.encode();
  ASSERT_EQ(decoder.decodeFrame(bytes.data(), bytes.size(), pixels.data(), 32, 4), 0);
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x323232u);
  EXPECT_EQ(pixels[16] & 0xFFFFFF, 0x070707u);
}

}  // namespace
}  // namespace zentrov
