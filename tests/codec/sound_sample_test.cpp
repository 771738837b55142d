#include "codec/sound_sample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace zentrov {
namespace {

constexpr size_t kPcmCapacity = 131072;
constexpr uint8_t kGuard = 0xEE;

uint16_t wordAt(const std::vector<uint8_t>& out, size_t frame, int channel) {
  const size_t at = frame * 4 + size_t(channel) * 2;
  return uint16_t(out[at] | (out[at + 1] << 8));
}

StreamDescription stream(int8_t channels, int8_t bits, int8_t compression) {
  StreamDescription s;
  s.audioChannels = channels;
  s.audioBits = bits;
  s.audioCompression = compression;
  s.sampleRate = 22050u << 16;
  return s;
}

TEST(WidenPcm, LayoutsOfTheFourFormats) {
  struct Case {
    const char* name;
    int bits, channels;
    std::vector<uint8_t> in;
    std::vector<std::pair<uint16_t, uint16_t>> frames;  // left, right
  };
  const Case cases[] = {
      {"8-bit mono repeats the byte",
       8,
       1,
       {0x80, 0xFF, 0x7F, 0x01},
       {{0x8080, 0x8080}, {0xFFFF, 0xFFFF}, {0x7F7F, 0x7F7F}, {0x0101, 0x0101}}},
      {"8-bit stereo is planar",
       8,
       2,
       {0x10, 0x20, 0x30, 0xA0, 0xB0, 0xC0},
       {{0x1010, 0xA0A0}, {0x2020, 0xB0B0}, {0x3030, 0xC0C0}}},
      // An odd-length stereo chunk: the right half starts at length / 2.
      {"odd 8-bit stereo",
       8,
       2,
       {0x10, 0x20, 0x30, 0x40, 0x50},
       {{0x1010, 0x3030}, {0x2020, 0x4040}, {0x3030, 0x5050}}},
      {"16-bit mono is big-endian",
       16,
       1,
       {0x12, 0x34, 0xFE, 0xDC},
       {{0x1234, 0x1234}, {0xFEDC, 0xFEDC}}},
      {"16-bit stereo is planar",
       16,
       2,
       {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0},
       {{0x1234, 0x9ABC}, {0x5678, 0xDEF0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> out(64, kGuard);
    ASSERT_EQ(
        widenPcm(c.in.data(), int32_t(c.in.size()), c.bits, c.channels, out.data(), out.size()),
        int32_t(c.frames.size() * 4));
    for (size_t i = 0; i < c.frames.size(); ++i) {
      EXPECT_EQ(wordAt(out, i, 0), c.frames[i].first) << i;
      EXPECT_EQ(wordAt(out, i, 1), c.frames[i].second) << i;
    }
    EXPECT_EQ(out[c.frames.size() * 4], kGuard);
  }
}

TEST(WidenPcm, MissingLowByteOfTheLastWordIsZero) {
  // 16-bit mono, 5 bytes: the third frame has only its high byte.
  const std::vector<uint8_t> in{0x01, 0x02, 0x03, 0x04, 0x75};
  std::vector<uint8_t> out(16);
  ASSERT_EQ(widenPcm(in.data(), 5, 16, 1, out.data(), out.size()), 12);
  EXPECT_EQ(wordAt(out, 2, 0), 0x7500);
  EXPECT_EQ(wordAt(out, 2, 1), 0x7500);
}

// Odd-length chunks round up to whole frames (never a half frame, which would
// swap left and right for the rest of the ring), and the last frame never
// reads past the chunk: each input is exactly `length` long, so the sanitizer
// build catches a read beyond it.
TEST(WidenPcm, EveryLengthGivesWholeFramesInsideTheChunk) {
  const int formats[][2] = {{8, 1}, {8, 2}, {16, 1}, {16, 2}};
  for (const auto& f : formats) {
    for (int length = 0; length <= 41; ++length) {
      std::vector<uint8_t> in(size_t(length), 0x11);
      std::vector<uint8_t> out(256, kGuard);
      const int32_t bytes = widenPcm(in.data(), length, f[0], f[1], out.data(), out.size());
      ASSERT_EQ(bytes % 4, 0) << f[0] << "x" << f[1] << " length " << length;
      const int64_t outBytes = int64_t(length) * ((32 / f[0]) / f[1]);
      ASSERT_EQ(bytes, (outBytes + 3) / 4 * 4) << f[0] << "x" << f[1] << " length " << length;
      ASSERT_EQ(out[size_t(bytes)], kGuard);
    }
  }
}

TEST(WidenPcm, ClipsToWholeFramesThatFit) {
  struct Case {
    const char* name;
    int bits, channels, length;
    size_t capacity;
    int32_t bytes;
  };
  const Case cases[] = {
      {"8-bit mono of 32,769 bytes", 8, 1, 32769, kPcmCapacity, 131072},
      {"8-bit stereo of 65,540 bytes", 8, 2, 65540, kPcmCapacity, 131072},
      {"capacity not a whole frame", 16, 2, 40, 10, 8},
      {"capacity below a frame", 8, 1, 4, 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> in(size_t(c.length), 0x42);
    std::vector<uint8_t> out(c.capacity + 32, kGuard);
    EXPECT_EQ(widenPcm(in.data(), c.length, c.bits, c.channels, out.data(), c.capacity), c.bytes);
    for (size_t i = c.capacity; i < out.size(); ++i) ASSERT_EQ(out[i], kGuard) << i;
  }
}

TEST(DecodeSoundSample, SilenceWhereThereIsNothingToConvert) {
  struct Case {
    const char* name;
    StreamDescription s;
    int32_t length;
    int32_t bytes;
  };
  const Case cases[] = {
      {"unknown compression: the sample's length", stream(2, 16, 1), 6, 8},
      {"unknown compression, negative code", stream(1, 8, -3), 12, 12},
      {"no channels", stream(0, 16, 0), 10, 12},
      {"no channels, ADX", stream(0, 16, 2), 40, 40},
      {"no sample width", stream(2, 0, 0), 9, 12},
      {"negative width", stream(1, -16, 0), 8, 8},
      // Widths and channel counts of no known format: the byte count the
      // format would give, as silence.
      {"12-bit mono", stream(1, 12, 0), 6, 12},
      {"8-bit, three channels", stream(3, 8, 0), 6, 8},
      {"1-bit, eight channels (sum 9)", stream(8, 1, 0), 5, 20},
      {"wider than 32 bits", stream(1, 40, 0), 8, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AdxDecoder adx;
    adx.reset();
    std::vector<uint8_t> in(size_t(c.length), 0x77);
    std::vector<uint8_t> out(128, kGuard);
    EXPECT_EQ(decodeSoundSample(c.s, adx, in.data(), c.length, out.data(), out.size()), c.bytes);
    for (int32_t i = 0; i < c.bytes; ++i) ASSERT_EQ(out[size_t(i)], 0) << i;
    EXPECT_EQ(out[size_t(c.bytes)], kGuard);
  }
}

TEST(DecodeSoundSample, ChoosesPcmOrAdx) {
  std::mt19937 rng(7);
  std::vector<uint8_t> in(36 * 3 + 5);
  for (uint8_t& b : in) b = uint8_t(rng());
  for (size_t b = 0; b < 6; ++b) in[b * 18] = 0;  // modest ADX scales
  for (int channels = 1; channels <= 2; ++channels) {
    SCOPED_TRACE(channels);
    // PCM goes through widenPcm.
    AdxDecoder unused;
    std::vector<uint8_t> viaSample(kPcmCapacity), direct(kPcmCapacity);
    const int32_t n = decodeSoundSample(stream(int8_t(channels), 16, 0), unused, in.data(),
                                        int32_t(in.size()), viaSample.data(), kPcmCapacity);
    ASSERT_EQ(n,
              widenPcm(in.data(), int32_t(in.size()), 16, channels, direct.data(), kPcmCapacity));
    EXPECT_TRUE(std::equal(direct.begin(), direct.begin() + n, viaSample.begin()));

    // ADX goes through the decoder with the stereo flag channels - 1.
    AdxDecoder a, b;
    a.reset(), b.reset();
    a.headerSkipped = b.headerSkipped = 1;
    const int32_t m = decodeSoundSample(stream(int8_t(channels), 16, 2), a, in.data(),
                                        int32_t(in.size()), viaSample.data(), kPcmCapacity);
    EXPECT_EQ(m, channels == 2 ? 3 * 128 : 6 * 128);
    ASSERT_EQ(m,
              b.decode(in.data(), int32_t(in.size()), direct.data(), channels - 1, kPcmCapacity));
    EXPECT_TRUE(std::equal(direct.begin(), direct.begin() + m, viaSample.begin()));
    EXPECT_EQ(a.leftS1, b.leftS1);
  }
}

}  // namespace
}  // namespace zentrov
