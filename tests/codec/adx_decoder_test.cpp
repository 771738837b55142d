#include "codec/adx_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace zentrov {
namespace {

constexpr size_t kPcmCapacity = 131072;

int16_t sampleAt(const std::vector<uint8_t>& out, size_t frame, int channel) {
  const size_t at = frame * 4 + size_t(channel) * 2;
  return static_cast<int16_t>(out[at] | (out[at + 1] << 8));
}

// An 18-byte block: scale, then the given code bytes, zero-filled to 16.
std::vector<uint8_t> block(uint16_t scale, std::vector<uint8_t> codes) {
  std::vector<uint8_t> b{uint8_t(scale >> 8), uint8_t(scale)};
  codes.resize(16, 0);
  b.insert(b.end(), codes.begin(), codes.end());
  return b;
}

AdxDecoder pastHeader() {
  AdxDecoder adx;
  adx.reset();
  adx.headerSkipped = 1;
  return adx;
}

// A plain model of one channel: 64-bit arithmetic, the wrap done by explicit
// modulo and the shift by floor division.
struct ModelChannel {
  int64_t s1 = 0, s2 = 0;
  int16_t next(uint16_t scale, int nibble) {
    const int64_t n = nibble >= 8 ? nibble - 16 : nibble;
    int64_t product = (n * 4096 * (int64_t{scale} * 8 + 7)) % 4294967296LL;
    if (product < 0) product += 4294967296LL;
    if (product >= 2147483648LL) product -= 4294967296LL;
    const int64_t d = product >= 0 ? product / 65536 : -((-product + 65535) / 65536);
    const int64_t p = 58672 * s1 + 18304 * d - 26272 * s2;
    int64_t v = p / 32768;
    if (v < -2048) v = -2048;
    if (v > 2047) v = 2047;
    s2 = s1;
    s1 = v;
    return static_cast<int16_t>(v * 8);
  }
  std::vector<int16_t> decodeBlock(const uint8_t* b) {
    std::vector<int16_t> out;
    const uint16_t scale = uint16_t((b[0] << 8) | b[1]);
    for (int i = 0; i < 16; ++i) {
      out.push_back(next(scale, b[2 + i] >> 4));
      out.push_back(next(scale, b[2 + i] & 15));
    }
    return out;
  }
};

TEST(AdxDecoder, WorkedExampleRows) {
  struct Row {
    int16_t output;
    int32_t v;
  };
  const Row rows[] = {{4016, 502}, {6608, 826}, {4016, 502}, {1888, 236}, {160, 20}, {-1224, -153}};
  AdxDecoder adx = pastHeader();
  std::vector<uint8_t> in = block(0x0100, {0x7F, 0x80, 0x00});
  std::vector<uint8_t> out(kPcmCapacity, 0xEE);
  ASSERT_EQ(adx.decode(in.data(), int32_t(in.size()), out.data(), 0, kPcmCapacity), 128);
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sampleAt(out, i, 0), rows[i].output);
    EXPECT_EQ(sampleAt(out, i, 1), rows[i].output);
  }
  // After 32 codes the history holds the block's last two values.
  ModelChannel model;
  std::vector<int16_t> expected = model.decodeBlock(in.data());
  EXPECT_EQ(adx.leftS1 * 8, expected[31]);
  EXPECT_EQ(adx.leftS2 * 8, expected[30]);
  EXPECT_EQ(out[128], 0xEE) << "wrote past the block's 32 frames";
}

TEST(AdxDecoder, SingleCodeCases) {
  struct Case {
    const char* name;
    uint16_t scale;
    uint8_t firstByte;
    int32_t s1, s2;
    int16_t expected;
  };
  const Case cases[] = {
      // d = (-8 * 4096 * 7) >> 16 = -4; p / 32768 truncates -2.23 to -2.
      {"minus eight at scale 0", 0, 0x80, 0, 0, -16},
      {"clamps high", 0, 0x00, 2047, -2048, 2047 * 8},
      {"clamps low", 0, 0x00, -2048, 2047, -2048 * 8},
      // The product wraps for scales of 8192 and above: -8 becomes a large
      // positive delta instead of a large negative one.
      {"wraps at scale 8192", 8192, 0x80, 0, 0, 2047 * 8},
      {"largest positive code", 0xFFFF, 0x70, 0, 0, 2047 * 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AdxDecoder adx = pastHeader();
    adx.leftS1 = c.s1;
    adx.leftS2 = c.s2;
    std::vector<uint8_t> in = block(c.scale, {c.firstByte});
    std::vector<uint8_t> out(128);
    ASSERT_EQ(adx.decode(in.data(), 18, out.data(), 0, out.size()), 128);
    EXPECT_EQ(sampleAt(out, 0, 0), c.expected);
  }
}

// Many calls in a row, so the history must carry from one sample to the next;
// in stereo each channel keeps its own.
TEST(AdxDecoder, MatchesPlainModelOnRandomStreams) {
  std::mt19937 rng(1234);
  for (int stereo = 0; stereo <= 1; ++stereo) {
    SCOPED_TRACE(stereo ? "stereo" : "mono");
    AdxDecoder adx = pastHeader();
    ModelChannel left, right;
    for (int call = 0; call < 40; ++call) {
      const int pairs = 1 + int(rng() % 5);
      std::vector<uint8_t> in;
      for (int b = 0; b < pairs * (stereo ? 2 : 1); ++b) {
        // Small, ordinary and wrapping scales alike.
        const uint16_t scales[] = {0, 1, 0x100, 0x7FF, 8191, 8192, 12345, 0xFFFF};
        const uint16_t scale = rng() % 3 ? uint16_t(rng() % 0x800) : scales[rng() % 8];
        in.push_back(uint8_t(scale >> 8));
        in.push_back(uint8_t(scale));
        for (int i = 0; i < 16; ++i) in.push_back(uint8_t(rng()));
      }
      const int extra = int(rng() % 18);  // trailing bytes of no whole block are ignored
      for (int i = 0; i < extra; ++i) in.push_back(uint8_t(rng()));
      std::vector<uint8_t> out(kPcmCapacity);
      ASSERT_EQ(adx.decode(in.data(), int32_t(in.size()), out.data(), stereo, out.size()),
                pairs * 128);
      for (int p = 0; p < pairs; ++p) {
        const uint8_t* base = in.data() + p * (stereo ? 36 : 18);
        std::vector<int16_t> l = left.decodeBlock(base);
        std::vector<int16_t> r = stereo ? right.decodeBlock(base + 18) : l;
        for (size_t k = 0; k < 32; ++k) {
          const size_t frame = size_t(p) * 32 + k;
          ASSERT_EQ(sampleAt(out, frame, 0), l[k]) << "call " << call << " frame " << frame;
          ASSERT_EQ(sampleAt(out, frame, 1), r[k]) << "call " << call << " frame " << frame;
          ASSERT_EQ(sampleAt(out, frame, 0) % 8, 0);
        }
      }
    }
  }
}

TEST(AdxDecoder, BlockCountsAndLengths) {
  struct Case {
    const char* name;
    int32_t stereo;
    int32_t length;
    int32_t bytes;
  };
  const Case cases[] = {
      {"mono 36 bytes: two blocks", 0, 36, 256},
      {"mono 35 bytes: one block, 17 ignored", 0, 35, 128},
      {"mono 17 bytes: nothing", 0, 17, 0},
      {"stereo 36 bytes: one pair", 1, 36, 128},
      {"stereo 71 bytes: one pair", 1, 71, 128},
      {"stereo 35 bytes: nothing", 1, 35, 0},
      {"only bit 0 selects stereo", 3, 36, 128},
      {"bit 0 clear is mono", 2, 36, 256},
      {"negative length", 0, -5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AdxDecoder adx = pastHeader();
    std::vector<uint8_t> in(72, 0x11);
    std::vector<uint8_t> out(1024, 0xEE);
    EXPECT_EQ(adx.decode(in.data(), c.length, out.data(), c.stereo, out.size()), c.bytes);
    EXPECT_EQ(out[size_t(c.bytes)], 0xEE) << "wrote past the returned count";
  }
}

TEST(AdxDecoder, SkipsStreamHeaderOnceAfterReset) {
  // 0x80 0x00 0x01 0x1C: an offset of 0x11C, so 288 bytes before the first block.
  std::vector<uint8_t> first(288, 0x5A);
  first[0] = 0x80;
  first[1] = 0x00;
  first[2] = 0x01;
  first[3] = 0x1C;
  std::vector<uint8_t> firstBlock = block(0x0100, {0x7F, 0x80});
  first.insert(first.end(), firstBlock.begin(), firstBlock.end());

  AdxDecoder adx;
  adx.reset();
  std::vector<uint8_t> out(256);
  ASSERT_EQ(adx.decode(first.data(), int32_t(first.size()), out.data(), 0, out.size()), 128);
  EXPECT_EQ(adx.headerSkipped, 1);
  EXPECT_EQ(sampleAt(out, 0, 0), 4016);  // the block at 288, not the 0x5A filler

  // The next sample starts with a block at once.
  std::vector<uint8_t> second = block(0x0100, {0x00});
  ASSERT_EQ(adx.decode(second.data(), 18, out.data(), 0, out.size()), 128);
  ModelChannel model;
  model.decodeBlock(firstBlock.data());
  EXPECT_EQ(sampleAt(out, 0, 0), model.decodeBlock(second.data())[0]);

  // reset brings the header skip back and clears the history.
  adx.reset();
  EXPECT_EQ(adx.leftS1 | adx.leftS2 | adx.rightS1 | adx.rightS2 | adx.headerSkipped, 0);
  EXPECT_EQ(adx.decode(first.data(), int32_t(first.size()), out.data(), 0, out.size()), 128);
  EXPECT_EQ(sampleAt(out, 0, 0), 4016);
}

TEST(AdxDecoder, ShortFirstSamplesOnlySetTheHeaderFlag) {
  struct Case {
    const char* name;
    std::vector<uint8_t> sample;
  };
  std::vector<uint8_t> oneShort(288 + 17, 0x33);
  oneShort[0] = 0x80, oneShort[2] = 0x01, oneShort[3] = 0x1C;
  std::vector<uint8_t> offsetPastEnd(100, 0x33);
  offsetPastEnd[0] = 0x80, offsetPastEnd[3] = 0xFF;
  std::vector<uint8_t> hugeOffset(100, 0x33);
  hugeOffset[0] = 0xFF, hugeOffset[1] = 0xFF, hugeOffset[2] = 0xFF, hugeOffset[3] = 0xFF;
  const Case cases[] = {
      {"a block short after the header", oneShort},
      {"header offset past the sample", offsetPastEnd},
      {"largest header offset", hugeOffset},
      {"shorter than the header word", {0x80, 0x00}},
      {"empty", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AdxDecoder adx;
    adx.reset();
    std::vector<uint8_t> out(256, 0xEE);
    EXPECT_EQ(adx.decode(c.sample.data(), int32_t(c.sample.size()), out.data(), 0, out.size()), 0);
    EXPECT_EQ(adx.headerSkipped, 1);
    EXPECT_EQ(adx.leftS1 | adx.leftS2, 0);
    EXPECT_EQ(out[0], 0xEE);
    // The following sample is decoded from its first byte.
    std::vector<uint8_t> next = block(0x0100, {0x7F});
    EXPECT_EQ(adx.decode(next.data(), 18, out.data(), 0, out.size()), 128);
    EXPECT_EQ(sampleAt(out, 0, 0), 4016);
  }
}

TEST(AdxDecoder, StopsAtTheLastBlockThatFits) {
  struct Case {
    const char* name;
    int32_t stereo;
    int32_t blocks;
    size_t capacity;
    int32_t bytes;
  };
  const Case cases[] = {
      {"mono 1025 blocks into 128 KiB", 0, 1025, kPcmCapacity, 131072},
      {"stereo 1100 pairs into 128 KiB", 1, 1100, kPcmCapacity, 131072},
      {"capacity between blocks", 0, 4, 300, 256},
      {"capacity below one block", 1, 2, 127, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> in(size_t(c.blocks) * (c.stereo ? 36 : 18), 0x21);
    std::vector<uint8_t> out(c.capacity + 64, 0xEE);
    AdxDecoder adx = pastHeader();
    EXPECT_EQ(adx.decode(in.data(), int32_t(in.size()), out.data(), c.stereo, c.capacity), c.bytes);
    for (size_t i = c.capacity; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << i;
  }
}

}  // namespace
}  // namespace zentrov
