#include "playback/sample_decode.h"

#include <algorithm>

#include "codec/sound_frame.h"
#include "codec/sound_sample.h"
#include "playback/movie_open.h"
#include "playback/player.h"

namespace zentrov {

bool decodeVideoSample(Player& player, const uint8_t* sample, size_t length) {
  if (length == 0) return false;
  const int32_t width = player.playback.frameWidth;
  const int32_t height = player.playback.frameHeight;
  const bool decoded =
      player.cinepak->decodeFrame(sample, length, player.buffers.decodedFrame.get(),
                                  kDecodedFramePixels, width) == 0;
  // Opening keeps the picture inside the decoded frame; checked here too so
  // that nothing reading the frame can run past it.
  const bool fits =
      width > 0 && height > 0 && size_t(width) * size_t(height) <= kDecodedFramePixels;
  return decoded && fits;
}

bool decodeVideoEntry(Player& player, const SampleEntry& entry) {
  uint8_t* sample = player.buffers.sampleBuffer.get();
  // An unreadable sample counts as a damaged one.
  const size_t got = readSample(player, entry, sample, kSampleBufferBytes);
  return decodeVideoSample(player, sample, got);
}

int32_t decodeAudioSample(Player& player, const uint8_t* sample, size_t length) {
  if (length == 0 || length > kSampleBufferBytes) return 0;
  const int32_t bytes = decodeSoundSample(player.stream, player.adx, sample, int32_t(length),
                                          player.buffers.pcmBuffer.get(), kPcmBufferBytes);
  // Whole frames inside the PCM buffer only: a ring offset moved by part of a
  // frame would swap left and right for every later sample.
  return std::clamp<int32_t>(bytes, 0, int32_t(kPcmBufferBytes)) & ~(kSoundFrameBytes - 1);
}

int32_t decodeAudioEntry(Player& player, const SampleEntry& entry) {
  uint8_t* sample = player.buffers.sampleBuffer.get();
  const size_t got = readSample(player, entry, sample, kSampleBufferBytes);
  return decodeAudioSample(player, sample, got);
}

}  // namespace zentrov
