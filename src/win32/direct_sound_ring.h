#pragma once
// The sound ring over the sound device's DirectSound buffer. The player
// reads and writes it from its one window thread, so there is no locking.

#include "playback/ports.h"
#include "win32/sound_device.h"

namespace zentrov::win32 {

class DirectSoundRing : public SoundRing {
 public:
  // Works on `device`'s buffer; a device without one makes every call a no-op.
  explicit DirectSoundRing(SoundDevice*& device) : device_(device) {}

  uint32_t playCursor() override;
  bool write(uint32_t offset, const uint8_t* data, uint32_t bytes) override;
  void clear() override;
  void setPosition(uint32_t offset) override;
  void setPan(int32_t pan) override;
  void setVolume(int32_t volume) override;
  void setFrequency(uint32_t hz) override;
  void playLooping() override;
  void stop() override;

 private:
  IDirectSoundBuffer* buffer() const { return device_ ? device_->soundBuffer : nullptr; }

  SoundDevice*& device_;  // the player's slot: created at start-up, emptied at teardown
};

}  // namespace zentrov::win32
