#!/usr/bin/env bash
# Builds the player and plays MOVIE (the bundled sample when none is named).
# With a display: the Windows player, zentrov.exe, under wine64, its sound
# through the desktop's sound server. Without one: the headless zentrov-cli
# (the stream description, the sample table, then a real-time headless play).
set -euo pipefail
cd "$(dirname "$0")/.."
movie=${1:-samples/sample.cpk}
[ -f "$movie" ] || { echo "no such movie: $movie"; exit 1; }

install() {
  local missing=()
  for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
  if [ ${#missing[@]} -gt 0 ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

if [ -n "${DISPLAY:-}" ]; then
  install cmake make mingw-w64 wine64
  cmake --preset mingw64 >/dev/null
  cmake --build --preset mingw64 -j "$(nproc)" --target zentrov
  # A Wine prefix of the player's own, made on the first run. DirectDraw
  # draws through GDI, as in the tests, so no 3D driver is needed.
  export WINEPREFIX=${WINEPREFIX:-$PWD/build/wineprefix-desktop}
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wine=/usr/lib/wine/wine64
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing the Wine prefix $WINEPREFIX (once)..."
    "$wine" wineboot --init >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f >/dev/null 2>&1
  fi
  path=$(realpath "$movie")
  exec "$wine" build/mingw64/zentrov.exe "Z:${path//\//\\}"
fi

install cmake make g++ libpng-dev
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target zentrov-cli
cli=build/release/zentrov-cli
"$cli" info "$movie"
echo
"$cli" table "$movie" | head -n 20
echo
"$cli" play "$movie"
echo
echo "No display here: run ./scripts/run.sh in a desktop session (DISPLAY set) to see and hear it in the player's window."
