// Arbitrary bytes as a run of audio samples through the sound path of the
// tick: mostly ADX, sometimes PCM or an unknown compression.
//
// Input: byte 0 channels, byte 1 bits, byte 2 compression selector, bytes 3-4
// the output capacity; then samples, each a 16-bit big-endian length and that
// many bytes (the last one takes whatever is left).

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/adx_decoder.h"
#include "codec/sound_sample.h"

using namespace zentrov;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  StreamDescription stream;
  stream.audioChannels = static_cast<int8_t>(data[0]);
  stream.audioBits = static_cast<int8_t>(data[1]);
  stream.audioCompression = data[2] >= 0xF0      ? static_cast<int8_t>(data[2] & 0x0F)
                            : (data[2] & 3) == 3 ? kAudioPcm
                                                 : kAudioAdx;
  const size_t capacity = ((size_t{data[3]} << 8) | data[4]) * 4 % (kPcmBufferBytes + 1);
  AdxDecoder adx;
  adx.reset();
  std::vector<uint8_t> out(capacity);  // exactly: the sanitizer sees any write beyond it
  for (size_t at = 5; at < size;) {
    size_t length = size - at;
    if (length >= 2) {
      length = std::min(size - at - 2, (size_t{data[at]} << 8) | data[at + 1]);
      at += 2;
    }
    const std::vector<uint8_t> sample(data + at, data + at + length);
    at += length;
    const int32_t bytes = decodeSoundSample(stream, adx, sample.data(),
                                            static_cast<int32_t>(length), out.data(), capacity);
    if (bytes < 0 || static_cast<size_t>(bytes) > capacity || bytes % 4 != 0) std::abort();
    if (stream.audioCompression != kAudioAdx || stream.audioChannels == 0) continue;
    if (bytes % 128 != 0) std::abort();
    for (int32_t i = 0; i < bytes; i += 2)
      if ((out[static_cast<size_t>(i)] & 7) != 0) std::abort();  // samples are multiples of 8
    for (int32_t s1 : {adx.leftS1, adx.rightS1})
      if (s1 < -2048 || s1 > 2047) std::abort();
  }
  return 0;
}
