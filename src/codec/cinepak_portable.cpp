// The kernel set every processor runs: plain integer code.

#include <cstring>

#include "codec/cinepak_kernels.h"
#include "codec/cinepak_rows.h"

namespace zentrov {

namespace {

inline uint32_t clampComponent(int32_t value) {
  return static_cast<uint32_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

inline uint64_t load64(const uint32_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void store64(uint32_t* p, uint64_t v) {
  std::memcpy(p, &v, sizeof v);
}

struct PortableDraw {
  // Each row of a V4 block is the top or bottom pair of two entries.
  static void v4(uint32_t* p, const CodebookEntry* codebook, const uint8_t* index, size_t width) {
    const uint32_t* e1 = codebook[index[0]].pixels;
    const uint32_t* e2 = codebook[index[1]].pixels;
    const uint32_t* e3 = codebook[index[2]].pixels;
    const uint32_t* e4 = codebook[index[3]].pixels;
    const uint64_t a = load64(e1), b = load64(e1 + 2), c = load64(e2), d = load64(e2 + 2);
    const uint64_t e = load64(e3), f = load64(e3 + 2), g = load64(e4), h = load64(e4 + 2);
    store64(p, a);
    store64(p + 2, c);
    p += width;
    store64(p, b);
    store64(p + 2, d);
    p += width;
    store64(p, e);
    store64(p + 2, g);
    p += width;
    store64(p, f);
    store64(p + 2, h);
  }

  static void v1(uint32_t* p, const CodebookEntry& entry, size_t width) {
    const uint32_t topLeft = entry.pixels[0], topRight = entry.pixels[1];
    const uint32_t bottomLeft = entry.pixels[2], bottomRight = entry.pixels[3];
    uint32_t top[4] = {topLeft, topLeft, topRight, topRight};
    uint32_t bottom[4] = {bottomLeft, bottomLeft, bottomRight, bottomRight};
    std::memcpy(p, top, sizeof top);
    std::memcpy(p + width, top, sizeof top);
    std::memcpy(p + 2 * width, bottom, sizeof bottom);
    std::memcpy(p + 3 * width, bottom, sizeof bottom);
  }
};

void convertEntriesPortable(const uint8_t* in, int32_t count, CodebookEntry* first,
                            CodebookEntry* second) {
  for (int32_t n = 0; n < count; ++n, in += 6) {
    const int32_t u = static_cast<int8_t>(in[4]);
    const int32_t v = static_cast<int8_t>(in[5]);
    // Each component is Y plus its colour term divided by 1024 and floored.
    // Biasing the term by 512 << 10 keeps the shifted value non-negative, so
    // the shift floors.
    constexpr int32_t kBias = 512;
    const int32_t redOffset = ((1436 * v + (kBias << 10)) >> 10) - kBias;
    const int32_t greenOffset = ((-731 * v - 352 * u + (kBias << 10)) >> 10) - kBias;
    const int32_t blueOffset = ((1815 * u + (kBias << 10)) >> 10) - kBias;
    CodebookEntry entry;
    for (int i = 0; i < 4; ++i) {
      const int32_t y = in[i];
      entry.pixels[i] = (clampComponent(y + redOffset) << 16) |
                        (clampComponent(y + greenOffset) << 8) | clampComponent(y + blueOffset);
    }
    first[n] = entry;
    if (second != nullptr) second[n] = entry;
  }
}

constexpr CinepakKernels kPortable = kernelsOf<PortableDraw>(convertEntriesPortable);

}  // namespace

const CinepakKernels& portableCinepakKernels() {
  return kPortable;
}

}  // namespace zentrov
