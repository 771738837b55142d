#pragma once
// How a set-up step of the host reports: the step-trace box before each step
// and the error box after a failed one, both owned by the start-up sequence.

#include <cstdint>

namespace zentrov::win32 {

class SetupReporter {
 public:
  virtual ~SetupReporter() = default;
  // Shows `name` when step tracing is on.
  virtual void traceStep(const char* name) = 0;
  // The failure flag the error box prints: 1 after a failed call, else 0.
  virtual void setSetupFailed(uint32_t failed) = 0;
  // Shows `text` over the failure flag in the set-up error box.
  virtual void reportError(const char* text) = 0;
};

}  // namespace zentrov::win32
