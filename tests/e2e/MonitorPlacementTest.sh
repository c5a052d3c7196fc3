#!/usr/bin/env bash
# End-to-end on two monitors: an Xorg server with the dummy driver and two heads side by side (the
# primary 1920x1080, a 1280x1024 right of it), which Wine reads as 0,0,1920,1080 and 1920,0,3200,1024.
# Judged by window state (gsctl status), the journal, the screen's pixels and what a full-screen program
# of another process says happened to it:
#   - with no value set, the OSD covers the primary monitor;
#   - OsdMonitor 2 puts it on the monitor under the pointer, the movie placed by its rule on that size;
#   - a full-screen program (a top-most caption-less popup over the primary monitor, holding the
#     foreground) is shown over by default, skipped without a picture with OsdOverFullScreen 1 (the level
#     still written, the configuration window told, the screen reader's event heard with the level's
#     text, the next hot key taken at once), and left alone for the other monitor with OsdOverFullScreen
#     2; ShowOsd 0 never shows. The program never loses the foreground, the focus, its place or its
#     size, and is never deactivated or minimised;
#   - the shell's desktop in front (a stand-in: a Progman shell window and a caption-less WorkerW of its
#     process as large as the virtual screen, holding the foreground) is no full-screen program.
#
# Run by ctest (label e2e); it brings up a Wine harness of its own (the two-heads use, in a prefix of its
# own), so it needs nothing from the caller's.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=ScriptSupport.sh
source "$(dirname "${BASH_SOURCE[0]}")/ScriptSupport.sh"
fail() {
  echo "FAILED: $*"
  [ -z "${journal:-}" ] || { echo "--- journal"; tail -n 40 "$journal"; }
  [ -z "${game_out:-}" ] || { echo "--- full-screen program"; cat "$game_out"; }
  exit 1
}
command -v Xorg >/dev/null || fail "Xorg is missing (scripts/setup installs xserver-xorg-core)"
[ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] || fail "the dummy video driver is missing (scripts/setup)"
command -v import >/dev/null && command -v convert >/dev/null || fail "ImageMagick is missing (scripts/setup)"

script_workspace monitor-test

wine_harness_up two-heads >"$work/harness.log" 2>&1 || fail "the Wine harness on two heads: $(cat "$work/harness.log")"
helpers=$root/$GS_WINE_BUILD/tests/e2e
cp "$GS_DIST/bios.txt" "$work/bios.txt"
NKACPI_BIOS=$(winpath "$work/bios.txt")

count() { grep -Ec "$1" "$journal" 2>/dev/null || true; }
more_than() { [ "$(count "$1")" -gt "$2" ]; }
status() { "$GS_WINE" "$GS_DIST/gsctl.exe" status 2>/dev/null | tr -d '\r'; }
status_has() { status | grep -q -- "$1"; }
key='HKLM\SOFTWARE\NORVIK\TUNEDECK_II\Gear Shift'
set_value() { "$GS_WINE" reg add "$key" /v "$1" /t REG_DWORD /d "$2" /reg:32 /f >/dev/null 2>&1 || fail "cannot set $1"; }
clear_values() {
  local name
  for name in OsdMonitor OsdOverFullScreen ShowOsd; do
    "$GS_WINE" reg delete "$key" /v "$name" /reg:32 /f >/dev/null 2>&1 || true
  done
}
border="255 138 42"  # the border colour of Resource/GearProfileOn.swf
green="0 200 0"      # the full-screen program's colour

# A showing from the hot key for level 0, its intro's call-out awaited: the label is fully shown.
showing() {
  local before
  before=$(count ' flash callout ')
  "$GS_WINE" "$GS_DIST/gsctl.exe" hotkey 0x5000041 >/dev/null 2>&1 || fail "gsctl hotkey ($1)"
  wait_until 30 "no showing ($1)" more_than ' flash callout ' "$before"
}
# Until the showing on the screen has ended.
ended() { wait_until 30 "the showing did not end ($1)" status_has ' osd=hidden '; }

clear_values
(cd "$GS_DIST" && exec "$GS_WINE" nksyssvr.exe) >"$work/service.log" 2>&1 &
wait_until 60 "the service did not start" grep -q ' svc start' "$journal"
(cd "$GS_DIST" && exec "$GS_WINE" gearmain.exe) >"$work/gearmain.log" 2>&1 &
(cd "$GS_DIST" && exec "$GS_WINE" GearShift.exe) >"$work/program.log" 2>&1 &
wait_until 60 "the program did not register" grep -q ' svc register ' "$journal"

# 1. No value set: the primary monitor, as ever.
showing "no value set"
line=$(status)
[[ "$line" == *" osd=visible osdrect=0,0,1920,1080 "*" last=shown monitor=0,0,1920,1080" ]] ||
  fail "with no value set the OSD is not on the primary monitor: $line"
ended "no value set"

# 1b. Values out of range or of another type are their defaults: still the primary, still shown, though
# the pointer is on the other monitor.
"$GS_WINE" "$helpers/kbdhelper.exe" pointer 2500 500 >/dev/null || fail "cannot move the pointer"
set_value OsdMonitor 7
"$GS_WINE" reg add "$key" /v ShowOsd /t REG_SZ /d 0 /reg:32 /f >/dev/null 2>&1 || fail "cannot set ShowOsd"
"$GS_WINE" reg add "$key" /v OsdOverFullScreen /t REG_QWORD /d 1 /reg:32 /f >/dev/null 2>&1 ||
  fail "cannot set OsdOverFullScreen"
showing "invalid values"
line=$(status)
[[ "$line" == *" osd=visible osdrect=0,0,1920,1080 "*" last=shown monitor=0,0,1920,1080" ]] ||
  fail "invalid values do not mean the defaults: $line"
ended "invalid values"
clear_values

# 2. The monitor under the pointer, right of the primary: the movie placed on its size from its corner.
set_value OsdMonitor 2
"$GS_WINE" "$helpers/kbdhelper.exe" pointer 2600 600 >/dev/null || fail "cannot move the pointer"
showing "the pointer's monitor"
line=$(status)
[[ "$line" == *" osd=visible osdrect=1920,0,3200,1024 "*" last=shown monitor=1920,0,3200,1024" ]] ||
  fail "the OSD is not on the pointer's monitor: $line"
import -window root "$work/pointer.png" || fail "cannot read the screen"
# 400 x 650 on 1280 x 1024: x = 440, y = (1024 - 650 * 0.67) / 2 = 294, from the monitor's corner.
mx=$((1920 + 440)) my=294
near "$(pixel "$work/pointer.png" $((mx + 1)) $((my + 325)))" "$border" ||
  fail "the panel's left edge is not at $((mx + 1)),$((my + 325)) on the second monitor"
! near "$(pixel "$work/pointer.png" $((mx - 3)) $((my + 325)))" "$border" ||
  fail "the panel reaches left of $mx on the second monitor"
near "$(pixel "$work/pointer.png" $((mx + 200)) $((my + 1)))" "$border" ||
  fail "the panel's top edge is not at $((mx + 200)),$((my + 1)) on the second monitor"
ended "the pointer's monitor"
clear_values

# 3. A full-screen program of another process over the primary monitor, holding the foreground.
game_out=$work/game.txt
"$GS_WINE" "$helpers/fullscreenapp.exe" 0 0 1920 1080 >"$game_out" 2>"$work/game.err" &
game_pid=$!
wait_until 30 "the full-screen program did not take the foreground: $(cat "$work/game.err")" \
  grep -q '^ready' "$game_out"
undisturbed() { ! grep -Eq 'deactivated|lost-focus|minimised|lost-foreground|moved' "$game_out"; }

# 3a. By default the OSD shows over it, and it keeps the foreground.
showing "over a full-screen program"
line=$(status)
[[ "$line" == *" osd=visible osdrect=0,0,1920,1080 "*" last=shown monitor=0,0,1920,1080" ]] ||
  fail "by default the OSD does not show over the full-screen program: $line"
ended "over a full-screen program"
undisturbed || fail "the full-screen program was disturbed by a showing over it: $(cat "$game_out")"

# 3b. OsdOverFullScreen 1: no picture, all the rest of the showing.
set_value OsdOverFullScreen 1
"$GS_WINE" "$helpers/srlistener.exe" >"$work/listener.txt" 2>"$work/listener.err" &
wait_until 30 "the listener did not hook" grep -q '^ready' "$work/listener.txt"
writes=$(count 'acpi write ') told=$(count 'companion message 0x7ed 99 99') shown=$(count 'flash visible 0x[0-9a-f]+ 1')
calls=$(count ' flash call ')
"$GS_WINE" "$GS_DIST/gsctl.exe" hotkey 0x5000043 >/dev/null 2>&1 || fail "gsctl hotkey (no picture)"
wait_until 30 "without a picture the level was not written" more_than 'acpi write 0x80001 2 ' 0
wait_until 30 "without a picture the configuration window was not told" more_than 'companion message 0x7ed 99 99' "$told"
wait_until 30 "without a picture the screen reader heard nothing" grep -q 'Turbo' "$work/listener.txt"
line=$(status)
[[ "$line" == *" osd=hidden "*" last=no-picture-fullscreen monitor=0,0,1920,1080" ]] ||
  fail "the showing without a picture is not reported so: $line"
# At once the next hot key is taken: nothing was left busy.
"$GS_WINE" "$GS_DIST/gsctl.exe" hotkey 0x5000042 >/dev/null 2>&1 || fail "gsctl hotkey (the next)"
wait_until 30 "the hot key after a showing without a picture was dropped" more_than 'acpi write 0x80001 1 ' 0
wait_until 30 "the second showing without a picture was not heard" grep -q 'Balanced' "$work/listener.txt"
[ "$(count 'acpi write ')" -eq $((writes + 2)) ] || fail "two hot keys did not write twice"
[ "$(count 'flash visible 0x[0-9a-f]+ 1')" -eq "$shown" ] || fail "a player window was shown without a picture"
[ "$(count ' flash call ')" -eq "$calls" ] || fail "the movie was asked for something without a picture"
status_has ' osd=hidden ' || fail "the OSD window was shown without a picture: $(status)"
import -window root "$work/nopicture.png" || fail "cannot read the screen"
near "$(pixel "$work/nopicture.png" 960 540)" "$green" 12 || fail "the full-screen program is not on the screen"
undisturbed || fail "the full-screen program was disturbed by a showing without a picture: $(cat "$game_out")"

# 3c. OsdOverFullScreen 2: on the monitor the program leaves free; the program stays in full view.
set_value OsdOverFullScreen 2
showing "the other monitor"
line=$(status)
[[ "$line" == *" osd=visible osdrect=1920,0,3200,1024 "*" last=shown monitor=1920,0,3200,1024" ]] ||
  fail "the OSD is not on the monitor the full-screen program leaves free: $line"
import -window root "$work/other.png" || fail "cannot read the screen"
for at in "5 5" "960 540" "1914 1074" "1900 300"; do
  read -r x y <<<"$at"
  near "$(pixel "$work/other.png" "$x" "$y")" "$green" 12 || fail "the full-screen program is covered at $x,$y"
done
near "$(pixel "$work/other.png" $((1920 + 440 + 1)) $((294 + 325)))" "$border" ||
  fail "the movie is not on the second monitor"
ended "the other monitor"
undisturbed || fail "the full-screen program was disturbed by a showing on the other monitor: $(cat "$game_out")"

# 3d. ShowOsd 0: never a picture.
set_value ShowOsd 0
told=$(count 'companion message 0x7ed 99 99')
"$GS_WINE" "$GS_DIST/gsctl.exe" hotkey 0x5000041 >/dev/null 2>&1 || fail "gsctl hotkey (off)"
wait_until 30 "with ShowOsd 0 the configuration window was not told" more_than 'companion message 0x7ed 99 99' "$told"
line=$(status)
[[ "$line" == *" osd=hidden "*" last=off "* ]] || fail "with ShowOsd 0 the showing is not reported off: $line"
undisturbed || fail "the full-screen program was disturbed: $(cat "$game_out")"
clear_values
kill "$game_pid" 2>/dev/null
wait "$game_pid" 2>/dev/null
game_out=

# 4. The shell's desktop in front, as after "Show desktop" or a click on it: a caption-less WorkerW window
# of the shell window's process as large as the virtual screen. It is no full-screen program.
set_value OsdOverFullScreen 1
desktop_out=$work/desktop.txt
"$GS_WINE" "$helpers/fullscreenapp.exe" desktop >"$desktop_out" 2>"$work/desktop.err" &
wait_until 30 "the shell's desktop did not take the foreground: $(cat "$work/desktop.err")" \
  grep -q '^ready' "$desktop_out"
showing "the shell's desktop in front"
line=$(status)
[[ "$line" == *" osd=visible osdrect=0,0,1920,1080 "*" last=shown monitor=0,0,1920,1080" ]] ||
  fail "with the shell's desktop in front the OSD is not shown: $line"
ended "the shell's desktop in front"
clear_values

"$GS_WINE" "$GS_DIST/gsctl.exe" close >/dev/null 2>&1
"$GS_WINE" "$GS_DIST/nksyssvr.exe" stop >/dev/null 2>&1
echo "passed: the OSD on the primary, on the pointer's monitor, over, beside and without a picture for a full-screen program, and over the shell's desktop"
