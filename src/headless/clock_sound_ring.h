#pragma once
// A sound ring that nobody hears but that plays in real time: while playing,
// its cursor moves on by one 4-byte sound frame per period of the set
// frequency, as a sound card would. The null audio device of a host without
// sound; the time source is injectable so that tests can drive it.

#include <chrono>
#include <cstdint>
#include <vector>

#include "playback/ports.h"

namespace zentrov {

// A time source that never goes back.
class MonotonicClock {
 public:
  virtual ~MonotonicClock() = default;
  virtual std::chrono::nanoseconds now() = 0;
};

class SteadyClock : public MonotonicClock {
 public:
  std::chrono::nanoseconds now() override;
};

class ClockSoundRing : public SoundRing {
 public:
  static constexpr uint32_t kCreationRate = 44100;  // Hz, until setFrequency

  explicit ClockSoundRing(MonotonicClock& clock);

  uint32_t playCursor() override;
  bool write(uint32_t offset, const uint8_t* data, uint32_t bytes) override;
  void clear() override;
  void setPosition(uint32_t offset) override;
  void setPan(int32_t pan) override { pan_ = pan; }
  void setVolume(int32_t volume) override { volume_ = volume; }
  void setFrequency(uint32_t hz) override;
  void playLooping() override;
  void stop() override;

  // Bytes the cursor has moved on by playing since the ring was made, counted
  // across its wraps. Jumps made by setPosition are not progress.
  uint64_t playedBytes();
  bool playing() const { return playing_; }
  uint32_t frequency() const { return frequency_; }
  int32_t volume() const { return volume_; }
  int32_t pan() const { return pan_; }
  const std::vector<uint8_t>& bytes() const { return ring_; }

 private:
  // Whole sound frames played since the anchor.
  uint64_t framesSinceAnchor();
  // Folds the progress up to now into the anchor, so that a change of
  // position, rate or state counts from here.
  void reanchor();

  MonotonicClock& clock_;
  std::vector<uint8_t> ring_;
  bool playing_ = false;
  uint32_t frequency_ = kCreationRate;
  int32_t volume_ = 0;
  int32_t pan_ = 0;
  std::chrono::nanoseconds anchorTime_{0};
  uint32_t anchorCursor_ = 0;
  uint64_t anchorPlayed_ = 0;
};

}  // namespace zentrov
