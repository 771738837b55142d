#!/usr/bin/env bash
# zentrov.exe from outside, in the started scripts/win_env.sh (WIN_ENV_CAPTURE
# records the sound): two seconds into MOVIE its window shows a picture that
# zentrov-cli decodes, later than the first; the movie's 440 Hz tone is heard;
# Alt+F4 ends it with exit code 0, as does Return on its box without sound.
# Usage: black_box_test.sh ZENTROV_EXE ZENTROV_CLI MOVIE WORK_DIR
set -euo pipefail
exe=$1 cli=$2 movie=$3 work=$4
rm -rf "$work" && mkdir -p "$work/frames"
fail() { echo "black box: $*" >&2; exit 1; }
find_window() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 | grep . && return
    sleep 0.1
  done
  return 1
}
# Presses `key` in `window` once focused; `pid` must then end with exit code 0.
press_and_end() {
  for _ in $(seq 20); do xdotool windowfocus "$1" 2>/dev/null && break || sleep 0.1; done
  xdotool key "$2"
  for _ in $(seq 200); do kill -0 "$3" 2>/dev/null && sleep 0.1 || break; done
  kill -0 "$3" 2>/dev/null && { kill "$3"; fail "$4 did not end"; }
  wait "$3" || fail "$4 exited with $?"
}
rmse() { compare -metric RMSE "$@" null: 2>&1 || true; }  # its status says "differ"

"$cli" frames "$movie" "$work/frames" --format png >/dev/null
frames=("$work"/frames/*.png)
heard_from=$(stat -c %s "$WIN_ENV_CAPTURE")
"$WINE" "$exe" "$(winepath_of "$(realpath "$movie")")" >/dev/null 2>&1 &
player=$!
window=$(find_window "$(basename "$movie") - Zentrov") || fail "no window titled after the movie"
sleep 2
import -window "$window" "$work/window.png"
# The picture stands where the first frame fits best; the closest frame to it.
at=$(rmse -subimage-search "$work/window.png" "${frames[0]}" | sed -n 's/.*@ *//p')
[[ $at =~ ^[0-9]+,[0-9]+$ ]] || fail "the picture was not found in the window"
convert "$work/window.png" -crop "$(identify -format '%wx%h' "${frames[0]}")+${at/,/+}" +repage \
  "$work/picture.png"
read -r best best_frame < <(for frame in "${frames[@]}"; do
  d=$(rmse "$work/picture.png" "$frame" | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p')
  echo "${d:-1} $frame"  # an unread RMSE counts as no match
done | sort -g | head -n 1)
echo "black box: the window shows $(basename "$best_frame") at $at (RMSE $best)"
awk -v d="$best" 'BEGIN { exit !(d < 0.02) }' || fail "no decoded picture matches the window"
[ "$best_frame" != "${frames[0]}" ] || fail "the picture did not move on from the first frame"
sleep 3
press_and_end "$window" alt+F4 "$player" "zentrov.exe, closed,"

python3 - "$WIN_ENV_CAPTURE" "$heard_from" <<'EOF'
import array, statistics, sys
left = array.array('h', open(sys.argv[1], 'rb').read()[int(sys.argv[2]):])[0::2]
loud = [i for i in range(0, len(left) - 441, 441) if max(map(abs, left[i:i + 441])) > 1000]
ups = [i for i in range(1, len(left)) if left[i - 1] < 0 <= left[i]]
periods = [b - a for a, b in zip(ups, ups[1:]) if b - a > 20]
hz = 44100 / statistics.median(periods) if periods else 0
print(f"black box: heard {len(loud) / 100:.2f} s of sound at {hz:.1f} Hz")
sys.exit(0 if len(loud) > 300 and abs(hz - 440) < 440 * 0.02 else 1)
EOF

PULSE_SERVER="unix:$XDG_RUNTIME_DIR/none" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR/none" \
  "$WINE" "$exe" >/dev/null 2>&1 &
player=$!
box=$(find_window "Error") || fail "no error box without a sound server"
press_and_end "$box" Return "$player" "zentrov.exe without sound"
echo "black box: passed"
