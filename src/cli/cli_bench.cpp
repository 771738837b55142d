// zentrov-cli bench: how fast this build decodes a movie, with no file
// reading and no pacing in the measurement. Scripts read the printed lines.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_open.h"
#include "headless/decode_bench.h"

namespace zentrov::cli {

namespace {

constexpr double kDefaultSeconds = 3.0;
constexpr double kMaxSeconds = 3600.0;

int runBench(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {"header", "seconds"}, {}, parsed, error)) return usageError("bench", error);
  if (parsed.positional.size() != 1) return usageError("bench", "expected one FILE");
  double seconds = kDefaultSeconds;
  if (const std::string* s = parsed.value("seconds")) {
    char* end = nullptr;
    seconds = std::strtod(s->c_str(), &end);
    if (s->empty() || *end != '\0' || !(seconds > 0.0) || seconds > kMaxSeconds)
      return usageError("bench", "--seconds takes a number of seconds above 0, at most 3600");
  }

  HeadlessHost host;
  if (int rc = openForCli(host, parsed.positional[0], parsed.value("header"))) return rc;
  Player& player = host.player;

  DecodeBench bench(player, DecodeBench::Clock::Processor);
  std::printf("video decode: %.1f frames/s\n", bench.videoRate(seconds));
  std::fflush(stdout);
  std::printf("video decode+convert: %.1f frames/s\n", bench.convertRate(seconds));
  std::fflush(stdout);
  if (player.stream.audioChannels != 0)
    std::printf("audio decode: %.1f sound frames/s\n", bench.audioRate(seconds));
  return kExitOk;
}

}  // namespace

ZENTROV_CLI_COMMAND("bench", "bench FILE [--header N] [--seconds S]",
                    "video, video+convert and sound decoding rates, S seconds each (default 3)",
                    runBench);

}  // namespace zentrov::cli
