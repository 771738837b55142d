#pragma once
// What the About dialog works out rather than reads: the processor's MMX and
// 3DNow! support from its CPUID answers, and the version text from the
// program's version resource. The host asks the processor and finds the
// resource; the decisions are here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace zentrov {

struct ProcessorFeatures {
  bool mmxSupported = false;
  bool threeDNowSupported = false;  // only ever true together with MMX
};

// The four registers one CPUID leaf answers.
struct CpuidRegisters {
  uint32_t eax = 0;
  uint32_t ebx = 0;
  uint32_t ecx = 0;
  uint32_t edx = 0;
};

// Asks the processor one CPUID leaf.
using CpuidQuery = std::function<CpuidRegisters(uint32_t leaf)>;

// The features from `cpuid`, asked only for the leaves the answer needs:
// 0, 1, and the extended leaves 0x80000000 and 0x80000001 only when MMX is
// there. Without the instruction (`hasCpuid` false) nothing is asked and
// both are false.
ProcessorFeatures processorFeatures(bool hasCpuid, const CpuidQuery& cpuid);

// "Version.%d.%02d" from the file version of a version resource of `bytes`
// bytes: the fixed information block is found by its signature 0xFEEF04BD at
// a multiple of 4 bytes from the start, and the high and low halves of the
// word 8 bytes after it are major and minor. Empty when the signature, or
// the word after it, is not inside the resource.
std::string versionText(const uint8_t* resource, size_t bytes);

}  // namespace zentrov
