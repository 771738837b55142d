#pragma once
// ADX ADPCM sound, decoded into 16-bit stereo frames.

#include <cstddef>
#include <cstdint>

namespace zentrov {

class AdxDecoder {
 public:
  // Clears both channels' history and the header flag.
  void reset();
  // Decodes the whole blocks of one sample into 16-bit stereo frames, at most
  // `outputCapacity` bytes: pairs of left and right blocks when `stereo`, else
  // mono blocks heard on both sides. Returns bytes written.
  int32_t decode(const uint8_t* input, int32_t length, uint8_t* output, bool stereo,
                 size_t outputCapacity);

  int32_t leftS1 = 0;
  int32_t leftS2 = 0;
  int32_t rightS1 = 0;
  int32_t rightS2 = 0;
  bool headerSkipped = false;  // the stream's header word has been passed
};

}  // namespace zentrov
