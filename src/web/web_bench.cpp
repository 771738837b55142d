// benchDecode: the decoding rates of `zentrov-cli bench`, measured the same
// way through the same core calls, for the page's build. A page has no
// processor-time clock, so the rates are per second of wall time.

#include <emscripten.h>

#include <chrono>
#include <string>
#include <vector>

#include "codec/sound_frame.h"
#include "headless/headless_host.h"
#include "playback/movie_open.h"
#include "playback/sample_decode.h"
#include "video/pixel_convert.h"

namespace {

using Clock = std::chrono::steady_clock;

struct LoadedSample {
  std::vector<uint8_t> bytes;
};

template <typename Step>
double measure(const std::vector<LoadedSample>& samples, double seconds, Step step,
               void (*beforePass)(zentrov::Player&), zentrov::Player& player) {
  if (samples.empty()) return 0.0;
  const Clock::time_point start = Clock::now();
  const auto limit = std::chrono::duration<double>(seconds);
  double units = 0.0;
  for (;;) {
    if (beforePass) beforePass(player);
    for (const LoadedSample& s : samples) {
      units += step(s);
      const auto elapsed = std::chrono::duration<double>(Clock::now() - start);
      if (elapsed >= limit) return units / elapsed.count();
    }
  }
}

double g_rates[3];

}  // namespace

extern "C" {

// Video decode, decode+convert and sound decode rates of the movie at
// `path`, `seconds` each; null when it does not open.
EMSCRIPTEN_KEEPALIVE const double* zt_bench(const char* path, double seconds) {
  using namespace zentrov;
  HeadlessHost host;
  if (!host.ready) return nullptr;
  Player& player = host.player;
  player.shell.currentFileName = path;
  if (openMovie(player, OpenRequest::fromStart()) != OpenResult::Opened) return nullptr;

  std::vector<LoadedSample> video, audio;
  uint8_t* buffer = player.buffers.sampleBuffer.get();
  const SampleTable& table = player.table();
  for (int32_t i = 0; i < table.entryCount; ++i) {
    const SampleEntry& entry = table.entries[i];
    const size_t got = readSample(player, entry, buffer, kSampleBufferBytes);
    (entry.isAudio() ? audio : video).push_back(LoadedSample{{buffer, buffer + got}});
  }
  player.playback.fileHandle.close();

  const int32_t width = player.playback.frameWidth;
  const int32_t height = player.playback.frameHeight;
  const uint32_t* decoded = player.buffers.decodedFrame.get();
  g_rates[0] = measure(
      video, seconds,
      [&](const LoadedSample& s) {
        decodeVideoSample(player, s.bytes.data(), s.bytes.size());
        return 1.0;
      },
      nullptr, player);

  DisplayPixelFormat format;
  format.formatCode = 32;
  const int32_t pitch = kSurfaceWidth * 4;
  std::vector<uint8_t> surface(size_t(pitch) * kSurfaceHeight);
  g_rates[1] = measure(
      video, seconds,
      [&](const LoadedSample& s) {
        if (decodeVideoSample(player, s.bytes.data(), s.bytes.size()))
          convertFrame(format, decoded, width, height, surface.data(), pitch, kSurfaceWidth,
                       kSurfaceHeight);
        return 1.0;
      },
      nullptr, player);

  g_rates[2] = 0.0;
  if (player.stream.audioChannels != 0)
    g_rates[2] = measure(
        audio, seconds,
        [&](const LoadedSample& s) {
          return double(decodeAudioSample(player, s.bytes.data(), s.bytes.size()) /
                        kSoundFrameBytes);
        },
        [](Player& p) { p.adx.reset(); }, player);
  return g_rates;
}

}  // extern "C"
