// zentrov-cli play: the movie played at real speed by the player's own tick,
// on a sound ring that keeps time without a sound card. One line per frame
// shown, with its time stamp and the sound clock at the moment it was shown.

#include <cstdio>

#include "cli/cli_command.h"
#include "cli/cli_open.h"
#include "codec/sound_frame.h"
#include "headless/clock_sound_ring.h"
#include "headless/paced_loop.h"
#include "playback/transport.h"

namespace zentrov::cli {

namespace {

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

  ThreadRest rest;
  const PlayEnd end = playToEnd(host, rest, [&](int32_t at) {
    const double due = timeBase > 0.0 ? table.entries[at].timeStamp() / timeBase : 0.0;
    const double shown = byteRate > 0.0 ? double(ring.playedBytes()) / byteRate : 0.0;
    std::printf("frame %d due %.3f shown %.3f\n", at, due, shown);
  });
  if (end == PlayEnd::NeverDue) {
    std::fprintf(stderr, "zentrov-cli: frame %d is never due: the time base is %d; try --no-wait\n",
                 player.playback.position, table.timeBase);
    return kExitFailure;
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
