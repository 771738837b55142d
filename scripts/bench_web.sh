#!/usr/bin/env bash
# Decoding speed in the web page (headless chromium) against the native
# zentrov-cli, on the full-motion movies of scripts/bench_vs_ffmpeg.sh and
# the bundled sample (the only one with sound):
#
#   scripts/bench_web.sh [SECONDS]
#
# SECONDS (default 3) is how long each rate is measured, natively and in the
# page. The movies are made in a temporary folder, or kept in BENCH_DIR and
# reused (the same folder bench_vs_ffmpeg.sh uses). Needs build/web (preset
# web), build/release/zentrov-cli (built here when missing) and the npm
# packages of tests/web (installed here with npm ci when missing).
#
# The native rates are per second of processor time; the page measures by
# its clock ("page/s"), so its rates are also divided by the share of a core
# its renderer had meanwhile ("page/cpu s"), which is what the ratio
# compares: on a busy machine the page's clock runs on while it waits.
# Target: every rate in the page at least half the native one. Exits 1 when
# a target is missed.

set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-3}"
cli="$here/build/release/zentrov-cli"
page="$here/build/web/zentrov.html"
target=0.5

[[ -f "$page" ]] || { echo "no $page: build the web preset first" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }
if [[ ! -x "$cli" ]]; then
  (cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release -j2 --target zentrov-cli)
fi
if [[ ! -d "$here/tests/web/node_modules/puppeteer-core" ]]; then
  (cd "$here/tests/web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund)
fi

if [[ -n "${BENCH_DIR:-}" ]]; then
  work="$BENCH_DIR"
  mkdir -p "$work"
else
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
fi

# The movie-making of bench_vs_ffmpeg.sh, taken as it stands there.
eval "$(sed -n '/^make_movie() {/,/^}/p' "$here/scripts/bench_vs_ffmpeg.sh")"
declare -F make_movie >/dev/null || { echo "no make_movie in bench_vs_ffmpeg.sh" >&2; exit 1; }

movies=()
for name in hue_320x224 hue_640x480 plain_320x224 plain_640x480; do
  make_movie "$name" "$work/$name.cpk"
  movies+=("$work/$name.cpk")
done
movies+=("$here/samples/sample.cpk")

web="$(cd "$here/tests/web" && node bench.mjs "$seconds" "${movies[@]}")"

printf '%-14s %-8s %14s %14s %14s %6s\n' movie rate "native/cpu s" "page/s" "page/cpu s" ratio
status=0
for movie in "${movies[@]}"; do
  name="$(basename "$movie" .cpk)"
  native="$("$cli" bench "$movie" --seconds "$seconds")"
  read -r _ video convert audio share < <(grep "^$name " <<<"$web")
  for row in "video:video decode:$video" "convert:video decode+convert:$convert" \
             "audio:audio decode:$audio"; do
    IFS=: read -r label key ours <<<"$row"
    theirs="$(sed -n "s/^$key: \([0-9.]*\) .*/\1/p" <<<"$native")"
    [[ -z "$theirs" && "$ours" == "-" ]] && continue
    line="$(awk -v n="$name" -v l="$label" -v a="$theirs" -v b="$ours" -v s="$share" -v t="$target" 'BEGIN {
      if (b == "-" || a == "") { printf "%-14s %-8s %14s %14s  missing", n, l, a, b; exit }
      c = s > 0 ? b / s : b
      printf "%-14s %-8s %14.1f %14.1f %14.1f %5.2fx", n, l, a, b, c, c / a
      if (c < t * a) printf "  below %sx", t
    }')"
    echo "$line"
    [[ "$line" == *below* || "$line" == *missing* ]] && status=1
  done
done
exit "$status"
