// Arbitrary bytes as a movie file, through the whole headless player: open,
// play every entry without waiting, play paced by a moving clock, step and
// loop, then scan for headers and open and play each movie found.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "film/header_scan.h"
#include "headless/null_ports.h"
#include "playback/movie_open.h"
#include "playback/playback_tick.h"
#include "playback/player.h"
#include "playback/transport.h"
#include "shell/startup.h"

using namespace zentrov;

namespace {

// A ring whose cursor moves on by a fixed step at every reading, so paced
// playback gets somewhere; writes are checked against the ring's size.
class StepRing : public MemorySoundRing {
 public:
  uint32_t playCursor() override { return cursor = (cursor + 7919 * 4) & kRingMask; }
  bool write(uint32_t offset, const uint8_t* data, uint32_t bytes) override {
    if (offset >= kRingBytes || bytes > kRingBytes || bytes % 4 != 0) std::abort();
    MemorySoundRing::write(offset, data, bytes);
    return bytes % 8 != 4;  // every other size fails, as a lost lock would
  }
};

class CheckedFrames : public FrameOutput {
 public:
  void clearBackSurfaces() override {}
  bool convertToNextBackSurface(const uint32_t* frame, int32_t width, int32_t height) override {
    if (width < 64 || width > kMaxFrameWidth || height < 64 || height > kMaxFrameHeight ||
        height % 4 != 0)
      std::abort();
    // Touch the last pixel the conversion would read.
    sink ^= frame[size_t(width) * size_t(height) - 1];
    return true;
  }
  void present() override {}
  void resizeWindow(const WindowLayout&) override {}
  uint32_t sink = 0;
};

struct Rig {
  StepRing sound;
  CheckedFrames frames;
  NullControls controls;
  NullSettings settings;
  NullDialogs dialogs;
  NullPlatformSteps steps;
  Player player{Ports{sound, frames, controls, settings, dialogs}};
  Rig() {
    if (!initialApplication(player, steps)) std::abort();
  }
};

// Ticks until the movie pauses at its end or `limit` ticks have run.
void run(Player& player, int limit) {
  for (int i = 0; i < limit && !(player.playback.paused && !player.playback.stepRequest); ++i) {
    playbackTick(player);
    const PlaybackState& s = player.playback;
    if (s.ringWriteOffset < 0 || uint32_t(s.ringWriteOffset) >= kRingBytes ||
        s.ringWriteOffset % 4 != 0)
      std::abort();
    if (s.position < 0 || s.position > kMaxSampleEntries) std::abort();
  }
}

void play(Player& player) {
  const int entries = player.table().entryCount;
  if (entries < 0 || entries > kMaxSampleEntries) std::abort();
  selectFrameRate(player, FrameRateMode::NoWait);
  run(player, entries + 4);
  // Paced by the moving clock, a bounded while.
  selectFrameRate(player, FrameRateMode::Normal);
  replayMovie(player);
  resumePlayback(player);
  run(player, 2 * entries + 64);
  // Stepping while paused, and the loop wrap while paused.
  pausePlayback(player);
  toggleLoop(player);
  for (int i = 0; i < 3; ++i) {
    stepFrame(player);
    run(player, entries + 4);
  }
  toggleLoop(player);
}

Rig& rig() {
  static Rig* r = new Rig();
  return *r;
}

int movieFd() {
  static int fd = memfd_create("movie", 0);
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = movieFd();
  if (fd < 0 || ftruncate(fd, 0) != 0) return 0;
  if (size > 0 && pwrite(fd, data, size, 0) != ssize_t(size)) return 0;
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  Player& player = rig().player;
  player.shell.currentFileName = path;
  openMovie(player, OpenRequest::fromStart());
  play(player);

  // The header search: scan the file, then open and play each movie found.
  MovieFile& file = player.playback.fileHandle;
  if (!file.isOpen() && !file.open(path)) return 0;
  const int found = scanHeaders(file, player.buffers.sectorBuffer.get(), player.headerOffsets);
  for (int i = 0; i < found && i < 8; ++i) {
    if (!player.playback.fileHandle.isOpen() && !player.playback.fileHandle.open(path)) break;
    openMovie(player, OpenRequest::header(i));
    play(player);
  }
  player.shell.currentFileName.clear();
  openMovie(player, OpenRequest::fromStart());
  return 0;
}
