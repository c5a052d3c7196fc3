# Sourced by wine-harness.sh: an Xorg server with the dummy video driver and two heads side by side,
# for the tests that need two monitors where they really are (Xvfb's +xinerama puts every screen at 0,0).
# The primary head is 1920x1080, the second 1280x1024 right of it; Xinerama joins them into one screen,
# which Wine reads as two monitors, 0,0,1920,1080 and 1920,0,3200,1024.

# _gs_xorg_two_heads_start <display number> <folder for its files> <log>: starts it in the background and
# sets _gs_xvfb_pid to its process id (the harness ends it as it ends Xvfb).
_gs_xorg_two_heads_start() {
  local n=$1 dir=$2 log=$3
  mkdir -p "$dir/conf.d"
  cat >"$dir/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "Xinerama" "true"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "card0"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Device"
  Identifier "card1"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Monitor"
  Identifier "monitor0"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
  Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125
EndSection
Section "Monitor"
  Identifier "monitor1"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
  Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066
EndSection
Section "Screen"
  Identifier "screen0"
  Device "card0"
  Monitor "monitor0"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1920x1080"
    Virtual 1920 1080
  EndSubSection
EndSection
Section "Screen"
  Identifier "screen1"
  Device "card1"
  Monitor "monitor1"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1280x1024"
    Virtual 1280 1024
  EndSubSection
EndSection
Section "ServerLayout"
  Identifier "two-heads"
  Screen 0 "screen0"
  Screen 1 "screen1" RightOf "screen0"
EndSection
CONF
  "${_gs_pin[@]}" Xorg ":$n" -config "$dir/xorg.conf" -configdir "$dir/conf.d" -logfile "$log.xorg" -noreset \
    -nolisten tcp >"$log" 2>&1 &
  _gs_xvfb_pid=$!
}

# Wine 8's desktop process crashes enumerating the second head through XVidMode; without it Wine reads
# the heads through Xinerama alone. A desktop that started before this setting keeps one monitor, as
# wide as the primary, for its life (the harness starts the server anew after setting it).
_gs_xorg_two_heads_configure_prefix() {
  "$GS_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXVidMode /t REG_SZ /d N /f
}

_gs_xorg_two_heads_prefix_configured() {
  "$GS_WINE" reg query 'HKCU\Software\Wine\X11 Driver' /v UseXVidMode 2>/dev/null | tr -d '\r' |
    grep -Eq 'UseXVidMode[[:space:]]+REG_SZ[[:space:]]+N$'
}

# True when Wine, asked the way the program asks (EnumDisplayMonitors, through the probe), sees the two
# heads where they are; otherwise fails the harness at once, naming what it sees: a test that went on
# would fail later on a placement that only looks like the program's fault.
_gs_xorg_two_heads_seen() {
  local probe=$GS_ROOT/$GS_WINE_BUILD/tests/support/wine_probe.exe seen expected
  expected=$'0,0,1920,1080 primary\n1920,0,3200,1024'
  [ -f "$probe" ] || { _gs_fail "no $probe to ask Wine for its monitors (scripts/build)"; return 1; }
  seen=$("${_gs_pin[@]}" "$GS_WINE" "$probe" monitors 2>>"$GS_LOGS/wine-probe-two-heads.log" | tr -d '\r' | sort)
  [ "$seen" = "$expected" ] && return 0
  local count
  count=$(grep -c . <<<"$seen")
  if [ "$count" -eq 1 ]; then
    local cause="Wine's desktop needs UseXVidMode=N"
    [ "$GS_WINE_ARCH" != i686 ] || cause="the 32-bit Wine needs libxinerama1:i386 (scripts/setup) and $cause"
    _gs_fail "Wine sees one monitor: $(paste -sd ';' - <<<"$seen") (expected two heads:" \
      "$(paste -sd ';' - <<<"$expected")); $cause"
  else
    _gs_fail "Wine sees $count monitors: $(paste -sd ';' - <<<"$seen") (expected $(paste -sd ';' - <<<"$expected"))"
  fi
  return 1
}
