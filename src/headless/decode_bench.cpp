#include "headless/decode_bench.h"

#include <chrono>
#include <ctime>

#include "codec/sound_frame.h"
#include "playback/movie_open.h"
#include "playback/sample_decode.h"
#include "video/pixel_convert.h"

namespace zentrov {

DecodeBench::DecodeBench(Player& player, Clock clock) : player_(player), clock_(clock) {
  uint8_t* buffer = player.buffers.sampleBuffer.get();
  const SampleTable& table = player.table();
  for (int32_t i = 0; i < table.entryCount; ++i) {
    const SampleEntry& entry = table.entries[i];
    const size_t got = readSample(player, entry, buffer, kSampleBufferBytes);
    (entry.isAudio() ? audio_ : video_).emplace_back(buffer, buffer + got);
  }
}

template <typename Step>
double DecodeBench::measure(const std::vector<std::vector<uint8_t>>& samples, double seconds,
                            Step step, bool restartSound) {
  using Steady = std::chrono::steady_clock;
  if (samples.empty()) return 0.0;
  const Steady::time_point start = Steady::now();
  const std::clock_t cpuStart = std::clock();
  const auto limit = std::chrono::duration<double>(seconds);
  double units = 0.0;
  for (;;) {
    // Each pass starts the sound afresh, as opening the movie does.
    if (restartSound) player_.adx.reset();
    for (const std::vector<uint8_t>& s : samples) {
      units += step(s);
      const auto elapsed = std::chrono::duration<double>(Steady::now() - start);
      if (elapsed < limit) continue;
      const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
      return units / (clock_ == Clock::Processor && cpu > 0.0 ? cpu : elapsed.count());
    }
  }
}

double DecodeBench::videoRate(double seconds) {
  return measure(video_, seconds, [&](const std::vector<uint8_t>& s) {
    decodeVideoSample(player_, s.data(), s.size());
    return 1.0;
  }, false);
}

double DecodeBench::convertRate(double seconds) {
  // A 32-bit display surface of the largest size, as the tick converts into.
  DisplayPixelFormat format;
  format.formatCode = 32;
  const int32_t pitch = kSurfaceWidth * 4;
  std::vector<uint8_t> surface(size_t(pitch) * kSurfaceHeight);
  const PlaybackState& state = player_.playback;
  return measure(video_, seconds, [&](const std::vector<uint8_t>& s) {
    if (decodeVideoSample(player_, s.data(), s.size()))
      convertFrame(format, player_.buffers.decodedFrame.get(), state.frameWidth,
                   state.frameHeight, surface.data(), pitch, kSurfaceWidth, kSurfaceHeight);
    return 1.0;
  }, false);
}

double DecodeBench::audioRate(double seconds) {
  if (player_.stream.audioChannels == 0) return 0.0;
  return measure(audio_, seconds, [&](const std::vector<uint8_t>& s) {
    return double(decodeAudioSample(player_, s.data(), s.size()) / kSoundFrameBytes);
  }, true);
}

}  // namespace zentrov
