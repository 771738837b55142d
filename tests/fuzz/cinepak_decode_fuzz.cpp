// Arbitrary bytes as Cinepak frames, decoded into frame buffers of arbitrary
// shape by one decoder per kernel set, so codebooks carry from frame to
// frame; every kernel set must give the same result and the same pixels.
//
// Input: bytes 0-1 the frame width (1 to 768), byte 2 the buffer's rows (0 to
// 255); then the sample, decoded twice.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "codec/cinepak_decoder.h"

using namespace zentrov;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int32_t width = 1 + static_cast<int32_t>(((size_t{data[0]} << 8) | data[1]) % 768);
  const size_t pixels = static_cast<size_t>(width) * data[2];
  data += 3;
  size -= 3;
  // Exactly the buffer's size, so the sanitizer sees any write beyond it.
  std::unique_ptr<uint32_t[]> portableFrame(new uint32_t[pixels]());
  std::unique_ptr<uint32_t[]> fastFrame(new uint32_t[pixels]());
  std::unique_ptr<CinepakDecoder> portable(new CinepakDecoder());
  std::unique_ptr<CinepakDecoder> fast(new CinepakDecoder());
  portable->useKernels(CinepakDecoder::Kernels::kPortable);
  for (int pass = 0; pass < 2; ++pass) {
    const int32_t result = portable->decodeFrame(data, size, portableFrame.get(), pixels, width);
    if (result != 0 && result != 1) __builtin_trap();
    if (fast->decodeFrame(data, size, fastFrame.get(), pixels, width) != result) __builtin_trap();
    if (std::memcmp(portableFrame.get(), fastFrame.get(), pixels * sizeof(uint32_t)) != 0)
      __builtin_trap();
  }
  return 0;
}
