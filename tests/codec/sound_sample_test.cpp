#include "codec/sound_sample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zentrov {
namespace {

constexpr size_t kPcmCapacity = 131072;
constexpr uint8_t kGuard = 0xEE;

StreamDescription stream(int8_t channels, int8_t bits, int8_t compression) {
  StreamDescription s;
  s.audioChannels = channels;
  s.audioBits = bits;
  s.audioCompression = compression;
  s.sampleRate = 22050u << 16;
  return s;
}

// Each case: the input and the 16-bit words out, left and right of each frame.
TEST(WidenPcm, LayoutsOfTheFourFormats) {
  struct Case {
    int bits, channels;
    std::vector<uint8_t> in;
    std::vector<uint16_t> words;
  };
  const Case cases[] = {
      // 8 bits: the byte repeated; stereo is planar, the right half starting
      // at length / 2 also when the length is odd.
      {8, 1, {0x80, 0xFF, 0x7F}, {0x8080, 0x8080, 0xFFFF, 0xFFFF, 0x7F7F, 0x7F7F}},
      {8, 2, {0x10, 0x20, 0xA0, 0xB0}, {0x1010, 0xA0A0, 0x2020, 0xB0B0}},
      {8, 2, {0x10, 0x20, 0x30, 0x40, 0x50}, {0x1010, 0x3030, 0x2020, 0x4040, 0x3030, 0x5050}},
      // 16 bits big-endian; the last word's missing low byte is 0.
      {16, 1, {0x12, 0x34, 0xFE, 0xDC}, {0x1234, 0x1234, 0xFEDC, 0xFEDC}},
      {16, 1, {0x01, 0x02, 0x75}, {0x0102, 0x0102, 0x7500, 0x7500}},
      {16, 2, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}, {0x1234, 0x9ABC, 0x5678, 0xDEF0}},
  };
  for (size_t n = 0; n < std::size(cases); ++n) {
    const Case& c = cases[n];
    std::vector<uint8_t> out(64, kGuard);
    ASSERT_EQ(widenPcm(c.in.data(), int32_t(c.in.size()), c.bits, c.channels, out.data(), 64),
              int32_t(c.words.size() * 2))
        << "case " << n;
    for (size_t i = 0; i < c.words.size(); ++i) {
      EXPECT_EQ(out[2 * i] | out[2 * i + 1] << 8, c.words[i]) << "case " << n << " word " << i;
    }
    EXPECT_EQ(out[c.words.size() * 2], kGuard) << "case " << n;
  }
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
      {"capacity not a whole frame", 16, 2, 40, 10, 8},
      {"capacity below a frame", 8, 1, 4, 3, 0},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> in(size_t(c.length), 0x42);
    std::vector<uint8_t> out(c.capacity + 32, kGuard);
    EXPECT_EQ(widenPcm(in.data(), c.length, c.bits, c.channels, out.data(), c.capacity), c.bytes)
        << c.name;
    for (size_t i = c.capacity; i < out.size(); ++i) ASSERT_EQ(out[i], kGuard) << c.name << i;
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
    AdxDecoder adx;
    std::vector<uint8_t> in(size_t(c.length), 0x77);
    std::vector<uint8_t> out(128, kGuard);
    EXPECT_EQ(decodeSoundSample(c.s, adx, in.data(), c.length, out.data(), out.size()), c.bytes)
        << c.name;
    for (int32_t i = 0; i < c.bytes; ++i) ASSERT_EQ(out[size_t(i)], 0) << c.name << i;
    EXPECT_EQ(out[size_t(c.bytes)], kGuard) << c.name;
  }
}

// PCM goes through widenPcm, ADX through the decoder with the stereo flag
// channels - 1.
TEST(DecodeSoundSample, ChoosesPcmOrAdx) {
  std::vector<uint8_t> in(36 * 3 + 5);
  for (size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i % 18 == 0 ? 0 : i * 37);
  const int32_t length = int32_t(in.size());
  // Three channels: ADX streams are stereo only when bit 0 of channels - 1 is set.
  for (int channels = 1; channels <= 3; ++channels) {
    for (int8_t compression : {kAudioPcm, kAudioAdx}) {
      if (channels == 3 && compression == kAudioPcm) continue;
      AdxDecoder a, b;
      a.headerSkipped = b.headerSkipped = true;
      std::vector<uint8_t> viaSample(kPcmCapacity), direct(kPcmCapacity);
      const int32_t n = decodeSoundSample(stream(int8_t(channels), 16, compression), a, in.data(),
                                          length, viaSample.data(), kPcmCapacity);
      EXPECT_EQ(n, compression == kAudioPcm
                       ? widenPcm(in.data(), length, 16, channels, direct.data(), kPcmCapacity)
                       : b.decode(in.data(), length, direct.data(), channels == 2, kPcmCapacity));
      EXPECT_TRUE(viaSample == direct) << channels << " " << int(compression);
    }
  }
}

}  // namespace
}  // namespace zentrov
