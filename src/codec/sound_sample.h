#pragma once
// Turning one audio sample of a movie into 16-bit stereo sound frames.

#include <cstddef>
#include <cstdint>

#include "codec/adx_decoder.h"
#include "film/film_format.h"

namespace zentrov {

// Widens signed PCM (8 or 16 bits big-endian, mono or planar stereo) into
// 16-bit stereo frames. Returns the bytes written, whole 4-byte frames only,
// never more than `capacity`.
int32_t widenPcm(const uint8_t* input, int32_t length, int audioBits, int audioChannels,
                 uint8_t* output, size_t capacity);

// Produces the sound of one audio sample as the stream describes it: PCM
// widening, ADX decoding, or silence for an unknown compression. The result
// is a byte count that is always a whole number of 4-byte frames and at most
// `capacity`, so the ring never moves by part of a frame.
int32_t decodeSoundSample(const StreamDescription& stream, AdxDecoder& adx, const uint8_t* sample,
                          int32_t length, uint8_t* output, size_t capacity);

}  // namespace zentrov
