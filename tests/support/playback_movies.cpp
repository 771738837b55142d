#include "support/playback_movies.h"

#include <gtest/gtest.h>

#include "playback/player.h"
#include "support/test_paths.h"

namespace zentrov::test {

std::vector<uint8_t> greyFrame(uint8_t level) {
  constexpr int kBlocks = 16 * 16;
  std::vector<uint8_t> f = {
      0x00, 0x00, 0x00, 0x00,               // flags, frame length (patched below)
      0x00, 0x40, 0x00, 0x40, 0x00,  0x01,  // width, height, strips
      0x00, 0x00,                           // the two FILM bytes
      0x10, 0x00, 0x00, 0x0C, 0x00,  0x00,  0x00,  0x00,  0x00, 0x40, 0x00, 0x40,  // strip 64x64
      0x22, 0x00, 0x00, 0x0A, level, level, level, level, 0x00, 0x00,  // V1 codebook, entry 0
      0x32, 0x00, 0x01, 0x04,  // V1-only vectors, 4 + 256 bytes
  };
  f.insert(f.end(), kBlocks, 0x00);
  f[2] = uint8_t(f.size() >> 8);
  f[3] = uint8_t(f.size());
  return f;
}

std::vector<uint8_t> brokenFrame() {
  std::vector<uint8_t> f = greyFrame(0);
  f[12] = 0x24;  // a luminance-only codebook id where the strip header stands
  return f;
}

std::vector<uint8_t> pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> out(n);
  uint32_t x = seed * 2654435761u + 12345u;
  for (auto& b : out) {
    x = x * 1664525u + 1013904223u;
    b = uint8_t(x >> 24);
  }
  return out;
}

FilmSpec pacedSoundMovie() {
  FilmSpec spec;
  spec.audioChannels = 2;
  spec.audioBits = 16;
  spec.sampleRate = 44100u << 16;
  spec.timeBase = 44100;
  spec.samples = {audioSample(pattern(4000, 1)), videoSample(greyFrame(20), 0),
                  audioSample(pattern(4000, 2)), videoSample(greyFrame(21), 1000),
                  audioSample(pattern(4000, 3)), videoSample(greyFrame(22), 2000)};
  return spec;
}

std::string writeMovie(const std::string& testName, const FilmSpec& spec) {
  const std::string path = scratchDir(testName) + "/movie.cpk";
  writeFile(path, toString(buildFilm(spec)));
  return path;
}

OpenResult openPath(Player& player, const std::string& path) {
  player.shell.currentFileName = path;
  return openMovie(player, OpenRequest::fromStart());
}

OpenResult openTestMovie(Player& player, const FilmSpec& spec, const std::string& tag) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return openPath(
      player, writeMovie(std::string(info->test_suite_name()) + "." + info->name() + tag, spec));
}

}  // namespace zentrov::test
