#include "headless/null_ports.h"

#include <algorithm>
#include <cstring>

namespace zentrov {

void copyIntoRing(uint8_t* ring, uint32_t offset, const uint8_t* data, uint32_t bytes) {
  for (uint32_t done = 0; done < bytes;) {
    const uint32_t at = (offset + done) & kRingMask;
    const uint32_t piece = std::min(bytes - done, kRingBytes - at);
    std::memcpy(ring + at, data + done, piece);
    done += piece;
  }
}

bool MemorySoundRing::write(uint32_t offset, const uint8_t* data, uint32_t bytes) {
  copyIntoRing(ring.get(), offset, data, bytes);
  written += bytes;
  return true;
}

void MemorySoundRing::clear() {
  std::memset(ring.get(), 0, kRingBytes);
}

void MemoryFrameOutput::clearBackSurfaces() {
  std::memset(shown.get(), 0, kDecodedFramePixels * sizeof(uint32_t));
}

bool MemoryFrameOutput::convertToNextBackSurface(const uint32_t* frame, int32_t w, int32_t h) {
  const size_t pixels =
      std::min(size_t(std::max(w, 0)) * size_t(std::max(h, 0)), kDecodedFramePixels);
  std::memcpy(shown.get(), frame, pixels * sizeof(uint32_t));
  width = w;
  height = h;
  ++converted;
  return true;
}

}  // namespace zentrov
