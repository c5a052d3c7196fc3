# Sourced by scripts that run Windows binaries: one Xvfb and one persistent wineserver for the whole
# run, a private prefix under build/ initialised once and reused, and everything started here ended by
# process id when the calling script exits (also when it fails or is interrupted).
#
#   source scripts/lib/wine-harness.sh
#   wine_harness_up        # exports DISPLAY, WINEPREFIX, WINEARCH, WINEDEBUG, WINEDLLOVERRIDES
#   wine some.exe ...
#   (ends by itself through the EXIT trap)

GS_ROOT=${GS_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
GS_LOGS=${GS_LOGS:-$GS_ROOT/build/logs}
export WINEPREFIX=${GS_WINEPREFIX:-$GS_ROOT/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# Mono and Gecko would stop a fresh prefix to ask for downloads this machine cannot make.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

_gs_xvfb_pid=""
_gs_wineserver_pid=""

# Waits until our Xvfb answers on display $1; fails at once when it died (the number was taken).
_gs_xvfb_ready() {
  local deadline=$((SECONDS + 30))
  while kill -0 "$_gs_xvfb_pid" 2>/dev/null; do
    xdpyinfo -display ":$1" >/dev/null 2>&1 && return 0
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
  return 1
}

wine_harness_down() {
  if [ -n "$_gs_wineserver_pid" ]; then
    # Ends every Wine process of the prefix, then the server itself.
    wineserver -k >/dev/null 2>&1 || true
    kill "$_gs_wineserver_pid" >/dev/null 2>&1 || true
    wait "$_gs_wineserver_pid" 2>/dev/null || true
    _gs_wineserver_pid=""
  fi
  if [ -n "$_gs_xvfb_pid" ]; then
    kill "$_gs_xvfb_pid" >/dev/null 2>&1 || true
    wait "$_gs_xvfb_pid" 2>/dev/null || true
    _gs_xvfb_pid=""
  fi
}

wine_harness_up() {
  mkdir -p "$GS_LOGS"
  trap wine_harness_down EXIT
  trap 'exit 130' INT TERM

  # Another run on this machine (a second work tree, say) may take a display number between our look
  # and Xvfb's start, so a number counts as ours only once our own Xvfb answers on it.
  local n
  for n in $(seq 90 140); do
    [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] || continue
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp -noreset >"$GS_LOGS/xvfb.log" 2>&1 &
    _gs_xvfb_pid=$!
    if _gs_xvfb_ready "$n"; then
      export DISPLAY=":$n"
      break
    fi
    kill "$_gs_xvfb_pid" >/dev/null 2>&1 || true
    wait "$_gs_xvfb_pid" 2>/dev/null || true
    _gs_xvfb_pid=""
  done
  if [ -z "$_gs_xvfb_pid" ]; then
    echo "wine-harness: Xvfb did not come up (see $GS_LOGS/xvfb.log)" >&2
    return 1
  fi

  # A server left over from an interrupted run would hold the prefix with a stale display.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -f -p >"$GS_LOGS/wineserver.log" 2>&1 &
  _gs_wineserver_pid=$!

  if [ ! -f "$WINEPREFIX/.gearshift-ready" ]; then
    echo "wine-harness: initialising $WINEPREFIX (once)"
    mkdir -p "$WINEPREFIX"
    wineboot -i >"$GS_LOGS/wineboot.log" 2>&1
    # Without a window manager Wine waits about 2 s for one on every hide of a managed window.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$GS_LOGS/wineboot.log" 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >>"$GS_LOGS/wineboot.log" 2>&1
    # Crashes must end the process, not open a debugger dialog that waits for a click forever.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f \
      >>"$GS_LOGS/wineboot.log" 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f \
      >>"$GS_LOGS/wineboot.log" 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >>"$GS_LOGS/wineboot.log" 2>&1
    touch "$WINEPREFIX/.gearshift-ready"
  fi
  # Start Wine's own background processes (services, device drivers) now, with their output in a log:
  # started by the first test instead, they would inherit and hold its output pipe for the life of the
  # server, and whoever reads that pipe would wait for ever.
  wineboot >>"$GS_LOGS/wineboot.log" 2>&1
}
