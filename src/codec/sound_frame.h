#pragma once
// The player's one sound format: 16-bit signed little-endian stereo, left
// then right, in the PCM buffer, the ring and exported WAV files alike.

#include <cstdint>

namespace zentrov {

constexpr int32_t kSoundFrameBytes = 4;

}  // namespace zentrov
