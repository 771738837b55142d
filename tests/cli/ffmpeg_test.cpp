// zentrov-cli against Debian's ffmpeg on movies ffmpeg makes: the stream
// description and table, the pictures, and PCM and ADX sound.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

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
std::vector<int16_t> samples(const std::string& bytes, size_t from) {
  std::vector<int16_t> out;
  for (size_t i = from; i + 1 < bytes.size(); i += 2)
    out.push_back(int16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
  return out;
}
std::string cli(const std::string& arguments) {
  std::string out;
  EXPECT_EQ(runCli(arguments, out), 0) << arguments;
  return out;
}
// Pictures as 0x00RRGGBB, one vector per frame, as ffmpeg decodes `input`.
std::vector<std::vector<uint32_t>> pictures(const std::string& input, size_t pixels) {
  std::string raw;
  runCommand(kFfmpeg + input + " -fps_mode passthrough -f rawvideo -pix_fmt rgb0 -", raw);
  std::vector<std::vector<uint32_t>> frames;
  for (size_t at = 0; at + 4 * pixels <= raw.size(); at += 4 * pixels) {
    frames.emplace_back(pixels);
    for (size_t i = 0; i < pixels; ++i) frames.back()[i] = be32(raw, at + 4 * i) >> 8;
  }
  return frames;
}

class Ffmpeg : public ::testing::Test {
 protected:
  // Grey pictures with 16-bit stereo, colour bars with 8-bit mono, and ADX.
  static void SetUpTestSuite() {
    const std::string grey = "-f lavfi -i mandelbrot=size=128x96:rate=10";
    const std::string colour = "-f lavfi -i testsrc2=size=96x64:rate=10";
    const std::string sound =
        " -f lavfi -i 'aevalsrc=0.6*sin(440*2*PI*t)|0.3*sin(1000*2*PI*t)+0.1:s=22050'";
    make("grey_s16_stereo", grey + sound + " -vf hue=s=0,format=rgb24 -c:a pcm_s16be_planar");
    make("colour_s8_mono", colour + sound + " -vf format=rgb24 -ac 1 -c:a pcm_s8_planar");
    make("adx_stereo", colour + sound + " -vf format=rgb24 -c:a adpcm_adx");
    make("adx_mono", colour + sound + " -vf format=rgb24 -ac 1 -c:a adpcm_adx");
  }
  static void make(const std::string& name, const std::string& options) {
    std::string out;
    EXPECT_EQ(runCommand(kFfmpeg + "-y " + options + " -t 1 -c:v cinepak -f film_cpk " +
                             quoted(scratchPath(name + ".cpk")) + " 2>&1",
                         out),
              0)
        << name << ": " << out;
  }
  static std::string movie(const std::string& name) { return scratchPath(name + ".cpk"); }
};

TEST_F(Ffmpeg, InfoAndTableAgreeWithFfprobe) {
  for (const char* name : {"testsrc_s16_stereo.cpk", "gray_s8_mono.cpk", "silent_96x64.cpk"}) {
    const std::string path = dataPath(name);
    std::map<std::string, std::string> probe;  // "v:width", "a:channels", ...
    for (const char* stream : {"v", "a"}) {
      std::string out;
      runCommand("ffprobe -v error -count_packets -select_streams " + std::string(stream) +
                     ":0 -show_streams " + quoted(path),
                 out);
      std::istringstream lines(out);
      for (std::string line; std::getline(lines, line);)
        if (line.find('=') != std::string::npos)
          probe[stream + (":" + line.substr(0, line.find('=')))] = line.substr(line.find('=') + 1);
    }
    const bool sound = probe.count("a:channels") > 0;
    const std::string table = cli("table " + path);
    int video = 0, audio = 0;
    for (size_t at = table.find('\n'); at + 1 < table.size(); at = table.find('\n', at + 1))
      (table.compare(table.find('\t', at) + 1, 5, "AUDIO") == 0 ? audio : video) += 1;
    EXPECT_EQ(std::to_string(video), probe["v:nb_read_packets"]) << name;
    EXPECT_EQ(std::to_string(audio), sound ? probe["a:nb_read_packets"] : "0") << name;
    const std::string bits = std::string(name).find("s8") != std::string::npos ? "8" : "16";
    EXPECT_EQ(cli("info " + path),
              "Frame size: " + probe["v:width"] + "x" + probe["v:height"] +
                  "\nTotal frame: " + std::to_string(video + audio) +
                  "\nFrame rate base: " + probe["v:time_base"].substr(2) + "\nAudio ch.: " +
                  (sound ? probe["a:channels"] : "0") + "ch\nPCM bit: " + (sound ? bits : "0") +
                  "bit\nPCM frequency: " + (sound ? probe["a:sample_rate"] : "44100") +
                  "Hz\nPCM format: PCM\n")
        << name;
  }
}

// Grey pictures match ffmpeg's to rounding; colour ones in luma only, as the
// colour weights differ from ffmpeg's (by up to 0.07 |U|: 7.84 measured).
TEST_F(Ffmpeg, FramesMatchOnGreyAndInLumaOnColour) {
  for (const auto& [name, width, height] :
       {std::tuple{"grey_s16_stereo", 128, 96}, std::tuple{"colour_s8_mono", 96, 64}}) {
    const std::string dir = scratchPath(std::string("png-") + name);
    cli("frames " + quoted(movie(name)) + " " + quoted(dir));
    const size_t pixels = size_t(width * height);
    const auto theirs = pictures("-i " + quoted(movie(name)), pixels);
    const auto ours = pictures("-pattern_type glob -i " + quoted(dir + "/*.png"), pixels);
    ASSERT_EQ(ours.size(), theirs.size()) << name;
    ASSERT_GT(ours.size(), 5u) << name;
    int worst = 0;
    double worstLuma = 0;
    for (size_t f = 0; f < ours.size(); ++f) {
      for (size_t i = 0; i < pixels; ++i) {
        double luma = 0;
        for (int shift : {16, 8, 0}) {
          const int d = int(ours[f][i] >> shift & 0xFF) - int(theirs[f][i] >> shift & 0xFF);
          worst = std::max(worst, std::abs(d));
          luma += d * (shift == 16 ? 0.299 : shift == 8 ? 0.587 : 0.114);
        }
        worstLuma = std::max(worstLuma, std::fabs(luma));
      }
    }
    if (name[0] == 'g') {
      EXPECT_LE(worst, 1) << name;
    }
    EXPECT_LE(worstLuma, 10.0) << name;
  }
}

// The WAV: 16-bit stereo PCM at the movie's rate; returns its samples.
std::vector<int16_t> exportSound(const std::string& movie, uint32_t rate) {
  const std::string wav = movie + ".wav";
  cli("audio " + quoted(movie) + " " + quoted(wav));
  const std::string w = readFile(wav);
  std::string header;
  for (uint32_t v : {uint32_t(w.size() - 8), 16u, 1u | 2u << 16, rate, rate * 4, 4u | 16u << 16,
                     uint32_t(w.size() - 44)})
    for (int i = 0; i < 4; ++i) header += char(v >> (8 * i));
  EXPECT_EQ(w.substr(0, 44), "RIFF" + header.substr(0, 4) + "WAVEfmt " + header.substr(4, 20) +
                                 "data" + header.substr(24));
  return samples(w, 44);
}
std::vector<int16_t> ffmpegSound(const std::string& movie) {
  std::string raw;
  runCommand(kFfmpeg + "-i " + quoted(movie) + " -vn -f s16le -", raw);
  return samples(raw, 0);
}

// ffmpeg widens 8-bit sound by byte << 8, the player by byte x 257; mono
// goes out on both sides.
TEST_F(Ffmpeg, PcmSoundMatches) {
  for (const auto& [name, channels] : {std::pair{"grey_s16_stereo", 2}, {"colour_s8_mono", 1}}) {
    const std::vector<int16_t> ours = exportSound(movie(name), 22050),
                               theirs = ffmpegSound(movie(name));
    ASSERT_GT(theirs.size(), 20000u);
    ASSERT_EQ(ours.size(), theirs.size() * size_t(3 - channels)) << name;
    for (size_t i = 0; i < ours.size(); ++i) {
      const uint16_t b = uint16_t(theirs[channels == 2 ? i : i / 2]);
      ASSERT_EQ(uint16_t(ours[i]), channels == 1 ? uint16_t(b | b >> 8) : b) << name << " " << i;
    }
  }
}

// 32 frames per whole block (pair) of each audio entry, after the stream
// header in the first. The player's fixed predictor differs from ffmpeg's,
// yet each channel must follow ffmpeg's (about 0.95), which swapped channels
// would not.
TEST_F(Ffmpeg, AdxSoundHasWholeBlocksAndFollowsFfmpeg) {
  for (const auto& [name, channels] : {std::pair{"adx_stereo", 2}, {"adx_mono", 1}}) {
    const std::string b = readFile(movie(name));
    const size_t stab = 16 + be32(b, 20);
    size_t frames = 0, header = 0;
    for (uint32_t i = 0; i < be32(b, stab + 12); ++i) {
      const size_t entry = stab + 16 + 16 * i, at = be32(b, 4) + be32(b, entry);
      if (be32(b, entry + 8) != 0xFFFFFFFFu) continue;
      if (header++ == 0) {
        ASSERT_EQ(be32(b, at) >> 16, 0x8000u) << name;
      }
      const size_t skip = header == 1 ? (be32(b, at) & 0xFFFF) + 4 : 0;
      frames += (be32(b, entry + 4) - std::min<size_t>(skip, be32(b, entry + 4))) /
                (18 * size_t(channels)) * 32;
    }
    const std::vector<int16_t> ours = exportSound(movie(name), 22050),
                               theirs = ffmpegSound(movie(name));
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
