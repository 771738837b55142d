# Source this file to get a private place to run Windows programs under Wine:
# an X server (Xvfb), a PulseAudio daemon with a null sink and a low-latency
# reader on its monitor, and a Wine prefix. Everything started here is stopped
# again when the sourcing shell exits (or by calling win_env_stop).
#
#   . scripts/win_env.sh            # start; exports DISPLAY, PULSE_SERVER, WINEPREFIX, WINE ...
#   "$WINE" build/mingw64/zentrov.exe movie.cpk
#
# Settings (optional, set before sourcing):
#   WIN_ENV_PREFIX    the Wine prefix to use (default build/wineprefix; created once)
#   WIN_ENV_CAPTURE   a file that receives what the null sink plays (raw s16le,
#                     stereo, 44,100 Hz); default: discarded
#   WIN_ENV_SOUND=0   start no sound server (DirectSound then has no device)
#   WIN_ENV_SCREEN    the X screen, default 1024x768x24
#   WIN_ENV_RENDERER  how DirectDraw draws: gdi (default; into the window's own
#                     pixels) or gl (Wine's default, through OpenGL); switch
#                     later with win_env_renderer

win_env_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
win_env_dir=$(mktemp -d /tmp/zentrov-winenv.XXXXXX)
win_env_xvfb_pid=
win_env_parec_pid=

win_env_stop() {
  trap - EXIT
  [ -n "${win_env_dir:-}" ] || return 0
  if [ -n "${WINEPREFIX:-}" ] && [ -x "${WINESERVER:-}" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  if [ -n "$win_env_parec_pid" ]; then
    kill "$win_env_parec_pid" 2>/dev/null || true
    wait "$win_env_parec_pid" 2>/dev/null || true
  fi
  if [ -f "$win_env_dir/pulse/pid" ]; then
    kill "$(cat "$win_env_dir/pulse/pid")" 2>/dev/null || true
  fi
  if [ -n "$win_env_xvfb_pid" ]; then
    kill "$win_env_xvfb_pid" 2>/dev/null || true
    wait "$win_env_xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$win_env_dir"
  win_env_dir=
}
trap win_env_stop EXIT

win_env_fail() {
  echo "win_env: $*" >&2
  win_env_stop
  return 1
}

# The Windows name of a file: Wine shows the Linux root as drive Z:.
winepath_of() { echo "Z:${1//\//\\}"; }
export -f winepath_of

# DirectDraw's renderer in the prefix: gdi draws into the window's own pixels,
# where the tests and screenshots read them; gl is what a user's plain prefix
# gets (Wine's default, through OpenGL; Xvfb's GLX and Mesa's software
# rasteriser, Debian package libgl1-mesa-dri, serve it here).
win_env_renderer() {
  local value
  case "$1" in
    gdi) value='"gdi"' ;;
    gl) value='-' ;;  # the value removed: Wine's default
    *) echo "win_env: renderer $1? (gdi or gl)" >&2; return 1 ;;
  esac
  local current="$WINEPREFIX/.zentrov-renderer"
  [ "$(cat "$current" 2>/dev/null)" = "$1" ] && return 0
  printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\Direct3D]' "\"renderer\"=$value" \
    >"$win_env_dir/renderer.reg"
  "$WINE" regedit /S "$(winepath_of "$win_env_dir/renderer.reg")" </dev/null >/dev/null 2>&1 \
    || return 1
  echo "$1" >"$current"
}

win_env_start() {
  WINE=${WINE:-/usr/lib/wine/wine64}
  WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
  [ -x "$WINE" ] || { win_env_fail "no $WINE (Debian package wine64)"; return 1; }
  export WINE WINESERVER

  # X: Xvfb picks a free display and writes its number to the descriptor.
  mkfifo "$win_env_dir/displayfd"
  exec {win_env_fd}<>"$win_env_dir/displayfd"
  Xvfb -displayfd "$win_env_fd" -screen 0 "${WIN_ENV_SCREEN:-1024x768x24}" -nolisten tcp \
    >"$win_env_dir/xvfb.log" 2>&1 &
  win_env_xvfb_pid=$!
  local display=
  read -r -t 10 display <&"$win_env_fd" || true
  exec {win_env_fd}>&-
  [ -n "$display" ] || { win_env_fail "Xvfb did not start"; return 1; }
  export DISPLAY=":$display"

  # Sound: a user daemon of our own, even as root; clients find it through
  # PULSE_SERVER and need no cookie.
  export XDG_RUNTIME_DIR="$win_env_dir"
  if [ "${WIN_ENV_SOUND:-1}" != 0 ]; then
    export PULSE_SERVER="unix:$win_env_dir/pulse/native"
    HOME="$win_env_dir" pulseaudio --daemonize=yes --exit-idle-time=-1 -n --use-pid-file=yes \
      --load="module-null-sink sink_name=null" \
      --load="module-native-protocol-unix auth-anonymous=1" \
      --log-target="file:$win_env_dir/pulse.log" \
      || { win_env_fail "pulseaudio did not start"; return 1; }
    # A stream opened while nobody reads the sink waits up to two seconds
    # before it plays; a reader with a short latency keeps the sink running.
    [ -z "${WIN_ENV_CAPTURE:-}" ] || export WIN_ENV_CAPTURE
    parec -d null.monitor --latency-msec=10 --format=s16le --rate=44100 --channels=2 \
      >"${WIN_ENV_CAPTURE:-/dev/null}" 2>"$win_env_dir/parec.log" &
    win_env_parec_pid=$!
  else
    export PULSE_SERVER="unix:$win_env_dir/no-sound-server"
  fi

  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX=${WIN_ENV_PREFIX:-$win_env_root/build/wineprefix}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot --init >"$win_env_dir/wineboot.log" 2>&1 \
      || { win_env_fail "wineboot failed: $(tail -n 5 "$win_env_dir/wineboot.log")"; return 1; }
  fi
  # One wine server for the whole session instead of one per program, and
  # its service processes started now, away from the callers' pipes (they
  # would hold a pipe to "wine prog | ..." open until the session ends).
  "$WINESERVER" -p >/dev/null 2>&1 || true
  "$WINE" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
  # Test settings of the prefix: windows not handed to a window manager (there
  # is none, and Wine would wait two seconds for it whenever one closes).
  local stamp="$WINEPREFIX/.zentrov-test-settings-2"
  if [ ! -f "$stamp" ]; then
    printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' \
      >"$win_env_dir/test.reg"
    "$WINE" regedit /S "$(winepath_of "$win_env_dir/test.reg")" </dev/null >/dev/null 2>&1 \
      || { win_env_fail "could not apply the test settings"; return 1; }
    touch "$stamp"
  fi
  win_env_renderer "${WIN_ENV_RENDERER:-gdi}" || { win_env_fail "could not set the renderer"; return 1; }
  # The dialogs ask for the font "ＭＳ Ｐゴシック", which Wine does not have;
  # IPAPGothic (Debian package fonts-ipafont-gothic) has the same widths, so
  # the dialogs' texts fit their fields as they do on Windows.
  local fonts="$WINEPREFIX/.zentrov-test-fonts-1"
  if [ ! -f "$fonts" ]; then
    { printf '\xff\xfe'
      printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' '"ＭＳ Ｐゴシック"="IPAPGothic"' \
        | iconv -f UTF-8 -t UTF-16LE; } >"$win_env_dir/fonts.reg"
    "$WINE" regedit /S "$(winepath_of "$win_env_dir/fonts.reg")" </dev/null >/dev/null 2>&1 \
      || { win_env_fail "could not apply the font replacement"; return 1; }
    touch "$fonts"
  fi
  # Give the sound reader its head start.
  sleep 2
}

win_env_start
