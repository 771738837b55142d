#include "shell/about_info.h"

#include <cstdio>

namespace zentrov {
namespace {

constexpr uint32_t kMmxBit = 1u << 23;        // leaf 1, EDX
constexpr uint32_t kThreeDNowBit = 1u << 31;  // leaf 0x80000001, EDX
constexpr uint32_t kExtendedLeaves = 0x80000000u;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BDu;
constexpr size_t kFileVersionHigh = 8;  // bytes after the signature

// Resources are little-endian whatever reads them.
uint32_t littleEndian(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

ProcessorFeatures processorFeatures(bool hasCpuid, const CpuidQuery& cpuid) {
  ProcessorFeatures features;
  if (!hasCpuid || !cpuid) return features;
  if (cpuid(0).eax < 1) return features;
  if ((cpuid(1).edx & kMmxBit) == 0) return features;
  features.mmxSupported = true;
  if (cpuid(kExtendedLeaves).eax < kExtendedLeaves + 1) return features;
  features.threeDNowSupported = (cpuid(kExtendedLeaves + 1).edx & kThreeDNowBit) != 0;
  return features;
}

std::string versionText(const uint8_t* resource, size_t bytes) {
  if (!resource) return std::string();
  for (size_t at = 0; at + 4 <= bytes; at += 4) {
    if (littleEndian(resource + at) != kFixedInfoSignature) continue;
    const size_t word = at + kFileVersionHigh;
    if (word + 4 > bytes) return std::string();
    const uint32_t version = littleEndian(resource + word);
    char text[32];
    std::snprintf(text, sizeof text, "Version.%d.%02d", static_cast<int>(version >> 16),
                  static_cast<int>(version & 0xFFFF));
    return text;
  }
  return std::string();
}

}  // namespace zentrov
