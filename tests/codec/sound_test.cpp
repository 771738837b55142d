// ADX decoding and PCM widening against plain models of the formats, and the
// silence kept for sound that cannot be converted.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "codec/adx_decoder.h"
#include "codec/sound_sample.h"
#include "support/movies.h"

namespace zentrov::test {
namespace {

// ADX in 64-bit arithmetic with the product's wrap modulo 2^32 and the floor
// shift written out; whole blocks while they fit; the header skipped once.
struct AdxModel {
  int64_t history[2][2] = {};  // per channel: the last value, the one before
  bool headerSkipped = false;

  int16_t next(int64_t* h, int64_t scale, int nibble) {
    int64_t product = ((nibble >= 8 ? nibble - 16 : nibble) * 4096 * (scale * 8 + 7)) % (1LL << 32);
    product += product < 0 ? 1LL << 32 : 0;
    product -= product >= 1LL << 31 ? 1LL << 32 : 0;
    const int64_t d = product >= 0 ? product / 65536 : -((-product + 65535) / 65536);
    const int64_t v =
        std::clamp<int64_t>((58672 * h[0] + 18304 * d - 26272 * h[1]) / 32768, -2048, 2047);
    h[1] = h[0];
    return int16_t((h[0] = v) * 8);
  }
  Bytes decode(const Bytes& in, bool stereo, size_t capacity) {
    size_t at = 0;
    if (!headerSkipped) {
      headerSkipped = true;
      if (in.size() < 4) return {};
      at = ((size_t(in[0] & 0x7F) << 24) | size_t(in[1]) << 16 | size_t(in[2]) << 8 | in[3]) + 4;
    }
    Bytes out;
    for (; at + (stereo ? 36 : 18) <= in.size() && out.size() + 128 <= capacity;
         at += stereo ? 36 : 18) {
      int16_t s[2][32];
      for (int ch = 0; ch < (stereo ? 2 : 1); ++ch) {
        const uint8_t* b = in.data() + at + 18 * size_t(ch);
        for (int i = 0; i < 32; ++i)
          s[ch][i] =
              next(history[ch], b[0] << 8 | b[1], i % 2 ? b[2 + i / 2] & 15 : b[2 + i / 2] >> 4);
      }
      for (int i = 0; i < 32; ++i) {
        const uint16_t l = uint16_t(s[0][i]), r = uint16_t(s[stereo ? 1 : 0][i]);
        out.insert(out.end(), {uint8_t(l), uint8_t(l >> 8), uint8_t(r), uint8_t(r >> 8)});
      }
    }
    return out;
  }
};

TEST(AdxDecoder, WorkedExampleAndModelAgree) {
  Bytes in = {0x01, 0x00, 0x7F, 0x80, 0x00}, out(128);
  in.resize(18);
  AdxDecoder adx{0, 0, 0, 0, true};
  ASSERT_EQ(adx.decode(in.data(), 18, out.data(), false, out.size()), 128);
  AdxModel model;
  model.headerSkipped = true;
  EXPECT_EQ(model.decode(in, false, 128), out);
  const int16_t expected[] = {4016, 6608, 4016, 1888, 160, -1224};
  for (size_t i = 0; i < std::size(expected); ++i)
    EXPECT_EQ(int16_t(out[4 * i] | out[4 * i + 1] << 8), expected[i]) << i;
}

// Runs of samples after a reset, the first with a stream header (sometimes
// ending past the sample), so the history carries from sample to sample and
// each channel keeps its own; all kinds of scales, lengths and capacities.
TEST(AdxDecoder, MatchesTheModelOnRandomStreams) {
  std::mt19937 rng(1234);
  const uint16_t scales[] = {0, 1, 0x100, 0x7FF, 8191, 8192, 12345, 0xFFFF};
  for (bool stereo : {false, true}) {
    AdxDecoder adx;
    AdxModel model;
    for (int call = 0; call < 300; ++call) {
      Bytes in;
      if (call % 10 == 0) {
        adx.reset();
        model = AdxModel{};
        const uint8_t skip = uint8_t(rng() % 60);  // bit 30 set: far past the sample
        in = {uint8_t(0x80 | (rng() % 2) << 6), 0, 0, skip};
        in.resize(rng() % 4 ? 4u + skip : rng() % (5u + skip), 0x5A);
      }
      const size_t start = in.size(), blocks = rng() % 6 * (stereo ? 2 : 1);
      for (size_t n = blocks * 18 + rng() % 18; n > 0; --n) in.push_back(uint8_t(rng()));
      for (size_t b = start; b < start + blocks * 18; b += 18) {
        const uint16_t scale = rng() % 3 ? uint16_t(rng() % 0x800) : scales[rng() % 8];
        in[b] = uint8_t(scale >> 8), in[b + 1] = uint8_t(scale);
      }
      const size_t capacity = rng() % 2 ? 131072 : rng() % 700;
      const Bytes expected = model.decode(in, stereo, capacity);
      Bytes out(std::min<size_t>(capacity, 1024) + 64, 0xEE);
      ASSERT_EQ(adx.decode(in.data(), int32_t(in.size()), out.data(), stereo, capacity),
                int32_t(expected.size()))
          << stereo << " call " << call;
      ASSERT_EQ(Bytes(out.begin(), out.begin() + long(expected.size())), expected) << call;
      ASSERT_EQ(size_t(std::count(out.begin() + long(expected.size()), out.end(), 0xEE)),
                out.size() - expected.size());
    }
  }
}

// Every length of the four formats, into room for all of it, for part of a
// frame more than one, and for less than one. Each input is exactly its
// length, so the sanitizer build sees any read past the chunk.
TEST(WidenPcm, MatchesThePlainLayoutInWholeFramesThatFit) {
  for (int format = 0; format < 4; ++format) {
    const int bits = format < 2 ? 8 : 16, channels = 1 + format % 2;
    for (int length = 0; length <= 41; ++length) {
      for (size_t capacity : {size_t{256}, size_t{10}, size_t{3}}) {
        const Bytes in = pattern(size_t(length), uint32_t(length));
        Bytes expected = expectedPcm(in, bits, channels), out(capacity + 8, 0xEE);
        expected.resize(std::min(expected.size(), capacity / 4 * 4));
        ASSERT_EQ(widenPcm(in.data(), length, bits, channels, out.data(), capacity),
                  int32_t(expected.size()))
            << format << " length " << length << " into " << capacity;
        ASSERT_EQ(Bytes(out.begin(), out.begin() + long(expected.size())), expected);
        ASSERT_EQ(size_t(std::count(out.begin() + long(expected.size()), out.end(), 0xEE)),
                  out.size() - expected.size());
      }
    }
  }
}

// Sound that cannot be played keeps its place in the ring as silence: the
// bytes its format would give, or the sample's length.
TEST(DecodeSoundSample, SilenceWhereThereIsNothingToConvert) {
  // Channels, bits, compression, sample length, bytes of silence.
  const int cases[][5] = {{2, 16, 1, 6, 8}, {0, 16, 0, 10, 12}, {0, 16, 2, 40, 40},
                          {2, 0, 0, 9, 12}, {1, -16, 0, 8, 8},  {1, 12, 0, 6, 12},
                          {3, 8, 0, 6, 8},  {8, 1, 0, 5, 20},   {1, 40, 0, 8, 0}};
  for (const auto& c : cases) {
    StreamDescription s;
    s.audioChannels = int8_t(c[0]), s.audioBits = int8_t(c[1]), s.audioCompression = int8_t(c[2]);
    AdxDecoder adx;
    const Bytes in(size_t(c[3]), 0x77);
    Bytes out(128, 0xEE), expected(size_t(c[4]), 0);
    expected.resize(128, 0xEE);
    EXPECT_EQ(decodeSoundSample(s, adx, in.data(), c[3], out.data(), out.size()), c[4])
        << c[0] << c[1] << c[2];
    EXPECT_EQ(out, expected) << c[0] << " " << c[1] << " " << c[2];
  }
}

}  // namespace
}  // namespace zentrov::test
