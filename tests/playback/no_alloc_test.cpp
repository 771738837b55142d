// Once a movie is open, playing it allocates nothing: every tick and every
// transport command runs on the buffers made at start-up. A counting global
// operator new, switched on only around playback, checks it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "playback/playback_tick.h"
#include "playback/transport.h"
#include "shell/player.h"
#include "support/playback_movies.h"

namespace {
bool gCounting = false;
size_t gAllocations = 0;

void* countedAllocation(std::size_t size) {
  if (gCounting) ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
  return countedAllocation(size);
}
void* operator new[](std::size_t size) {
  return countedAllocation(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace zentrov::test {
namespace {

// Ports that keep nothing but fixed-size state, so that any allocation seen
// comes from the player itself.
class QuietRing : public SoundRing {
 public:
  uint32_t playCursor() override { return cursor; }
  bool write(uint32_t offset, const uint8_t* data, uint32_t bytes) override {
    for (uint32_t i = 0; i < bytes; ++i) ring[(offset + i) & kRingMask] = data[i];
    written += bytes;
    return true;
  }
  void clear() override { std::memset(ring.data(), 0, ring.size()); }
  void setPosition(uint32_t offset) override { cursor = offset; }
  void setPan(int32_t) override {}
  void setVolume(int32_t) override {}
  void setFrequency(uint32_t) override {}
  void playLooping() override {}
  void stop() override {}

  std::vector<uint8_t> ring = std::vector<uint8_t>(kRingBytes);
  uint32_t cursor = 0;
  uint64_t written = 0;
};

class QuietFrames : public FrameOutput {
 public:
  void clearBackSurfaces() override {}
  bool convertToNextBackSurface(const uint32_t* frame, int32_t width, int32_t height) override {
    std::memcpy(surface.data(), frame, size_t(width) * size_t(height) * 4);
    ++converted;
    return true;
  }
  void present() override { ++presented; }
  void resizeWindow(int32_t, int32_t) override {}

  std::vector<uint32_t> surface = std::vector<uint32_t>(kDecodedFramePixels);
  int converted = 0;
  int presented = 0;
};

class QuietControls : public Controls {
 public:
  void setStatusText(int, const char*) override { ++texts; }
  void setMenuItemState(int, MenuState) override {}
  void checkMenuItem(int, bool) override {}
  void enableButton(int, bool) override {}
  void checkButton(int, bool) override {}
  void setRecentFileItems(const std::vector<RecentFileItem>&) override {}
  void showMessage(const std::string&, const std::string&) override {}
  void setWindowTitle(const std::string&) override {}
  int texts = 0;
};

class QuietSettings : public SettingsStore {
 public:
  bool readDword(const std::string&, const std::string&, uint32_t&) override { return false; }
  bool readString(const std::string&, const std::string&, std::string&) override { return false; }
  bool writeDword(const std::string&, const std::string&, uint32_t) override { return true; }
  bool writeString(const std::string&, const std::string&, const std::string&) override {
    return true;
  }
};

class QuietDialogs : public Dialogs {
 public:
  bool chooseMovieFile(std::string&) override { return false; }
  void showAbout() override {}
  void showProperty() override {}
  int searchHeader() override { return 0; }
  void openHomePage(const std::string&) override {}
  void copyToClipboard(const std::vector<uint8_t>&) override {}
};

struct QuietRig {
  QuietRing sound;
  QuietFrames frames;
  QuietControls controls;
  QuietSettings settings;
  QuietDialogs dialogs;
  Player player{Ports{sound, frames, controls, settings, dialogs}};
};

// Counts allocations while it lives.
struct Counting {
  Counting() { gAllocations = 0, gCounting = true; }
  ~Counting() { gCounting = false; }
};

FilmSpec looseMovie(int8_t compression) {
  FilmSpec spec = pacedSoundMovie();
  spec.audioCompression = compression;
  spec.samples.push_back(audioSample(pattern(36 * 8, 9)));
  spec.samples.push_back(videoSample(brokenFrame(), 2500));
  return spec;
}

TEST(NoAllocationTest, PlayingAMovieAllocatesNothing) {
  {
    Counting counting;
    int* volatile p = new int(1);  // volatile: the pair cannot be optimised away
    delete p;
    ASSERT_EQ(gAllocations, 1u) << "the counter must see allocations";
  }
  for (int8_t compression : {int8_t(0), int8_t(2), int8_t(5)}) {
    QuietRig rig;
    Player& player = rig.player;
    ASSERT_EQ(openTestMovie(player, looseMovie(compression), std::to_string(compression)),
              OpenResult::Opened);
    toggleLoop(player);

    Counting counting;
    // Two turns of the movie with the clock running, then the transport.
    for (int i = 0; i < 200; ++i) {
      rig.sound.cursor = (rig.sound.cursor + 1200) & kRingMask;
      playbackTick(player);
    }
    togglePlayPause(player);
    stepFrame(player);
    for (int i = 0; i < 4; ++i) playbackTick(player);
    togglePcmOff(player);
    replayMovie(player);
    for (int i = 0; i < 4; ++i) playbackTick(player);
    togglePlayPause(player);
    selectFrameRate(player, FrameRateMode::NoWait);
    toggleLoop(player);
    for (int i = 0; i < 20; ++i) playbackTick(player);
    EXPECT_EQ(gAllocations, 0u) << "compression " << int(compression);
    EXPECT_TRUE(player.playback.paused);  // it played to its end
    EXPECT_GT(rig.frames.converted, 6);
    EXPECT_GT(rig.sound.written, 0u);
  }
}

}  // namespace
}  // namespace zentrov::test
