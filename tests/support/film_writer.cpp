#include "support/film_writer.h"

#include <algorithm>
#include <cstring>

namespace zentrov::test {

namespace {
void putBE32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 24));
  out.push_back(uint8_t(v >> 16));
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}
void putTag(std::vector<uint8_t>& out, const std::string& tag) {
  for (size_t i = 0; i < 4; ++i) out.push_back(i < tag.size() ? uint8_t(tag[i]) : 0);
}
constexpr size_t kFdscBytes = 32;
}  // namespace

FilmSample audioSample(std::vector<uint8_t> data) {
  return FilmSample{std::move(data), 0xFFFFFFFFu, 0};
}

FilmSample videoSample(std::vector<uint8_t> data, uint32_t timeStamp, bool keyFrame,
                       int32_t info2) {
  uint32_t info1 = (timeStamp & 0x7FFFFFFFu) | (keyFrame ? 0u : 0x80000000u);
  return FilmSample{std::move(data), info1, info2};
}

size_t fdscOffset(const FilmSpec&, int index) {
  return 16 + kFdscBytes * size_t(index);
}
size_t stabOffset(const FilmSpec& spec) {
  return spec.fallbackLayout ? 48 : 16 + kFdscBytes * size_t(spec.fdscCount);
}
size_t firstSampleOffset(const FilmSpec& spec) {
  return stabOffset(spec) + 16 + 16 * spec.samples.size();
}

std::vector<uint8_t> buildFilm(const FilmSpec& spec) {
  std::vector<uint8_t> out;
  const uint32_t headerLength =
      spec.headerLength.value_or(static_cast<uint32_t>(firstSampleOffset(spec)));
  putTag(out, spec.fallbackLayout ? "NOPE" : "FILM");
  putBE32(out, headerLength);
  putTag(out, spec.version);
  putBE32(out, 0);
  const int fdscCount = spec.fallbackLayout ? 1 : spec.fdscCount;
  for (int i = 0; i < fdscCount; ++i) {
    putTag(out, "FDSC");
    putBE32(out, spec.fdscLength.value_or(kFdscBytes));
    putTag(out, "cvid");
    putBE32(out, spec.fallbackLayout ? 0x0000FFFFu : uint32_t(spec.height));
    putBE32(out, spec.fallbackLayout ? 0x0000FFFFu : uint32_t(spec.width));
    out.push_back(24);
    out.push_back(uint8_t(spec.audioChannels));
    out.push_back(uint8_t(spec.audioBits));
    out.push_back(uint8_t(spec.audioCompression));
    putBE32(out, spec.sampleRate);
    putBE32(out, 0);
  }
  putTag(out, spec.stabTag);
  putBE32(out, spec.stabLength.value_or(uint32_t(16 + 16 * spec.samples.size())));
  putBE32(out, uint32_t(spec.timeBase));
  putBE32(out, uint32_t(spec.entryCount.value_or(int32_t(spec.samples.size()))));
  uint32_t offset = 0;
  for (const FilmSample& s : spec.samples) {
    putBE32(out, offset);
    putBE32(out, uint32_t(s.data.size()));
    putBE32(out, s.info1);
    putBE32(out, uint32_t(s.info2));
    offset += uint32_t(s.data.size());
  }
  out.resize(std::max<size_t>(out.size(), headerLength), 0);
  for (const FilmSample& s : spec.samples) out.insert(out.end(), s.data.begin(), s.data.end());
  return out;
}

void placeAt(std::vector<uint8_t>& file, size_t offset, const std::vector<uint8_t>& movie) {
  if (file.size() < offset + movie.size()) file.resize(offset + movie.size(), 0);
  std::memcpy(file.data() + offset, movie.data(), movie.size());
}

std::string toString(const std::vector<uint8_t>& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace zentrov::test
