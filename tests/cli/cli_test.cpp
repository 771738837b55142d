// zentrov-cli's exact output formats and exit codes on written movies, and
// one run of play in real time.

#include <gtest/gtest.h>

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
  FilmSpec first;
  first.audioChannels = 1;
  first.samples = {audioSample(pattern(400, 1)), videoSample(brokenFrame(), 0, true, 0),
                   videoSample(greyFrame(40), 60, false, -5),
                   videoSample(brokenFrame(), 120, true, 12),
                   videoSample(greyFrame(50), 0x7FFFFFFF, true, 1)};
  FilmSpec second;
  second.width = 96;
  second.height = 80;
  second.audioChannels = 2;
  second.audioCompression = 2;
  second.sampleRate = 0x7D000000;  // 32,000 Hz
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

}  // namespace
}  // namespace zentrov::test
