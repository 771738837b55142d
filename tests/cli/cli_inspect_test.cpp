// zentrov-cli info, table and headers: exact formats, exit codes, and agreement
// with ffprobe on movies made by ffmpeg.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "support/film_writer.h"
#include "support/test_paths.h"

namespace zentrov {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun cli(const std::string& args) {
  const std::string errPath = test::scratchDir("cli-stderr") + "/err.txt";
  CliRun r;
  r.status = test::runCommand(test::cliPath() + " " + args + " 2>" + errPath, r.out);
  r.err = test::readFile(errPath);
  return r;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::string quoted(const std::string& path) {
  return "'" + path + "'";
}

// ffprobe's answer for one stream: "key=value" lines.
std::map<std::string, std::string> probe(const std::string& path, const char* stream) {
  std::string out;
  const int rc = test::runCommand(std::string("ffprobe -v error -count_packets -select_streams ") +
                                      stream + " -show_streams " + quoted(path),
                                  out);
  EXPECT_EQ(rc, 0) << "ffprobe is needed for this test";
  std::map<std::string, std::string> values;
  for (const std::string& line : lines(out)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

struct FfmpegMovie {
  const char* file;
  const char* bits;
};

class FfmpegMovieTest : public ::testing::TestWithParam<FfmpegMovie> {};

TEST_P(FfmpegMovieTest, InfoAndTableAgreeWithFfprobe) {
  const std::string path = test::dataPath(GetParam().file);
  const auto video = probe(path, "v:0");
  const auto audio = probe(path, "a:0");
  const bool hasSound = !audio.empty();

  CliRun info = cli("info " + quoted(path));
  ASSERT_EQ(info.status, 0) << info.err;
  const auto infoLines = lines(info.out);
  ASSERT_EQ(infoLines.size(), 7u) << info.out;
  EXPECT_EQ(infoLines[0], "Frame size: " + video.at("width") + "x" + video.at("height"));
  EXPECT_EQ(infoLines[3],
            "Audio ch.: " + (hasSound ? audio.at("channels") : std::string("0")) + "ch");
  if (hasSound) {
    EXPECT_EQ(infoLines[4], std::string("PCM bit: ") + GetParam().bits + "bit");
    EXPECT_EQ(infoLines[5], "PCM frequency: " + audio.at("sample_rate") + "Hz");
  } else {
    EXPECT_EQ(infoLines[5], "PCM frequency: 44100Hz");
  }
  EXPECT_EQ(infoLines[6], "PCM format: PCM");

  CliRun table = cli("table " + quoted(path));
  ASSERT_EQ(table.status, 0) << table.err;
  const auto rows = lines(table.out);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0], "Block\tAbsTime\tDspTime\tKey");
  int videoRows = 0, audioRows = 0, keyRows = 0;
  for (size_t i = 1; i < rows.size(); ++i) {
    std::istringstream cells(rows[i]);
    std::string block, abs;
    std::getline(cells, block, '\t');
    std::getline(cells, abs, '\t');
    EXPECT_EQ(block, std::to_string(i - 1));
    if (abs == "AUDIO") {
      ++audioRows;
      EXPECT_EQ(rows[i].substr(rows[i].size() - 1), "\t") << "audio is never a key frame";
    } else {
      ++videoRows;
      if (rows[i].size() >= 3 && rows[i].compare(rows[i].size() - 3, 3, "KEY") == 0) ++keyRows;
    }
  }
  EXPECT_EQ(infoLines[1], "Total frame: " + std::to_string(rows.size() - 1));
  EXPECT_EQ(std::to_string(videoRows), video.at("nb_read_packets"));
  EXPECT_EQ(std::to_string(audioRows), hasSound ? audio.at("nb_read_packets") : "0");
  EXPECT_GE(keyRows, 1);
}

INSTANTIATE_TEST_SUITE_P(Movies, FfmpegMovieTest,
                         ::testing::Values(FfmpegMovie{"testsrc_s16_stereo.cpk", "16"},
                                           FfmpegMovie{"gray_s8_mono.cpk", "8"},
                                           FfmpegMovie{"silent_96x64.cpk", ""}));

TEST(CliInspect, TableRowsOfAWrittenMovie) {
  test::FilmSpec spec;
  spec.audioChannels = 1;
  spec.samples.push_back(test::audioSample({1, 2}));
  spec.samples.push_back(test::videoSample({1}, 0, true, 0));
  spec.samples.push_back(test::videoSample({1}, 0, false, -5));
  spec.samples.push_back(test::videoSample({1}, 0x7FFFFFFF, true, 12));
  const std::string path = test::scratchDir("rows") + "/rows.cpk";
  ASSERT_TRUE(test::writeFile(path, test::toString(test::buildFilm(spec))));
  CliRun r = cli("table " + quoted(path));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Block\tAbsTime\tDspTime\tKey\n"
            "0\tAUDIO\t0\t\n"
            "1\t0\t0\tKEY\n"
            "2\t0\t-5\t\n"
            "3\t2147483647\t12\tKEY\n");
}

TEST(CliInspect, HeadersAndHeaderSelection) {
  std::vector<uint8_t> file;
  test::FilmSpec first;
  first.width = 320;
  first.height = 224;
  first.samples.push_back(test::videoSample({1}, 0));
  test::FilmSpec second;
  second.width = 96;
  second.height = 80;
  second.audioChannels = 2;
  second.audioCompression = 2;
  second.sampleRate = 0x7D000000;  // 32,000 Hz
  second.samples.push_back(test::videoSample({1}, 0));
  second.samples.push_back(test::audioSample({1}));
  test::placeAt(file, 0, test::buildFilm(first));
  test::placeAt(file, 614400, test::buildFilm(second));
  file.resize(614400 + 2048);
  const std::string path = test::scratchDir("headers") + "/two.cpk";
  ASSERT_TRUE(test::writeFile(path, test::toString(file)));

  CliRun headers = cli("headers " + quoted(path));
  ASSERT_EQ(headers.status, 0);
  EXPECT_EQ(headers.out, "0 = 00000000\n1 = 00096000\n");

  CliRun info = cli("info " + quoted(path) + " --header 1");
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out,
            "Frame size: 96x80\nTotal frame: 2\nFrame rate base: 600\nAudio ch.: 2ch\n"
            "PCM bit: 16bit\nPCM frequency: 32000Hz\nPCM format: ADX\n");

  CliRun missing = cli("info " + quoted(path) + " --header 2");
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find(path), std::string::npos);
}

TEST(CliInspect, FallbackLayoutShows320x224) {
  test::FilmSpec spec;
  spec.fallbackLayout = true;
  spec.samples.push_back(test::videoSample({1}, 0));
  const std::string path = test::scratchDir("fallback") + "/old.cpk";
  ASSERT_TRUE(test::writeFile(path, test::toString(test::buildFilm(spec))));
  CliRun info = cli("info " + quoted(path));
  ASSERT_EQ(info.status, 0);
  EXPECT_EQ(lines(info.out)[0], "Frame size: 320x224");
  EXPECT_EQ(lines(info.out)[5], "PCM frequency: 44100Hz");
  EXPECT_EQ(lines(info.out)[6], "PCM format: PCM");
}

TEST(CliInspect, ErrorsAndExitCodes) {
  const std::string dir = test::scratchDir("errors");
  ASSERT_TRUE(test::writeFile(dir + "/junk.cpk", std::string(3000, 'j')));
  ASSERT_TRUE(test::writeFile(dir + "/empty.cpk", ""));
  struct Case {
    std::string args;
    int status;
    std::string errHas;
  };
  const Case cases[] = {
      {"info " + dir + "/none.cpk", 2, "File not found.\n"},
      {"table " + dir + "/none.cpk", 2, "File not found.\n"},
      {"headers " + dir + "/none.cpk", 2, "File not found.\n"},
      {"info " + dir, 2, "File not found.\n"},
      {"info " + dir + "/junk.cpk", 3, dir + "/junk.cpk"},
      {"table " + dir + "/empty.cpk", 3, dir + "/empty.cpk"},
      {"info", 1, "Usage:"},
      {"info a b", 1, "Usage:"},
      {"info a --header", 1, "Usage:"},
      {"info a --header x", 1, "--header"},
      {"info a --header -1", 1, "--header"},
      {"info a --bogus", 1, "unknown option"},
      {"frobnicate", 1, "unknown command"},
      {"", 1, "Usage:"},
  };
  for (const Case& c : cases) {
    CliRun r = cli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << c.args << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << c.args;
  }
  // A junk file with no header is a one-line message.
  CliRun junk = cli("info " + dir + "/junk.cpk");
  EXPECT_EQ(lines(junk.err).size(), 1u);
  CliRun none = cli("headers " + dir + "/junk.cpk");
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "");
}

TEST(CliInspect, HelpListsTheCommands) {
  for (const char* args : {"--help", "info --help"}) {
    CliRun r = cli(args);
    EXPECT_EQ(r.status, 0);
    for (const char* command : {"info FILE", "table FILE", "headers FILE"})
      EXPECT_NE(r.out.find(command), std::string::npos) << args;
  }
}

}  // namespace
}  // namespace zentrov
