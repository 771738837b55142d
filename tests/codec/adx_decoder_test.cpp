#include "codec/adx_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  codes.resize(16, 0);
  codes.insert(codes.begin(), {uint8_t(scale >> 8), uint8_t(scale)});
  return codes;
}

// No history, the stream header already skipped.
constexpr AdxDecoder kPastHeader{0, 0, 0, 0, true};

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
    const int64_t v =
        std::clamp<int64_t>((58672 * s1 + 18304 * d - 26272 * s2) / 32768, -2048, 2047);
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

// The first outputs of one mono block (both channels alike) after the given
// history.
TEST(AdxDecoder, FirstOutputsOfOneBlock) {
  struct Case {
    const char* name;
    uint16_t scale;
    std::vector<uint8_t> codes;
    int32_t s1, s2;
    std::vector<int16_t> outputs;
  };
  const Case cases[] = {
      {"worked example", 0x0100, {0x7F, 0x80, 0x00}, 0, 0, {4016, 6608, 4016, 1888, 160, -1224}},
      // d = (-8 * 4096 * 7) >> 16 = -4; p / 32768 truncates -2.23 to -2.
      {"minus eight at scale 0", 0, {0x80}, 0, 0, {-16}},
      {"clamps high", 0, {0x00}, 2047, -2048, {2047 * 8}},
      {"clamps low", 0, {0x00}, -2048, 2047, {-2048 * 8}},
      // The product wraps for scales of 8192 and above: -8 becomes a large
      // positive delta instead of a large negative one.
      {"wraps at scale 8192", 8192, {0x80}, 0, 0, {2047 * 8}},
  };
  for (const Case& c : cases) {
    AdxDecoder adx{c.s1, c.s2, 0, 0, true};
    const std::vector<uint8_t> in = block(c.scale, c.codes);
    std::vector<uint8_t> out(128);
    ASSERT_EQ(adx.decode(in.data(), 18, out.data(), false, out.size()), 128) << c.name;
    for (size_t i = 0; i < c.outputs.size(); ++i) {
      EXPECT_EQ(sampleAt(out, i, 0), c.outputs[i]) << c.name << " " << i;
      EXPECT_EQ(sampleAt(out, i, 1), c.outputs[i]) << c.name << " " << i;
    }
  }
}

// Many calls in a row, so the history must carry from one sample to the next;
// in stereo each channel keeps its own.
TEST(AdxDecoder, MatchesPlainModelOnRandomStreams) {
  std::mt19937 rng(1234);
  const uint16_t scales[] = {0, 1, 0x100, 0x7FF, 8191, 8192, 12345, 0xFFFF};
  for (bool stereo : {false, true}) {
    AdxDecoder adx = kPastHeader;
    ModelChannel left, right;
    for (int call = 0; call < 40; ++call) {
      const int pairs = 1 + int(rng() % 5);
      // Small, ordinary and wrapping scales alike; trailing bytes of no whole
      // block are ignored.
      std::vector<uint8_t> in(size_t(pairs * (stereo ? 36 : 18)) + rng() % 18);
      for (uint8_t& b : in) b = uint8_t(rng());
      for (size_t b = 0; b + 18 <= in.size(); b += 18) {
        const uint16_t scale = rng() % 3 ? uint16_t(rng() % 0x800) : scales[rng() % 8];
        in[b] = uint8_t(scale >> 8), in[b + 1] = uint8_t(scale);
      }
      std::vector<uint8_t> out(kPcmCapacity);
      ASSERT_EQ(adx.decode(in.data(), int32_t(in.size()), out.data(), stereo, out.size()),
                pairs * 128);
      for (int p = 0; p < pairs; ++p) {
        const uint8_t* base = in.data() + p * (stereo ? 36 : 18);
        const std::vector<int16_t> l = left.decodeBlock(base);
        const std::vector<int16_t> r = stereo ? right.decodeBlock(base + 18) : l;
        for (size_t k = 0; k < 32; ++k) {
          const size_t frame = size_t(p) * 32 + k;
          ASSERT_EQ(sampleAt(out, frame, 0), l[k]) << stereo << " call " << call << " " << frame;
          ASSERT_EQ(sampleAt(out, frame, 1), r[k]) << stereo << " call " << call << " " << frame;
        }
      }
    }
  }
}

// Whole blocks only (18 bytes mono, 36 stereo, 128 bytes out each), as many
// as fit the output.
TEST(AdxDecoder, BytesWrittenForLengthAndCapacity) {
  struct Case {
    const char* name;
    bool stereo;
    int32_t length;
    size_t capacity;
    int32_t bytes;
  };
  const Case cases[] = {
      {"mono 36 bytes: two blocks", false, 36, 1024, 256},
      {"mono 35 bytes: one block", false, 35, 1024, 128},
      {"stereo 36 bytes: one pair", true, 36, 1024, 128},
      {"stereo 71 bytes: one pair", true, 71, 1024, 128},
      {"negative length", false, -5, 1024, 0},
      {"mono 1025 blocks into 128 KiB", false, 1025 * 18, kPcmCapacity, 131072},
      {"capacity between blocks", false, 72, 300, 256},
      {"capacity below one block", true, 72, 127, 0},
  };
  for (const Case& c : cases) {
    AdxDecoder adx = kPastHeader;
    std::vector<uint8_t> in(size_t(std::max(c.length, 0)), 0x21);
    std::vector<uint8_t> out(c.capacity + 64, 0xEE);
    EXPECT_EQ(adx.decode(in.data(), c.length, out.data(), c.stereo, c.capacity), c.bytes) << c.name;
    for (size_t i = size_t(c.bytes); i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << c.name << i;
  }
}

// One decoder throughout: reset brings the header skip back and clears the
// history. A first sample too short for its header and a block gives nothing.
TEST(AdxDecoder, SkipsTheStreamHeaderOfTheFirstSampleAfterReset) {
  // 0x80 0x00 0x01 0x1C: an offset of 0x11C, so 288 bytes before the first block.
  std::vector<uint8_t> whole(288, 0x5A);
  whole[0] = 0x80, whole[1] = 0x00, whole[2] = 0x01, whole[3] = 0x1C;
  const std::vector<uint8_t> firstBlock = block(0x0100, {0x7F, 0x80});
  whole.insert(whole.end(), firstBlock.begin(), firstBlock.end());
  const std::vector<uint8_t> oneShort(whole.begin(), whole.end() - 1);
  std::vector<uint8_t> pastEnd(100, 0x33);
  pastEnd[0] = 0x80, pastEnd[3] = 0xFF;  // an offset past the sample
  const std::vector<uint8_t> cases[] = {
      whole, oneShort, pastEnd, std::vector<uint8_t>(100, 0xFF), {0x80, 0x00}, {}};
  const std::vector<uint8_t> next = block(0x0100, {0x00, 0x7F});
  AdxDecoder adx;
  for (const std::vector<uint8_t>& sample : cases) {
    adx.reset();
    std::vector<uint8_t> out(256, 0xEE);
    ModelChannel model;
    const bool complete = sample.size() == whole.size();
    ASSERT_EQ(adx.decode(sample.data(), int32_t(sample.size()), out.data(), false, 256),
              complete ? 128 : 0);
    // The block at 288, not the 0x5A filler; or nothing written.
    EXPECT_EQ(sampleAt(out, 0, 0), complete ? 4016 : int16_t(0xEEEE)) << sample.size();
    if (complete) model.decodeBlock(firstBlock.data());
    // The next sample starts with a block at once.
    ASSERT_EQ(adx.decode(next.data(), 18, out.data(), false, 256), 128) << sample.size();
    const std::vector<int16_t> expected = model.decodeBlock(next.data());
    for (size_t k = 0; k < 32; ++k) EXPECT_EQ(sampleAt(out, k, 0), expected[k]) << sample.size();
  }
}

}  // namespace
}  // namespace zentrov
