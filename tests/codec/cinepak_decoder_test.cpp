// The frame format: chunk sequence, colours, block layouts, codebook banks,
// flag words and the end of a frame.

#include <gtest/gtest.h>

#include <vector>

#include "codec/cinepak_decoder.h"
#include "support/cinepak_encoder.h"

namespace zentrov {
namespace {

using test::CinepakBook;
using test::cinepakEntry;
using test::CinepakFrame;
using test::CinepakModel;
using test::greyEntry;
using test::skipBlock;
using test::v1Block;
using test::v4Block;

constexpr uint32_t kUntouched = 0xDEADBEEFu;

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
  return (r << 16) | (g << 8) | b;
}
uint32_t grey(uint32_t y) {
  return rgb(y, y, y);
}

// A frame buffer pre-filled with a value no frame draws.
struct Canvas {
  Canvas(int w, int r) : width(w), pixels(size_t(w) * size_t(r), kUntouched) {}
  int32_t decode(CinepakDecoder& decoder, const std::vector<uint8_t>& sample) {
    return decoder.decodeFrame(sample.data(), sample.size(), pixels.data(), pixels.size(), width);
  }
  // Byte 3 of a pixel carries no meaning.
  uint32_t colour(int x, int y) const { return pixels[size_t(y * width + x)] & 0xFFFFFFu; }
  bool untouched(int x, int y) const { return pixels[size_t(y * width + x)] == kUntouched; }
  int width;
  std::vector<uint32_t> pixels;
};

constexpr uint8_t kWorkedFrame[] = {
    0x00, 0x00, 0x00, 0x27,              // flags; frame length 39: the end mark
    0x00, 0x04, 0x00, 0x04, 0x00, 0x01,  // width, height, strips: not read
    0x00, 0x00,                          // the two extra bytes of FILM frames
    0x10, 0x00, 0x00, 0x0C, 0x00, 0x00,  // strip header; top 0
    0x00, 0x00, 0x00, 0x04, 0x00, 0x04,  // left 0, bottom 4, right 4: one block
    0x22, 0x00, 0x00, 0x0A,              // full V1 codebook, 10 bytes
    0x10, 0x20, 0x30, 0x40, 0x00, 0x00,  // entry 0: Y 16 32 48 64, U 0, V 0
    0x32, 0x00, 0x00, 0x05, 0x00,        // V1-only vectors: block 0 from entry 0; ends at 39
};

TEST(CinepakDecoder, WorkedFrameDrawsFourGreyQuadrants) {
  const std::vector<uint8_t> frame(std::begin(kWorkedFrame), std::end(kWorkedFrame));
  // The test encoder writes the same bytes for the same description, but for
  // the strip's size field (not read), which it makes cover the whole strip.
  std::vector<uint8_t> encoded = CinepakFrame(4, 4)
                                     .strip(4, 4)
                                     .fullCodebook(CinepakBook::kV1, {cinepakEntry(16, 32, 48, 64)})
                                     .v1Vectors({0})
                                     .encode();
  EXPECT_EQ(encoded[15], 27);
  encoded[15] = 12;
  EXPECT_EQ(encoded, frame);

  CinepakDecoder decoder;
  Canvas canvas(8, 8);
  ASSERT_EQ(canvas.decode(decoder, frame), 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(canvas.colour(x, y), grey(16u * uint32_t(1 + (y / 2) * 2 + x / 2)))
          << x << "," << y;
    }
  }
  EXPECT_TRUE(canvas.untouched(4, 0));
  EXPECT_TRUE(canvas.untouched(0, 4));
}

TEST(CinepakDecoder, ColoursFollowTheIntegerWeights) {
  struct Case {
    uint8_t y;
    int8_t u, v;
    uint32_t expected;
  };
  const Case cases[] = {
      {128, 0, 0, grey(128)},
      {100, -1, 0, rgb(100, 100, 98)},
      {100, 0, -1, rgb(98, 100, 100)},
      {100, 1, 1, rgb(101, 98, 101)},
      {0, -128, 127, rgb(178, 0, 0)},
      {255, 127, -128, rgb(75, 255, 255)},
      {200, 50, -60, rgb(115, 225, 255)},
      {255, 0, 0, grey(255)},
      {0, 0, 0, grey(0)},
      {10, -128, -128, rgb(0, 145, 0)},
  };
  const int count = int(std::size(cases));
  std::vector<test::CinepakEntry> entries;
  std::vector<uint8_t> indices;
  for (const Case& c : cases) {
    entries.push_back(cinepakEntry(c.y, c.y, c.y, c.y, c.u, c.v));
    indices.push_back(uint8_t(indices.size()));
    EXPECT_EQ(CinepakModel::colour(c.y, c.u, c.v), c.expected) << int(c.y);
  }
  CinepakFrame frame(uint16_t(4 * count), 4);
  frame.strip(4, uint16_t(4 * count)).fullCodebook(CinepakBook::kV1, entries).v1Vectors(indices);
  CinepakDecoder decoder;
  Canvas canvas(4 * count, 4);
  ASSERT_EQ(canvas.decode(decoder, frame.encode()), 0);
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(canvas.colour(4 * i + 3, 3), cases[i].expected) << "case " << i;
  }
}

TEST(CinepakDecoder, BlockLayouts) {
  // Entry k (1..5) holds the greys 10k, 10k+1, 10k+2, 10k+3 in its four pixels.
  std::vector<test::CinepakEntry> entries(6);
  for (uint8_t k = 1; k <= 5; ++k) {
    entries[k] = cinepakEntry(uint8_t(10 * k), uint8_t(10 * k + 1), uint8_t(10 * k + 2),
                              uint8_t(10 * k + 3));
  }
  const uint32_t expected[3][4][4] = {
      // V4 from entries 1, 2, 3, 4: each entry one 2x2 quadrant.
      {{10, 11, 20, 21}, {12, 13, 22, 23}, {30, 31, 40, 41}, {32, 33, 42, 43}},
      // V1 from entry 5: each pixel doubled into a quadrant.
      {{50, 50, 51, 51}, {50, 50, 51, 51}, {52, 52, 53, 53}, {52, 52, 53, 53}},
      // V4 with four equal indices repeats one pattern.
      {{20, 21, 20, 21}, {22, 23, 22, 23}, {20, 21, 20, 21}, {22, 23, 22, 23}},
  };
  CinepakFrame frame(12, 4);
  frame.strip(4, 12)
      .fullCodebook(CinepakBook::kV4, entries)
      .fullCodebook(CinepakBook::kV1, entries)
      .intraVectors({v4Block(1, 2, 3, 4), v1Block(5), v4Block(2, 2, 2, 2)});
  CinepakDecoder decoder;
  Canvas canvas(16, 4);  // rows wider than the strip
  ASSERT_EQ(canvas.decode(decoder, frame.encode()), 0);
  for (int b = 0; b < 3; ++b) {
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(canvas.colour(4 * b + x, y), grey(expected[b][y][x]))
            << b << ":" << x << "," << y;
      }
    }
  }
  EXPECT_TRUE(canvas.untouched(12, 0));
}

TEST(CinepakDecoder, FullCodebookTakesItsLastEntryWholeFromBehindTheChunk) {
  // Three bytes of a second entry, completed by the next chunk's first three
  // bytes "32 00 00": Y 80 80 80 50, U 0, V 0.
  CinepakFrame frame(4, 4);
  frame.strip(4, 4)
      .fullCodebook(CinepakBook::kV1, {greyEntry(9)}, {0x50, 0x50, 0x50})
      .v1Vectors({1});
  CinepakDecoder decoder;
  Canvas canvas(4, 4);
  ASSERT_EQ(canvas.decode(decoder, frame.encode()), 0);
  EXPECT_EQ(canvas.colour(0, 0), grey(0x50));
  EXPECT_EQ(canvas.colour(3, 3), grey(0x32));
}

TEST(CinepakDecoder, StripEdgesRoundDownAndStripsStack) {
  // bottom 30 and right 318: 7 block rows of 79 blocks. The next strip starts
  // below them, at row 28.
  CinepakFrame frame(320, 40);
  frame.strip(30, 318)
      .fullCodebook(CinepakBook::kV1, {greyEntry(77), greyEntry(99)})
      .v1Vectors(std::vector<uint8_t>(7 * 79, 0))
      .strip(4, 4)
      .v1Vectors({1});
  CinepakDecoder decoder;
  Canvas canvas(320, 40);
  ASSERT_EQ(canvas.decode(decoder, frame.encode()), 0);
  EXPECT_EQ(canvas.colour(315, 27), grey(77));
  EXPECT_TRUE(canvas.untouched(316, 0));
  EXPECT_TRUE(canvas.untouched(4, 28));
  EXPECT_EQ(canvas.colour(3, 31), grey(99));
  EXPECT_TRUE(canvas.untouched(0, 32));
}

TEST(CinepakDecoder, OutputRowMovesWithEveryVectorChunk) {
  struct Case {
    const char* name;
    uint16_t bottom, right;  // the first strip, drawing nothing
    int expectedRow;         // where the following one-block strip lands
  };
  const Case cases[] = {
      {"no block columns: nothing drawn, the row still moves", 8, 0, 8},
      {"no block rows: the row stays", 0, 8, 0},
      {"three rows of width 2 (rounded down to 0 columns)", 12, 2, 12},
  };
  for (const Case& c : cases) {
    CinepakFrame frame(16, 16);
    frame.strip(c.bottom, c.right)
        .fullCodebook(CinepakBook::kV1, {greyEntry(5)})
        .v1Vectors({})
        .strip(4, 4)
        .v1Vectors({0});
    CinepakDecoder decoder;
    Canvas canvas(16, 16);
    ASSERT_EQ(canvas.decode(decoder, frame.encode()), 0) << c.name;
    for (int y = 0; y < 16; ++y) {
      const bool inBlock = y >= c.expectedRow && y < c.expectedRow + 4;
      EXPECT_EQ(canvas.untouched(0, y), !inBlock) << c.name << " row " << y;
    }
  }
}

TEST(CinepakDecoder, UnchangedInterBlocksKeepPixelsAndStillMoveTheRow) {
  CinepakDecoder decoder;
  Canvas canvas(8, 12);
  ASSERT_EQ(canvas.decode(decoder, test::solidCinepakFrame(8, 12, 60)), 0);
  CinepakFrame frame(8, 12);
  frame.strip(8, 8, false)
      .fullCodebook(CinepakBook::kV1, {greyEntry(200)})
      .interVectors({skipBlock(), skipBlock(), skipBlock(), skipBlock()})
      .strip(4, 8, false)
      .interVectors({v1Block(0), skipBlock()});
  ASSERT_EQ(canvas.decode(decoder, frame.encode()), 0);
  EXPECT_EQ(canvas.colour(7, 7), grey(60));
  EXPECT_EQ(canvas.colour(0, 8), grey(200));
  EXPECT_EQ(canvas.colour(4, 8), grey(60));
}

// Which codebook each strip draws from, over three frames. The model gives
// the same answers from the plain rules.
TEST(CinepakDecoder, CodebookBanksAcrossStripsAndFrames) {
  auto oneBlockStrip = [](CinepakFrame& f) -> CinepakFrame& { return f.strip(4, 4); };
  CinepakFrame a(4, 8);
  oneBlockStrip(a)
      .fullCodebook(CinepakBook::kV4, {greyEntry(10)})            // both banks
      .selectiveCodebook(CinepakBook::kV4, {{0, greyEntry(30)}})  // first-strip bank only
      .intraVectors({v4Block(0, 0, 0, 0)});                       // 30
  oneBlockStrip(a).intraVectors({v4Block(0, 0, 0, 0)});           // 10: full chunk's entry
  CinepakFrame b(4, 8);
  oneBlockStrip(b).intraVectors({v4Block(0, 0, 0, 0)});  // 30: first bank kept
  oneBlockStrip(b)
      .fullCodebook(CinepakBook::kV4, {greyEntry(40)})  // current is the later bank
      .intraVectors({v4Block(0, 0, 0, 0)});             // 40
  CinepakFrame c(4, 8);
  oneBlockStrip(c).intraVectors({v4Block(0, 0, 0, 0)});  // 30: untouched by b's later strip
  oneBlockStrip(c).intraVectors({v4Block(0, 0, 0, 0)});  // 40
  const uint32_t expected[3][2] = {{30, 10}, {30, 40}, {30, 40}};

  CinepakDecoder decoder;
  Canvas canvas(4, 8);
  CinepakModel model(4, 8);
  const CinepakFrame* frames[] = {&a, &b, &c};
  for (int f = 0; f < 3; ++f) {
    ASSERT_EQ(canvas.decode(decoder, frames[f]->encode()), 0);
    model.apply(*frames[f]);
    for (int strip = 0; strip < 2; ++strip) {
      EXPECT_EQ(canvas.colour(1, 4 * strip + 1), grey(expected[f][strip])) << f << "/" << strip;
      EXPECT_EQ(model.pixel(1, 4 * strip + 1), grey(expected[f][strip])) << f << "/" << strip;
    }
  }
}

// A selective update reads a flag word only while more than two bytes of the
// chunk remain; the loop goes on through zero flags without reading.
TEST(CinepakDecoder, SelectiveUpdateStopsTwoBytesBeforeItsEnd) {
  struct Case {
    std::vector<uint8_t> tail;  // after entry 0
    uint32_t expected;          // block 1, drawn from V1 entry 32
  };
  // The chunk is followed by "32 00 00 06 00 20" (block 0 from entry 0,
  // block 1 from entry 32) and one more byte, 0x07.
  const Case cases[] = {
      {{}, grey(9)},
      {{0xFF}, grey(9)},
      {{0xFF, 0xFF}, grey(9)},
      // Index 32 needs a new word: 80 00 00 | 32; entry 32 = 00 00 06 00 20 07.
      {{0x80, 0x00, 0x00}, CinepakModel::colour(0, 0x20, 0x07)},
      // The word 80 00 00 00; entry 32 = 32 00 00 06 00 20.
      {{0x80, 0x00, 0x00, 0x00}, CinepakModel::colour(0x32, 0x00, 0x20)},
  };
  for (const Case& c : cases) {
    CinepakFrame frame(8, 4);
    frame.strip(4, 8)
        .fullCodebook(CinepakBook::kV1, std::vector<test::CinepakEntry>(33, greyEntry(9)))
        .selectiveCodebook(CinepakBook::kV1, {{0, greyEntry(50)}}, c.tail)
        .v1Vectors({0, 32})
        .raw({0x07});
    CinepakDecoder decoder;
    Canvas canvas(8, 4);
    ASSERT_EQ(canvas.decode(decoder, frame.frameLength(0).encode()), 0);
    EXPECT_EQ(canvas.colour(0, 0), grey(50)) << c.tail.size();
    EXPECT_EQ(canvas.colour(4, 0), c.expected) << c.tail.size();
  }
}

// A code that starts in the last bit of a flag word ends in the first bit of
// the next word, which is read before the block's index bytes.
TEST(CinepakDecoder, InterCodesStraddleFlagWords) {
  struct Case {
    test::CinepakBlock block31, block32;
    std::vector<uint8_t> chunk;
  };
  const Case cases[] = {
      {v4Block(1, 2, 3, 4),
       v1Block(5),
       {
           0x31, 0x00, 0x00, 0x11,  // inter vectors, 17 bytes
           0x00, 0x00, 0x00, 0x01,  // blocks 0-30 unchanged, block 31 starts "1"
           0xC0, 0x00, 0x00, 0x00,  // block 31 ends "1": V4; block 32 "10": V1
           0x01, 0x02, 0x03, 0x04,  // block 31's indices
           0x05,                    // block 32's index
       }},
      {v1Block(5),
       v4Block(1, 2, 3, 4),
       {
           0x31, 0x00, 0x00, 0x11,  // inter vectors, 17 bytes
           0x00, 0x00, 0x00, 0x01,  // blocks 0-30 unchanged, block 31 starts "1"
           0x60, 0x00, 0x00, 0x00,  // block 31 ends "0": V1; block 32 "11": V4
           0x05,                    // block 31's index
           0x01, 0x02, 0x03, 0x04,  // block 32's indices
       }},
  };
  for (const Case& c : cases) {
    std::vector<test::CinepakBlock> blocks(31, skipBlock());
    blocks.push_back(c.block31);
    blocks.push_back(c.block32);
    CinepakFrame encoded(132, 4);
    encoded.interVectors(blocks);
    EXPECT_EQ(encoded.encode(), (CinepakFrame(132, 4).raw(c.chunk).encode()));

    std::vector<test::CinepakEntry> entries;
    for (uint8_t k = 0; k < 6; ++k) entries.push_back(greyEntry(uint8_t(10 * k)));
    CinepakFrame frame(132, 4);
    frame.strip(4, 132, false)
        .fullCodebook(CinepakBook::kV4, entries)
        .fullCodebook(CinepakBook::kV1, entries)
        .raw(c.chunk);
    CinepakDecoder decoder;
    Canvas canvas(132, 4);
    ASSERT_EQ(canvas.decode(decoder, frame.encode()), 0);
    EXPECT_TRUE(canvas.untouched(123, 3));
    CinepakModel model(132, 4);
    model.apply(CinepakFrame(132, 4)
                    .strip(4, 132)
                    .fullCodebook(CinepakBook::kV4, entries)
                    .fullCodebook(CinepakBook::kV1, entries)
                    .interVectors(blocks));
    for (int y = 0; y < 4; ++y) {
      for (int x = 124; x < 132; ++x)
        EXPECT_EQ(canvas.colour(x, y), model.pixel(x, y)) << x << "," << y;
    }
  }
}

TEST(CinepakDecoder, UnrecognisedIdsEndTheFrameKeepingWhatWasDrawn) {
  const uint8_t ids[][2] = {
      {0x24, 0x00},
      {0x25, 0x00},
      {0x26, 0x00},
      {0x27, 0x00},  // luminance-only codebooks
      {0x00, 0x00},
      {0x12, 0x00},
      {0x33, 0x00},
      {0xFF, 0x00},
      // Ids whose second byte carries size bits, as in frames over 64 KiB.
      {0x10, 0x01},
      {0x20, 0x01},
      {0x31, 0x02},
      {0x32, 0x80},
  };
  for (const auto& id : ids) {
    CinepakFrame frame(4, 8);
    frame.strip(4, 4)
        .fullCodebook(CinepakBook::kV1, {greyEntry(70)})
        .v1Vectors({0})
        .raw({id[0], id[1], 0x00, 0x05, 0x00})
        .strip(4, 4)
        .v1Vectors({0})
        .frameLength(0xFFFF);
    CinepakDecoder decoder;
    Canvas canvas(4, 8);
    EXPECT_EQ(canvas.decode(decoder, frame.encode()), 1) << int(id[0]) << " " << int(id[1]);
    EXPECT_EQ(canvas.colour(0, 0), grey(70));
    EXPECT_TRUE(canvas.untouched(0, 4));
  }
}

TEST(CinepakDecoder, EndMarkIsTheLow16BitsOfTheFrameLength) {
  // Two one-block strips; the first vector chunk ends at `first`, the frame at
  // `whole`, and an unrecognised id follows.
  CinepakFrame frame(4, 8);
  frame.strip(4, 4)
      .fullCodebook(CinepakBook::kV1, {greyEntry(1), greyEntry(2)})
      .v1Vectors({0})
      .strip(4, 4)
      .v1Vectors({1})
      .raw({0xFF, 0x00});
  const std::vector<size_t> offsets = frame.chunkOffsets();
  const uint32_t first = uint32_t(offsets[3]);
  const uint32_t whole = uint32_t(offsets[5]);
  struct Case {
    uint32_t length;
    int32_t result;
    bool secondStrip;
  };
  const Case cases[] = {
      {first, 0, false},
      {first - 1, 0, false},
      {0, 0, false},
      {first + 1, 0, true},
      {whole, 0, true},
      {whole + 1, 1, true},
      {0x10000 + first, 0, false},
      {0xFF0000 + whole, 0, true},
      {0x10000 + whole + 1, 1, true},
  };
  for (const Case& c : cases) {
    CinepakDecoder decoder;
    Canvas canvas(4, 8);
    EXPECT_EQ(canvas.decode(decoder, frame.frameLength(c.length).encode()), c.result) << c.length;
    EXPECT_EQ(canvas.colour(0, 0), grey(1)) << c.length;
    EXPECT_EQ(canvas.untouched(0, 4), !c.secondStrip) << c.length;
  }
}

}  // namespace
}  // namespace zentrov
