#pragma once
// The processor's answers to CPUID, for the About dialog.

#include "shell/about_info.h"

namespace zentrov::win32 {

// Whether the processor has the CPUID instruction: always on x86_64; on the
// 32-bit build when the ID bit of EFLAGS can be changed.
bool hasCpuidInstruction();
// The registers CPUID answers for `leaf` (sub-leaf 0).
CpuidRegisters cpuid(uint32_t leaf);
// MMX and 3DNow! as this processor reports them.
ProcessorFeatures detectProcessorFeatures();

}  // namespace zentrov::win32
