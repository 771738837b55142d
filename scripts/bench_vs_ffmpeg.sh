#!/usr/bin/env bash
# Decoding and PNG export speed of zentrov-cli against ffmpeg, on full-motion
# movies that ffmpeg makes from its mandelbrot source:
#   hue_320x224, hue_640x480      zooming with a turning hue, so that nearly
#                                 every block changes (8 frames/s, 20 s, one
#                                 strip, -q:v 20)
#   plain_320x224, plain_640x480  the plain source with ffmpeg's default
#                                 Cinepak settings, where fewer blocks change
#                                 (25 frames/s, 10 s)
#
#   scripts/bench_vs_ffmpeg.sh [ZENTROV_CLI] [SECONDS]
#
# ZENTROV_CLI defaults to build/release/zentrov-cli (use a Release build);
# SECONDS (default 3) is how long zentrov-cli measures each rate and about how
# long ffmpeg decodes. The movies are made in a temporary folder; set
# BENCH_DIR to keep them there and reuse them on the next run (making them
# takes several minutes, most of it the 640x480 ones).
#
# Rates are frames per second of processor time, ffmpeg decoding with
# -threads 1. Targets, on every movie: "video decode" at least 3 times
# ffmpeg's rate, "video decode+convert" at least 2 times at 320x224 and 1.5
# times at 640x480. PNG export of the plain movies (zentrov-cli frames against
# ffmpeg -threads 1 -f image2): no more processor time and no more bytes.
# Exits 1 when a target is missed.

set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${1:-$here/build/release/zentrov-cli}"
seconds="${2:-3}"
max_frame=65535  # a frame's length must fit the 16-bit end mark

command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is not installed (package time)" >&2; exit 1; }
[[ -x "$cli" ]] || { echo "no zentrov-cli at $cli" >&2; exit 1; }

if [[ -n "${BENCH_DIR:-}" ]]; then
  work="$BENCH_DIR"
  mkdir -p "$work"
else
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
fi

# Largest sample in a FILM file's table, in bytes.
largest_sample() {
  python3 - "$1" <<'EOF'
import struct, sys
b = open(sys.argv[1], 'rb').read()
stab = 16 + struct.unpack('>I', b[20:24])[0]
n = struct.unpack('>I', b[stab + 12:stab + 16])[0]
print(max(struct.unpack('>I', b[stab + 20 + 16 * i:stab + 24 + 16 * i])[0] for i in range(n)))
EOF
}

make_movie() {  # NAME FILE
  local name="$1" file="$2" size="${1#*_}"
  [[ -s "$file" ]] && return 0
  echo "making $name..." >&2
  case "$name" in
    hue_*)
      # One strip and no extra codebook passes keep the encoder's time
      # bearable; -q:v 20 keeps the 640x480 frames well under 64 KiB.
      ffmpeg -hide_banner -loglevel error -y \
        -f lavfi -i "mandelbrot=size=$size:rate=8:end_pts=160:end_scale=0.01" \
        -t 20 -vf "hue=H=2*PI*t/5,format=rgb24" \
        -c:v cinepak -max_extra_cb_iterations 0 -max_strips 1 -q:v 20 -an -f film_cpk "$file.part"
      ;;
    plain_*)
      ffmpeg -hide_banner -loglevel error -y -f lavfi -i "mandelbrot=size=$size" -t 10 \
        -c:v cinepak -an -f film_cpk "$file.part"
      ;;
  esac
  mv "$file.part" "$file"
}

# User seconds that ffmpeg needs to decode FILE's video PASSES times over.
ffmpeg_user_time() {  # FILE PASSES
  local user
  TIMEFORMAT=%U
  user="$( { time ffmpeg -hide_banner -loglevel error -threads 1 -stream_loop "$(($2 - 1))" \
    -i "$1" -an -f null - >/dev/null 2>&1; } 2>&1 )"
  echo "$user"
}

# Frames per user second of ffmpeg's decoding. The time of one pass is taken
# off the time of many, so that start-up does not count against ffmpeg.
ffmpeg_rate() {  # FILE FRAMES
  local file="$1" frames="$2" pilot passes one many
  pilot="$(ffmpeg_user_time "$file" 10)"
  passes="$(awk -v p="$pilot" -v s="$seconds" 'BEGIN {
    n = int(10 * s / (p > 0.01 ? p : 0.01)) + 2; print (n > 2000 ? 2000 : n) }')"
  one="$(ffmpeg_user_time "$file" 1)"
  many="$(ffmpeg_user_time "$file" "$passes")"
  awk -v f="$frames" -v n="$passes" -v a="$one" -v b="$many" \
    'BEGIN { printf "%.1f", f * (n - 1) / (b - a) }'
}

# "processor-seconds wall-seconds peak-MB total-MB" of exporting FILE's frames
# as PNG into a fresh folder with the command that follows.
export_cost() {  # DIR COMMAND...
  local dir="$1" stats
  shift
  rm -rf "$dir"
  mkdir -p "$dir"
  /usr/bin/time -o "$dir.time" -f "%U %S %e %M" "$@" >/dev/null 2>&1
  stats="$(tail -1 "$dir.time")"
  rm -f "$dir.time"
  local bytes
  bytes="$(du -sb "$dir" | cut -f1)"
  rm -rf "$dir"
  awk -v s="$stats" -v b="$bytes" 'BEGIN { split(s, t, " ");
    printf "%.2f %.2f %.1f %.2f", t[1] + t[2], t[3], t[4] / 1024, b / 1e6 }'
}

status=0
summary=""
printf '%-14s %6s %10s %10s %6s %15s %6s\n' movie frames "ffmpeg/s" "decode/s" ratio \
  "+convert/s" ratio
for name in hue_320x224 hue_640x480 plain_320x224 plain_640x480; do
  file="$work/$name.cpk"
  make_movie "$name" "$file"
  largest="$(largest_sample "$file")"
  if (( largest > max_frame )); then
    echo "warning: $name has a frame of $largest bytes, more than $max_frame" >&2
  fi
  frames="$("$cli" table "$file" | awk -F'\t' 'NR > 1 && $2 != "AUDIO"' | wc -l)"

  out="$("$cli" bench "$file" --seconds "$seconds")"
  decode="$(sed -n 's/^video decode: \([0-9.]*\) frames\/s$/\1/p' <<<"$out")"
  convert="$(sed -n 's/^video decode+convert: \([0-9.]*\) frames\/s$/\1/p' <<<"$out")"
  theirs="$(ffmpeg_rate "$file" "$frames")"
  convert_target=2
  [[ "$name" == *640x480 ]] && convert_target=1.5

  line="$(awk -v n="$name" -v fr="$frames" -v a="$decode" -v b="$convert" -v f="$theirs" \
    -v ct="$convert_target" 'BEGIN {
    printf "%-14s %6d %10.1f %10.1f %5.2fx %15.1f %5.2fx", n, fr, f, a, a / f, b, b / f
    if (a < 3 * f) printf "  decode below 3x"
    if (b < ct * f) printf "  decode+convert below %sx", ct
  }')"
  echo "$line"
  [[ "$line" == *below* ]] && status=1
  summary+="$name $(awk -v a="$decode" -v b="$convert" -v f="$theirs" -v ct="$convert_target" \
    'BEGIN { printf "%.4f %.4f %s", a / f, b / f, ct }')"$'\n'
done

# The worst ratio of each measure, against its target.
awk 'NF == 4 {
  if (!seen || $2 < worst) { worst = $2; worstName = $1 }
  if ($4 == 2) { if (!s320 || $3 < c320) { c320 = $3; n320 = $1 }; s320 = 1 }
  else { if (!s640 || $3 < c640) { c640 = $3; n640 = $1 }; s640 = 1 }
  seen = 1
} END {
  printf "worst video decode: %.2fx ffmpeg (%s; target 3)\n", worst, worstName
  printf "worst video decode+convert: %.2fx at 320x224 (%s; target 2), %.2fx at 640x480 (%s; target 1.5)\n", c320, n320, c640, n640
}' <<<"$summary"

echo
printf '%-14s %-8s %8s %8s %8s %9s\n' "PNG export" by "cpu s" "wall s" "peak MB" "files MB"
for name in plain_320x224 plain_640x480; do
  file="$work/$name.cpk"
  ours="$(export_cost "$work/png_ours" "$cli" frames "$file" "$work/png_ours")"
  theirs="$(export_cost "$work/png_ffmpeg" ffmpeg -hide_banner -loglevel error -threads 1 \
    -i "$file" -f image2 "$work/png_ffmpeg/%06d.png")"
  line="$(awk -v n="$name" -v o="$ours" -v t="$theirs" 'BEGIN {
    split(o, a, " "); split(t, b, " ")
    printf "%-14s %-8s %8.2f %8.2f %8.1f %9.2f\n", n, "zentrov", a[1], a[2], a[3], a[4]
    printf "%-14s %-8s %8.2f %8.2f %8.1f %9.2f", "", "ffmpeg", b[1], b[2], b[3], b[4]
    printf "  (%.2fx the time, %.3fx the size)", a[1] / b[1], a[4] / b[4]
    if (a[1] > b[1]) printf "  slower"
    if (a[4] > b[4]) printf "  larger"
  }')"
  echo "$line"
  [[ "$line" == *slower* || "$line" == *larger* ]] && status=1
done
exit "$status"
