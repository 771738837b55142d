// Arbitrary bytes as a run of audio samples through the sound path of the
// tick: mostly ADX, sometimes PCM or an unknown compression.
//
// Input: byte 0 channels, byte 1 bits, byte 2 compression selector, bytes 3-4
// the output capacity; then samples, each a 16-bit big-endian length and that
// many bytes (the last one takes whatever is left).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/adx_decoder.h"
#include "codec/sound_sample.h"
#include "film/film_format.h"

using namespace zentrov;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  StreamDescription stream;
  stream.audioChannels = static_cast<int8_t>(data[0]);
  stream.audioBits = static_cast<int8_t>(data[1]);
  const int8_t compressions[] = {kAudioAdx, kAudioAdx, kAudioAdx, kAudioPcm};
  stream.audioCompression =
      data[2] < 0xF0 ? compressions[data[2] & 3] : static_cast<int8_t>(data[2] & 0x0F);
  const size_t capacity = ((size_t{data[3]} << 8) | data[4]) * 4 % (kPcmBufferBytes + 1);
  data += 5;
  size -= 5;

  AdxDecoder adx;
  adx.reset();
  // Exactly the capacity, so the sanitizer sees any write beyond it.
  std::vector<uint8_t> out(capacity);
  while (size > 0) {
    size_t length = size;
    if (size >= 2) {
      length = (size_t{data[0]} << 8) | data[1];
      data += 2;
      size -= 2;
      if (length > size) length = size;
    }
    std::vector<uint8_t> sample(data, data + length);
    data += length;
    size -= length;
    const int32_t bytes = decodeSoundSample(
        stream, adx, sample.data(), static_cast<int32_t>(sample.size()), out.data(), out.size());
    if (bytes < 0 || static_cast<size_t>(bytes) > capacity || bytes % 4 != 0) std::abort();
    if (stream.audioCompression == kAudioAdx && stream.audioChannels != 0) {
      if (bytes % 128 != 0) std::abort();
      for (int32_t i = 0; i < bytes; i += 2)
        if ((out[static_cast<size_t>(i)] & 7) != 0) std::abort();  // samples are multiples of 8
      if (adx.leftS1 < -2048 || adx.leftS1 > 2047 || adx.rightS1 < -2048 || adx.rightS1 > 2047)
        std::abort();
    }
  }
  return 0;
}
