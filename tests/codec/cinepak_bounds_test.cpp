// Damaged and hostile frames: every read stays inside the sample, every write
// inside the frame buffer, and decoding always ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/cinepak_encoder.h"

namespace zentrov::test {
namespace {

// Frames cut at every length, through each kernel set: a key frame of two
// strips; an inter frame whose codes straddle flag words; and a row whose
// last code starts in the last bit of a word read just before, so its block
// needs three words' worth of bytes at once.
TEST(CinepakBounds, EveryTruncationIsIncompleteAndDrawsOnlyTrueBlocks) {
  std::vector<CinepakEntry> entries;
  for (int i = 0; i < 256; ++i) {
    entries.push_back(cinepakEntry(uint8_t(i), uint8_t(i * 7), uint8_t(i * 13), uint8_t(~i)));
  }
  auto interFrame = [&](uint16_t width, uint16_t rows, const std::vector<CinepakBlock>& blocks) {
    CinepakFrame frame(width, rows);
    frame.strip(rows, width, false)
        .fullCodebook(CinepakBook::kV4, entries)
        .fullCodebook(CinepakBook::kV1, std::vector<CinepakEntry>(entries.rbegin(), entries.rend()))
        .interVectors(blocks);
    return frame;
  };
  // Rows of V4 blocks only, which read the most a row can, then a mix.
  std::vector<CinepakBlock> mixed;
  for (int n = 0; n < 8 * 18; ++n) {
    mixed.push_back(n % 7 == 3 && n >= 40 ? CinepakBlock{}
                    : n % 3 == 0 && n >= 40
                        ? v1Block(uint8_t(n))
                        : v4Block(uint8_t(n), uint8_t(n + 1), uint8_t(n * 3), 9));
  }
  // 16 V1 codes fill the first word; 31 unchanged blocks and a V4 code's
  // first bit fill the second.
  std::vector<CinepakBlock> late(16, v1Block(5));
  late.resize(47);
  late.push_back(v4Block(1, 2, 3, 4));
  const struct {
    CinepakFrame frame;
    int width, rows;
  } cases[] = {{patternCinepakFrame(32, 72, 5), 32, 72},
               {interFrame(32, 72, mixed), 32, 72},
               {interFrame(192, 4, late), 192, 4}};
  for (const auto& c : cases) {
    const std::vector<uint8_t> bytes = c.frame.encode();
    CinepakModel model(c.width, c.rows);
    model.apply(c.frame);
    for (auto kernels : {CinepakDecoder::Kernels::kPortable, CinepakDecoder::Kernels::kSse2}) {
      for (size_t length = 0; length <= bytes.size(); ++length) {
        CinepakCanvas canvas(c.width, size_t(c.width * c.rows));
        if (!canvas.decoder.useKernels(kernels)) break;
        ASSERT_EQ(canvas.decode(bytes, length), length == bytes.size() ? 0 : 1) << length;
        for (size_t i = 0; i < canvas.frame.size(); ++i) {
          if (canvas.at(i) != kUntouched) {
            ASSERT_EQ(canvas.at(i), model.pixels()[i]) << length;
          }
        }
      }
    }
  }
}

TEST(CinepakBounds, ChunkSizesBelowFourEndTheFrame) {
  for (int id : {0x20, 0x21, 0x22, 0x23, 0x30, 0x31, 0x32}) {
    for (uint8_t size = 0; size < 4; ++size) {
      CinepakFrame frame(16, 16);
      frame.strip(16, 16).raw({uint8_t(id), 0x00, 0x00, size}).raw(std::vector<uint8_t>(64, 0x11));
      CinepakCanvas canvas(16, 16 * 16);
      EXPECT_EQ(canvas.decode(frame.frameLength(0xFFFF).encode()), 1) << id << " " << int(size);
      // Refused before its content is read.
      EXPECT_EQ(std::count(canvas.frame.begin(), canvas.frame.end(), kUntouched), 256);
    }
  }
}

TEST(CinepakBounds, ArgumentsThatCannotHoldAFrame) {
  const std::vector<uint8_t> bytes = patternCinepakFrame(8, 8, 1).encode();
  std::vector<uint32_t> frame(64, kUntouched);
  CinepakDecoder decoder;
  EXPECT_EQ(decoder.decodeFrame(nullptr, bytes.size(), frame.data(), 64, 8), 1);
  EXPECT_EQ(decoder.decodeFrame(bytes.data(), bytes.size(), nullptr, 64, 8), 1);
  EXPECT_EQ(decoder.decodeFrame(bytes.data(), bytes.size(), frame.data(), 64, 0), 1);
  EXPECT_EQ(decoder.decodeFrame(bytes.data(), bytes.size(), frame.data(), 64, -8), 1);
  // A buffer smaller than one row: the frame decodes, nothing is drawn.
  CinepakCanvas canvas(8, 7);
  EXPECT_EQ(canvas.decode(bytes), 0);
  EXPECT_EQ(std::count(canvas.frame.begin(), canvas.frame.end(), kUntouched), 7);
}

TEST(CinepakBounds, CodebooksStopAtTheirLastEntry) {
  // A full V4 codebook of 300 entries and a selective one flagging 257
  // indices: nothing past index 255 lands anywhere, in particular not in
  // the neighbouring codebooks.
  std::vector<CinepakEntry> full;
  for (int i = 0; i < 300; ++i) full.push_back(greyEntry(i < 256 ? uint8_t(i) : uint8_t(200)));
  std::vector<std::pair<int, CinepakEntry>> updates;
  for (int i = 0; i < 256; ++i) updates.push_back({i, greyEntry(uint8_t(255 - i))});
  CinepakFrame frame(8, 8);
  frame.strip(4, 8)
      .fullCodebook(CinepakBook::kV1, {greyEntry(33)})
      .fullCodebook(CinepakBook::kV4, full)
      .selectiveCodebook(CinepakBook::kV4, updates,
                         {0xFF, 0xFF, 0xFF, 0xFF, 1, 1, 1, 1, 0, 0})  // index 256 flagged
      .intraVectors({v4Block(255, 255, 255, 255), v1Block(0)})
      .strip(4, 8)
      .intraVectors({v4Block(0, 0, 0, 0), v4Block(255, 255, 255, 255)});
  CinepakCanvas canvas(8, 64);
  ASSERT_EQ(canvas.decode(frame.encode()), 0);
  EXPECT_EQ(canvas.at(0, 0), 0x000000u);  // selective: entry 255 = 255 - 255
  EXPECT_EQ(canvas.at(4, 0), 0x212121u);  // V1 entry 0 untouched by the V4 chunks
  EXPECT_EQ(canvas.at(0, 4), 0x000000u);  // later-strip V4 entry 0 from the full chunk
  EXPECT_EQ(canvas.at(4, 4), 0xFFFFFFu);  // and entry 255: grey 255
}

// Strips wider or taller than the buffer draw the part that fits; a block
// cut by the right or bottom edge is drawn in part.
TEST(CinepakBounds, PicturesLargerThanTheBufferAreClipped) {
  struct Case {
    int width, rows;
    size_t extraPixels;  // a partial row at the end of the buffer, never drawn
    uint16_t pictureWidth, pictureRows;
    int stripRows;
  };
  const Case cases[] = {
      {70, 16, 0, 80, 16, 16},  // two columns of the last block inside
      {64, 10, 5, 64, 64, 64},  // 10 rows: the third block row in part
      {64, 40, 0, 64, 80, 16},  // later strips below the buffer
      {3, 9, 2, 8, 24, 12},     // narrower than one block
      {68, 8, 0, 72, 16, 8},    // wider by exactly one block
  };
  for (const Case& c : cases) {
    const CinepakFrame frame = patternCinepakFrame(c.pictureWidth, c.pictureRows, 9, c.stripRows);
    CinepakModel model(c.width, c.rows);
    model.apply(frame);
    CinepakCanvas canvas(c.width, size_t(c.width * c.rows) + c.extraPixels);
    ASSERT_EQ(canvas.decode(frame.encode()), 0) << c.width << "x" << c.rows;
    for (size_t i = 0; i < canvas.frame.size(); ++i) {
      const uint32_t expected = i < model.pixels().size() ? model.pixels()[i] : kUntouched;
      ASSERT_EQ(canvas.at(i), expected) << c.width << "x" << c.rows << " pixel " << i;
    }
  }
}

// Inside the sample, chunks read on past their end: a full codebook takes its
// cut last entry whole, a vector chunk its blocks' indices. The next chunk is
// still read from the end.
TEST(CinepakBounds, ChunksReadPastTheirEndWithinTheSample) {
  std::vector<CinepakEntry> entries;
  for (int i = 0; i < 0x33; ++i) entries.push_back(greyEntry(uint8_t(i)));
  CinepakFrame frame(4, 12);
  frame.strip(4, 4)
      .fullCodebook(CinepakBook::kV1, entries)
      .raw({0x32, 0x00, 0x00, 0x04})        // no room for the block's index...
      .raw({0x32, 0x00, 0x00, 0x05, 0x07})  // ...which is this chunk's first byte
      .strip(4, 4)
      // Entry 0 ends three bytes into the next chunk "32 00 00": Y 80 80 80 50.
      .fullCodebook(CinepakBook::kV1, {}, {0x50, 0x50, 0x50})
      .v1Vectors({0});
  CinepakCanvas canvas(4, 4 * 12);
  ASSERT_EQ(canvas.decode(frame.encode()), 0);
  EXPECT_EQ(canvas.at(0, 0), 0x323232u);
  EXPECT_EQ(canvas.at(0, 4), 0x070707u);
  EXPECT_EQ(canvas.at(0, 8), 0x505050u);
  EXPECT_EQ(canvas.at(3, 11), 0x323232u);
}

}  // namespace
}  // namespace zentrov::test
