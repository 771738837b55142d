#include "codec/sound_sample.h"

#include <cstring>

#include "codec/sound_frame.h"

namespace zentrov {

namespace {

constexpr int64_t kFrameBytes = kSoundFrameBytes;

// Frames that fit `capacity`, out of `wanted`.
int64_t fitFrames(int64_t wanted, size_t capacity) {
  const int64_t room = static_cast<int64_t>(capacity / kFrameBytes);
  if (wanted < 0) return 0;
  return wanted < room ? wanted : room;
}

// Silence for `bytes` bytes of output, rounded up to whole frames and clipped
// to the buffer.
int32_t writeSilence(int64_t bytes, uint8_t* output, size_t capacity) {
  const int64_t frames = fitFrames((bytes + kFrameBytes - 1) / kFrameBytes, capacity);
  if (frames <= 0) return 0;
  std::memset(output, 0, static_cast<size_t>(frames * kFrameBytes));
  return static_cast<int32_t>(frames * kFrameBytes);
}

// The byte of `input` at `index`, 0 past the end: an odd-length chunk's last
// frame may reach one byte beyond its data.
inline uint8_t byteOrZero(const uint8_t* input, int64_t length, int64_t index) {
  return index < length ? input[index] : uint8_t{0};
}

// 8-bit signed samples widened by repeating the byte (x 257), so full scale
// stays full scale.
void widen8(const uint8_t* input, int64_t length, bool stereo, uint8_t* out, int64_t frames) {
  const int64_t half = stereo ? length / 2 : 0;
  for (int64_t i = 0; i < frames; ++i) {
    const uint8_t left = input[i];
    const uint8_t right = input[half + i];
    out[0] = left;
    out[1] = left;
    out[2] = right;
    out[3] = right;
    out += kFrameBytes;
  }
}

// 16-bit big-endian samples; every frame but the last lies wholly inside the
// chunk, so only the last one reads with a bound.
void widen16(const uint8_t* input, int64_t length, bool stereo, uint8_t* out, int64_t frames) {
  const int64_t half = stereo ? length / 2 : 0;
  const int64_t whole = frames - 1;
  for (int64_t i = 0; i < whole; ++i) {
    const uint8_t* left = input + 2 * i;
    const uint8_t* right = input + half + 2 * i;
    out[0] = left[1];
    out[1] = left[0];
    out[2] = right[1];
    out[3] = right[0];
    out += kFrameBytes;
  }
  if (whole >= 0) {
    const int64_t l = 2 * whole;
    const int64_t r = half + 2 * whole;
    out[0] = byteOrZero(input, length, l + 1);
    out[1] = byteOrZero(input, length, l);
    out[2] = byteOrZero(input, length, r + 1);
    out[3] = byteOrZero(input, length, r);
  }
}

}  // namespace

int32_t widenPcm(const uint8_t* input, int32_t length, int audioBits, int audioChannels,
                 uint8_t* output, size_t capacity) {
  if (length <= 0) return 0;
  // A stream that claims no channels or no sample width still has a chunk
  // that takes time to play: keep its place in the ring as silence.
  if (audioBits <= 0 || audioChannels <= 0) return writeSilence(length, output, capacity);

  const int64_t outBytes = int64_t{length} * ((32 / audioBits) / audioChannels);
  const bool is8 = audioBits == 8;
  const bool is16 = audioBits == 16;
  const bool mono = audioChannels == 1;
  const bool stereo = audioChannels == 2;
  if (!((is8 || is16) && (mono || stereo))) return writeSilence(outBytes, output, capacity);

  // Whole frames only: an odd-length chunk rounds up, so the ring never moves
  // by half a frame and left and right never swap.
  const int64_t frames = fitFrames((outBytes + kFrameBytes - 1) / kFrameBytes, capacity);
  if (frames <= 0) return 0;
  if (is8)
    widen8(input, length, stereo, output, frames);
  else
    widen16(input, length, stereo, output, frames);
  return static_cast<int32_t>(frames * kFrameBytes);
}

int32_t decodeSoundSample(const StreamDescription& stream, AdxDecoder& adx, const uint8_t* sample,
                          int32_t length, uint8_t* output, size_t capacity) {
  if (length <= 0) return 0;
  // A stream without channels has nothing to decode; its audio entries are
  // kept as silence of their length.
  if (stream.audioChannels == 0) return writeSilence(length, output, capacity);
  switch (stream.audioCompression) {
    case kAudioPcm:
      return widenPcm(sample, length, stream.audioBits, stream.audioChannels, output, capacity);
    case kAudioAdx:
      // Stored streams are stereo when bit 0 of audioChannels - 1 is set.
      return adx.decode(sample, length, output, ((stream.audioChannels - 1) & 1) != 0, capacity);
    default:
      return writeSilence(length, output, capacity);
  }
}

}  // namespace zentrov
