#!/usr/bin/env bash
# Builds the player and plays MOVIE (the bundled sample when none is named).
# With a display: the Windows player, zentrov.exe, under wine64, its sound
# through the desktop's sound server. Without one: the headless zentrov-cli
# (the stream description, the sample table, then a real-time headless play).
# With --web: the web page, served on 127.0.0.1 and opened in the browser.
set -euo pipefail
cd "$(dirname "$0")/.."
web=
if [ "${1:-}" = --web ]; then web=1; shift; fi
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

if [ -n "$web" ]; then
  install cmake make emscripten python3
  export NODE_PATH=/usr/share/nodejs
  cmake --preset web >/dev/null
  cmake --build --preset web -j "$(nproc)"
  # The page and the movie side by side in a folder of their own, so the
  # server shows nothing else.
  site=$(mktemp -d)
  trap 'rm -rf "$site"' EXIT
  cp build/web/zentrov.html build/web/zentrov-player.js "$site/"
  name=$(basename "$movie")
  ln -s "$(realpath "$movie")" "$site/$name"
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  query=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1]))' "$name")
  url="http://127.0.0.1:$port/zentrov.html?movie=$query"
  echo "Zentrov: $url (Ctrl+C stops the server)"
  if [ -n "${DISPLAY:-}" ]; then
    ( sleep 1
      if command -v xdg-open >/dev/null; then xdg-open "$url"
      elif command -v chromium >/dev/null; then chromium "$url"
      fi >/dev/null 2>&1 ) &
  fi
  python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site" >/dev/null 2>&1
  exit 0
fi

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
