#!/usr/bin/env bash
# Records what zentrov-cli prints for every movie in tests/data/ and samples/:
# info, table, headers, play --no-wait (without its wall-clock column), frames
# (as BMP) and audio, each with its exit code, into OUT_DIR. Run it before and
# after a change and compare the two folders with `diff -r`: anything a script
# could see shows up.
#   scripts/cli_snapshot.sh CLI OUT_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$(realpath "$1")
out=$2
mkdir -p "$out"
out=$(realpath "$out")
find tests/data samples -name '*.cpk' -o -name '*.cak' | sort | while read -r movie; do
  key=$(echo "$movie" | tr '/' '_')
  for cmd in info table headers "play --no-wait" "info --header 1" "table --header 1"; do
    name="$key.${cmd// /_}"
    # shellcheck disable=SC2086
    rc=0; $cli $cmd "$movie" >"$out/$name.out" 2>"$out/$name.err" || rc=$?
    echo "$rc" >"$out/$name.rc"
  done
  # When a frame was shown is wall-clock time; when it was due is the movie's.
  sed -i 's/ shown [0-9.]*$//' "$out/$key.play_--no-wait.out"
  rc=0; "$cli" frames "$movie" "$out/$key.frames" --format bmp >/dev/null 2>"$out/$key.frames.err" || rc=$?
  echo "$rc" >"$out/$key.frames.rc"
  if [ -d "$out/$key.frames" ]; then
    (cd "$out/$key.frames" && find . -type f | sort | xargs -r md5sum) >"$out/$key.frames.md5"
    rm -rf "$out/$key.frames"
  fi
  rc=0; "$cli" audio "$movie" "$out/$key.wav" >"$out/$key.audio.out" 2>"$out/$key.audio.err" || rc=$?
  echo "$rc" >"$out/$key.audio.rc"
  if [ -f "$out/$key.wav" ]; then md5sum <"$out/$key.wav" >"$out/$key.wav.md5"; rm -f "$out/$key.wav"; fi
done
echo "snapshot of $(ls "$out" | wc -l) files in $out"
