// zentrov-cli bench: how fast this build decodes a movie, with no file
// reading and no pacing in the measurement. Scripts read the printed lines.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_open.h"
#include "codec/sound_frame.h"
#include "playback/movie_open.h"
#include "playback/sample_decode.h"
#include "video/pixel_convert.h"

namespace zentrov::cli {

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kDefaultSeconds = 3.0;
constexpr double kMaxSeconds = 3600.0;

struct LoadedSample {
  std::vector<uint8_t> bytes;
};

// Runs `step` over the samples again and again, in order, until `seconds`
// have passed; returns the units `step` reports per second of processor time
// (the time ffmpeg is measured by too), so a busy machine does not lower it.
template <typename Step>
double measure(const std::vector<LoadedSample>& samples, double seconds, Step step,
               void (*beforePass)(Player&), Player& player) {
  if (samples.empty()) return 0.0;
  const Clock::time_point start = Clock::now();
  const std::clock_t cpuStart = std::clock();
  const auto limit = std::chrono::duration<double>(seconds);
  double units = 0.0;
  for (;;) {
    if (beforePass) beforePass(player);
    for (const LoadedSample& s : samples) {
      units += step(s);
      const auto elapsed = std::chrono::duration<double>(Clock::now() - start);
      if (elapsed >= limit) {
        const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        return units / (cpu > 0.0 ? cpu : elapsed.count());
      }
    }
  }
}

int runBench(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {"header", "seconds"}, {}, parsed, error)) return usageError("bench", error);
  if (parsed.positional.size() != 1) return usageError("bench", "expected one FILE");
  double seconds = kDefaultSeconds;
  if (const std::string* s = parsed.value("seconds")) {
    char* end = nullptr;
    seconds = std::strtod(s->c_str(), &end);
    if (s->empty() || *end != '\0' || !(seconds > 0.0) || seconds > kMaxSeconds)
      return usageError("bench", "--seconds takes a number of seconds above 0, at most 3600");
  }

  HeadlessHost host;
  if (int rc = openForCli(host, parsed.positional[0], parsed.value("header"))) return rc;
  Player& player = host.player;

  // Every sample in memory first, so the file plays no part in the numbers.
  std::vector<LoadedSample> video, audio;
  uint8_t* buffer = player.buffers.sampleBuffer.get();
  const SampleTable& table = player.table();
  for (int32_t i = 0; i < table.entryCount; ++i) {
    const SampleEntry& entry = table.entries[i];
    const size_t got = readSample(player, entry, buffer, kSampleBufferBytes);
    (entry.isAudio() ? audio : video).push_back(LoadedSample{{buffer, buffer + got}});
  }

  const int32_t width = player.playback.frameWidth;
  const int32_t height = player.playback.frameHeight;
  const uint32_t* decoded = player.buffers.decodedFrame.get();

  const double decodeRate = measure(
      video, seconds,
      [&](const LoadedSample& s) {
        decodeVideoSample(player, s.bytes.data(), s.bytes.size());
        return 1.0;
      },
      nullptr, player);
  std::printf("video decode: %.1f frames/s\n", decodeRate);
  std::fflush(stdout);

  // A 32-bit display surface of the largest size, as the tick converts into.
  DisplayPixelFormat format;
  format.formatCode = 32;
  const int32_t pitch = kSurfaceWidth * 4;
  std::vector<uint8_t> surface(size_t(pitch) * kSurfaceHeight);
  const double convertRate = measure(
      video, seconds,
      [&](const LoadedSample& s) {
        if (decodeVideoSample(player, s.bytes.data(), s.bytes.size()))
          convertFrame(format, decoded, width, height, surface.data(), pitch, kSurfaceWidth,
                       kSurfaceHeight);
        return 1.0;
      },
      nullptr, player);
  std::printf("video decode+convert: %.1f frames/s\n", convertRate);
  std::fflush(stdout);

  if (player.stream.audioChannels != 0) {
    const double audioRate = measure(
        audio, seconds,
        [&](const LoadedSample& s) {
          return double(decodeAudioSample(player, s.bytes.data(), s.bytes.size()) /
                        kSoundFrameBytes);
        },
        // Each pass starts the sound afresh, as opening the movie does.
        [](Player& p) { p.adx.reset(); }, player);
    std::printf("audio decode: %.1f sound frames/s\n", audioRate);
  }
  return kExitOk;
}

}  // namespace

ZENTROV_CLI_COMMAND("bench", "bench FILE [--header N] [--seconds S]",
                    "video, video+convert and sound decoding rates, S seconds each (default 3)",
                    runBench);

}  // namespace zentrov::cli
