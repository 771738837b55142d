#!/usr/bin/env bash
# The Windows player seen from outside, in the environment of
# scripts/win_env.sh (already started; WIN_ENV_CAPTURE records the sound):
#  1. zentrov.exe plays MOVIE; after two seconds a screenshot of its window
#     must show one of the movie's pictures, as zentrov-cli decodes them, in
#     its picture area; the sound server must have heard a 440 Hz tone (the
#     movie's sound) for most of the movie; closing the window ends the
#     program with exit code 0.
#  2. Without a sound server the program shows its error box and, once the
#     box is dismissed, exits with code 0.
# Usage: black_box_test.sh ZENTROV_EXE ZENTROV_CLI MOVIE WORK_DIR
set -euo pipefail
exe=$1 cli=$2 movie=$3 work=$4
rm -rf "$work"
mkdir -p "$work/frames"
fail() { echo "black box: $*" >&2; exit 1; }
[ -n "${WIN_ENV_CAPTURE:-}" ] || fail "WIN_ENV_CAPTURE is not set"

# The window of the program, once it has one with this title.
find_window() {
  local title=$1 id=
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}

# Gives `window` the keyboard focus, once it can take it, and presses `key`.
press() {
  for _ in $(seq 20); do
    xdotool windowfocus "$1" 2>/dev/null && break
    sleep 0.1
  done
  xdotool key "$2"
}

# Waits for the program `pid` to end by itself and checks its exit code 0.
ends_with_zero() {
  local pid=$1 what=$2 status=0
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "$what did not end"; }
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "$what exited with $status"
}

"$cli" frames "$movie" "$work/frames" --format png >/dev/null
name=$(basename "$movie")
heard_from=$(stat -c %s "$WIN_ENV_CAPTURE")
"$WINE" "$exe" "$(winepath_of "$(realpath "$movie")")" >/dev/null 2>&1 &
player=$!
window=$(find_window "$name - Zentrov")
[ -n "$window" ] || fail "no window titled \"$name - Zentrov\""
sleep 2
import -window root "$work/screen.png"
eval "$(xdotool getwindowgeometry --shell "$window")"
convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/window.png"

# Where the picture stands in the window: the place where the first picture
# fits best (the later ones differ from it in small parts only).
frames=("$work"/frames/*.png)
[ ${#frames[@]} -gt 10 ] || fail "zentrov-cli decoded only ${#frames[@]} pictures"
# compare's exit status says whether the images differ: not a failure here.
rmse() { compare -metric RMSE "$@" null: 2>&1 || true; }
at=$(rmse -subimage-search "$work/window.png" "${frames[0]}" | sed -n 's/.*@ *//p')
[ -n "$at" ] || fail "the picture was not found in the window"
size=$(identify -format '%wx%h' "${frames[0]}")
convert "$work/window.png" -crop "${size}+${at/,/+}" +repage "$work/picture.png"

# The picture on the screen is the one decoded closest to it.
best=1 best_frame=
for frame in "${frames[@]}"; do
  d=$(rmse "$work/picture.png" "$frame" | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p')
  if awk -v d="$d" -v b="$best" 'BEGIN { exit !(d < b) }'; then
    best=$d best_frame=$frame
  fi
done
echo "black box: the window shows $(basename "$best_frame") at $at (RMSE $best)"
awk -v d="$best" 'BEGIN { exit !(d < 0.02) }' || fail "no decoded picture matches the window (best RMSE $best)"
[ "$best_frame" != "${frames[0]}" ] || fail "the picture did not move on from the first frame"

# Let the movie end, then close the window as a person would.
sleep 3
press "$window" alt+F4
ends_with_zero "$player" "zentrov.exe, closed,"

# What the sound server heard since the start: the tone for most of the movie.
tail -c +"$((heard_from + 1))" "$WIN_ENV_CAPTURE" >"$work/heard.raw"
python3 - "$work/heard.raw" "$movie" <<'EOF'
import array, statistics, sys
samples = array.array('h')
samples.frombytes(open(sys.argv[1], 'rb').read())
left = samples[0::2]
loud = [i for i in range(0, len(left) - 441, 441) if max(map(abs, left[i:i + 441])) > 1000]
seconds = len(loud) / 100
crossings = [i for i in range(1, len(left)) if left[i - 1] < 0 <= left[i]]
periods = [b - a for a, b in zip(crossings, crossings[1:]) if b - a > 20]
hz = 44100 / statistics.median(periods) if periods else 0
print(f"black box: heard {seconds:.2f} s of sound at {hz:.1f} Hz")
sys.exit(0 if seconds > 3.0 and abs(hz - 440) < 440 * 0.02 else 1)
EOF

# No sound server: the box, then exit code 0.
PULSE_SERVER="unix:$XDG_RUNTIME_DIR/none" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR/none" \
  "$WINE" "$exe" >/dev/null 2>&1 &
player=$!
box=$(find_window "Error")
[ -n "$box" ] || fail "no error box without a sound server"
press "$box" Return
ends_with_zero "$player" "zentrov.exe without sound"
echo "black box: passed"
