#pragma once
// The player's one contact with DirectSound: a reference-counted object that
// owns the DirectSound object and one secondary buffer used as the looping
// sound ring. Built in two layers, each with its own operation table: the
// reference-counted base and the sound device proper.

#include <windows.h>

#include <dsound.h>

#include <cstdint>

namespace zentrov::win32 {

constexpr uint32_t kSoundBufferFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN |
                                       DSBCAPS_CTRLVOLUME | DSBCAPS_STICKYFOCUS;  // 0x40E2

// The base layer: QueryInterface, AddRef, Release over refCount.
class RefCounted {
 public:
  RefCounted() = default;
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  // Stores this object in `out` for any interface id; takes no reference.
  virtual HRESULT QueryInterface(REFIID iid, void** out);
  // Returns the new count.
  virtual ULONG AddRef();
  // Frees the object at 0 and returns 0, else returns the new count.
  virtual ULONG Release();

  LONG refCount = 1;

 protected:
  virtual ~RefCounted() = default;
};

class SoundDevice : public RefCounted {
 public:
  explicit SoundDevice(HWND window) : soundWindow(window) {}

  // The last reference also releases the buffer, then the DirectSound object.
  ULONG Release() override;

  // Creates DirectSound, its cooperative level and the ring of `bytes` bytes
  // (16-bit stereo, not cleared, not playing). 0, or 1 after an error box.
  LONG initSoundDevice(uint32_t bytes);
  // Zeroes the whole ring; a ring that cannot be locked is left as it is.
  LONG clearSoundBuffer();
  // "text\n%08X" with lastError, in a box captioned "Error"; returns lastError.
  LONG reportSoundError(const char* text);

  // The description initSoundDevice gives CreateSoundBuffer for `bytes`.
  DSBUFFERDESC1 bufferDescription(uint32_t bytes);

  LONG lastError = 0;  // 1 when the last DirectSound call of the set-up failed
  IDirectSound* directSound = nullptr;
  IDirectSoundBuffer* soundBuffer = nullptr;
  WAVEFORMATEX waveFormat{};
  uint32_t bufferBytes = 0;
  HWND soundWindow;  // owns the error boxes and the cooperative level

 private:
  ~SoundDevice() override;
  void releaseDirectSound();
};

// Allocates the device into `out` (before anything can fail) and runs
// initSoundDevice: 0 on success, else 1 with the error shown. After a failure
// `out` holds whatever was created; release it with Release.
LONG createSoundDevice(SoundDevice** out, uint32_t bufferBytes, HWND soundWindow);

}  // namespace zentrov::win32
