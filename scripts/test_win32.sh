#!/usr/bin/env bash
# Runs the Windows player's tests under wine64 in a private X server, sound
# server and Wine prefix (scripts/win_env.sh), then stops them again: for
# each of Wine's DirectDraw renderers (gdi, drawing into the window's own
# pixels, and gl, Wine's default, through OpenGL) the in-process tests with
# and without a sound server, then the black-box test of zentrov.exe (a
# screenshot and the sound it played); then the 8-bit display's test.
# Expects the mingw64 preset and a native zentrov-cli (release or debug) built.
set -euo pipefail
cd "$(dirname "$0")/.."

tests=build/mingw64/tests/win32/zentrov_win32_tests.exe
exe=build/mingw64/zentrov.exe
cli=build/release/zentrov-cli
[ -x "$cli" ] || cli=build/debug/zentrov-cli
for f in "$tests" "$exe" "$cli"; do
  [ -f "$f" ] || { echo "no $f: build the mingw64 preset and a native zentrov-cli first"; exit 1; }
done

work=build/win32-test
mkdir -p "$work"
export WIN_ENV_CAPTURE="$PWD/$work/heard.raw"
. scripts/win_env.sh

# Wine's sound library complains on stderr when it looks for ALSA cards.
quiet() { grep -v -E '^ALSA lib ' || true; }
run() { "$WINE" "$tests" "$@" 2>&1 | quiet; return "${PIPESTATUS[0]}"; }

status=0
for renderer in gdi gl; do
  win_env_renderer "$renderer"
  echo "-- in-process, with the sound server ($renderer renderer)"
  run --gtest_filter='-NoSoundServer.*' || status=1
  echo "-- in-process, without a sound server ($renderer renderer)"
  PULSE_SERVER="unix:$XDG_RUNTIME_DIR/none" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR/none" \
    run --gtest_filter='NoSoundServer.*' || status=1
  echo "-- black box: zentrov.exe on the bundled sample ($renderer renderer)"
  tests/win32/black_box_test.sh "$exe" "$cli" samples/sample.cpk "$work/black_box_$renderer" || status=1
done

win_env_stop
rm -f "$WIN_ENV_CAPTURE"

echo "-- in-process, on an 8-bit display"
unset WIN_ENV_CAPTURE
WIN_ENV_SCREEN=1024x768x8 . scripts/win_env.sh
run --gtest_filter='EightBitDisplay.*' || status=1
win_env_stop
exit "$status"
