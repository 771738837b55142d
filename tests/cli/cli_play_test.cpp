// zentrov-cli play on small movies: every frame listed once, in order, with
// its stamp, and shown in real time close to it.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/film_writer.h"
#include "support/playback_movies.h"
#include "support/test_paths.h"

namespace zentrov::test {
namespace {

struct PlayedFrame {
  int entry;
  double due;
  double shown;
  std::string dueText;
};

// Parses the output; every line must have the exact form.
std::vector<PlayedFrame> parseLines(const std::string& output) {
  static const std::regex line(R"(frame (\d+) due (\d+\.\d{3}) shown (\d+\.\d{3}))");
  std::vector<PlayedFrame> frames;
  std::istringstream in(output);
  std::string text;
  while (std::getline(in, text)) {
    std::smatch m;
    EXPECT_TRUE(std::regex_match(text, m, line)) << "line: " << text;
    if (m.empty()) continue;
    frames.push_back({std::stoi(m[1]), std::stod(m[2]), std::stod(m[3]), m[2]});
  }
  return frames;
}

std::string threeDecimals(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", v);
  return text;
}

// 22,050 Hz 16-bit stereo, time base 600: a tenth of a second of sound
// before each of six frames 60 units apart.
FilmSpec tenthsMovie() {
  FilmSpec spec;
  spec.audioChannels = 2;
  spec.audioBits = 16;
  spec.sampleRate = 22050u << 16;
  spec.timeBase = 600;
  for (uint32_t i = 0; i < 6; ++i) {
    spec.samples.push_back(audioSample(pattern(8820, i)));
    spec.samples.push_back(videoSample(greyFrame(uint8_t(i * 30)), 60 * i));
  }
  return spec;
}

class CliPlayTest : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(writeFile(path, toString(bytes)));
    return path;
  }
  int play(const std::string& arguments, std::string& output) {
    return runCommand(cliPath() + " play " + arguments + " 2>/dev/null", output);
  }

  std::string dir_ = scratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(CliPlayTest, FramesAreShownInRealTimeCloseToTheirStamps) {
  const FilmSpec spec = tenthsMovie();
  std::string output;
  ASSERT_EQ(play(write("tenths.cpk", buildFilm(spec)), output), 0);
  const std::vector<PlayedFrame> frames = parseLines(output);
  ASSERT_EQ(frames.size(), 6u);
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].entry, int(2 * i + 1));
    EXPECT_EQ(frames[i].dueText, threeDecimals(0.1 * double(i)));
    // Never before its time (allowing for the printed rounding), and late
    // by no more than a scheduling hiccup.
    EXPECT_GE(frames[i].shown, frames[i].due - 0.0011) << "frame " << i;
    EXPECT_LE(frames[i].shown, frames[i].due + 0.05) << "frame " << i;
  }
}

TEST_F(CliPlayTest, SilentMoviePacesByItsSilentClock) {
  FilmSpec spec;
  spec.timeBase = 1000;  // milliseconds
  for (uint32_t i = 0; i < 5; ++i) spec.samples.push_back(videoSample(greyFrame(9), 70 * i));
  std::string output;
  ASSERT_EQ(play(write("silent.cpk", buildFilm(spec)), output), 0);
  const std::vector<PlayedFrame> frames = parseLines(output);
  ASSERT_EQ(frames.size(), 5u);
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].entry, int(i));
    EXPECT_EQ(frames[i].dueText, threeDecimals(0.07 * double(i)));
    EXPECT_GE(frames[i].shown, frames[i].due - 0.0011);
    EXPECT_LE(frames[i].shown, frames[i].due + 0.05);
  }
}

TEST_F(CliPlayTest, NoWaitListsEveryFrameAtOnce) {
  std::string output;
  ASSERT_EQ(play("--no-wait " + write("tenths.cpk", buildFilm(tenthsMovie())), output), 0);
  const std::vector<PlayedFrame> frames = parseLines(output);
  ASSERT_EQ(frames.size(), 6u);
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].entry, int(2 * i + 1));
    EXPECT_EQ(frames[i].dueText, threeDecimals(0.1 * double(i)));
  }
  EXPECT_LT(frames.back().shown, 0.25);  // half a second of movie, not waited for
}

TEST_F(CliPlayTest, HeaderChoosesTheMovieInsideTheFile) {
  std::vector<uint8_t> file = buildFilm(tenthsMovie());
  FilmSpec second;
  second.timeBase = 10;
  second.samples.push_back(videoSample(greyFrame(1), 0));
  second.samples.push_back(videoSample(greyFrame(2), 1));
  placeAt(file, 90112, buildFilm(second));
  std::string output;
  ASSERT_EQ(play("--no-wait --header 1 " + write("two.cpk", file), output), 0);
  const std::vector<PlayedFrame> frames = parseLines(output);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1].entry, 1);
  EXPECT_EQ(frames[1].dueText, "0.100");
}

TEST_F(CliPlayTest, RefusalsHaveTheirExitCodes) {
  std::string output;
  EXPECT_EQ(play("", output), 1);
  EXPECT_EQ(play(dir_ + "/missing.cpk", output), 2);
  EXPECT_EQ(play(write("junk.cpk", std::vector<uint8_t>(600, 0x41)), output), 3);
  EXPECT_TRUE(output.empty());

  // A time base of 0 makes every later frame never due: stop, don't hang.
  FilmSpec spec;
  spec.timeBase = 0;
  spec.samples.push_back(videoSample(greyFrame(1), 0));
  spec.samples.push_back(videoSample(greyFrame(2), 5));
  const std::string stuck = write("stuck.cpk", buildFilm(spec));
  EXPECT_EQ(play(stuck, output), 4);
  EXPECT_EQ(output, "frame 0 due 0.000 shown 0.000\n");
  EXPECT_EQ(play("--no-wait " + stuck, output), 0);
  EXPECT_EQ(parseLines(output).size(), 2u);
}

}  // namespace
}  // namespace zentrov::test
