// The About dialog's processor features from CPUID answers, and its version
// text from a version resource.

#include "shell/about_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace zentrov::test {
namespace {

// Each case: has CPUID; the largest leaf, leaf 1's EDX, the largest extended
// leaf and 0x80000001's EDX as answered; MMX, 3DNow!, and how many of the
// leaves 0, 1, 0x80000000, 0x80000001 were asked, in that order.
TEST(AboutInfoTest, FeaturesFollowTheCpuidAnswersAndAskOnlyWhatTheyNeed) {
  constexpr uint32_t kMmx = 1u << 23, kThreeDNow = 1u << 31;
  const uint32_t leaves[] = {0, 1, 0x80000000, 0x80000001};
  const struct {
    bool hasCpuid;
    uint32_t answers[4];
    bool mmx, threeDNow;
    size_t asked;
  } cases[] = {
      {false, {5, kMmx, 0x80000001, kThreeDNow}, false, false, 0},
      {true, {0, kMmx, 0x80000001, kThreeDNow}, false, false, 1},  // no leaf 1
      {true, {1, ~kMmx, 0x80000001, kThreeDNow}, false, false, 2},
      {true, {1, kMmx, 0x80000000, kThreeDNow}, true, false, 3},
      {true, {2, kMmx, 0x80000008, ~kThreeDNow}, true, false, 4},
      {true, {1, kMmx, 0x80000001, kThreeDNow}, true, true, 4},
  };
  for (const auto& c : cases) {
    std::vector<uint32_t> asked;
    const ProcessorFeatures features = processorFeatures(c.hasCpuid, [&](uint32_t leaf) {
      asked.push_back(leaf);
      const size_t i = size_t(std::find(leaves, leaves + 4, leaf) - leaves);
      return i == 4  ? CpuidRegisters{}
             : i % 2 ? CpuidRegisters{0, 0, 0, c.answers[i]}
                     : CpuidRegisters{c.answers[i]};
    });
    EXPECT_EQ(features.mmxSupported, c.mmx) << &c - cases;
    EXPECT_EQ(features.threeDNowSupported, c.threeDNow) << &c - cases;
    EXPECT_EQ(asked, std::vector<uint32_t>(leaves, leaves + c.asked)) << &c - cases;
  }
}

// A version resource as the resource compiler lays it out: a 40-byte header
// with the key, then the fixed information block at `fixedAt`, cut to `size`.
std::vector<uint8_t> versionResource(uint32_t fileVersionHigh, size_t fixedAt, size_t size) {
  std::vector<uint8_t> bytes(fixedAt + 52, 0);
  const char key[] = "VS_VERSION_INFO";
  for (size_t i = 0; i + 1 < sizeof key; ++i) bytes[6 + 2 * i] = key[i];
  const uint32_t words[] = {0xFEEF04BD, 0x00010000, fileVersionHigh};
  for (size_t w = 0; w < 3; ++w)
    for (size_t b = 0; b < 4; ++b) bytes[fixedAt + 4 * w + b] = uint8_t(words[w] >> (8 * b));
  bytes.resize(size);
  return bytes;
}

TEST(AboutInfoTest, VersionTextFromTheFixedBlockOrNothing) {
  const struct {
    std::vector<uint8_t> resource;
    std::string text;
  } cases[] = {
      {versionResource(0x00020004, 40, 92), "Version.2.04"},
      {versionResource(0x0001000A, 40, 52), "Version.1.10"},  // ends with the version word
      {versionResource(0x00020004, 42, 94), ""},              // signature off the 4-byte steps
      {versionResource(0x00020004, 40, 51), ""},              // the version word cut
      {versionResource(0x00020004, 40, 43), ""},              // the signature cut
      {{}, ""},
  };
  for (const auto& c : cases) {
    // A block of exactly the resource's size: reading past it is caught.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[c.resource.size()]);
    std::copy(c.resource.begin(), c.resource.end(), exact.get());
    EXPECT_EQ(versionText(exact.get(), c.resource.size()), c.text) << c.resource.size();
  }
}

}  // namespace
}  // namespace zentrov::test
