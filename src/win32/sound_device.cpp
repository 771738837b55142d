#include "win32/sound_device.h"

#include <cstring>
#include <new>

#include "win32/win_text.h"

namespace zentrov::win32 {
namespace {

// "DirectSound cannot be used", in code page 932.
const char kNoDirectSound[] =
    "DirectSound\x82\xAA\x8E"
    "g\x97p\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";
const char kNoMemory[] = "not enough memory(sound)";

#ifndef _WIN64
// 64-bit Windows widens the format pointer, and with it the description.
static_assert(sizeof(DSBUFFERDESC1) == 20, "the 32-bit buffer description is 20 bytes");
#endif

constexpr DWORD kCreationRate = 44100;  // SetFrequency applies the movie's rate later
constexpr WORD kChannels = 2;
constexpr WORD kBitsPerSample = 16;

}  // namespace

HRESULT RefCounted::QueryInterface(REFIID, void** out) {
  *out = this;
  return S_OK;
}

ULONG RefCounted::AddRef() {
  return static_cast<ULONG>(++refCount);
}

ULONG RefCounted::Release() {
  if (--refCount == 0) {
    delete this;
    return 0;
  }
  return static_cast<ULONG>(refCount);
}

SoundDevice::~SoundDevice() {
  releaseDirectSound();
}

ULONG SoundDevice::Release() {
  // Only the last reference takes the DirectSound objects with it: a holder
  // of a second reference still has a ring to play.
  if (refCount == 1) releaseDirectSound();
  return RefCounted::Release();
}

void SoundDevice::releaseDirectSound() {
  if (soundBuffer) {
    soundBuffer->Release();
    soundBuffer = nullptr;
  }
  if (directSound) {
    directSound->Release();
    directSound = nullptr;
  }
}

DSBUFFERDESC1 SoundDevice::bufferDescription(uint32_t bytes) {
  waveFormat = WAVEFORMATEX{};
  waveFormat.wFormatTag = WAVE_FORMAT_PCM;
  waveFormat.nChannels = kChannels;
  waveFormat.nSamplesPerSec = kCreationRate;
  waveFormat.nBlockAlign = kChannels * kBitsPerSample / 8;
  waveFormat.nAvgBytesPerSec = kCreationRate * waveFormat.nBlockAlign;
  waveFormat.wBitsPerSample = kBitsPerSample;
  waveFormat.cbSize = 0;

  // The first layout of the description: 20 bytes on 32-bit Windows.
  DSBUFFERDESC1 description{};
  description.dwSize = sizeof description;
  description.dwFlags = kSoundBufferFlags;
  description.dwBufferBytes = bytes;
  description.dwReserved = 0;
  description.lpwfxFormat = &waveFormat;
  return description;
}

LONG SoundDevice::initSoundDevice(uint32_t bytes) {
  if (FAILED(DirectSoundCreate(nullptr, &directSound, nullptr))) {
    directSound = nullptr;
    lastError = 1;
    return reportSoundError(kNoDirectSound);
  }
  lastError = 0;
  if (FAILED(directSound->SetCooperativeLevel(soundWindow, DSSCL_NORMAL))) {
    lastError = 1;
    return reportSoundError("DS:SetCooperativeLevel");
  }
  lastError = 0;
  DSBUFFERDESC1 description = bufferDescription(bytes);
  if (FAILED(directSound->CreateSoundBuffer(reinterpret_cast<DSBUFFERDESC*>(&description),
                                            &soundBuffer, nullptr))) {
    soundBuffer = nullptr;
    lastError = 1;
    return reportSoundError("DS:CreateSoundBuffer");
  }
  lastError = 0;
  bufferBytes = bytes;
  return 0;
}

LONG SoundDevice::clearSoundBuffer() {
  if (!soundBuffer) return 0;
  void* region = nullptr;
  DWORD regionBytes = 0;
  if (SUCCEEDED(soundBuffer->Lock(0, bufferBytes, &region, &regionBytes, nullptr, nullptr, 0))) {
    std::memset(region, 0, regionBytes);
    soundBuffer->Unlock(region, regionBytes, nullptr, 0);
  }
  return 0;
}

LONG SoundDevice::reportSoundError(const char* text) {
  showMessageBox(soundWindow, codeMessage(text, static_cast<uint32_t>(lastError)), "Error",
                 kJapaneseCodePage);
  return lastError;
}

LONG createSoundDevice(SoundDevice** out, uint32_t bufferBytes, HWND soundWindow) {
  *out = new (std::nothrow) SoundDevice(soundWindow);
  if (!*out) {
    showMessageBox(soundWindow, codeMessage(kNoMemory, 1), "Error", kJapaneseCodePage);
    return 1;
  }
  return (*out)->initSoundDevice(bufferBytes);
}

}  // namespace zentrov::win32
