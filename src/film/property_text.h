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

// What the Property dialog shows of a movie: the seven value texts and the
// table rows, made one at a time as a virtual list asks for them.
class PropertyView {
 public:
  PropertyView(const StreamDescription& stream, const SampleTable& table)
      : values_(propertyValues(stream, table)), table_(table) {}

  const PropertyValues& values() const { return values_; }
  // Rows in the table, 0 to 8,191.
  int rowCount() const;
  // The four column texts of row `index`; empty texts outside the rows.
  std::array<std::string, 4> row(int index) const;

 private:
  PropertyValues values_;
  const SampleTable& table_;
};

}  // namespace zentrov
