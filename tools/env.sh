# Sourced by the tools: a Wine prefix in the build tree, an X display and a
# PulseAudio null sink. Starts a display and a sound server of this run's own
# unless DISPLAY names one that works or a sound server answers, and
# replaces the prefix's Wine server (tarvisk_start_wine); tarvisk_env_stop
# ends the server and what else this shell started.
TARVISK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TARVISK_BUILD="${TARVISK_BUILD:-$TARVISK_ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$TARVISK_BUILD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
TARVISK_STARTED_PIDS=()

tarvisk_display_works() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

tarvisk_start_display() {
  if [ -n "${DISPLAY:-}" ] && { ! command -v xdpyinfo >/dev/null || tarvisk_display_works; }; then
    return
  fi
  # Xvfb picks a free display itself and writes its number once it listens:
  # runs started side by side never take, or clean away, each other's.
  local number
  number="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 "${TARVISK_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  TARVISK_STARTED_PIDS+=($!)
  for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
  if [ -s "$number" ]; then
    export DISPLAY=":$(tr -d '[:space:]' <"$number")"
    rm -f "$number"
    return
  fi
  rm -f "$number"
  echo "env: could not start Xvfb" >&2
  return 1
}

# The sound server that answers (the desktop's, say), or else a PulseAudio
# with a null sink of this run's own on a socket of its own, like the
# display: runs started side by side never share one they started, so one
# ending never stops the other's sound.
tarvisk_start_sound() {
  if pactl info >/dev/null 2>&1; then
    return
  fi
  TARVISK_PULSE_DIR="$(mktemp -d)"
  export PULSE_SERVER="unix:$TARVISK_PULSE_DIR/native"
  PULSE_RUNTIME_PATH="$TARVISK_PULSE_DIR" pulseaudio -n --daemonize=yes --exit-idle-time=-1 \
    -L "module-null-sink sink_name=null" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$TARVISK_PULSE_DIR/native" \
    >/dev/null 2>&1 || true
  for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl info >/dev/null 2>&1 || echo "env: PulseAudio did not start; playback tests will fail" >&2
}

tarvisk_start_wine() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  # Xvfb runs no window manager: a managed window waits two seconds for one
  # at every show and hide, which makes every window test crawl.
  if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
  fi
  # Linking waits for the server to end, so it comes before the persistent one.
  tarvisk_link_fonts
  # The Wine server keeps the error output of the program that starts it, and
  # lives as long as any Wine program runs: started by a test, it would hold
  # that test's output pipe open until the whole ctest run ends, and ctest
  # waits for the pipe until the case times out. So the server and Wine's own
  # services start here, detached, and the server stays until
  # tarvisk_env_stop. One already running may be such a server, and would end
  # when idle (during a build, say): ours replaces it.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w
  wineserver -p </dev/null >/dev/null 2>&1
  wine wineboot </dev/null >/dev/null 2>&1
}

# Wine's own fonts (fonts-wine) give the dialogs their faces and the caption
# buttons their glyphs; Japanese text needs a font with its characters behind
# every face the windows and the skins use, or it shows as boxes.
TARVISK_LINKED_FACES=(Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI")
TARVISK_FONT_LINK='ipagp.ttf,IPAPGothic\0ipag.ttf,IPAGothic'
tarvisk_link_fonts() {
  # This Wine does not look for its own fonts where fonts-wine puts them.
  ln -sf /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  grep -q '^"Tahoma"=str(7):"ipagp.ttf,IPAPGothic' "$WINEPREFIX/system.reg" 2>/dev/null && return
  local face
  for face in "${TARVISK_LINKED_FACES[@]}"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "$TARVISK_FONT_LINK" /f >/dev/null 2>&1
  done
  wineserver -w
}

# Wine's desktop process, started by the first program that makes a window,
# takes that program's error output, and ends whenever the desktop is idle.
# For a test run it is started here, by a program that holds it open
# (tests/support/KeepDesktop.c) until tarvisk_env_stop.
tarvisk_keep_desktop() { # keeper.exe
  wine "$1" </dev/null >/dev/null 2>&1 &
  local pid
  for _ in $(seq 100); do
    for pid in $(pgrep -f 'explorer.exe /desktop'); do
      grep -qxF "WINEPREFIX=$WINEPREFIX" <(tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null) && return
    done
    sleep 0.1
  done
  echo "env: Wine's desktop did not start" >&2
}

# The opening every tool shares: the machine set up (tools/setup), then the
# display, the sound and Wine started, and stopped again however the calling
# script ends, after the steps it gave tarvisk_on_exit.
tarvisk_enter() {
  "$TARVISK_ROOT/tools/setup"
  trap tarvisk_leave EXIT
  tarvisk_env_start
}
TARVISK_EXIT_STEPS=()
tarvisk_on_exit() { TARVISK_EXIT_STEPS+=("$1"); }
tarvisk_leave() {
  local step
  for step in "${TARVISK_EXIT_STEPS[@]}"; do eval "$step"; done
  tarvisk_env_stop
}

tarvisk_env_start() {
  tarvisk_start_display
  tarvisk_start_sound
  tarvisk_start_wine
}

tarvisk_env_stop() {
  wineserver -k >/dev/null 2>&1 || true
  local pid
  for pid in "${TARVISK_STARTED_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "${TARVISK_PULSE_DIR:-}" ]; then
    PULSE_RUNTIME_PATH="$TARVISK_PULSE_DIR" pulseaudio --kill >/dev/null 2>&1 || true
    rm -rf "$TARVISK_PULSE_DIR"
  fi
}
