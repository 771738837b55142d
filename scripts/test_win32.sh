#!/usr/bin/env bash
# Runs the Windows player's tests under wine64 in a private X server, sound
# server and Wine prefix (scripts/win_env.sh), then stops them again.
# Expects the mingw64 preset to be built: cmake --build --preset mingw64
set -euo pipefail
cd "$(dirname "$0")/.."

tests=build/mingw64/tests/win32/zentrov_win32_tests.exe
[ -f "$tests" ] || { echo "no $tests: build the mingw64 preset first"; exit 1; }

. scripts/win_env.sh

# Wine's sound library complains on stderr when it looks for ALSA cards.
quiet() { grep -v -E '^ALSA lib ' || true; }

run() { "$WINE" "$tests" "$@" 2>&1 | quiet; return "${PIPESTATUS[0]}"; }

status=0
echo "-- with the sound server"
run --gtest_filter='-NoSoundServer.*' || status=1
echo "-- without a sound server"
PULSE_SERVER="unix:$XDG_RUNTIME_DIR/none" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR/none" \
  run --gtest_filter='NoSoundServer.*' || status=1

win_env_stop
exit "$status"
