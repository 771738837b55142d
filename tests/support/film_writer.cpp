#include "support/film_writer.h"

#include <algorithm>
#include <cstring>

#include "support/cinepak_encoder.h"

namespace zentrov::test {

FilmSample audioSample(Bytes data) {
  return FilmSample{std::move(data), kAudioInfo1, 0};
}

FilmSample videoSample(Bytes data, uint32_t timeStamp, bool keyFrame, int32_t info2) {
  return {std::move(data), (timeStamp & 0x7FFFFFFFu) | (keyFrame ? 0 : 0x80000000u), info2};
}

size_t stabOffset(const FilmSpec& spec) {
  return spec.fallbackLayout ? 48 : 16 + 32 * size_t(spec.fdscCount);
}

size_t firstSampleOffset(const FilmSpec& spec) {
  return stabOffset(spec) + 16 + 16 * spec.samples.size();
}

void put32(Bytes& bytes, size_t at, uint32_t value) {
  if (bytes.size() < at + 4) bytes.resize(at + 4);
  for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(value >> (24 - 8 * i));
}

void placeAt(Bytes& file, size_t offset, const Bytes& movie) {
  if (file.size() < offset + movie.size()) file.resize(offset + movie.size());
  std::copy(movie.begin(), movie.end(), file.begin() + long(offset));
}

Bytes buildFilm(const FilmSpec& spec) {
  const bool fallback = spec.fallbackLayout;
  Bytes b;
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(t[i]));
  };
  auto word = [&](uint32_t v) { put32(b, b.size(), v); };
  tag(fallback ? "NOPE" : "FILM");
  word(uint32_t(firstSampleOffset(spec)));
  tag("1.09");
  word(0);
  for (int i = 0; i < (fallback ? 1 : spec.fdscCount); ++i) {
    tag("FDSC");
    word(32);
    tag("cvid");
    word(fallback ? 0xFFFF : uint32_t(spec.height));
    word(fallback ? 0xFFFF : uint32_t(spec.width));
    b.insert(b.end(), {24, uint8_t(spec.audioChannels), uint8_t(spec.audioBits),
                       uint8_t(spec.audioCompression)});
    word(spec.sampleRate);
    word(0);
  }
  tag("STAB");
  word(uint32_t(16 + 16 * spec.samples.size()));
  word(uint32_t(spec.timeBase));
  word(uint32_t(spec.samples.size()));
  uint32_t offset = 0;
  for (const FilmSample& s : spec.samples) {
    for (uint32_t v : {offset, uint32_t(s.data.size()), s.info1, uint32_t(s.info2)}) word(v);
    offset += uint32_t(s.data.size());
  }
  for (const FilmSample& s : spec.samples) b.insert(b.end(), s.data.begin(), s.data.end());
  return b;
}

Bytes greyFrame(uint8_t level) {
  return CinepakFrame{64, 64}
      .strip(64, 64)
      .add({0x22, {CinepakEntry::grey(level)}})
      .v1Vectors(Bytes(256, 0))
      .encode();
}

Bytes brokenFrame() {
  Bytes f = greyFrame(0);
  f[12] = 0x24;  // a luminance-only codebook where the strip header stands
  return f;
}

Bytes pattern(size_t n, uint32_t seed) {
  Bytes out(n);
  uint32_t x = seed * 2654435761u + 12345u;
  for (uint8_t& b : out) b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
  return out;
}

Bytes expectedPcm(const Bytes& in, int bits, int channels) {
  const size_t n = in.size(), half = channels == 2 ? n / 2 : 0;
  auto at = [&](size_t i) -> uint8_t { return i < n ? in[i] : 0; };
  Bytes out;
  for (size_t f = 0; f < (n * size_t(32 / bits / channels) + 3) / 4; ++f) {
    if (bits == 8)
      out.insert(out.end(), {at(f), at(f), at(half + f), at(half + f)});
    else
      out.insert(out.end(), {at(2 * f + 1), at(2 * f), at(half + 2 * f + 1), at(half + 2 * f)});
  }
  return out;
}

}  // namespace zentrov::test
