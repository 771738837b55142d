#!/usr/bin/env bash
# Builds the player and runs it on MOVIE (the bundled sample when none is
# named). Until the windowed player lands this is the headless zentrov-cli:
# the stream description, the sample table, then a real-time headless play.
set -euo pipefail
cd "$(dirname "$0")/.."
movie=${1:-samples/sample.cpk}
for p in cmake make g++ libpng-dev; do
  dpkg -s "$p" >/dev/null 2>&1 || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq cmake make g++ libpng-dev; break; }
done
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target zentrov-cli
cli=build/release/zentrov-cli
"$cli" info "$movie"
echo
"$cli" table "$movie" | head -n 20
if "$cli" --help | grep -q "play FILE"; then
  echo
  "$cli" play "$movie"
fi
