#!/usr/bin/env bash
# Processor use of zentrov.exe under Wine against ffplay, both playing the same
# 320x224 movie with sound (10 s of colour bars and a tone, made by ffmpeg)
# in their windows on the same private X server and sound server
# (scripts/win_env.sh). Shares are of one core, from /proc/PID/stat (user +
# system time) over a span of the playing: zentrov.exe plus the wineserver
# of its prefix, ffplay alone; then zentrov.exe standing paused and at "End.",
# beside the floor under them: a program that only holds a DirectSound device
# with a stopped buffer (Wine's sound threads wake on their own period).
#
#   scripts/bench_cpu_vs_ffplay.sh [--renderer gdi|gl] [ZENTROV_EXE]
#
# Targets: playing at most 3 times ffplay's share; paused and ended at most
# 3% of a core. Exits 1 when one is missed. BENCH_DIR keeps the movie.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
renderer=gdi
[ "${1:-}" = --renderer ] && { renderer=$2; shift 2; }
exe=$(realpath "${1:-$root/build/mingw64/zentrov.exe}")
span=5  # seconds measured in each state
for tool in ffmpeg ffplay x86_64-w64-mingw32-gcc; do
  command -v "$tool" >/dev/null || { echo "no $tool" >&2; exit 1; }
done
[ -f "$exe" ] || { echo "no $exe: build the mingw64 preset first" >&2; exit 1; }
work=${BENCH_DIR:-$(mktemp -d /tmp/zentrov-cpu.XXXXXX)}
mkdir -p "$work"
movie=$work/bars_320x224.cpk
[ -s "$movie" ] || ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=320x224:rate=15 \
  -f lavfi -i sine=frequency=440:sample_rate=22050 -t 10 -c:v cinepak -c:a pcm_s16be_planar -ac 2 \
  -f film_cpk "$movie"

# The player's Play/Pause command, sent as its toolbar button sends it.
cat >"$work/command.c" <<'EOF'
#include <stdlib.h>
#include <windows.h>
int main(int argc, char** argv) {
  HWND window = argc == 3 ? FindWindowA("ZentrovClass", argv[1]) : NULL;
  return window && PostMessageA(window, WM_COMMAND, (WPARAM)atoi(argv[2]), 0) ? 0 : 1;
}
EOF
x86_64-w64-mingw32-gcc -O2 -o "$work/command.exe" "$work/command.c"
cat >"$work/idle_sound.c" <<'EOF'
#include <windows.h>
#include <dsound.h>
int main(void) {
  IDirectSound* ds;
  IDirectSoundBuffer* buffer;
  WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 22050, 22050 * 4, 4, 16, 0};
  DSBUFFERDESC desc = {sizeof desc, DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS, 1 << 20, 0, &format};
  if (FAILED(DirectSoundCreate(NULL, &ds, NULL))) return 1;
  IDirectSound_SetCooperativeLevel(ds, GetDesktopWindow(), DSSCL_NORMAL);
  if (FAILED(IDirectSound_CreateSoundBuffer(ds, &desc, &buffer, NULL))) return 1;
  IDirectSoundBuffer_Play(buffer, 0, 0, DSBPLAY_LOOPING);
  Sleep(1000);
  IDirectSoundBuffer_Stop(buffer);
  Sleep(INFINITE);
  return 0;
}
EOF
x86_64-w64-mingw32-gcc -O2 -o "$work/idle_sound.exe" "$work/idle_sound.c" -ldsound

WIN_ENV_RENDERER=$renderer . "$root/scripts/win_env.sh"
[ -n "${BENCH_DIR:-}" ] || trap 'win_env_stop; rm -rf "$work"' EXIT
hz=$(getconf CLK_TCK)
ticks() {  # user + system clock ticks of the processes named
  local sum=0 pid
  for pid in "$@"; do
    [ -n "$pid" ] && [ -r "/proc/$pid/stat" ] && sum=$((sum + $(sed 's/^.*) //' "/proc/$pid/stat" | awk '{print $12 + $13}')))
  done
  echo "$sum"
}
# The shares of one core the processes take over the next $span seconds:
# all of them together, then each one.
share() {
  local before=() after=() start end pid
  for pid in "$@"; do before+=("$(ticks "$pid")"); done
  start=$(date +%s.%N)
  sleep "$span"
  for pid in "$@"; do after+=("$(ticks "$pid")"); done
  end=$(date +%s.%N)
  python3 -c "
b, a = [$(IFS=,; echo "${before[*]}")], [$(IFS=,; echo "${after[*]}")]
shares = [100 * (y - x) / $hz / ($end - $start) for x, y in zip(b, a)]
print(' '.join(f'{v:.1f}' for v in [sum(shares)] + shares))"
}
wineserver_pid() {  # the wine server of this prefix
  local pid
  for pid in $(pgrep -x wineserver64) $(pgrep -x wineserver); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done | head -n 1
}

title="$(basename "$movie") - Zentrov"
"$WINE" "$exe" "$(winepath_of "$movie")" >/dev/null 2>&1 &
player=$!
for _ in $(seq 100); do xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 && break; sleep 0.1; done
server=$(wineserver_pid)
[ -n "$server" ] || echo "warning: the wine server was not found; its share is left out" >&2
sleep 1
playing=$(share "$player" "$server")
"$WINE" "$work/command.exe" "$title" 40014 2>/dev/null  # Play/Pause
sleep 0.5
paused=$(share "$player" "$server")
"$WINE" "$work/command.exe" "$title" 40014 2>/dev/null
sleep 5.5  # past the movie's end
ended=$(share "$player" "$server")
kill "$player" 2>/dev/null || true
wait "$player" 2>/dev/null || true

"$WINE" "$work/idle_sound.exe" >/dev/null 2>&1 &
idle=$!
sleep 3
floor=$(share "$idle" "$server")
kill "$idle" 2>/dev/null || true
wait "$idle" 2>/dev/null || true

ffplay -hide_banner -loglevel error -autoexit "$movie" >/dev/null 2>&1 &
ffplay=$!
sleep 2
ffplay_share=$(share "$ffplay")
kill "$ffplay" 2>/dev/null || true
wait "$ffplay" 2>/dev/null || true

parts() { set -- $1; echo "${1}% (zentrov.exe $2%, wineserver $3%)"; }
echo "playing 320x224 ($renderer renderer): zentrov.exe + wineserver $(parts "$playing") of a core, ffplay ${ffplay_share%% *}%"
echo "paused: $(parts "$paused"); at End.: $(parts "$ended")"
set -- $floor
echo "floor: a program holding a stopped DirectSound buffer, $1% (itself $2%, wineserver $3%)"
playing=${playing%% *} ffplay_share=${ffplay_share%% *} paused=${paused%% *} ended=${ended%% *}
python3 - "$playing" "$ffplay_share" "$paused" "$ended" <<'EOF'
import sys
playing, ffplay, paused, ended = map(float, sys.argv[1:])
misses = []
if playing > 3 * max(ffplay, 1.0): misses.append("playing above 3x ffplay")
if paused > 3: misses.append("paused above 3%")
if ended > 3: misses.append("ended above 3%")
print("targets: " + ("met" if not misses else "missed: " + ", ".join(misses)))
sys.exit(1 if misses else 0)
EOF
