// zentrov-cli play: the movie played at real speed by the player's own tick,
// on a sound ring that keeps time without a sound card. One line per frame
// shown, with its time stamp and the sound clock at the moment it was shown.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "cli/cli_command.h"
#include "cli/cli_open.h"
#include "codec/sound_frame.h"
#include "headless/clock_sound_ring.h"
#include "playback/playback_tick.h"
#include "playback/transport.h"

namespace zentrov::cli {

namespace {

// How long the loop rests when a tick found nothing due: short against a
// frame time, long enough not to keep a core busy for the whole movie.
constexpr std::chrono::microseconds kIdleRest{500};

bool neverDue(const Player& player, const SampleEntry& entry) {
  const double scale = player.playback.timeScale;
  return player.playback.frameRateMode == FrameRateMode::Normal && !entry.isAudio() &&
         entry.timeStamp() > 0 && !(scale > 0.0 && std::isfinite(scale));
}

int runPlay(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {"header"}, {"no-wait"}, parsed, error)) return usageError("play", error);
  if (parsed.positional.size() != 1) return usageError("play", "expected one FILE");
  SteadyClock clock;
  ClockSoundRing ring(clock);
  HeadlessHost host(&ring);
  if (int rc = openForCli(host, parsed.positional[0], parsed.value("header"))) return rc;

  Player& player = host.player;
  if (parsed.has("no-wait")) selectFrameRate(player, FrameRateMode::NoWait);
  const SampleTable& table = player.table();
  const double timeBase = table.timeBase > 0 ? double(table.timeBase) : 0.0;
  const double byteRate = double(kSoundFrameBytes) * double(player.stream.rateHz());

  // The tick pauses the movie at its end, and nothing else pauses it here.
  while (!player.playback.paused) {
    const int32_t at = player.playback.position;
    const uint64_t presented = host.frames.presented;
    playbackTick(player);
    if (host.frames.presented != presented) {
      const double due = timeBase > 0.0 ? table.entries[at].timeStamp() / timeBase : 0.0;
      const double shown = byteRate > 0.0 ? double(ring.playedBytes()) / byteRate : 0.0;
      std::printf("frame %d due %.3f shown %.3f\n", at, due, shown);
    } else if (!player.playback.paused && player.playback.position == at) {
      if (neverDue(player, table.entries[at])) {
        std::fprintf(stderr,
                     "zentrov-cli: frame %d is never due: the time base is %d; try --no-wait\n", at,
                     table.timeBase);
        return kExitFailure;
      }
      std::this_thread::sleep_for(kIdleRest);
    }
  }
  if (std::fflush(stdout) != 0) return kExitFailure;
  return kExitOk;
}

}  // namespace

ZENTROV_CLI_COMMAND("play", "play FILE [--header N] [--no-wait]",
                    "play the movie in real time on a silent sound clock; one line per frame "
                    "shown: \"frame N due S shown T\" (--no-wait: frames as fast as they decode)",
                    runPlay);

}  // namespace zentrov::cli
