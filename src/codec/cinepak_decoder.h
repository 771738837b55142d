#pragma once
// Cinepak frames as written for the Sega Saturn, decoded into 32-bit pixels
// (0xXXRRGGBB). One decoder lives for the whole run; its codebooks carry over
// from frame to frame and from movie to movie.

#include <cstddef>
#include <cstdint>

namespace zentrov {

// Four pixels of a 2x2 group: top-left, top-right, bottom-left, bottom-right.
struct CodebookEntry {
  uint32_t pixels[4];
};

class CinepakDecoder {
 public:
  // Decodes one frame of `sampleLength` bytes into `frame`, whose rows are
  // `frameWidth` pixels and which holds `framePixels` pixels. Returns 0 when
  // the frame is complete, 1 when decoding stopped early.
  int32_t decodeFrame(const uint8_t* sample, size_t sampleLength, uint32_t* frame,
                      size_t framePixels, int32_t frameWidth);

  // (members completed with the decoder)
};

}  // namespace zentrov
