// The frame format: chunk sequence, colours, block layouts, codebook banks,
// flag words and the end of a frame.

#include <gtest/gtest.h>

#include <vector>

#include "support/cinepak_encoder.h"

namespace zentrov::test {
namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
  return (r << 16) | (g << 8) | b;
}
uint32_t grey(uint32_t y) {
  return rgb(y, y, y);
}

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
  EXPECT_EQ(CinepakFrame(4, 4)
                .strip(4, 4)
                .fullCodebook(CinepakBook::kV1, {cinepakEntry(16, 32, 48, 64)})
                .v1Vectors({0})
                .encode(),
            frame);
  CinepakCanvas canvas(8, 8 * 8);
  ASSERT_EQ(canvas.decode(frame), 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(canvas.at(x, y), grey(16u * uint32_t(1 + (y / 2) * 2 + x / 2))) << x << y;
    }
  }
  EXPECT_EQ(canvas.at(4, 0), kUntouched);
  EXPECT_EQ(canvas.at(0, 4), kUntouched);
}

TEST(CinepakDecoder, ColoursFollowTheIntegerWeights) {
  struct Case {
    uint8_t y;
    int8_t u, v;
    uint32_t expected;
  };
  const Case cases[] = {{128, 0, 0, grey(128)},
                        {100, -1, 0, rgb(100, 100, 98)},
                        {100, 0, -1, rgb(98, 100, 100)},
                        {100, 1, 1, rgb(101, 98, 101)},
                        {0, -128, 127, rgb(178, 0, 0)},
                        {255, 127, -128, rgb(75, 255, 255)},
                        {200, 50, -60, rgb(115, 225, 255)},
                        {10, -128, -128, rgb(0, 145, 0)}};
  const int count = int(std::size(cases));
  std::vector<CinepakEntry> entries;
  std::vector<uint8_t> indices;
  for (const Case& c : cases) {
    entries.push_back(cinepakEntry(c.y, c.y, c.y, c.y, c.u, c.v));
    indices.push_back(uint8_t(indices.size()));
    EXPECT_EQ(CinepakModel::colour(c.y, c.u, c.v), c.expected) << int(c.y);
  }
  CinepakFrame frame(uint16_t(4 * count), 4);
  frame.strip(4, uint16_t(4 * count)).fullCodebook(CinepakBook::kV1, entries).v1Vectors(indices);
  CinepakCanvas canvas(4 * count, size_t(16 * count));
  ASSERT_EQ(canvas.decode(frame.encode()), 0);
  for (int i = 0; i < count; ++i) EXPECT_EQ(canvas.at(4 * i + 3, 3), cases[i].expected) << i;
}

// V4 draws each of its four entries as one 2x2 quadrant (V1 layout: above).
TEST(CinepakDecoder, V4BlockLayout) {
  // Entry k (1..4) holds the greys 10k, 10k+1, 10k+2, 10k+3 in its four pixels.
  std::vector<CinepakEntry> entries(5);
  for (uint8_t k = 1; k <= 4; ++k) {
    entries[k] = cinepakEntry(uint8_t(10 * k), uint8_t(10 * k + 1), uint8_t(10 * k + 2),
                              uint8_t(10 * k + 3));
  }
  const uint32_t expected[4][4] = {
      {10, 11, 20, 21}, {12, 13, 22, 23}, {30, 31, 40, 41}, {32, 33, 42, 43}};
  CinepakFrame frame(4, 4);
  frame.strip(4, 4).fullCodebook(CinepakBook::kV4, entries).intraVectors({v4Block(1, 2, 3, 4)});
  CinepakCanvas canvas(8, 8 * 4);  // rows wider than the strip
  ASSERT_EQ(canvas.decode(frame.encode()), 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(canvas.at(x, y), grey(expected[y][x])) << x << y;
  }
  EXPECT_EQ(canvas.at(4, 0), kUntouched);
}

// Which codebook each strip draws from, over three frames; the model gives
// the same answers from the plain rules.
TEST(CinepakDecoder, CodebookBanksAcrossStripsAndFrames) {
  const auto block0 = std::vector<CinepakBlock>{v4Block(0, 0, 0, 0)};
  CinepakFrame a(4, 8), b(4, 8), c(4, 8);
  a.strip(4, 4)
      .fullCodebook(CinepakBook::kV4, {greyEntry(10)})            // both banks
      .selectiveCodebook(CinepakBook::kV4, {{0, greyEntry(30)}})  // first-strip bank only
      .intraVectors(block0)                                       // 30
      .strip(4, 4)
      .intraVectors(block0);  // 10: the full chunk's entry

  // 30: the first bank kept; then 40, written into the current (later) bank.
  b.strip(4, 4).intraVectors(block0).strip(4, 4);
  b.fullCodebook(CinepakBook::kV4, {greyEntry(40)}).intraVectors(block0);

  // 30 and 40: the first bank untouched by b's later strip.
  c.strip(4, 4).intraVectors(block0).strip(4, 4).intraVectors(block0);
  const uint32_t expected[3][2] = {{30, 10}, {30, 40}, {30, 40}};

  CinepakCanvas canvas(4, 4 * 8);
  CinepakModel model(4, 8);
  const CinepakFrame* frames[] = {&a, &b, &c};
  for (int f = 0; f < 3; ++f) {
    ASSERT_EQ(canvas.decode(frames[f]->encode()), 0);
    model.apply(*frames[f]);
    for (int strip = 0; strip < 2; ++strip) {
      EXPECT_EQ(canvas.at(1, 4 * strip + 1), grey(expected[f][strip])) << f << "/" << strip;
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
        .fullCodebook(CinepakBook::kV1, std::vector<CinepakEntry>(33, greyEntry(9)))
        .selectiveCodebook(CinepakBook::kV1, {{0, greyEntry(50)}}, c.tail)
        .v1Vectors({0, 32})
        .raw({0x07});
    CinepakCanvas canvas(8, 8 * 4);
    ASSERT_EQ(canvas.decode(frame.frameLength(0).encode()), 0);
    EXPECT_EQ(canvas.at(0, 0), grey(50)) << c.tail.size();
    EXPECT_EQ(canvas.at(4, 0), c.expected) << c.tail.size();
  }
}

// A code that starts in the last bit of a flag word ends in the first bit of
// the next word, which is read before the block's index bytes. Once near the
// sample's end and once with spare bytes behind the chunk.
TEST(CinepakDecoder, InterCodesStraddleFlagWords) {
  const std::vector<uint8_t> chunk = {
      0x31, 0x00, 0x00, 0x1A,  // inter vectors, 26 bytes
      0x00, 0x00, 0x00, 0x01,  // blocks 0-30 unchanged, block 31 starts "1"
      0xC0, 0x00, 0x00, 0x01,  // 31 ends "1": V4; 32 "10": V1; 33-60 unchanged; 61 starts "1"
      0x01, 0x02, 0x03, 0x04,  // block 31's indices
      0x05,                    // block 32's index
      0x60, 0x00, 0x00, 0x00,  // 61 ends "0": V1; 62 "11": V4
      0x05,                    // block 61's index
      0x01, 0x02, 0x03, 0x04,  // block 62's indices
  };
  std::vector<CinepakEntry> entries;
  for (uint8_t k = 0; k < 6; ++k) entries.push_back(greyEntry(uint8_t(10 * k)));
  // Quadrant greys of V4 1 2 3 4 and of V1 5.
  const uint32_t v4[4] = {10, 20, 30, 40}, v1[4] = {50, 50, 50, 50};
  const std::pair<int, const uint32_t*> coded[] = {{31, v4}, {32, v1}, {61, v1}, {62, v4}};
  for (size_t spare : {0, 300}) {
    CinepakFrame frame(252, 4);
    frame.strip(4, 252, false)
        .fullCodebook(CinepakBook::kV4, entries)
        .fullCodebook(CinepakBook::kV1, entries)
        .raw(chunk)
        .raw(std::vector<uint8_t>(spare, 0))
        .frameLength(130);  // the chunk's end
    CinepakCanvas canvas(252, 252 * 4);
    ASSERT_EQ(canvas.decode(frame.encode()), 0);
    for (const auto& [block, quadrants] : coded) {
      for (int q = 0; q < 4; ++q) {
        EXPECT_EQ(canvas.at(4 * block + (q % 2) * 2, (q / 2) * 2), grey(quadrants[q]))
            << spare << ": " << block << " " << q;
      }
    }
    for (int block : {30, 33, 60}) EXPECT_EQ(canvas.at(4 * block + 3, 3), kUntouched) << block;
  }
}

// Luminance-only codebooks (0x24-0x27), other unknown ids, and ids whose
// second byte carries size bits, as in frames over 64 KiB.
TEST(CinepakDecoder, UnrecognisedIdsEndTheFrameKeepingWhatWasDrawn) {
  const uint8_t ids[][2] = {{0x24, 0}, {0x25, 0}, {0x26, 0}, {0x27, 0}, {0x00, 0},   {0x33, 0},
                            {0xFF, 0}, {0x10, 1}, {0x20, 1}, {0x31, 2}, {0x32, 0x80}};
  for (const auto& id : ids) {
    CinepakFrame frame(4, 8);
    frame.strip(4, 4)
        .fullCodebook(CinepakBook::kV1, {greyEntry(70)})
        .v1Vectors({0})
        .raw({id[0], id[1], 0x00, 0x05, 0x00})
        .strip(4, 4)
        .v1Vectors({0})
        .frameLength(0xFFFF);
    CinepakCanvas canvas(4, 4 * 8);
    EXPECT_EQ(canvas.decode(frame.encode()), 1) << int(id[0]) << " " << int(id[1]);
    EXPECT_EQ(canvas.at(0, 0), grey(70));
    EXPECT_EQ(canvas.at(0, 4), kUntouched);
  }
}

TEST(CinepakDecoder, EndMarkIsTheLow16BitsOfTheFrameLength) {
  // Two one-block strips: the first vector chunk ends at byte 45, the second
  // at 62, and an unrecognised id follows.
  CinepakFrame frame(4, 8);
  frame.strip(4, 4)
      .fullCodebook(CinepakBook::kV1, {greyEntry(1), greyEntry(2)})
      .v1Vectors({0})
      .strip(4, 4)
      .v1Vectors({1})
      .raw({0xFF, 0x00});
  struct Case {
    uint32_t length;
    int32_t result;
    bool secondStrip;
  };
  const Case cases[] = {
      {45, 0, false}, {44, 0, false},           {46, 0, true},
      {63, 1, true},  {0x10000 + 45, 0, false}, {0xFF0000 + 62, 0, true},
  };
  for (const Case& c : cases) {
    CinepakCanvas canvas(4, 4 * 8);
    EXPECT_EQ(canvas.decode(frame.frameLength(c.length).encode()), c.result) << c.length;
    EXPECT_EQ(canvas.at(0, 0), grey(1)) << c.length;
    EXPECT_EQ(canvas.at(0, 4) == kUntouched, !c.secondStrip) << c.length;
  }
}

}  // namespace
}  // namespace zentrov::test
