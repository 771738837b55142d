// Random well-formed frames of every chunk kind and geometry, decoded frame
// after frame, against the plain model of the test encoder.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "codec/cinepak_decoder.h"
#include "support/cinepak_encoder.h"

namespace zentrov {
namespace {

using test::CinepakBlock;
using test::CinepakBook;
using test::CinepakEntry;
using test::CinepakFrame;

class RandomFrames {
 public:
  explicit RandomFrames(uint32_t seed) : rng_(seed) {}
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(int percent) { return pick(1, 100) <= percent; }

  CinepakEntry entry() {
    CinepakEntry e;
    for (uint8_t& y : e.y) y = uint8_t(pick(0, 255));
    e.u = int8_t(pick(-128, 127));
    e.v = int8_t(pick(-128, 127));
    return e;
  }

  void codebook(CinepakFrame& frame, CinepakBook book) {
    if (chance(50)) {
      std::vector<CinepakEntry> entries(size_t(pick(1, 256)));
      for (CinepakEntry& e : entries) e = entry();
      frame.fullCodebook(book, entries);
    } else {
      std::vector<std::pair<int, CinepakEntry>> updates;
      for (int i = 0; i < 256; ++i) {
        if (chance(20)) updates.push_back({i, entry()});
      }
      std::vector<uint8_t> tail(size_t(pick(0, 2)), 0xFF);  // padding the loop must not read
      frame.selectiveCodebook(book, updates, tail);
    }
  }

  void vectors(CinepakFrame& frame, size_t blocks) {
    const int kind = pick(0, 2);
    if (kind == 2) {
      std::vector<uint8_t> indices(blocks);
      for (uint8_t& i : indices) i = uint8_t(pick(0, 255));
      frame.v1Vectors(indices);
      return;
    }
    std::vector<CinepakBlock> list;
    const int skipPercent = kind == 1 ? pick(0, 90) : 0;
    for (size_t n = 0; n < blocks; ++n) {
      if (chance(skipPercent)) {
        list.push_back(test::skipBlock());
      } else if (chance(50)) {
        list.push_back(test::v4Block(uint8_t(pick(0, 255)), uint8_t(pick(0, 255)),
                                     uint8_t(pick(0, 255)), uint8_t(pick(0, 255))));
      } else {
        list.push_back(test::v1Block(uint8_t(pick(0, 255))));
      }
    }
    if (kind == 0) {
      frame.intraVectors(list);
    } else {
      frame.interVectors(list);
    }
  }

  // Strips of random height whose right edge is usually the picture's width
  // and sometimes wider; each ends with a vector chunk (sometimes two).
  CinepakFrame frame(int width, int rows) {
    CinepakFrame f{uint16_t(width), uint16_t(rows)};
    const int strips = pick(1, 4);
    for (int s = 0; s < strips; ++s) {
      const uint16_t bottom = uint16_t(pick(0, 40));
      const uint16_t right = uint16_t(chance(80) ? width : pick(0, width + 12));
      f.strip(bottom, right, chance(50));
      if (chance(60)) codebook(f, CinepakBook::kV4);
      if (chance(60)) codebook(f, CinepakBook::kV1);
      const int chunks = chance(15) ? 2 : 1;
      for (int c = 0; c < chunks; ++c) vectors(f, size_t(bottom / 4) * size_t(right / 4));
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
    const size_t pixels = size_t(width) * size_t(rows);
    // The same frames through two decoders: one with the sample in an
    // allocation of its exact size (the checked path near its end), one with
    // spare bytes behind it (the fast path throughout).
    CinepakDecoder exact;
    CinepakDecoder padded;
    std::vector<uint32_t> exactPixels(pixels, 0);
    std::vector<uint32_t> paddedPixels(pixels, 0);
    test::CinepakModel model(width, rows);
    for (int f = 0; f < 8; ++f) {
      const CinepakFrame frame = random.frame(width, rows);
      model.apply(frame);
      const std::vector<uint8_t> bytes = frame.encode();
      std::unique_ptr<uint8_t[]> sample(new uint8_t[bytes.size()]);
      std::copy(bytes.begin(), bytes.end(), sample.get());
      std::vector<uint8_t> longer = bytes;
      longer.resize(bytes.size() + 128, 0xFF);
      ASSERT_EQ(exact.decodeFrame(sample.get(), bytes.size(), exactPixels.data(), pixels, width),
                0);
      ASSERT_EQ(
          padded.decodeFrame(longer.data(), longer.size(), paddedPixels.data(), pixels, width), 0);
      for (size_t i = 0; i < pixels; ++i) {
        ASSERT_EQ(exactPixels[i] & 0xFFFFFFu, model.pixels()[i])
            << "sequence " << sequence << " frame " << f << " pixel " << i << " width " << width;
        ASSERT_EQ(paddedPixels[i] & 0xFFFFFFu, model.pixels()[i])
            << "sequence " << sequence << " frame " << f << " pixel " << i << " width " << width;
      }
    }
  }
}

}  // namespace
}  // namespace zentrov
