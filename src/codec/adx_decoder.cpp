#include "codec/adx_decoder.h"

#include "codec/sound_frame.h"
#include "film/byte_view.h"

namespace zentrov {

namespace {

constexpr int32_t kMonoBlockBytes = 18;
constexpr int32_t kStereoBlockBytes = 36;
constexpr int32_t kCodesPerBlock = 32;
constexpr int32_t kBytesPerBlockOut = kCodesPerBlock * kSoundFrameBytes;
constexpr int32_t kStreamHeaderWordBytes = 4;

// Prediction weights on the last two values, scaled by 32768.
constexpr int32_t kWeight1 = 58672;
constexpr int32_t kWeight2 = 26272;
constexpr int32_t kDeltaWeight = 18304;

constexpr int32_t kValueMin = -2048;
constexpr int32_t kValueMax = 2047;

// One channel's 32 codes into the 16-bit slot at `out` of 32 consecutive
// 4-byte frames; `bothChannels` copies each sample into the frame's other slot.
void decodeBlock(const uint8_t* block, int32_t& s1, int32_t& s2, uint8_t* out, bool bothChannels) {
  const int32_t scale = (block[0] << 8) | block[1];
  const int64_t k = int64_t{scale} * 8 + 7;
  int32_t h1 = s1;
  int32_t h2 = s2;
  for (int32_t i = 0; i < kCodesPerBlock; ++i) {
    const int32_t byte = block[2 + i / 2];
    const int32_t nibble = (i & 1) ? (byte & 0x0F) : (byte >> 4);
    const int32_t n = nibble >= 8 ? nibble - 16 : nibble;
    // The product wraps modulo 2^32 for scales of 8192 and above, as the
    // stored streams were made with 32-bit arithmetic.
    const int32_t product = static_cast<int32_t>(static_cast<uint32_t>(n * 4096 * k));
    const int32_t d = product >> 16;
    const int32_t p = kWeight1 * h1 + kDeltaWeight * d - kWeight2 * h2;
    int32_t v = p / 32768;
    v = v < kValueMin ? kValueMin : (v > kValueMax ? kValueMax : v);
    h2 = h1;
    h1 = v;
    const uint16_t sample = static_cast<uint16_t>(v * 8);
    uint8_t* frame = out + i * kSoundFrameBytes;
    frame[0] = static_cast<uint8_t>(sample);
    frame[1] = static_cast<uint8_t>(sample >> 8);
    if (bothChannels) {
      frame[2] = frame[0];
      frame[3] = frame[1];
    }
  }
  s1 = h1;
  s2 = h2;
}

}  // namespace

void AdxDecoder::reset() {
  leftS1 = 0;
  leftS2 = 0;
  rightS1 = 0;
  rightS2 = 0;
  headerSkipped = false;
}

int32_t AdxDecoder::decode(const uint8_t* input, int32_t length, uint8_t* output, bool stereo,
                           size_t outputCapacity) {
  int64_t remaining = length;
  if (!headerSkipped) {
    headerSkipped = true;
    // A sample too short for the header word cannot hold a block after it.
    if (remaining < kStreamHeaderWordBytes) return 0;
    const int64_t skip = int64_t{loadBE32(input) & 0x7FFFFFFFu} + kStreamHeaderWordBytes;
    if (skip >= remaining) return 0;
    input += skip;
    remaining -= skip;
  }

  const int64_t blockBytes = stereo ? kStereoBlockBytes : kMonoBlockBytes;
  int64_t blocks = remaining / blockBytes;
  const int64_t fit = static_cast<int64_t>(outputCapacity / kBytesPerBlockOut);
  if (blocks > fit) blocks = fit;
  if (blocks <= 0) return 0;

  for (int64_t b = 0; b < blocks; ++b) {
    uint8_t* out = output + b * kBytesPerBlockOut;
    if (stereo) {
      const uint8_t* pair = input + b * kStereoBlockBytes;
      decodeBlock(pair, leftS1, leftS2, out, false);
      decodeBlock(pair + kMonoBlockBytes, rightS1, rightS2, out + 2, false);
    } else {
      decodeBlock(input + b * kMonoBlockBytes, leftS1, leftS2, out, true);
    }
  }
  return static_cast<int32_t>(blocks * kBytesPerBlockOut);
}

}  // namespace zentrov
