// Once a movie is open, playing it allocates nothing: every tick and every
// transport command runs on the buffers made at start-up. A counting global
// operator new, switched on only around playback, checks it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "headless/headless_host.h"
#include "playback/playback_tick.h"
#include "playback/player.h"
#include "playback/transport.h"
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
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return countedAllocation(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return countedAllocation(size);
  } catch (...) {
    return nullptr;
  }
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
    // The null ports keep fixed-size state only, so any allocation seen
    // comes from the player itself.
    HeadlessHost rig;
    ASSERT_TRUE(rig.ready);
    Player& player = rig.player;
    ASSERT_EQ(openTestMovie(player, looseMovie(compression), std::to_string(compression)),
              OpenResult::Opened);
    toggleLoop(player);

    Counting counting;
    // Two turns of the movie with the clock running, then the transport.
    for (int i = 0; i < 200; ++i) {
      rig.silentRing.cursor = (rig.silentRing.cursor + 1200) & kRingMask;
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
    EXPECT_GT(rig.frames.converted, 6u);
    EXPECT_GT(rig.silentRing.written, 0u);
  }
}

}  // namespace
}  // namespace zentrov::test
