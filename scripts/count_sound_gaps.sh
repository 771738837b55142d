#!/usr/bin/env bash
# Plays each MOVIE with zentrov.exe under Wine and counts the gaps in what
# the sound server heard: runs of 10 ms or more of silence inside the span
# where the movie's tone sounds. Meant for movies with a steady tone (as
# scripts/make_gap_movies.sh makes them), where any silence is a dropout.
#
#   scripts/count_sound_gaps.sh [--fail-on-gap] [--renderer gdi|gl] [--exe ZENTROV_EXE] MOVIE...
#
# Prints "MOVIE: gaps: N (total M ms), heard S s of T s" per movie; with
# --fail-on-gap the exit status is 1 when any movie had a gap (or its tone
# was not heard). Runs in its own scripts/win_env.sh session unless the
# caller has one with WIN_ENV_CAPTURE running.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fail_on_gap=0 renderer=gdi exe=$root/build/mingw64/zentrov.exe movies=()
while [ $# -gt 0 ]; do
  case "$1" in
    --fail-on-gap) fail_on_gap=1 ;;
    --renderer) renderer=$2; shift ;;
    --exe) exe=$2; shift ;;
    --movies) movie_dir=$2; shift ;;
    -h|--help) sed -n '2,18p' "$0"; exit 0 ;;
    *) movies+=("$1") ;;
  esac
  shift
done
if [ -n "${movie_dir:-}" ]; then
  mkdir -p "$movie_dir"
  make() {  # NAME AUDIO_OPTIONS...: four seconds of colour bars and a 440 Hz tone
    local name=$movie_dir/$1.cpk rate=22050 lead=()
    shift
    [ -f "$name" ] && { movies+=("$name"); return; }
    [ "$1" = 44100 ] && { rate=44100; shift; }
    [ "$1" = lead ] && { lead=(-itsoffset -0.5); shift; }
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=320x224:rate=15 \
      "${lead[@]}" -f lavfi -i "sine=frequency=440:sample_rate=$rate" -t 4 -c:v cinepak "$@" \
      -f film_cpk "$name.part" && mv "$name.part" "$name"
    movies+=("$name")
  }
  make s16_stereo_44k 44100 -c:a pcm_s16be_planar -ac 2
  make s8_stereo -c:a pcm_s8_planar -ac 2
  make s8_mono -c:a pcm_s8_planar -ac 1
  make s16_mono -c:a pcm_s16be_planar -ac 1
  make adx_stereo -c:a adpcm_adx -ac 2
  make s16_stereo_sound_ahead lead -c:a pcm_s16be_planar -ac 2
fi
[ ${#movies[@]} -gt 0 ] || { sed -n '2,18p' "$0"; exit 1; }
cli=$root/build/release/zentrov-cli
[ -x "$cli" ] || cli=$root/build/debug/zentrov-cli
for f in "$exe" "$cli"; do [ -f "$f" ] || { echo "no $f: build it first" >&2; exit 1; }; done
work=$(mktemp -d /tmp/zentrov-gaps.XXXXXX)

if [ -z "${WIN_ENV_CAPTURE:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  export WIN_ENV_CAPTURE=$work/heard.raw WIN_ENV_RENDERER=$renderer
  . "$root/scripts/win_env.sh"
  trap 'win_env_stop; rm -rf "$work"' EXIT
else
  win_env_renderer "$renderer"
  trap 'rm -rf "$work"' EXIT
fi

status=0
for movie in "${movies[@]}"; do
  # The sound as the player plays it: its length says how long to listen.
  "$cli" audio "$movie" "$work/expected.wav" >/dev/null
  seconds=$(python3 -c 'import sys, wave; w = wave.open(sys.argv[1]); print(w.getnframes() / w.getframerate())' \
    "$work/expected.wav")
  from=$(stat -c %s "$WIN_ENV_CAPTURE")
  "$WINE" "$exe" "$(winepath_of "$(realpath "$movie")")" >/dev/null 2>&1 &
  player=$!
  window=
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "^$(basename "$movie") - Zentrov\$" 2>/dev/null | head -n 1) \
      && [ -n "$window" ] && break
    sleep 0.1
  done
  sleep "$(python3 -c "print($seconds + 1.5)")"
  [ -n "$window" ] && xdotool windowfocus "$window" key alt+F4 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$player" 2>/dev/null && sleep 0.1 || break; done
  kill "$player" 2>/dev/null || true
  wait "$player" 2>/dev/null || true
  sleep 0.3  # the reader's last buffer
  python3 - "$WIN_ENV_CAPTURE" "$from" "$seconds" "$movie" <<'EOF' || status=1
import array, sys

RATE = 44100
GAP = RATE // 100  # 10 ms of sound frames
raw = open(sys.argv[1], 'rb').read()[int(sys.argv[2]):]
samples = array.array('h', raw[:len(raw) // 4 * 4])
left, right = samples[0::2], samples[1::2]
expected, movie = float(sys.argv[3]), sys.argv[4]
level = [max(abs(l), abs(r)) for l, r in zip(left, right)]
# The tone's level: the loudest sample of each 10 ms, their median; a
# quarter of it separates the tone from silence (a sine stays below it only
# for a few samples around each zero crossing).
peaks = sorted(max(level[i:i + GAP]) for i in range(0, len(level) - GAP, GAP))
loud = [p for p in peaks if p > 256]
if not loud:
    print(f"{movie}: no tone heard")
    sys.exit(1)
threshold = loud[len(loud) // 2] // 4
first = next(i for i, v in enumerate(level) if v > threshold)
last = len(level) - next(i for i, v in enumerate(reversed(level)) if v > threshold)
gaps, total, run, starts = 0, 0, 0, []
for i, v in enumerate(level[first:last]):
    if v <= threshold:
        run += 1
        continue
    if run >= GAP:
        gaps, total = gaps + 1, total + run
        starts.append(f"{(i - run) / RATE:.2f}")
    run = 0
heard = (last - first) / RATE
at = f", at {' '.join(starts[:8])} s" if starts else ""
print(f"{movie}: gaps: {gaps} (total {total * 1000 // RATE} ms), heard {heard:.2f} s of {expected:.2f} s{at}")
sys.exit(1 if gaps or heard < expected * 0.9 else 0)
EOF
done
[ "$fail_on_gap" = 1 ] || status=0
exit "$status"
