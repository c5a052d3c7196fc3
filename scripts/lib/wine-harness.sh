# Sourced by scripts that run Windows binaries: one Xvfb and one persistent wineserver for the whole
# run, a private prefix under build/ initialised once and reused, and everything started here ended by
# process id when the calling script exits (also when it fails or is interrupted).
#
#   source scripts/lib/wine-harness.sh
#   wine_harness_up [test|demo|bench] || echo "$GS_WINE_ERROR"
#   "$GS_WINE" "$GS_DIST/some.exe" ...
#   (ends by itself through the EXIT trap)
#
# wine_harness_up finds out once whether this machine runs 32-bit Windows code. Where it does, the
# suites run on the shipped i686 build; where it does not (a kernel without IA-32 emulation, no 32-bit
# Wine installed, or the i686 probe failing under it), on the x86_64 twin. GEARSHIFT_WINE_ARCH=x86_64 forces the twin. It exports:
#   GS_WINE_ARCH    i686 or x86_64
#   GS_WINE_BUILD   build/win32 or build/win64 (relative to the source tree)
#   GS_DIST         the absolute program folder of that build
#   GS_WINE         the Wine loader to call (also WINELOADER for the twin)
#   GS_WINE_NOTE    what to call the build in summaries, with the reason for the twin
#   GS_XVFB_PID, GS_WINESERVER_PID   the processes the harness runs, to be looked at, not ended
# and DISPLAY, WINEPREFIX, WINEARCH, WINEDEBUG, WINEDLLOVERRIDES. Each architecture and each use has
# its own prefix (build/wineprefix-win64, build/wineprefix-demo-win64, build/wineprefix-bench-win64,
# ...; GS_WINEPREFIX names another folder for them), held under an flock for the harness's life, so
# that ending a prefix's processes never ends another run's.
#
# GS_SCREEN gives the virtual screen another size and depth than 1920x1080x24 (as Xvfb's -screen takes it).
# The use "two-heads" runs on an Xorg server with two monitors side by side instead of Xvfb
# (scripts/lib/xorg-two-heads.sh), in a prefix of its own.
# The use "shell" runs every program of its prefix inside Wine's shell desktop, 1920x1080 with a taskbar
# and its notification area, in a prefix of its own; so does any use whose name ends in "-shell".
#
# GS_WINE_CPUS, a core list as taskset takes it (e.g. 0), pins Xvfb, the wineserver and the processes
# that Wine starts for the prefix to those cores; benchmarks set it, because work handed between the
# cores of these machines is slow to arrive. The caller pins its own programs the same way.

GS_ROOT=${GS_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
# shellcheck source=ia32.sh
source "$(dirname "${BASH_SOURCE[0]}")/ia32.sh"
# shellcheck source=wine32-packages.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine32-packages.sh"
# shellcheck source=xorg-two-heads.sh
source "$(dirname "${BASH_SOURCE[0]}")/xorg-two-heads.sh"
GS_LOGS=${GS_LOGS:-$GS_ROOT/build/logs}
export WINEDEBUG=${WINEDEBUG:--all}
# Mono and Gecko would stop a fresh prefix to ask for downloads this machine cannot make.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

GS_WINE_LOADER32=/usr/lib/wine/wine
GS_WINE_LOADER64=/usr/lib/wine/wine64
GS_WINE_ERROR=""

_gs_xvfb_pid=""
_gs_wineserver_pid=""
_gs_wineserver=""
_gs_lock_fd=""
_gs_use=""
_gs_pin=()

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

_gs_fail() {
  GS_WINE_ERROR="wine-harness: $*"
  echo "$GS_WINE_ERROR" >&2
  return 1
}

# Sets everything that names one architecture's build, loader, server and prefix ($2: test or demo).
_gs_select() {
  local arch=$1 use=$2 preset
  if [ "$arch" = i686 ]; then
    preset=win32
    # The win32 preset's ctest emulator is plain `wine`, which picks the 32-bit loader.
    GS_WINE=wine
    _gs_wineserver=wineserver
    export WINEARCH=win32
    unset WINELOADER WINESERVER
  else
    preset=win64
    # /usr/bin/wine would pick the 32-bit loader whenever it is installed, even where it cannot run,
    # and a process Wine starts is started through WINELOADER.
    GS_WINE=$GS_WINE_LOADER64
    _gs_wineserver=/usr/lib/wine/wineserver64
    export WINEARCH=win64 WINELOADER=$GS_WINE_LOADER64 WINESERVER=$_gs_wineserver
  fi
  local name=wineprefix-$preset
  [ "$use" = test ] || name=wineprefix-$use-$preset
  export GS_WINE_ARCH=$arch GS_WINE_BUILD=build/$preset GS_DIST=$GS_ROOT/build/$preset/dist GS_WINE
  # GS_WINEPREFIX moves the prefixes elsewhere; each still gets its own folder.
  export WINEPREFIX=${GS_WINEPREFIX:-$GS_ROOT/build}/$name
  _gs_logname=${name#wineprefix-}
  _gs_use=$use
  _gs_bootlog=$GS_LOGS/wineboot-$_gs_logname.log
}

# Takes the prefix's lock, waiting (and saying so) while another run holds it.
_gs_lock_prefix() {
  exec {_gs_lock_fd}>"$WINEPREFIX.lock"
  if ! flock -n "$_gs_lock_fd"; then
    echo "wine-harness: $WINEPREFIX is in use by another run; waiting for it to finish"
    flock "$_gs_lock_fd"
  fi
}

_gs_unlock_prefix() {
  [ -n "$_gs_lock_fd" ] || return 0
  # Unlocks the open file itself, so that a child that inherited the descriptor holds nothing.
  flock -u "$_gs_lock_fd" 2>/dev/null || true
  exec {_gs_lock_fd}>&-
  _gs_lock_fd=""
}

_gs_server_stop() {
  if [ -n "$_gs_wineserver_pid" ]; then
    # Ends every Wine process of our prefix (and only of ours: we hold its lock), then the server.
    "$_gs_wineserver" -k >/dev/null 2>&1 || true
    kill "$_gs_wineserver_pid" >/dev/null 2>&1 || true
    wait "$_gs_wineserver_pid" 2>/dev/null || true
    _gs_wineserver_pid=""
    _gs_wait_prefix_empty
  fi
}

# The killed processes of our prefix take a moment to go: until none is left (10 s at most), so that a
# caller that says nothing is left running is right.
_gs_wait_prefix_empty() {
  local deadline=$((SECONDS + 10)) pid left
  while :; do
    left=""
    # Wine's processes only: the scripts and tools around them may carry the variable too.
    for pid in $(pgrep -f -i 'wine|\.exe' || true); do
      # A zombie (ended, not yet reaped) has no environment left to read, and does not count.
      if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
        left=yes
        break
      fi
    done
    [ -n "$left" ] && [ $SECONDS -lt $deadline ] || return 0
    sleep 0.1
  done
}

_gs_server_down() {
  _gs_server_stop
  _gs_unlock_prefix
}

# Prefix settings that a fresh prefix needs before our programs run in it.
_gs_configure_prefix() {
  # Without a window manager Wine waits about 2 s for one on every hide of a managed window.
  "$GS_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f &&
    "$GS_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f &&
    # Crashes must end the process, not open a debugger dialog that waits for a click forever.
    "$GS_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f &&
    "$GS_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f &&
    "$GS_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
}

_gs_shell_configure_prefix() {
  "$GS_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d shell /f &&
    "$GS_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /t REG_SZ /d 1920x1080 /f
}

_gs_shell_prefix_configured() {
  "$GS_WINE" reg query 'HKCU\Software\Wine\Explorer' /v Desktop 2>/dev/null | tr -d '\r' |
    grep -Eq 'Desktop[[:space:]]+REG_SZ[[:space:]]+shell$'
}

# Starts the selected prefix's server, ending one left over from an interrupted run, which would hold
# the prefix with a stale display.
_gs_server_start() {
  "$_gs_wineserver" -k >/dev/null 2>&1 || true
  "${_gs_pin[@]}" "$_gs_wineserver" -f -p >"$GS_LOGS/wineserver-$_gs_logname.log" 2>&1 {_gs_lock_fd}>&- &
  _gs_wineserver_pid=$!
  export GS_WINESERVER_PID=$_gs_wineserver_pid
}

# Locks the selected prefix, starts its server and initialises it when it is not ready yet.
_gs_prefix_up() {
  # The server needs the prefix folder to exist, or it exits at once.
  if ! mkdir -p "$WINEPREFIX"; then
    _gs_fail "Wine cannot start here: cannot create $WINEPREFIX"
    return 1
  fi
  _gs_lock_prefix
  _gs_server_start

  if [ ! -f "$WINEPREFIX/.gearshift-ready" ]; then
    echo "wine-harness: initialising $WINEPREFIX (once)"
    local status=0
    "${_gs_pin[@]}" "$GS_WINE" wineboot -i >"$_gs_bootlog" 2>&1 || status=$?
    [ $status -ne 0 ] || _gs_configure_prefix >>"$_gs_bootlog" 2>&1 || status=$?
    if [ $status -ne 0 ]; then
      # A half-made prefix would pass for a ready one next time; start again from nothing instead
      # (still under the lock, so that nobody starts on what is being removed).
      _gs_server_stop
      rm -rf "$WINEPREFIX"
      _gs_unlock_prefix
      _gs_fail "Wine cannot start here: $GS_WINE wineboot -i failed (exit $status) for $WINEPREFIX;" \
        "see $_gs_bootlog"
      return 1
    fi
    touch "$WINEPREFIX/.gearshift-ready"
  fi
  # Settings that Wine's desktop process reads once, when it starts. The prefix's first boot has
  # started one without them; it goes, with the server, so that the next desktop starts with them.
  if [ "$_gs_use" = two-heads ] && ! _gs_xorg_two_heads_prefix_configured; then
    if ! _gs_xorg_two_heads_configure_prefix >>"$_gs_bootlog" 2>&1; then
      _gs_server_down
      _gs_fail "cannot configure $WINEPREFIX for two heads; see $_gs_bootlog"
      return 1
    fi
    _gs_server_stop
    _gs_server_start
  fi
  if [[ "$_gs_use" == shell || "$_gs_use" == *-shell ]] && ! _gs_shell_prefix_configured; then
    if ! _gs_shell_configure_prefix >>"$_gs_bootlog" 2>&1; then
      _gs_server_down
      _gs_fail "cannot configure $WINEPREFIX for the shell desktop; see $_gs_bootlog"
      return 1
    fi
    _gs_server_stop
    _gs_server_start
  fi
  # Start Wine's own background processes (services, device drivers) now, with their output in a log:
  # started by the first test instead, they would inherit and hold its output pipe for the life of the
  # server, and whoever reads that pipe would wait for ever.
  if ! "${_gs_pin[@]}" "$GS_WINE" wineboot >>"$_gs_bootlog" 2>&1; then
    _gs_server_down
    _gs_fail "Wine cannot start here: $GS_WINE wineboot failed in $WINEPREFIX; see $_gs_bootlog"
    return 1
  fi
}

# Starts the desktop now and holds it for the server's life (the probe's hold mode; the server ends it
# when the harness goes down). Started by the first test instead, Wine's desktop process would keep
# that test's output pipe open for about 20 s after the test, and every test would start it anew.
_gs_hold_desktop() {
  local probe=$GS_ROOT/$GS_WINE_BUILD/tests/support/wine_probe.exe log=$GS_LOGS/desktop-$_gs_logname.log
  [ -f "$probe" ] || return 0
  "${_gs_pin[@]}" "$GS_WINE" "$probe" hold-desktop >"$log" 2>&1 {_gs_lock_fd}>&- &
  # Ready once it says so: the desktop exists from then on.
  local waited=0
  until grep -q "wine probe: holding the desktop" "$log" 2>/dev/null || [ $waited -ge 200 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
}

# True when the i686 probe runs under the 32-bit loader in the win32 prefix; $1 names the log.
_gs_probe_i686() {
  local probe=$GS_ROOT/build/win32/tests/support/wine_probe.exe output
  [ -f "$probe" ] || { echo "no $probe (scripts/build win32)" >"$1"; return 1; }
  output=$("$GS_WINE" "$probe" 2>>"$1" | tr -d '\r')
  echo "$output" >>"$1"
  [ "$output" = "wine probe: 32-bit code runs" ]
}

wine_harness_down() {
  _gs_server_down
  if [ -n "$_gs_xvfb_pid" ]; then
    kill "$_gs_xvfb_pid" >/dev/null 2>&1 || true
    wait "$_gs_xvfb_pid" 2>/dev/null || true
    _gs_xvfb_pid=""
  fi
}

wine_harness_up() {
  local use=${1:-test}
  mkdir -p "$GS_LOGS"
  _gs_pin=()
  if [ -n "${GS_WINE_CPUS:-}" ]; then
    if ! taskset -c "$GS_WINE_CPUS" true 2>/dev/null; then
      _gs_fail "GS_WINE_CPUS=$GS_WINE_CPUS: not cores this machine has (taskset -c)"
      return 1
    fi
    _gs_pin=(taskset -c "$GS_WINE_CPUS")
  fi
  trap wine_harness_down EXIT
  trap 'exit 130' INT TERM

  # Another run on this machine (a second work tree, say) may take a display number between our look
  # and Xvfb's start, so a number counts as ours only once our own Xvfb answers on it. The live use
  # runs on the desktop that DISPLAY names instead.
  local n
  if [ "$use" = live ]; then
    if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
      _gs_fail "no desktop answers on DISPLAY=${DISPLAY:-} (the live use needs one)"
      return 1
    fi
  fi
  for n in $(seq 90 140); do
    [ "$use" != live ] || break
    [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] || continue
    if [ "$use" = two-heads ]; then
      _gs_xorg_two_heads_start "$n" "$GS_ROOT/build/xorg-two-heads" "$GS_LOGS/xvfb-$use.log"
    else
      "${_gs_pin[@]}" Xvfb ":$n" -screen 0 "${GS_SCREEN:-1920x1080x24}" -nolisten tcp -noreset >"$GS_LOGS/xvfb-$use.log" 2>&1 &
      _gs_xvfb_pid=$!
    fi
    if _gs_xvfb_ready "$n"; then
      export DISPLAY=":$n" GS_XVFB_PID=$_gs_xvfb_pid
      break
    fi
    kill "$_gs_xvfb_pid" >/dev/null 2>&1 || true
    wait "$_gs_xvfb_pid" 2>/dev/null || true
    _gs_xvfb_pid=""
  done
  if [ -z "$_gs_xvfb_pid" ] && [ "$use" != live ]; then
    _gs_fail "the X server did not come up (see $GS_LOGS/xvfb-$use.log)"
    return 1
  fi

  local probe_log=$GS_LOGS/wine-probe-$use.log reason=""
  case "${GEARSHIFT_WINE_ARCH:-}" in
    x86_64) reason="forced by GEARSHIFT_WINE_ARCH" ;;
    "" | i686) ;;
    *)
      _gs_fail "GEARSHIFT_WINE_ARCH=$GEARSHIFT_WINE_ARCH: only x86_64 or i686"
      return 1
      ;;
  esac
  # First the cheap looks, each naming its own reason: the kernel runs no 32-bit code at all, or the
  # 32-bit Wine is not installed (scripts/setup says why it could not be), or its loader does not start.
  if [ -z "$reason" ]; then
    : >"$probe_log"
    local libraries
    libraries=$(gs_wine32_missing | grep -vx 'wine32:i386' | paste -sd ' ' -)
    if ! gs_runs_32bit_code "$GS_ROOT/build"; then
      reason=$gs_ia32_reason
    elif [ ! -x "$GS_WINE_LOADER32" ]; then
      reason="the 32-bit Wine (wine32:i386) is not installed; scripts/setup says why"
    elif [ -n "$libraries" ]; then
      # Without them the 32-bit Wine sees two heads as one monitor and runs without raw input.
      reason="the 32-bit Wine's X libraries are not installed ($libraries); scripts/setup says why"
    elif ! "$GS_WINE_LOADER32" --version >"$probe_log" 2>&1; then
      reason="the 32-bit Wine loader $GS_WINE_LOADER32 does not start (see $probe_log)"
    fi
  fi
  if [ -z "$reason" ]; then
    _gs_select i686 "$use"
    if _gs_prefix_up && _gs_probe_i686 "$probe_log"; then
      GS_WINE_ERROR=""
    else
      _gs_server_down
      reason="the i686 probe does not run under $GS_WINE (see $probe_log)"
    fi
  fi
  if [ -n "$reason" ] && [ "${GEARSHIFT_WINE_ARCH:-}" = i686 ]; then
    _gs_fail "GEARSHIFT_WINE_ARCH=i686, but $reason"
    return 1
  fi

  if [ -z "$reason" ]; then
    export GS_WINE_NOTE="i686"
  else
    _gs_select x86_64 "$use"
    export GS_WINE_NOTE="x86_64 twin: $reason"
    _gs_prefix_up || return 1
  fi
  GS_WINE_ERROR=""
  _gs_hold_desktop
  if [ "$use" = two-heads ] && ! _gs_xorg_two_heads_seen; then
    return 1
  fi
  echo "wine-harness: running $GS_WINE_BUILD ($GS_WINE_NOTE) in $WINEPREFIX"
}

# For a run that left its programs behind on purpose (the live demo): selects the build and prefix of
# that use without starting anything, and names its server in GS_WINESERVER. Fails when no prefix of
# that use exists.
wine_harness_attach() {
  local use=$1 arch
  for arch in i686 x86_64; do
    _gs_select "$arch" "$use"
    if [ -d "$WINEPREFIX" ]; then
      export GS_WINESERVER=$_gs_wineserver
      return 0
    fi
  done
  _gs_fail "no Wine prefix of the $use use under ${GS_WINEPREFIX:-$GS_ROOT/build}"
}

# Leaves the programs of this run and its server running when the script ends (the live demo).
wine_harness_leave_running() {
  _gs_wineserver_pid=""
  _gs_unlock_prefix
  trap - EXIT
}
