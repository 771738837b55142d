#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test:
# native Debug and address+undefined sanitizer builds with their unit tests,
# the Release build, both mingw-w64 cross builds, the Windows player's tests
# under wine64 (in a private X server and sound server), and each fuzz target
# for a short, fixed time on the committed corpus; the web page (Emscripten)
# and its tests in headless chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS=${FUZZ_SECONDS:-30}
JOBS=${JOBS:-$(nproc)}

packages=(cmake make g++ clang libclang-rt-14-dev libgtest-dev googletest libpng-dev
          mingw-w64 ffmpeg file python3 wine64 xvfb pulseaudio pulseaudio-utils imagemagick
          xdotool fonts-ipafont-gothic libgl1 libgl1-mesa-dri emscripten chromium nodejs)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
# A Node.js from elsewhere than Debian brings its own npm.
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

step() { echo; echo "== $*"; }

# Emscripten's optimizer finds Debian's acorn only through NODE_PATH when
# node is not Debian's own.
export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs
for preset in debug asan release mingw64 mingw32 fuzz web; do
  step "configure and build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS"
done

for preset in debug asan; do
  step "tests: $preset"
  ctest --preset "$preset" -j "$JOBS"
done

step "cross builds are Windows programs"
for preset in mingw64 mingw32; do
  for exe in zentrov-cli zentrov; do
    file build/$preset/$exe.exe | grep -q "PE32" || { echo "build/$preset/$exe.exe is not a Windows program"; exit 1; }
  done
  # The player runs on a bare Windows: no C or C++ runtime of mingw's own.
  if x86_64-w64-mingw32-objdump -p build/$preset/zentrov.exe | grep -i -E "DLL Name: (libstdc|libgcc|libwinpthread)"; then
    echo "build/$preset/zentrov.exe needs a runtime DLL"; exit 1
  fi
  echo "build/$preset/zentrov.exe: $(stat -c %s build/$preset/zentrov.exe) bytes"
done

step "Windows player tests under wine64"
./scripts/test_win32.sh

step "sound gaps: zentrov.exe on the bundled sample"
./scripts/count_sound_gaps.sh --fail-on-gap samples/sample.cpk

step "web player tests in headless chromium"
(cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error &&
  node --test)

step "fuzz targets, ${FUZZ_SECONDS}s each"
for target in $(find build/fuzz -name "*_fuzz" -type f -perm -u+x | sort); do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=tests/fuzz/corpus/${name%_fuzz}
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  echo "-- $name"
  status=0
  "$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work" >"$work.log" 2>&1 || status=$?
  grep -E "^stat::number_of_executed_units|^#[0-9]+ +DONE" "$work.log" || true
  if [ "$status" -ne 0 ]; then
    echo "$name found a problem (exit $status):"
    grep -E "ERROR|SUMMARY|Test unit written" "$work.log" | head -20
    exit 1
  fi
  rm -f "$work.log"
  rm -rf "$work"
done

echo
echo "All builds and tests passed."
