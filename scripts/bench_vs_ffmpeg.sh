#!/usr/bin/env bash
# Decoding speed of zentrov-cli against ffmpeg's Cinepak decoder, at 320x224
# and 640x480.
#
#   scripts/bench_vs_ffmpeg.sh [ZENTROV_CLI] [SECONDS]
#
# ZENTROV_CLI defaults to build/release/zentrov-cli (use a Release build);
# SECONDS (default 3) is how long zentrov-cli measures each rate and about how
# long ffmpeg decodes. The movies are made in a temporary folder from ffmpeg's
# mandelbrot source, zooming, with the hue turning so that flat areas change
# too (about 97% of the blocks differ from one frame to the next); set
# BENCH_DIR to keep them there and reuse them on the next run (encoding the
# 640x480 movie takes a few minutes).
#
# Targets: "video decode" at least twice ffmpeg's rate, "video decode+convert"
# at least equal to it.

set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${1:-$here/build/release/zentrov-cli}"
seconds="${2:-3}"
duration=20  # seconds of movie
fps=8        # enough frames for a steady rate; Cinepak encoding is slow
max_frame=65535  # a frame's length must fit the 16-bit end mark

command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 1; }
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

make_movie() {  # SIZE FILE
  local size="$1" file="$2"
  [[ -s "$file" ]] && return 0
  echo "making $size movie ($duration s at $fps frames/s)..." >&2
  # One strip and no extra codebook passes keep the encoder's time bearable;
  # -q:v 20 keeps the 640x480 frames well under 64 KiB.
  ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "mandelbrot=size=$size:rate=$fps:end_pts=$((duration * fps)):end_scale=0.01" \
    -t "$duration" -vf "hue=H=2*PI*t/5,format=rgb24" \
    -c:v cinepak -max_extra_cb_iterations 0 -max_strips 1 -q:v 20 -an -f film_cpk "$file.part"
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

status=0
for size in 320x224 640x480; do
  file="$work/mandelbrot_$size.cpk"
  make_movie "$size" "$file"
  largest="$(largest_sample "$file")"
  if (( largest > max_frame )); then
    echo "warning: $size has a frame of $largest bytes, more than $max_frame" >&2
  fi
  frames="$("$cli" table "$file" | awk -F'\t' 'NR > 1 && $2 != "AUDIO"' | wc -l)"

  out="$("$cli" bench "$file" --seconds "$seconds")"
  ours_decode="$(sed -n 's/^video decode: \([0-9.]*\) frames\/s$/\1/p' <<<"$out")"
  ours_convert="$(sed -n 's/^video decode+convert: \([0-9.]*\) frames\/s$/\1/p' <<<"$out")"
  theirs="$(ffmpeg_rate "$file" "$frames")"

  echo "$size ($frames frames, largest frame $largest bytes)"
  awk -v a="$ours_decode" -v b="$ours_convert" -v f="$theirs" 'BEGIN {
    printf "  zentrov video decode:         %10.1f frames/s  %5.2f x ffmpeg (target 2.00)\n", a, a / f
    printf "  zentrov video decode+convert: %10.1f frames/s  %5.2f x ffmpeg (target 1.00)\n", b, b / f
    printf "  ffmpeg -threads 1 decode:     %10.1f frames/s (user time)\n", f
    exit !(a >= 2 * f && b >= f)
  }' || status=1
done
exit "$status"
