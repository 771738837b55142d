#include "film/property_text.h"

#include <algorithm>
#include <cstdio>

namespace zentrov {

namespace {
std::string format(const char* pattern, int value) {
  char text[32];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}
}  // namespace

PropertyValues propertyValues(const StreamDescription& stream, const SampleTable& table) {
  PropertyValues v;
  char size[48];
  std::snprintf(size, sizeof size, "%dx%d", stream.width, stream.height);
  v.frameSize = size;
  v.totalFrame = format("%d", table.entryCount);
  v.frameRateBase = format("%d", table.timeBase);
  v.audioChannels = format("%dch", stream.audioChannels);
  v.pcmBits = format("%dbit", stream.audioBits);
  v.pcmFrequency = format("%dHz", static_cast<int>(stream.rateHz()));
  if (stream.audioCompression == kAudioPcm)
    v.pcmFormat = "PCM";
  else if (stream.audioCompression == kAudioAdx)
    v.pcmFormat = "ADX";
  else
    v.pcmFormat = format("unknown(%d)", stream.audioCompression);
  return v;
}

std::array<std::string, 4> propertyRow(int index, const SampleEntry& entry) {
  return {format("%d", index),
          entry.isAudio() ? std::string("AUDIO") : format("%d", entry.timeStamp()),
          format("%d", entry.info2), entry.isKeyFrame() ? std::string("KEY") : std::string()};
}

std::array<std::string, 4> PropertyView::row(int index) const {
  if (index < 0 || index >= rowCount()) return {};
  return propertyRow(index, table_.entries[index]);
}

int PropertyView::rowCount() const {
  return std::clamp<int32_t>(table_.entryCount, 0, kMaxSampleEntries);
}

}  // namespace zentrov
