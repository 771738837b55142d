#pragma once
// Converting decoded 32-bit frames into the display's pixel format.

#include <cstdint>

namespace zentrov {

constexpr int32_t kSurfaceWidth = 640;
constexpr int32_t kSurfaceHeight = 480;

struct DisplayPixelFormat {
  int32_t formatCode = 32;         // 8, 15, 16, 17, 24 or 32; others convert nothing
  uint8_t leftShift[3] = {};       // blue, green, red
  uint8_t rightShift[3] = {};      // blue, green, red
};

struct PixelMasks {
  uint32_t red = 0;
  uint32_t green = 0;
  uint32_t blue = 0;
};

// Shift counts of the generic 16-bit path from the primary surface's masks.
void Initial24to16(DisplayPixelFormat& format, const PixelMasks& masks);
// Refines a 9..23-bit formatCode into 15 (5-5-5), 16 (5-6-5) or 17 (generic).
void Check555or565(DisplayPixelFormat& format, const PixelMasks& masks);
// Index 10..225 of the 6x6x6 colour cube of the 8-bit display palette.
uint8_t colourCubeIndex(uint8_t red, uint8_t green, uint8_t blue);

// Converts `frameHeight` rows of `frameWidth` pixels into a locked surface of
// `surfaceWidth` x `surfaceHeight` pixels whose rows are `pitch` bytes apart.
// A frame larger than the surface is clipped to it.
void convertFrame(const DisplayPixelFormat& format, const uint32_t* frame, int32_t frameWidth,
                  int32_t frameHeight, uint8_t* surface, int32_t pitch, int32_t surfaceWidth,
                  int32_t surfaceHeight);

}  // namespace zentrov
