// The Property dialog's texts.

#include <gtest/gtest.h>

#include "film/property_text.h"

namespace zentrov {
namespace {

TEST(PropertyValues, FieldsAsShown) {
  StreamDescription s;
  s.width = 320;
  s.height = 224;
  s.audioChannels = 2;
  s.audioBits = 16;
  s.audioCompression = 0;
  s.sampleRate = 0xAC44FFFFu;  // the low 16 bits are ignored
  SampleTable t;
  t.timeBase = 600;
  t.entryCount = 1234;
  PropertyValues v = propertyValues(s, t);
  EXPECT_EQ(v.frameSize, "320x224");
  EXPECT_EQ(v.totalFrame, "1234");
  EXPECT_EQ(v.frameRateBase, "600");
  EXPECT_EQ(v.audioChannels, "2ch");
  EXPECT_EQ(v.pcmBits, "16bit");
  EXPECT_EQ(v.pcmFrequency, "44100Hz");
  EXPECT_EQ(v.pcmFormat, "PCM");
}

TEST(PropertyValues, Formats) {
  StreamDescription s;
  SampleTable t;
  const std::pair<int8_t, const char*> cases[] = {
      {0, "PCM"}, {2, "ADX"}, {5, "unknown(5)"}, {1, "unknown(1)"}, {-1, "unknown(-1)"}};
  for (const auto& c : cases) {
    s.audioCompression = c.first;
    EXPECT_EQ(propertyValues(s, t).pcmFormat, c.second);
  }
  s.width = -1;
  s.height = 1000;
  EXPECT_EQ(propertyValues(s, t).frameSize, "-1x1000") << "the size as read, before clamping";
}

TEST(PropertyRow, Columns) {
  struct Case {
    uint32_t info1;
    int32_t info2;
    std::array<std::string, 4> row;
  };
  const Case cases[] = {
      {0xFFFFFFFFu, 5, {"7", "AUDIO", "5", ""}},
      {0x80000000u, 0, {"7", "0", "0", ""}},
      {0x00000000u, -2, {"7", "0", "-2", "KEY"}},
      {0x7FFFFFFFu, 1, {"7", "2147483647", "1", "KEY"}},
      {0x800003E8u, 1000, {"7", "1000", "1000", ""}},
  };
  for (const Case& c : cases) {
    SampleEntry e;
    e.info1 = c.info1;
    e.info2 = c.info2;
    EXPECT_EQ(propertyRow(7, e), c.row) << std::hex << c.info1;
  }
}

// A table of any claimed size gives rows only where entries stand.
TEST(PropertyView, RowsAsAVirtualListAsksForThem) {
  SampleTable t;
  t.entries[1].info1 = 0xFFFFFFFFu;
  const std::array<std::string, 4> none{};
  const std::pair<int32_t, int> cases[] = {{2, 2}, {-3, 0}, {9000, kMaxSampleEntries}};
  for (const auto& [claimed, rows] : cases) {
    t.entryCount = claimed;
    const PropertyView view(StreamDescription{}, t);
    EXPECT_EQ(view.rowCount(), rows) << claimed;
    EXPECT_EQ(view.row(rows), none) << claimed;
    EXPECT_EQ(view.row(-1), none) << claimed;
  }
  t.entryCount = 2;
  EXPECT_EQ(PropertyView(StreamDescription{}, t).row(1)[1], "AUDIO");
}

}  // namespace
}  // namespace zentrov
