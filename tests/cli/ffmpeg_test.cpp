// zentrov-cli against Debian's ffmpeg on movies ffmpeg makes: the pictures,
// and PCM and ADX sound.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "support/movies.h"

namespace zentrov::test {
namespace {

const std::string kFfmpeg = "ffmpeg -hide_banner -loglevel error ";

std::string quoted(const std::string& s) {
  return "'" + s + "'";
}
uint32_t be32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
         uint32_t(uint8_t(s[at + 2])) << 8 | uint8_t(s[at + 3]);
}
std::vector<int16_t> samples(const std::string& bytes, size_t from = 0) {
  std::vector<int16_t> out;
  for (size_t i = from; i + 1 < bytes.size(); i += 2)
    out.push_back(int16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
  return out;
}

// A second of grey (128x96) or colour (96x64) pictures with sound of one or
// two different sine channels at 22,050 Hz in the ffmpeg codec given; made on
// first use.
std::string movie(const std::string& picture, const std::string& codec, int channels) {
  const std::string path = scratchPath(picture + codec + std::to_string(channels) + ".cpk");
  const bool grey = picture == "grey";
  if (!std::ifstream(path).good())
    run(kFfmpeg + "-y -f lavfi -i " +
        (grey ? "mandelbrot=size=128x96:rate=10" : "testsrc2=size=96x64:rate=10") +
        " -f lavfi -i 'aevalsrc=0.6*sin(440*2*PI*t)|0.3*sin(1000*2*PI*t)+0.1:s=22050' -vf " +
        (grey ? "hue=s=0,format=rgb24" : "format=rgb24") + " -ac " + std::to_string(channels) +
        " -c:a " + codec + " -t 1 -c:v cinepak -f film_cpk " + quoted(path));
  return path;
}

// Grey pictures match ffmpeg's to rounding; colour ones in luma only, as the
// colour weights differ from ffmpeg's (by up to 0.07 |U|: 7.84 measured).
TEST(Ffmpeg, FramesMatchOnGreyAndInLumaOnColour) {
  for (const auto& [name, pixels] : {std::pair{"grey", 128 * 96}, {"colour", 96 * 64}}) {
    const std::string path = movie(name, "pcm_s16be_planar", 2), dir = path + "-png";
    cli("frames " + quoted(path) + " " + quoted(dir));
    std::vector<std::string> raw;  // ours, theirs
    for (const std::string& input :
         {"-pattern_type glob -i " + quoted(dir + "/*.png"), "-i " + quoted(path)})
      raw.push_back(run(kFfmpeg + input + " -fps_mode passthrough -f rawvideo -pix_fmt rgb0 -"));
    ASSERT_EQ(raw[0].size(), raw[1].size()) << name;
    ASSERT_GT(raw[0].size(), size_t(4 * pixels * 5)) << name;
    int worst = 0;
    double worstLuma = 0;
    for (size_t i = 0; i < raw[0].size(); i += 4) {
      double luma = 0;
      for (size_t c = 0; c < 3; ++c) {
        const int d = uint8_t(raw[0][i + c]) - uint8_t(raw[1][i + c]);
        worst = std::max(worst, std::abs(d));
        luma += d * (c == 0 ? 0.299 : c == 1 ? 0.587 : 0.114);
      }
      worstLuma = std::max(worstLuma, std::fabs(luma));
    }
    EXPECT_LE(name[0] == 'g' ? worst : 0, 1) << name;
    EXPECT_LE(worstLuma, 10.0) << name;
  }
}

// The sound as `audio` writes it (checking the WAV header: 16-bit stereo PCM
// at 22,050 Hz) and as ffmpeg decodes it.
std::pair<std::vector<int16_t>, std::vector<int16_t>> sound(const std::string& movie) {
  cli("audio " + quoted(movie) + " " + quoted(movie + ".wav"));
  const std::string w = readFile(movie + ".wav");
  std::string header;
  for (uint32_t v : {uint32_t(w.size() - 8), 16u, 1u | 2u << 16, 22050u, 88200u, 4u | 16u << 16,
                     uint32_t(w.size() - 44)})
    for (int i = 0; i < 4; ++i) header += char(v >> (8 * i));
  EXPECT_EQ(w.substr(0, 44), "RIFF" + header.substr(0, 4) + "WAVEfmt " + header.substr(4, 20) +
                                 "data" + header.substr(24));
  return {samples(w, 44), samples(run(kFfmpeg + "-i " + quoted(movie) + " -vn -f s16le -"))};
}

// ffmpeg widens 8-bit sound by byte << 8, the player by byte x 257; mono
// goes out on both sides.
TEST(Ffmpeg, PcmSoundMatches) {
  for (const auto& [codec, channels] : {std::pair{"pcm_s16be_planar", 2}, {"pcm_s8_planar", 1}}) {
    const bool mono = channels == 1;
    const auto [ours, theirs] = sound(movie("grey", codec, channels));
    ASSERT_GT(theirs.size(), 20000u);
    ASSERT_EQ(ours.size(), theirs.size() * (mono ? 2 : 1)) << codec;
    for (size_t i = 0; i < ours.size(); ++i) {
      const uint16_t b = uint16_t(theirs[mono ? i / 2 : i]);
      ASSERT_EQ(uint16_t(ours[i]), mono ? uint16_t(b | b >> 8) : b) << codec << " " << i;
    }
  }
}

// 32 frames per whole block (pair) of each audio entry, after the stream
// header in the first. The player's fixed predictor differs from ffmpeg's,
// yet each channel must follow ffmpeg's (about 0.95), which swapped channels
// would not.
TEST(Ffmpeg, AdxSoundHasWholeBlocksAndFollowsFfmpeg) {
  for (const int channels : {2, 1}) {
    const std::string name = movie("colour", "adpcm_adx", channels), b = readFile(name);
    const size_t stab = 16 + be32(b, 20);
    size_t frames = 0, skip = std::string::npos;
    for (uint32_t i = 0; i < be32(b, stab + 12); ++i) {
      const size_t entry = stab + 16 + 16 * i, at = be32(b, 4) + be32(b, entry);
      if (be32(b, entry + 8) != 0xFFFFFFFFu) continue;
      skip = skip == std::string::npos ? (be32(b, at) & 0x7FFFFFFF) + 4 : 0;
      frames += (be32(b, entry + 4) - std::min<size_t>(skip, be32(b, entry + 4))) /
                (18 * size_t(channels)) * 32;
    }
    const auto [ours, theirs] = sound(name);
    ASSERT_EQ(ours.size(), 2 * frames) << name;
    ASSERT_GT(frames, 20000u);
    for (int ch = 0; ch < channels; ++ch) {
      double n = 0, sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
      for (size_t i = 0; 2 * i + 1 < ours.size() && channels * i + ch < theirs.size(); ++i) {
        const double x = ours[2 * i + ch], y = theirs[channels * i + ch];
        n += 1, sa += x, sb += y, saa += x * x, sbb += y * y, sab += x * y;
      }
      EXPECT_GT(std::sqrt(saa / n), 1000.0) << name << " channel " << ch;
      EXPECT_GT((n * sab - sa * sb) / std::sqrt((n * saa - sa * sa) * (n * sbb - sb * sb)), 0.8)
          << name << " channel " << ch;
    }
    for (size_t i = 0; channels == 1 && i + 1 < ours.size(); i += 2)
      ASSERT_EQ(ours[i], ours[i + 1]);
  }
}

}  // namespace
}  // namespace zentrov::test
