#pragma once
// Test movies: a FILM writer, grey Cinepak frames, deterministic bytes, the
// sound a PCM sample becomes. Portable: the Windows tests use it too.

#include <cstdint>
#include <string>
#include <vector>

#include "film/film_format.h"

namespace zentrov::test {

using Bytes = std::vector<uint8_t>;

struct FilmSample {
  Bytes data;
  uint32_t info1 = kAudioInfo1;
  int32_t info2 = 0;
};
FilmSample audioSample(Bytes data);
FilmSample videoSample(Bytes data, uint32_t timeStamp, bool keyFrame = true, int32_t info2 = 0);

// The FILM block, fdscCount FDSC chunks (all alike), STAB, the sample data.
struct FilmSpec {
  int32_t width = 64, height = 64;
  int8_t audioChannels = 0, audioBits = 16, audioCompression = 0;
  uint32_t sampleRate = 22050u << 16;
  int32_t timeBase = 600;
  int fdscCount = 1;
  bool fallbackLayout = false;  // no signature, both size fields 0x0000FFFF, the table at 48
  std::vector<FilmSample> samples = {};
};
Bytes buildFilm(const FilmSpec& spec);
size_t stabOffset(const FilmSpec& spec);
size_t firstSampleOffset(const FilmSpec& spec);                // the headerLength written
void put32(Bytes& bytes, size_t at, uint32_t value);           // big-endian
void placeAt(Bytes& file, size_t offset, const Bytes& movie);  // grows the file as needed

// A 64x64 frame of greyPixel(level); one whose first chunk is unknown.
Bytes greyFrame(uint8_t level);
inline uint32_t greyPixel(uint8_t level) {
  return level * 0x010101u;
}
Bytes brokenFrame();
Bytes pattern(size_t n, uint32_t seed);
// The 16-bit little-endian stereo frames a PCM sample of 8 or 16 bits, mono
// or planar stereo, becomes; a partial last frame reads 0 past the data.
Bytes expectedPcm(const Bytes& in, int bits, int channels);

}  // namespace zentrov::test
