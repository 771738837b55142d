#pragma once
// Small movies for driving the player through whole playbacks: hand-made
// Cinepak frames of one grey level and a scratch file to open.
//
//   FilmSpec spec;                                  // 64x64, no sound
//   spec.samples.push_back(videoSample(greyFrame(40), 0));
//   openTestMovie(rig.player, spec);

#include <cstdint>
#include <string>
#include <vector>

#include "playback/movie_open.h"
#include "support/film_writer.h"

namespace zentrov {
struct Player;
}

namespace zentrov::test {

// A complete 64x64 frame of one grey level: a strip header for 16 x 16
// blocks, a full V1 codebook of one entry (Y = level, U = V = 0) and a
// V1-only chunk of 256 zero indexes. Decodes to level in red, green and blue.
std::vector<uint8_t> greyFrame(uint8_t level);
// The 32-bit pixel (ignoring byte 3) that greyFrame(level) decodes to.
inline uint32_t greyPixel(uint8_t level) {
  return uint32_t(level) * 0x010101u;
}

// A frame whose first chunk the decoder does not recognise.
std::vector<uint8_t> brokenFrame();

// Deterministic bytes, different for each seed.
std::vector<uint8_t> pattern(size_t n, uint32_t seed);

// 16-bit stereo sound at 44,100 Hz with the time base at the same rate, so
// that a time stamp counts sound frames: a frame stamped S is due once the
// ring has played 4 x S bytes. Entries: sound, a frame at 0, sound, a frame
// at 1,000, sound, a frame at 2,000 (4,000 bytes of sound each).
FilmSpec pacedSoundMovie();

// Writes the movie into a scratch folder named after the test; returns the path.
std::string writeMovie(const std::string& testName, const FilmSpec& spec);

// Names `path` as the current file and opens it from the start.
OpenResult openPath(Player& player, const std::string& path);

// Writes the movie into a scratch folder named after the running test (and
// `tag`, for a test that opens several) and opens it.
OpenResult openTestMovie(Player& player, const FilmSpec& spec, const std::string& tag = "");

}  // namespace zentrov::test
