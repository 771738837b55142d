// zentrov-cli's exact output formats and exit codes on written movies, one
// run of play in real time, and its pictures and sound against Debian's ffmpeg
// on movies ffmpeg makes.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>

#include "support/movies.h"

namespace zentrov::test {
namespace {

// play's lines as "frame N due S|...", each checked for its form and, when
// paced, for not being shown before it was due.
std::string played(const std::string& out, bool paced) {
  static const std::regex line(R"((frame \d+ due (\d+\.\d{3})) shown (\d+\.\d{3})\n)");
  EXPECT_EQ(std::regex_replace(out, line, ""), "") << out;
  std::string text;
  for (std::sregex_iterator m(out.begin(), out.end(), line), end; m != end; ++m) {
    EXPECT_GE(std::stod((*m)[3]), paced ? std::stod((*m)[2]) - 0.0011 : 0.0) << m->str();
    text += (*m)[1].str() + "|";
  }
  return text;
}

TEST(Cli, OutputFormats) {
  // A row of each kind; broken pictures between grey ones. Then a 96x80 ADX
  // movie at 614,400.
  FilmSpec first{64, 64, 1};
  first.samples = {audioSample(pattern(400, 1)), videoSample(brokenFrame(), 0, true, 0),
                   videoSample(greyFrame(40), 60, false, -5),
                   videoSample(brokenFrame(), 120, true, 12),
                   videoSample(greyFrame(50), 0x7FFFFFFF, true, 1)};
  FilmSpec second{96, 80, 2, 16, 2, 0x7D000000};  // ADX at 32,000 Hz
  second.samples = {videoSample({1}, 0), audioSample({1})};
  Bytes file = buildFilm(first);
  placeAt(file, 614400, buildFilm(second));
  file.resize(614400 + 2048);
  const std::string path = writeScratch("two.cpk", file);

  EXPECT_EQ(cli("table " + path),
            "Block\tAbsTime\tDspTime\tKey\n0\tAUDIO\t0\t\n1\t0\t0\tKEY\n2\t60\t-5\t\n"
            "3\t120\t12\tKEY\n4\t2147483647\t1\tKEY\n");
  EXPECT_EQ(cli("headers " + path), "0 = 00000000\n1 = 00096000\n");
  EXPECT_EQ(cli("info " + path + " --header 1"),
            "Frame size: 96x80\nTotal frame: 2\nFrame rate base: 600\nAudio ch.: 2ch\n"
            "PCM bit: 16bit\nPCM frequency: 32000Hz\nPCM format: ADX\n");
  EXPECT_EQ(played(cli("play --no-wait " + path), false),
            "frame 1 due 0.000|frame 2 due 0.100|frame 3 due 0.200|frame 4 due 3579139.412|");
  EXPECT_TRUE(std::regex_match(cli("bench " + path + " --seconds 0.1"),
                               std::regex("video decode: \\d+\\.\\d frames/s\n"
                                          "video decode\\+convert: \\d+\\.\\d frames/s\n"
                                          "audio decode: \\d+\\.\\d sound frames/s\n")));

  // One 64x64 BMP per picture, named by its entry: black as the open left
  // it, then each picture that decodes, kept over the broken ones.
  const std::string dir = scratchPath("bmp");
  cli("frames " + path + " " + dir + " --format bmp");
  std::string header = "BM";
  for (uint32_t v : {54u + 64 * 64 * 3, 0u, 54u, 40u, 64u, 64u})
    for (int i = 0; i < 4; ++i) header += char(v >> (8 * i));
  std::string levels;
  for (int entry = 1; entry <= 4; ++entry) {
    const std::string bmp = readFile(dir + "/00000" + std::to_string(entry) + ".bmp");
    ASSERT_EQ(bmp.size(), 54u + 64 * 64 * 3) << entry;
    EXPECT_EQ(bmp.substr(0, 26), header) << entry;
    levels += std::to_string(uint8_t(bmp[54 + 3 * 100])) + " ";
  }
  EXPECT_EQ(levels, "0 40 40 50 ");
}

TEST(Cli, ExitCodesAndMessages) {
  const std::string junk = writeScratch("junk.cpk", Bytes(3000, 'j'));
  const std::string missing = scratchPath("none.cpk");
  FilmSpec silent;  // never due: its time base is 0
  silent.timeBase = 0;
  silent.samples = {videoSample(greyFrame(1), 0), videoSample(greyFrame(2), 5)};
  const std::string stuck = writeScratch("stuck.cpk", buildFilm(silent));
  const std::tuple<std::string, int, std::string> cases[] = {
      {"info " + missing, 2, "File not found.\n"},
      {"headers " + missing, 2, "File not found.\n"},
      {"frames " + missing + " " + scratchPath("none"), 2, "File not found.\n"},
      {"info " + scratchPath(""), 2, "File not found.\n"},
      {"table " + junk, 3, "zentrov-cli: " + junk + ": unknown header, cannot play\n"},
      {"info " + junk + " --header 0", 3, "no header 0 (the scan found 0)"},
      {"", 1, "Usage:"},
      {"info a b", 1, "expected one FILE"},
      {"audio " + stuck, 1, "expected FILE and OUT.wav"},
      {"info a --header", 1, "needs a value"},
      {"info a --header -1", 1, "--header takes a number from 0 to 4095"},
      {"info a --bogus", 1, "unknown option --bogus"},
      {"frobnicate", 1, "unknown command 'frobnicate'"},
      {"bench " + stuck + " --seconds 0", 1, "--seconds takes a number"},
      {"frames " + stuck + " " + scratchPath("gif") + " --format gif", 1, "png or bmp"},
      {"play " + stuck, 4, "frame 1 is never due: the time base is 0; try --no-wait"},
  };
  for (const auto& [args, status, message] : cases) {
    std::string out, err;
    EXPECT_EQ(runCli(args, out, &err), status) << args;
    EXPECT_NE(err.find(message), std::string::npos) << args << ": " << err;
    EXPECT_EQ(out, status == 4 ? "frame 0 due 0.000 shown 0.000\n" : "") << args;
  }
  EXPECT_EQ(cli("headers " + junk), "");
  EXPECT_EQ(cli("audio " + stuck + " " + scratchPath("silent.wav")),
            stuck + ": the movie has no sound; no file written\n");
  EXPECT_FALSE(std::ifstream(scratchPath("silent.wav")).good());
  EXPECT_EQ(played(cli("play --no-wait " + stuck), false), "frame 0 due 0.000|frame 1 due 0.000|");
  // A picture that cannot be written fails the export, whether that is found
  // while later frames are still queued or only at the end (PNGs are written
  // on other threads).
  FilmSpec eight;
  for (uint32_t i = 0; i < 8; ++i) eight.samples.push_back(videoSample(greyFrame(3), i));
  const std::string movie = writeScratch("eight.cpk", buildFilm(eight));
  for (const char* format : {"png", "bmp"}) {
    for (const char* blocked : {"000002", "000007"}) {
      const std::string dir = scratchPath(std::string("blocked-") + format + blocked);
      std::filesystem::create_directories(dir + "/" + blocked + "." + format);
      std::string out;
      EXPECT_EQ(runCli("frames " + movie + " " + dir + " --format " + format, out), 4)
          << format << " " << blocked;
      EXPECT_TRUE(std::ifstream(dir + "/000000." + format).good()) << format << " " << blocked;
    }
  }
  const std::string help = cli("info --help");
  for (const char* usage : {"info FILE", "table FILE", "headers FILE", "play FILE", "frames FILE",
                            "audio FILE", "bench FILE"})
    EXPECT_NE(help.find(usage), std::string::npos) << usage;
  // Paced by the silent clock: every frame once, in order, never early.
  silent.timeBase = 1000;
  silent.samples.clear();
  for (uint32_t i = 0; i < 5; ++i) silent.samples.push_back(videoSample(greyFrame(9), 70 * i));
  EXPECT_EQ(played(cli("play " + writeScratch("paced.cpk", buildFilm(silent))), true),
            "frame 0 due 0.000|frame 1 due 0.070|frame 2 due 0.140|frame 3 due 0.210|"
            "frame 4 due 0.280|");
}

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
