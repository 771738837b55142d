#include "win32/processor_features.h"

#include <cpuid.h>

namespace zentrov::win32 {

bool hasCpuidInstruction() {
#if defined(__i386__)
  // Processors before CPUID cannot change the ID bit (21) of EFLAGS.
  uint32_t original = 0;
  uint32_t flipped = 0;
  __asm__ volatile(
      "pushfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl $0x200000, %1\n\t"
      "pushl %1\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %1\n\t"
      "popfl"
      : "=&r"(original), "=&r"(flipped)
      :
      : "cc");
  return ((original ^ flipped) & 0x200000u) != 0;
#elif defined(__x86_64__)
  return true;
#else
  return false;
#endif
}

CpuidRegisters cpuid(uint32_t leaf) {
  CpuidRegisters r;
#if defined(__i386__) || defined(__x86_64__)
  __cpuid(leaf, r.eax, r.ebx, r.ecx, r.edx);
#else
  (void)leaf;
#endif
  return r;
}

ProcessorFeatures detectProcessorFeatures() {
  return processorFeatures(hasCpuidInstruction(), cpuid);
}

}  // namespace zentrov::win32
