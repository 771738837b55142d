#pragma once
// A "\rN/TOTAL" counter on stderr for exports that run longer than a second.

#include <chrono>
#include <cstdio>

namespace zentrov::cli {

class ExportProgress {
 public:
  explicit ExportProgress(long total) : total_(total), start_(Clock::now()), last_(start_) {}

  // Shows `done` once the export has run for a second, at most ten times a second.
  void update(long done) {
    const Clock::time_point now = Clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100))
      return;
    last_ = now;
    shown_ = true;
    std::fprintf(stderr, "\r%ld/%ld", done, total_);
    std::fflush(stderr);
  }

  // Ends the counter's line, if one was shown.
  void finish(long done) {
    if (shown_) std::fprintf(stderr, "\r%ld/%ld\n", done, total_);
    shown_ = false;
  }

 private:
  using Clock = std::chrono::steady_clock;
  long total_;
  Clock::time_point start_;
  Clock::time_point last_;
  bool shown_ = false;
};

}  // namespace zentrov::cli
