// The sound device and its ring, on Wine's DirectSound over the test
// environment's null sink.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "win32/direct_sound_ring.h"
#include "win32/sound_device.h"
#include "win32/win_text.h"
#include "win32_test_support.h"

namespace zentrov::win32 {
namespace {

using test::BoxCatcher;
using test::TestWindow;

constexpr double kBytesPerSecond = 176400.0;  // 44,100 Hz, 16-bit stereo

double seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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
    ASSERT_EQ(createSoundDevice(&device, kRingBytes, window.handle()), 0);
    ASSERT_NE(device->soundBuffer, nullptr);
  }
  void TearDown() override {
    if (device) {
      EXPECT_EQ(device->Release(), 0u);
    }
  }
  TestWindow window;
  BoxCatcher boxes;
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

TEST_F(SoundDeviceTest, PlayCursorAdvancesInRealTimeWhilePlayingAndStandsWhileStopped) {
  DirectSoundRing ring(device);
  std::vector<uint8_t> tone(kRingBytes);
  for (size_t i = 0; i < tone.size(); i += 2) tone[i + 1] = (i / 400) % 2 ? 0x20 : 0xE0;
  ASSERT_TRUE(ring.write(0, tone.data(), kRingBytes));
  ring.setPosition(0);
  ring.setFrequency(44100);
  ring.playLooping();

  // The cursor moves in steps of the mixer's period; measure across a second.
  const uint32_t start = ring.playCursor();
  const double t0 = seconds();
  Sleep(1000);
  const uint32_t end = ring.playCursor();
  const double elapsed = seconds() - t0;
  const double rate = ((end - start) & kRingMask) / elapsed;
  EXPECT_GT(rate, 0.85 * kBytesPerSecond);
  EXPECT_LT(rate, 1.15 * kBytesPerSecond);

  ring.stop();
  const uint32_t stopped = ring.playCursor();
  Sleep(300);
  EXPECT_EQ(ring.playCursor(), stopped);
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

// Run by the test script in an environment without a sound server.
TEST(NoSoundServer, SoundDeviceFailsWithItsErrorBox) {
  TestWindow window;
  BoxCatcher boxes;
  SoundDevice* device = nullptr;
  EXPECT_EQ(createSoundDevice(&device, kRingBytes, window.handle()), 1);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->lastError, 1);
  EXPECT_EQ(device->directSound, nullptr);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, L"Error");
  EXPECT_EQ(boxes.boxes[0].text, test::utf16("DirectSoundが使用できません\n00000001"));
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace zentrov::win32
