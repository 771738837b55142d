#pragma once
// The texts the Property dialog shows: the value fields and the table rows.

#include <array>
#include <string>

#include "film/film_format.h"

namespace zentrov {

struct PropertyValues {
  std::string frameSize;      // "%dx%d"
  std::string totalFrame;     // "%d"
  std::string frameRateBase;  // "%d"
  std::string audioChannels;  // "%dch"
  std::string pcmBits;        // "%dbit"
  std::string pcmFrequency;   // "%dHz"
  std::string pcmFormat;      // "PCM", "ADX" or "unknown(%d)"
};

PropertyValues propertyValues(const StreamDescription& stream, const SampleTable& table);

// Block, AbsTime, DspTime and Key of entry `index`.
std::array<std::string, 4> propertyRow(int index, const SampleEntry& entry);

}  // namespace zentrov
