#pragma once
// A test-only FILM writer: builds movie files of any shape in memory.
//
//   FilmSpec spec;                       // 64x64, no sound, timeBase 600
//   spec.samples.push_back(videoSample(frameBytes, 0, true));
//   std::vector<uint8_t> bytes = buildFilm(spec);
//
// The layout: a 16-byte FILM block, `fdscCount` FDSC chunks, the STAB chunk,
// then the sample data in table order. Malformed files are made by changing
// the override fields or patching the returned bytes (see the offsets helpers).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zentrov::test {

struct FilmSample {
  std::vector<uint8_t> data;
  uint32_t info1 = 0xFFFFFFFFu;  // audio unless set
  int32_t info2 = 0;
};

FilmSample audioSample(std::vector<uint8_t> data);
FilmSample videoSample(std::vector<uint8_t> data, uint32_t timeStamp, bool keyFrame = true,
                       int32_t info2 = 0);

struct FilmSpec {
  int32_t width = 64;
  int32_t height = 64;
  int8_t audioChannels = 0;
  int8_t audioBits = 16;
  int8_t audioCompression = 0;
  uint32_t sampleRate = 22050u << 16;
  int32_t timeBase = 600;
  std::vector<FilmSample> samples;

  int fdscCount = 1;            // FDSC chunks written (the last one carries the fields above)
  bool fallbackLayout = false;  // no "FILM" signature, version "1.09", size fields 0x0000FFFF
  std::string version = "1.09";

  // Overrides for malformed files; unset means the correct value.
  std::optional<uint32_t> headerLength;
  std::optional<uint32_t> fdscLength;  // the length field written into every FDSC chunk
  std::optional<uint32_t> stabLength;  // the STAB chunk length field
  std::optional<int32_t> entryCount;   // the entryCount field
  std::string stabTag = "STAB";
};

std::vector<uint8_t> buildFilm(const FilmSpec& spec);

// Byte offsets inside a file made by buildFilm (relative to the FILM block).
size_t fdscOffset(const FilmSpec& spec, int index);  // start of FDSC chunk `index`
size_t stabOffset(const FilmSpec& spec);
size_t firstSampleOffset(const FilmSpec& spec);  // = headerLength when not overridden

// Places `movie` at `offset` in `file`, growing it with zeros as needed.
void placeAt(std::vector<uint8_t>& file, size_t offset, const std::vector<uint8_t>& movie);

std::string toString(const std::vector<uint8_t>& bytes);

}  // namespace zentrov::test
