// The sound device and its ring on Wine's DirectSound over the test
// environment's null sink; the player's own use of them is tested with the
// whole player.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "win32/direct_sound_ring.h"
#include "win32/sound_device.h"
#include "win32_test_support.h"

namespace zentrov::win32 {
namespace {

std::vector<uint8_t> ringBytes(IDirectSoundBuffer* buffer) {
  void* region = nullptr;
  DWORD bytes = 0;
  std::vector<uint8_t> out;
  if (SUCCEEDED(buffer->Lock(0, kRingBytes, &region, &bytes, nullptr, nullptr, 0))) {
    const auto* data = static_cast<const uint8_t*>(region);
    out.assign(data, data + bytes);
    buffer->Unlock(region, bytes, nullptr, 0);
  }
  return out;
}

struct SoundDeviceTest : ::testing::Test {
  void SetUp() override {
    window = CreateWindowW(L"STATIC", L"sound", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
    ASSERT_EQ(createSoundDevice(&device, kRingBytes, window), 0);
    ASSERT_NE(device->soundBuffer, nullptr);
  }
  void TearDown() override {
    if (device) {
      EXPECT_EQ(device->Release(), 0u);
    }
    DestroyWindow(window);
  }
  HWND window = nullptr;
  test::BoxCatcher boxes;
  SoundDevice* device = nullptr;
};

TEST_F(SoundDeviceTest, RingIsOneMebibyteOfStereo16BitWithTheControlFlags) {
  WAVEFORMATEX format{};
  ASSERT_EQ(device->soundBuffer->GetFormat(&format, sizeof format, nullptr), DS_OK);
  EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(format.nChannels, 2);
  EXPECT_EQ(format.nSamplesPerSec, 44100u);
  EXPECT_EQ(format.nAvgBytesPerSec, 176400u);
  EXPECT_EQ(format.nBlockAlign, 4);
  EXPECT_EQ(format.wBitsPerSample, 16);

  DSBCAPS caps{};
  caps.dwSize = sizeof caps;
  ASSERT_EQ(device->soundBuffer->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwBufferBytes, kRingBytes);
  EXPECT_EQ(device->bufferBytes, kRingBytes);
  // DirectSound adds where it mixes; no other flag than the requested ones.
  EXPECT_EQ(caps.dwFlags & ~static_cast<DWORD>(DSBCAPS_LOCSOFTWARE | DSBCAPS_LOCHARDWARE), 0x40E2u);
  EXPECT_EQ(device->refCount, 1);
  EXPECT_EQ(device->lastError, 0);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SoundDeviceTest, WritesWrapAtTheRingEndAndClearZeroesEveryByte) {
  DirectSoundRing ring(device);
  const uint8_t data[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  ASSERT_TRUE(ring.write(kRingBytes - 6, data, sizeof data));
  std::vector<uint8_t> bytes = ringBytes(device->soundBuffer);
  ASSERT_EQ(bytes.size(), kRingBytes);
  EXPECT_EQ(std::memcmp(bytes.data() + kRingBytes - 6, data, 6), 0);
  EXPECT_EQ(std::memcmp(bytes.data(), data + 6, 6), 0);

  ring.clear();
  bytes = ringBytes(device->soundBuffer);
  ASSERT_EQ(bytes.size(), kRingBytes);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), static_cast<long>(kRingBytes));
}

TEST_F(SoundDeviceTest, OnlyTheLastReleaseTakesTheBufferWithIt) {
  void* same = nullptr;
  EXPECT_EQ(device->QueryInterface(IID_IDirectSoundBuffer, &same), S_OK);
  EXPECT_EQ(same, static_cast<void*>(device));
  EXPECT_EQ(device->refCount, 1);
  EXPECT_EQ(device->AddRef(), 2u);
  EXPECT_EQ(device->Release(), 1u);
  ASSERT_NE(device->soundBuffer, nullptr);
  DWORD status = 0;
  EXPECT_EQ(device->soundBuffer->GetStatus(&status), DS_OK);
}

}  // namespace
}  // namespace zentrov::win32
