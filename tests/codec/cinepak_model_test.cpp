// Random well-formed frames of every chunk kind and geometry, decoded frame
// after frame, against the plain model of the test encoder.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/cinepak_encoder.h"

namespace zentrov::test {
namespace {

class RandomFrames {
 public:
  explicit RandomFrames(uint32_t seed) : rng_(seed) {}
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(int percent) { return pick(1, 100) <= percent; }
  uint8_t byte() { return uint8_t(pick(0, 255)); }

  CinepakEntry entry() {
    return cinepakEntry(byte(), byte(), byte(), byte(), int8_t(byte()), int8_t(byte()));
  }

  void codebook(CinepakFrame& frame, CinepakBook book) {
    if (chance(50)) {
      std::vector<CinepakEntry> entries(size_t(pick(1, 256)));
      for (CinepakEntry& e : entries) e = entry();
      frame.fullCodebook(book, entries);
      return;
    }
    std::vector<std::pair<int, CinepakEntry>> updates;
    for (int i = 0; i < 256; ++i) {
      if (chance(20)) updates.push_back({i, entry()});
    }
    // Padding of one or two bytes the loop must not read as a flag word.
    frame.selectiveCodebook(book, updates, std::vector<uint8_t>(size_t(pick(0, 2)), 0xFF));
  }

  // Intra, inter (with a random share of unchanged blocks) or V1-only.
  void vectors(CinepakFrame& frame, size_t blocks) {
    const int kind = pick(0, 2);
    const int skipPercent = kind == 1 ? pick(0, 90) : 0;
    std::vector<CinepakBlock> list;
    for (size_t n = 0; n < blocks; ++n) {
      if (chance(skipPercent)) {
        list.push_back(CinepakBlock{});  // unchanged
      } else if (kind != 2 && chance(50)) {
        list.push_back(v4Block(byte(), byte(), byte(), byte()));
      } else {
        list.push_back(v1Block(byte()));
      }
    }
    // For 0x32 every block is V1 and only its index is written.
    frame.add({uint8_t(0x30 + kind), 0, 0, {}, {}, std::move(list), {}});
  }

  // Strips of random height whose right edge is usually the picture's width
  // and sometimes wider; each ends with a vector chunk (sometimes two).
  CinepakFrame frame(int width, int rows) {
    CinepakFrame f{uint16_t(width), uint16_t(rows)};
    for (int s = pick(1, 4); s > 0; --s) {
      const uint16_t bottom = uint16_t(pick(0, 40));
      const uint16_t right = uint16_t(chance(80) ? width : pick(0, width + 12));
      f.strip(bottom, right, chance(50));
      if (chance(60)) codebook(f, CinepakBook::kV4);
      if (chance(60)) codebook(f, CinepakBook::kV1);
      for (int c = chance(15) ? 2 : 1; c > 0; --c) vectors(f, size_t(bottom / 4) * (right / 4));
    }
    return f;
  }

 private:
  std::mt19937 rng_;
};

TEST(CinepakRandomFrames, MatchThePlainModel) {
  RandomFrames random(20241206);
  for (int sequence = 0; sequence < 40; ++sequence) {
    const int width = random.chance(70) ? 4 * random.pick(1, 48) : random.pick(1, 190);
    const int rows = random.pick(1, 100);
    // The same frames through two decoders: one given the sample alone (the
    // checked path near its end), one with spare bytes behind it (the fast
    // path throughout).
    CinepakCanvas canvases[2] = {{width, size_t(width * rows)}, {width, size_t(width * rows)}};
    CinepakModel model(width, rows);
    for (int f = 0; f < 8; ++f) {
      const CinepakFrame frame = random.frame(width, rows);
      model.apply(frame);
      std::vector<uint8_t> bytes = frame.encode();
      ASSERT_EQ(canvases[0].decode(bytes), 0);
      bytes.resize(bytes.size() + 128, 0xFF);
      ASSERT_EQ(canvases[1].decode(bytes), 0);
      for (int d = 0; d < 2; ++d) {
        for (size_t i = 0; i < model.pixels().size(); ++i) {
          ASSERT_EQ(canvases[d].at(i), model.pixels()[i])
              << "decoder " << d << " sequence " << sequence << " frame " << f << " pixel " << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace zentrov::test
