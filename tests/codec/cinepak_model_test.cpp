// Random well-formed frames of every chunk kind and geometry, decoded frame
// after frame by each kernel set, against the plain model of the test encoder.

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "support/cinepak_encoder.h"

namespace zentrov::test {
namespace {

using Kernels = CinepakDecoder::Kernels;

std::vector<Kernels> availableKernels() {
  std::vector<Kernels> kernels;
  for (Kernels k : {Kernels::kPortable, Kernels::kSse2}) {
    if (CinepakDecoder::kernelsAvailable(k)) kernels.push_back(k);
  }
  return kernels;
}

TEST(CinepakKernels, Sse2IsThereOnX86AndSwitchingToMissingKernelsChangesNothing) {
  CinepakDecoder decoder;
  EXPECT_TRUE(decoder.useKernels(Kernels::kPortable));
#if defined(__x86_64__) || defined(_M_X64)
  EXPECT_TRUE(CinepakDecoder::kernelsAvailable(Kernels::kSse2));
  EXPECT_TRUE(decoder.useKernels(Kernels::kSse2));
#else
  EXPECT_EQ(decoder.useKernels(Kernels::kSse2), CinepakDecoder::kernelsAvailable(Kernels::kSse2));
#endif
}

TEST(CinepakRandomFrames, MatchThePlainModel) {
  RandomCinepakFrames random(20241206);
  const std::vector<Kernels> kernels = availableKernels();
  for (int sequence = 0; sequence < 60; ++sequence) {
    const int width = random.chance(70) ? 4 * random.pick(1, 48) : random.pick(1, 190);
    const int rows = random.pick(1, 100);
    // The same frames through decoders of each kernel set: one given the
    // sample alone (the checked rows near its end), one with spare bytes
    // behind it (unchecked rows throughout).
    std::deque<CinepakCanvas> canvases;  // a decoder does not move
    for (Kernels k : kernels) {
      for (int spare = 0; spare < 2; ++spare) {
        canvases.emplace_back(width, size_t(width * rows));
        ASSERT_TRUE(canvases.back().decoder.useKernels(k));
      }
    }
    CinepakModel model(width, rows);
    for (int f = 0; f < 8; ++f) {
      const CinepakFrame frame = random.next(width, rows);
      model.apply(frame);
      std::vector<uint8_t> bytes = frame.encode();
      std::vector<uint8_t> padded = bytes;
      padded.resize(bytes.size() + 128, 0xFF);
      for (size_t d = 0; d < canvases.size(); ++d) {
        ASSERT_EQ(canvases[d].decode(d % 2 ? padded : bytes), 0);
        for (size_t i = 0; i < model.pixels().size(); ++i) {
          ASSERT_EQ(canvases[d].at(i), model.pixels()[i])
              << "kernels " << int(kernels[d / 2]) << (d % 2 ? " padded" : " exact") << " sequence "
              << sequence << " frame " << f << " pixel " << i;
        }
        // The byte the model leaves out is the same from every decoder too.
        ASSERT_EQ(canvases[d].frame, canvases[0].frame) << sequence << " " << f;
      }
    }
  }
}

}  // namespace
}  // namespace zentrov::test
