// Cinepak frames: random frames against a plain model through each kernel
// set (ffmpeg-made frames, in the CLI tests, pin the format), damaged and cut
// frames. ADX decoding
// and PCM widening against plain models, and the silence kept for sound that
// cannot be converted.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "codec/adx_decoder.h"
#include "codec/sound_sample.h"
#include "support/cinepak_encoder.h"
#include "support/film_writer.h"

namespace zentrov::test {
namespace {

using Kernels = CinepakDecoder::Kernels;

constexpr uint32_t kUntouched = 0xDEADBEEFu;  // a pixel no frame draws

// Random well-formed frames `width` pixels wide: one to four strips of up to
// 40 rows, some wider or narrower than `width`; full and selective codebooks
// (some past index 255 or padded); every kind of vector chunk, inter ones with
// long runs of unchanged blocks, so codes straddle flag words.
class RandomCinepakFrames {
 public:
  explicit RandomCinepakFrames(uint32_t seed) : rng_(seed) {}
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(int percent) { return pick(1, 100) <= percent; }

  CinepakFrame next(int width, int rows) {
    CinepakFrame f{uint16_t(width), uint16_t(rows)};
    for (int s = pick(1, 4); s > 0; --s) {
      const uint16_t bottom = uint16_t(pick(0, 40));
      const uint16_t right = uint16_t(chance(80) ? width : pick(0, width + 12));
      f.strip(bottom, right, chance(50));
      if (chance(60)) codebook(f, 0x20);  // V4
      if (chance(60)) codebook(f, 0x22);  // V1
      for (int c = chance(15) ? 2 : 1; c > 0; --c) vectors(f, size_t(bottom / 4) * (right / 4));
    }
    return f;
  }

 private:
  uint8_t byte() { return uint8_t(pick(0, 255)); }
  CinepakEntry entry() {
    return {{byte(), byte(), byte(), byte()}, int8_t(byte()), int8_t(byte())};
  }
  void codebook(CinepakFrame& frame, uint8_t full) {
    if (chance(50)) {
      std::vector<CinepakEntry> entries(size_t(pick(1, 300)));  // past 256: ignored
      for (CinepakEntry& e : entries) e = entry();
      frame.add({full, entries});
      return;
    }
    std::vector<std::pair<int, CinepakEntry>> updates;
    const int percent = pick(1, 60);
    for (int i = 0; i < 260; ++i)  // flags past index 255 are ignored
      if (chance(percent)) updates.push_back({i, entry()});
    // Padding of one or two bytes the loop must not read as a flag word.
    frame.add({uint8_t(full + 1), {}, updates, {}, std::vector<uint8_t>(size_t(pick(0, 2)), 0xFF)});
  }
  void vectors(CinepakFrame& frame, size_t blocks) {
    const int kind = pick(0, 2);  // intra, inter, V1 only
    const int v4Percent = pick(0, 100);
    // Inter: runs of unchanged blocks up to `longestSkip` long, between runs
    // of coded blocks up to `longestCoded`.
    const int longestSkip = kind == 1 ? (chance(50) ? pick(1, 80) : pick(0, 3)) : 0;
    const int longestCoded = pick(1, 6);
    std::vector<CinepakBlock> list;
    while (list.size() < blocks) {
      for (int n = pick(0, longestSkip); n > 0 && list.size() < blocks; --n)
        list.push_back(CinepakBlock{});  // unchanged
      for (int n = pick(1, longestCoded); n > 0 && list.size() < blocks; --n)
        list.push_back(kind != 2 && chance(v4Percent)
                           ? CinepakBlock::v4(byte(), byte(), byte(), byte())
                           : CinepakBlock::v1(byte()));
    }
    frame.add({uint8_t(0x30 + kind), {}, {}, list});
  }

  std::mt19937 rng_;
};

// A decoder with a frame buffer of `pixels` pixels, rows `rowPixels` apart.
struct CinepakCanvas {
  CinepakCanvas(int rowPixels, size_t pixels) : width(rowPixels), frame(pixels, kUntouched) {}
  // Decodes a copy of the sample's first `length` bytes, so that a read past
  // them is seen: by the sanitizer, or (index 255 and set flags behind them)
  // by the pixels it draws.
  int32_t decode(const std::vector<uint8_t>& sample, size_t length = SIZE_MAX) {
#if defined(__SANITIZE_ADDRESS__)
    constexpr size_t kTail = 0;
#else
    constexpr size_t kTail = 64;
#endif
    length = std::min(length, sample.size());
    std::unique_ptr<uint8_t[]> copy(new uint8_t[length + kTail]);
    std::fill(copy.get(), copy.get() + length + kTail, 0xFF);
    std::copy(sample.begin(), sample.begin() + ptrdiff_t(length), copy.get());
    return decoder.decodeFrame(copy.get(), length, frame.data(), frame.size(), width);
  }
  // A pixel as drawn, without byte 3 (it carries no meaning), or kUntouched.
  uint32_t at(size_t i) const {
    return frame[i] == kUntouched ? kUntouched : frame[i] & 0xFFFFFFu;
  }
  uint32_t at(int x, int y) const {
    return at(size_t(y) * size_t(width) + size_t(x));
  }

  int width;
  std::vector<uint32_t> frame;
  CinepakDecoder decoder;
};

// The picture a correct decoder draws, written plainly: two codebook banks
// per kind (the first strip draws from the first, later strips from the
// second; full codebooks fill the current and the second), strips stacked,
// pixels outside the buffer not drawn, never-drawn ones kUntouched. Frames
// must be well formed (no raw chunks; one block per block of the strip).
struct CinepakModel {
  CinepakModel(int w, int r) : width(w), rows(r), pixels(size_t(w) * size_t(r), kUntouched) {}

  // One pixel of the decoded frame, 0x00RRGGBB.
  static uint32_t colour(uint8_t y, int8_t u, int8_t v) {
    auto component = [y](double term) {
      return uint32_t(std::clamp(int(y) + int(std::floor(term / 1024.0)), 0, 255));
    };
    return component(1436.0 * v) << 16 | component(-731.0 * v - 352.0 * u) << 8 |
           component(1815.0 * u);
  }

  void apply(const CinepakFrame& frame) {
    int bank = 0, top = 0, blockRows = 0, columns = 0;  // top: the current strip's first row
    bottom = 0;
    for (const CinepakChunk& c : frame.chunks) {
      const int kind = (c.id >> 1) & 1;  // codebooks: 0 V4, 1 V1
      auto set = [&](int b, size_t i, const CinepakEntry& e) {
        for (int p = 0; p < 4; ++p) books[kind][b][i][p] = colour(e.y[p], e.u, e.v);
      };
      if (c.id == 0x10 || c.id == 0x11) {
        blockRows = c.bottom / 4, columns = c.right / 4;
      } else if (c.id == 0x20 || c.id == 0x22) {
        for (size_t i = 0; i < c.entries.size() && i < 256; ++i)
          set(bank, i, c.entries[i]), set(1, i, c.entries[i]);
      } else if (c.id == 0x21 || c.id == 0x23) {
        for (const auto& [i, e] : c.updates)
          if (i < 256) set(bank, size_t(i), e);
      } else if (c.id >= 0x30 && c.id <= 0x32 && c.blocks.size() == size_t(blockRows * columns)) {
        for (size_t n = 0; n < c.blocks.size(); ++n) {
          const CinepakBlock& b = c.blocks[n];
          // Pixel (dx, dy) of the block, in quadrant q. V1: each pixel of the
          // entry covers one quadrant; V4: each quadrant is one entry, drawn
          // as its own 2x2 group.
          for (int dy = 0; dy < 4 && b.code != CinepakCode::kSkip; ++dy) {
            for (int dx = 0; dx < 4; ++dx) {
              const int q = (dy / 2) * 2 + dx / 2;
              const int x = int(n) % columns * 4 + dx, y = top + int(n) / columns * 4 + dy;
              if (x >= width || y >= rows) continue;
              pixels[size_t(y) * size_t(width) + size_t(x)] =
                  b.code == CinepakCode::kV1 ? books[1][bank][b.index[0]][q]
                                             : books[0][bank][b.index[q]][(dy % 2) * 2 + dx % 2];
            }
          }
        }
        bottom = top += blockRows * 4;
        bank = 1;
      } else {
        throw std::invalid_argument("the model reads only well-formed chunks");
      }
    }
  }

  int width, rows, bottom = 0;  // bottom: the row below the last frame's last strip
  std::vector<uint32_t> pixels;
  // [kind][bank][index][pixel]: kind 0 V4, 1 V1; bank 0 first strip, 1 later strips.
  uint32_t books[2][2][256][4] = {};
};

std::vector<Kernels> availableKernels() {
  std::vector<Kernels> kernels;
  for (Kernels k : {Kernels::kPortable, Kernels::kSse2})
    if (CinepakDecoder::kernelsAvailable(k)) kernels.push_back(k);
#if defined(__x86_64__) || defined(_M_X64)
  EXPECT_EQ(kernels.size(), 2u) << "x86-64 always has SSE2";
#endif
  return kernels;
}

// Sequences of frames, so codebooks carry over, through each kernel set: each
// sample alone (the checked rows near its end) and with spare bytes behind it
// (unchecked rows throughout), into a buffer with part of a row more.
TEST(Cinepak, RandomFramesMatchThePlainModel) {
  RandomCinepakFrames random(20241206);
  const std::vector<Kernels> kernels = availableKernels();
  for (int sequence = 0; sequence < 60; ++sequence) {
    const int width = random.chance(70) ? 4 * random.pick(1, 48) : random.pick(1, 190);
    const int rows = random.pick(1, 100);
    const size_t pixels = size_t(width * rows), extra = size_t(random.pick(0, width - 1));
    std::deque<CinepakCanvas> canvases;  // a decoder does not move
    for (Kernels k : kernels) {
      for (int spare = 0; spare < 2; ++spare) {
        canvases.emplace_back(width, pixels + extra);
        ASSERT_TRUE(canvases.back().decoder.useKernels(k));
      }
    }
    CinepakModel model(width, rows);
    for (int f = 0; f < 8; ++f) {
      const CinepakFrame frame = random.next(width, rows);
      model.apply(frame);
      std::vector<uint8_t> bytes = frame.encode(), padded = bytes;
      padded.resize(bytes.size() + 128, 0xFF);
      for (size_t d = 0; d < canvases.size(); ++d) {
        ASSERT_EQ(canvases[d].decode(d % 2 ? padded : bytes), 0);
        for (size_t i = 0; i < pixels + extra; ++i) {
          ASSERT_EQ(canvases[d].at(i), i < pixels ? model.pixels[i] : kUntouched)
              << "kernels " << int(kernels[d / 2]) << (d % 2 ? " padded" : " exact") << " sequence "
              << sequence << " frame " << f << " pixel " << i;
        }
        // The byte the model leaves out is the same from every decoder too.
        ASSERT_EQ(canvases[d].frame, canvases[0].frame) << sequence << " " << f;
      }
    }
  }
}

// Frames cut at every length, into a buffer that holds all their strips:
// never complete, and what is drawn is what the whole frame draws. Random
// frames, and two inter frames whose rows read the most a row can: rows of
// 18 V4 blocks, whose codes take two flag words; and a V4 code starting in
// the last bit of a word loaded just before it (after 16 V1 codes and 31
// unchanged blocks), so its block needs three words' worth of bytes.
TEST(Cinepak, EveryCutFrameIsIncompleteAndDrawsOnlyTruePixels) {
  std::vector<CinepakEntry> entries;
  for (int i = 0; i < 256; ++i)
    entries.push_back({{uint8_t(i), uint8_t(i * 7), uint8_t(i * 13), uint8_t(~i)}, 0, 0});
  auto inter = [&](uint16_t width, uint16_t rows, std::vector<CinepakBlock> blocks) {
    return CinepakFrame{width, rows}
        .strip(rows, width, false)
        .add({0x20, entries})
        .add({0x22, std::vector<CinepakEntry>(entries.rbegin(), entries.rend())})
        .add({0x31, {}, {}, blocks});
  };
  std::vector<CinepakBlock> dense, late(16, CinepakBlock::v1(5));
  for (int n = 0; n < 36; ++n)
    dense.push_back(CinepakBlock::v4(uint8_t(n), uint8_t(n + 1), uint8_t(3 * n), 9));
  late.resize(47);
  late.push_back(CinepakBlock::v4(1, 2, 3, 4));
  std::vector<std::pair<int, CinepakFrame>> frames = {{72, inter(72, 8, dense)},
                                                      {192, inter(192, 4, late)}};
  RandomCinepakFrames random(77);
  for (int n = 0; n < 12; ++n) {
    const int width = random.pick(1, 100);
    frames.emplace_back(width, random.next(width, 160));
  }
  for (const auto& [width, frame] : frames) {
    CinepakModel model(width, 320);
    model.apply(frame);
    const std::vector<uint8_t> bytes = frame.encode();
    const size_t pixels = size_t(width * std::max(model.bottom, 1));
    for (Kernels k : availableKernels()) {
      for (size_t length = 0; length < bytes.size(); ++length) {
        CinepakCanvas canvas(width, pixels);
        ASSERT_TRUE(canvas.decoder.useKernels(k));
        ASSERT_EQ(canvas.decode(bytes, length), 1) << width << " cut at " << length;
        const uint32_t *got = canvas.frame.data(), *want = model.pixels.data();
        size_t i = 0;  // plain pointers: this loop runs a few hundred million times
        while (i < pixels && (got[i] == kUntouched || (got[i] & 0xFFFFFFu) == want[i])) ++i;
        ASSERT_EQ(i, pixels) << width << " cut at " << length;
      }
    }
  }
}

// Two one-block strips with chunks between them. Unrecognised ids (the
// luminance-only codebooks 0x24-0x27, ids whose second byte carries size
// bits as in frames over 64 KiB) and sizes below 4, which would move the
// cursor back, end the frame early. Without them the first strip ends at
// byte 45, the second at 62, and an unknown id follows: the end mark, the
// frame length's low 16 bits, decides where the frame is complete.
TEST(Cinepak, FramesEndAtUnknownChunksSmallSizesOrTheEndMark) {
  struct Case {
    std::vector<uint8_t> between;
    uint32_t length;
    int32_t result;
    bool secondStrip;
  };
  std::vector<Case> cases = {
      {{}, 45, 0, false}, {{}, 44, 0, false},           {{}, 46, 0, true},
      {{}, 63, 1, true},  {{}, 0x10000 + 45, 0, false}, {{}, 0xFF0000 + 62, 0, true}};
  const uint8_t ids[][2] = {{0x24, 0}, {0x25, 0}, {0x26, 0}, {0x27, 0}, {0x00, 0},   {0x33, 0},
                            {0xFF, 0}, {0x10, 1}, {0x20, 1}, {0x31, 2}, {0x32, 0x80}};
  for (const auto& id : ids) cases.push_back({{id[0], id[1], 0x00, 0x05, 0x00}, 0xFFFF, 1, false});
  for (int id : {0x20, 0x21, 0x22, 0x23, 0x30, 0x31, 0x32})
    for (uint8_t size = 0; size < 4; ++size)
      cases.push_back({{uint8_t(id), 0, 0, size}, 0xFFFF, 1, false});
  for (const Case& c : cases) {
    CinepakFrame frame{4, 8};
    frame.strip(4, 4)
        .add({0x22, {CinepakEntry::grey(1), CinepakEntry::grey(2)}})
        .v1Vectors({0})
        .raw(c.between)
        .strip(4, 4)
        .v1Vectors({1})
        .raw({0xFF, 0x00});
    SCOPED_TRACE(::testing::PrintToString(c.between) + " length " + std::to_string(c.length));
    CinepakCanvas canvas(4, 4 * 8);
    frame.length = c.length;
    EXPECT_EQ(canvas.decode(frame.encode()), c.result);
    EXPECT_EQ(canvas.at(0, 0), greyPixel(1));
    EXPECT_EQ(canvas.at(3, 7), c.secondStrip ? greyPixel(2) : kUntouched);
  }
}

TEST(Cinepak, ArgumentsThatCannotHoldAFrame) {
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

// Inside the sample, chunks read on past their end: a full codebook takes its
// cut last entry whole, a vector chunk its blocks' indices, a selective
// update a flag word while more than two of its bytes are left. The next
// chunk is still read from the end.
TEST(Cinepak, ChunksReadPastTheirEndWithinTheSample) {
  std::vector<CinepakEntry> entries;
  for (int i = 0; i < 0x33; ++i) entries.push_back(CinepakEntry::grey(uint8_t(i)));
  CinepakFrame frame{4, 16};
  frame.strip(4, 4)
      .add({0x22, entries})
      .raw({0x32, 0x00, 0x00, 0x04})        // no room for the block's index...
      .raw({0x32, 0x00, 0x00, 0x05, 0x07})  // ...which is this chunk's first byte
      .strip(4, 4)
      // Entry 0 ends three bytes into the next chunk "32 00 00": Y 80 80 80 50.
      .add({0x22, {}, {}, {}, {0x50, 0x50, 0x50}})
      .v1Vectors({0})
      .strip(4, 4)
      // Three bytes after entry 0: a flag word "80 00 00 | 32" for index 32,
      // whose entry follows: "00 00 05 20 07 00", U 7.
      .add({0x23, {}, {{0, CinepakEntry::grey(60)}}, {}, {0x80, 0x00, 0x00}})
      .v1Vectors({32})
      .raw({0x07, 0x00});
  CinepakCanvas canvas(4, 4 * 16);
  frame.length = uint32_t(frame.encode().size() - 2);
  ASSERT_EQ(canvas.decode(frame.encode()), 0);
  EXPECT_EQ(canvas.at(0, 0), greyPixel(0x32));
  EXPECT_EQ(canvas.at(0, 4), greyPixel(0x07));
  EXPECT_EQ(canvas.at(0, 8), greyPixel(0x50));
  EXPECT_EQ(canvas.at(3, 11), greyPixel(0x32));
  EXPECT_EQ(canvas.at(0, 12), CinepakModel::colour(0x00, 0x07, 0x00));
}

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
      Bytes expected = model.decode(in, stereo, capacity);
      Bytes out(std::min<size_t>(capacity, 1024) + 64, 0xEE);
      ASSERT_EQ(adx.decode(in.data(), int32_t(in.size()), out.data(), stereo, capacity),
                int32_t(expected.size()))
          << stereo << " call " << call;
      expected.resize(out.size(), 0xEE);  // nothing written past the decoded blocks
      ASSERT_EQ(out, expected) << call;
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
        expected.resize(out.size(), 0xEE);  // nothing written past the whole frames
        ASSERT_EQ(out, expected);
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
