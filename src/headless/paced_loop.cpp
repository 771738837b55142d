#include "headless/paced_loop.h"

#include <chrono>
#include <thread>

#include "playback/playback_tick.h"

namespace zentrov {

void ThreadRest::sleepMs(int32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

PlayEnd playToEnd(HeadlessHost& host, Rest& rest, const std::function<void(int32_t)>& shown) {
  Player& player = host.player;
  while (!player.playback.paused) {
    const int32_t at = player.playback.position;
    const uint64_t presented = host.frames.presented;
    playbackTick(player);
    if (host.frames.presented != presented) shown(at);
    const int32_t delay = nextTickDelayMs(player);
    // With no window nothing else can give a playing movie work.
    if (delay == kWaitForInput) return player.playback.paused ? PlayEnd::Ended : PlayEnd::NeverDue;
    if (delay > 0) rest.sleepMs(delay);
  }
  return PlayEnd::Ended;
}

}  // namespace zentrov
