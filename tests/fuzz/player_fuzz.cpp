// Arbitrary bytes as a movie file, through the whole headless player: open,
// play every entry without waiting, play paced by a moving clock, step and
// loop, then scan for headers and open and play each movie found.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "film/header_scan.h"
#include "headless/headless_host.h"
#include "playback/movie_open.h"
#include "playback/playback_tick.h"
#include "playback/transport.h"

using namespace zentrov;

namespace {

// A ring whose cursor moves on at every reading, so paced playback gets
// somewhere; writes are checked, and every other size fails as a lost lock.
struct StepRing : MemorySoundRing {
  uint32_t playCursor() override { return cursor = (cursor + 7919 * 4) & kRingMask; }
  bool write(uint32_t offset, const uint8_t* data, uint32_t bytes) override {
    if (offset >= kRingBytes || bytes > kRingBytes || bytes % 4 != 0) std::abort();
    return MemorySoundRing::write(offset, data, bytes) && bytes % 8 != 4;
  }
};

// Ticks until the movie pauses at its end or `limit` ticks have run; the
// playback record stays inside its bounds all along.
void run(Player& player, int limit) {
  const PlaybackState& s = player.playback;
  for (int i = 0; i < limit && !(s.paused && !s.stepRequest); ++i) {
    playbackTick(player);
    if (s.ringWriteOffset < 0 || uint32_t(s.ringWriteOffset) >= kRingBytes ||
        s.ringWriteOffset % 4 != 0 || s.position < 0 || s.position > kMaxSampleEntries ||
        s.frameWidth < 64 || s.frameWidth > kMaxFrameWidth || s.frameHeight < 64 ||
        s.frameHeight > kMaxFrameHeight || s.frameHeight % 4 != 0)
      std::abort();
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static HeadlessHost* host = new HeadlessHost(new StepRing());
  static const int fd = memfd_create("movie", 0);
  if (!host->ready) std::abort();
  if (fd < 0 || ftruncate(fd, 0) != 0) return 0;
  if (size > 0 && pwrite(fd, data, size, 0) != ssize_t(size)) return 0;
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  Player& player = host->player;
  player.shell.currentFileName = path;
  openMovie(player, OpenRequest::fromStart());
  play(player);
  // The header search: scan the file, then open and play each movie found.
  MovieFile& file = player.playback.fileHandle;
  if (!file.isOpen() && !file.open(path)) return 0;
  const int found = scanHeaders(file, player.buffers.sectorBuffer.get(), player.headerOffsets);
  for (int i = 0; i < found && i < 8; ++i) {
    if (!file.isOpen() && !file.open(path)) break;
    openMovie(player, OpenRequest::header(i));
    play(player);
  }
  player.shell.currentFileName.clear();
  openMovie(player, OpenRequest::fromStart());
  return 0;
}
