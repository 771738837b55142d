// benchDecode: the decoding rates of `zentrov-cli bench`, measured the same
// way through the same core calls, for the page's build. A page has no
// processor-time clock, so the rates are per second of wall time.

#include <emscripten.h>

#include "headless/decode_bench.h"
#include "headless/headless_host.h"
#include "playback/movie_open.h"

namespace {

double g_rates[3];

}  // namespace

extern "C" {

// Video decode, decode+convert and sound decode rates of the movie at
// `path`, `seconds` each; null when it does not open.
EMSCRIPTEN_KEEPALIVE const double* zt_bench(const char* path, double seconds) {
  using namespace zentrov;
  HeadlessHost host;
  if (!host.ready) return nullptr;
  Player& player = host.player;
  player.shell.currentFileName = path;
  if (openMovie(player, OpenRequest::fromStart()) != OpenResult::Opened) return nullptr;
  DecodeBench bench(player, DecodeBench::Clock::Wall);
  player.playback.fileHandle.close();
  g_rates[0] = bench.videoRate(seconds);
  g_rates[1] = bench.convertRate(seconds);
  g_rates[2] = bench.audioRate(seconds);
  return g_rates;
}

}  // extern "C"
