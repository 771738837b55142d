// zentrov-cli play on small movies: every frame listed once, in order, with
// its stamp, and shown in real time close to it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/film_writer.h"
#include "support/playback_movies.h"
#include "support/test_paths.h"

namespace zentrov::test {
namespace {

// Each line split into "frame N due S" and the shown time T; every line must
// have the exact form.
std::vector<std::pair<std::string, double>> parseLines(const std::string& output) {
  static const std::regex line(R"((frame \d+ due \d+\.\d{3}) shown (\d+\.\d{3}))");
  std::vector<std::pair<std::string, double>> frames;
  std::istringstream in(output);
  std::smatch m;
  for (std::string text; std::getline(in, text);) {
    if (std::regex_match(text, m, line))
      frames.emplace_back(m[1], std::stod(m[2]));
    else
      ADD_FAILURE() << "line: " << text;
  }
  return frames;
}

std::string playOutput(const std::string& arguments, int expectedStatus) {
  std::string output;
  EXPECT_EQ(runCommand(cliPath() + " play " + arguments + " 2>/dev/null", output), expectedStatus)
      << arguments;
  return output;
}

TEST(CliPlay, FramesShownAtTheirStampsOrAtOnceWithNoWait) {
  // 22,050 Hz 16-bit stereo, time base 600: a tenth of a second of sound
  // before each of six frames 60 units apart.
  FilmSpec tenths;
  tenths.audioChannels = 2;
  for (uint32_t i = 0; i < 6; ++i) {
    tenths.samples.push_back(audioSample(pattern(8820, i)));
    tenths.samples.push_back(videoSample(greyFrame(uint8_t(i * 30)), 60 * i));
  }
  // No sound: paced by the silent clock, stamps in milliseconds.
  FilmSpec silent;
  silent.timeBase = 1000;
  for (uint32_t i = 0; i < 5; ++i) silent.samples.push_back(videoSample(greyFrame(9), 70 * i));

  struct Case {
    const char* name;
    std::string options;
    const FilmSpec& spec;
    size_t frames;
    int firstEntry, entryStep;
    double stampStep;
  };
  const Case cases[] = {{"tenths", "", tenths, 6, 1, 2, 0.1},
                        {"silent", "", silent, 5, 0, 1, 0.07},
                        {"nowait", "--no-wait ", tenths, 6, 1, 2, 0.1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto frames = parseLines(
        playOutput(c.options + writeMovie(std::string("cli-play-") + c.name, c.spec), 0));
    ASSERT_EQ(frames.size(), c.frames);
    std::vector<double> lateness;
    for (size_t i = 0; i < frames.size(); ++i) {
      const double due = c.stampStep * double(i);
      char head[48];
      std::snprintf(head, sizeof head, "frame %d due %.3f", c.firstEntry + c.entryStep * int(i),
                    due);
      EXPECT_EQ(frames[i].first, head);
      // Never before its time (allowing for the printed rounding); with
      // --no-wait, half a second of movie is not waited for.
      EXPECT_GE(frames[i].second, c.options.empty() ? due - 0.0011 : 0.0) << head;
      EXPECT_LE(frames[i].second, c.options.empty() ? due + 0.25 : 0.25) << head;
      lateness.push_back(frames[i].second - due);
    }
    // Typically within a few milliseconds; the median keeps a busy test
    // machine's occasional late wake-up from failing the run.
    std::sort(lateness.begin(), lateness.end());
    if (c.options.empty()) {
      EXPECT_LE(lateness[lateness.size() / 2], 0.03);
    }
  }
}

TEST(CliPlay, RefusalsHaveTheirExitCodes) {
  const std::string dir = scratchDir("cli-play-refusals");
  ASSERT_TRUE(writeFile(dir + "/junk.cpk", std::string(600, 'A')));
  EXPECT_EQ(playOutput("", 1), "");
  EXPECT_EQ(playOutput(dir + "/missing.cpk", 2), "");
  EXPECT_EQ(playOutput(dir + "/junk.cpk", 3), "");

  // A time base of 0 makes every later frame never due: stop, don't hang.
  FilmSpec stuck;
  stuck.timeBase = 0;
  stuck.samples.push_back(videoSample(greyFrame(1), 0));
  stuck.samples.push_back(videoSample(greyFrame(2), 5));
  const std::string path = writeMovie("cli-play-stuck", stuck);
  EXPECT_EQ(playOutput(path, 4), "frame 0 due 0.000 shown 0.000\n");
  EXPECT_EQ(parseLines(playOutput("--no-wait " + path, 0)).size(), 2u);
}

}  // namespace
}  // namespace zentrov::test
