#include "win32/direct_sound_ring.h"

#include <cstring>

namespace zentrov::win32 {

uint32_t DirectSoundRing::playCursor() {
  DWORD play = 0;
  if (IDirectSoundBuffer* b = buffer()) b->GetCurrentPosition(&play, nullptr);
  return static_cast<uint32_t>(play) & kRingMask;
}

bool DirectSoundRing::write(uint32_t offset, const uint8_t* data, uint32_t bytes) {
  IDirectSoundBuffer* b = buffer();
  if (!b) return false;
  if (bytes == 0) return true;
  void* first = nullptr;
  void* second = nullptr;
  DWORD firstBytes = 0;
  DWORD secondBytes = 0;
  if (FAILED(b->Lock(offset & kRingMask, bytes, &first, &firstBytes, &second, &secondBytes, 0))) {
    return false;
  }
  // The lock splits a range that runs past the end of the ring in two.
  const DWORD head = firstBytes < bytes ? firstBytes : bytes;
  std::memcpy(first, data, head);
  if (second && bytes > head) {
    const DWORD tail = secondBytes < bytes - head ? secondBytes : bytes - head;
    std::memcpy(second, data + head, tail);
  }
  b->Unlock(first, firstBytes, second, secondBytes);
  return true;
}

void DirectSoundRing::clear() {
  if (device_) device_->clearSoundBuffer();
}

void DirectSoundRing::setPosition(uint32_t offset) {
  if (IDirectSoundBuffer* b = buffer()) b->SetCurrentPosition(offset);
}

void DirectSoundRing::setPan(int32_t pan) {
  if (IDirectSoundBuffer* b = buffer()) b->SetPan(pan);
}

void DirectSoundRing::setVolume(int32_t volume) {
  if (IDirectSoundBuffer* b = buffer()) b->SetVolume(volume);
}

void DirectSoundRing::setFrequency(uint32_t hz) {
  if (IDirectSoundBuffer* b = buffer()) b->SetFrequency(hz);
}

void DirectSoundRing::playLooping() {
  if (IDirectSoundBuffer* b = buffer()) b->Play(0, 0, DSBPLAY_LOOPING);
}

void DirectSoundRing::stop() {
  if (IDirectSoundBuffer* b = buffer()) b->Stop();
}

}  // namespace zentrov::win32
