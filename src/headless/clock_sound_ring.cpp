#include "headless/clock_sound_ring.h"

#include <algorithm>
#include <cstring>

#include "codec/sound_frame.h"
#include "headless/null_ports.h"

namespace zentrov {

namespace {
constexpr uint64_t kNanosecondsPerSecond = 1000000000;
}  // namespace

std::chrono::nanoseconds SteadyClock::now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

ClockSoundRing::ClockSoundRing(MonotonicClock& clock)
    : clock_(clock), ring_(kRingBytes), anchorTime_(clock.now()) {}

uint64_t ClockSoundRing::framesSinceAnchor() {
  if (!playing_) return 0;
  const int64_t elapsed = (clock_.now() - anchorTime_).count();
  if (elapsed <= 0) return 0;
  // Split into seconds and the rest so that hours of play cannot overflow.
  const uint64_t ns = uint64_t(elapsed);
  return ns / kNanosecondsPerSecond * frequency_ +
         ns % kNanosecondsPerSecond * frequency_ / kNanosecondsPerSecond;
}

void ClockSoundRing::reanchor() {
  const uint64_t bytes = framesSinceAnchor() * kSoundFrameBytes;
  anchorCursor_ = uint32_t((anchorCursor_ + bytes) & kRingMask);
  anchorPlayed_ += bytes;
  anchorTime_ = clock_.now();
}

uint32_t ClockSoundRing::playCursor() {
  return uint32_t((anchorCursor_ + framesSinceAnchor() * kSoundFrameBytes) & kRingMask);
}

uint64_t ClockSoundRing::playedBytes() {
  return anchorPlayed_ + framesSinceAnchor() * kSoundFrameBytes;
}

bool ClockSoundRing::write(uint32_t offset, const uint8_t* data, uint32_t bytes) {
  copyIntoRing(ring_.data(), offset, data, bytes);
  return true;
}

void ClockSoundRing::clear() {
  std::fill(ring_.begin(), ring_.end(), uint8_t{0});
}

void ClockSoundRing::setPosition(uint32_t offset) {
  reanchor();
  anchorCursor_ = offset & kRingMask;
}

void ClockSoundRing::setFrequency(uint32_t hz) {
  reanchor();
  frequency_ = hz;
}

void ClockSoundRing::playLooping() {
  reanchor();
  playing_ = true;
}

void ClockSoundRing::stop() {
  reanchor();
  playing_ = false;
}

}  // namespace zentrov
