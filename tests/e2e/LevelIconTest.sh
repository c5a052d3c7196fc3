#!/usr/bin/env bash
# End-to-end in Wine's shell desktop (a taskbar with its notification area): the level's icon, judged
# by the screen's pixels at the taskbar's right end, the journal, the popup menu's window and the
# program's exit code:
#   - LevelIcon absent or 0: no icon, and a showing calls the BIOS as it always has (one read);
#   - LevelIcon 1, set while the program runs: the icon comes with the next showing, and its picture
#     differs for each level;
#   - a right click opens the menu with the level in force checked; a click elsewhere closes it and
#     leaves nobody's focus with the program; choosing a level does what its hot key does (the write,
#     the configuration window told, the OSD);
#   - the keyboard's way in (the shell's events for Enter and for the menu key), "Show the level";
#   - the shell losing the icon and announcing itself anew ("TaskbarCreated"): the icon comes back;
#   - "Exit" ends the program with 0 and takes the icon away; a close request while the menu is open
#     ends it too.
#
# Run by ctest (label e2e); it brings up a Wine harness of its own (the shell use, in a prefix of its
# own), so it needs nothing from the caller's.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=ScriptSupport.sh
source "$(dirname "${BASH_SOURCE[0]}")/ScriptSupport.sh"
fail() {
  echo "FAILED: $*"
  [ -z "${journal:-}" ] || { echo "--- journal"; tail -n 40 "$journal"; }
  # What the screen showed, kept for a look.
  if [ -n "${work:-}" ]; then
    mkdir -p "$root/build/level-icon-test-failed" && cp "$work"/*.png "$root/build/level-icon-test-failed/" 2>/dev/null &&
      echo "--- the pictures are in build/level-icon-test-failed/"
  fi
  exit 1
}
command -v import >/dev/null && command -v compare >/dev/null || fail "ImageMagick is missing (scripts/setup)"
command -v xdotool >/dev/null || fail "xdotool is missing (scripts/setup)"

script_workspace level-icon-test

wine_harness_up shell >"$work/harness.log" 2>&1 || fail "the Wine harness in the shell desktop: $(cat "$work/harness.log")"
helpers=$root/$GS_WINE_BUILD/tests/e2e
cp "$GS_DIST/bios.txt" "$work/bios.txt"
NKACPI_BIOS=$(winpath "$work/bios.txt")

count() { grep -Ec "$1" "$journal" 2>/dev/null || true; }
more_than() { [ "$(count "$1")" -gt "$2" ]; }
key='HKLM\SOFTWARE\NORVIK\TUNEDECK_II\Gear Shift'
set_icon() { "$GS_WINE" reg add "$key" /v LevelIcon /t REG_DWORD /d "$1" /reg:32 /f >/dev/null 2>&1 || fail "cannot set LevelIcon"; }
"$GS_WINE" reg delete "$key" /v LevelIcon /reg:32 /f >/dev/null 2>&1 || true
tray() { "$GS_WINE" "$helpers/trayhelper.exe" "$@" 2>>"$work/trayhelper.err" | tr -d '\r'; }

# The taskbar's right end, where the shell puts the newest icon, and the icon's middle.
area=120x18+1800+1062
icon_x=1910 icon_y=1070
# The pointer away from the taskbar, so that no tooltip covers what is read.
away() { xdotool mousemove 960 400; }
shot() {
  away
  import -window root -crop "$area" +repage "$1" 2>/dev/null || fail "cannot read the screen"
}
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
shows_like() {
  shot "$work/now.png"
  same "$work/now.png" "$1"
}
differs_from() { ! shows_like "$1"; }

# A showing, its end awaited (both call-outs of its movie and the OSD hidden again).
ended_after() {
  wait_until 30 "the showing did not end ($2)" more_than ' flash callout ' $(($1 + 1))
  wait_until 30 "the OSD stayed ($2)" bash -c "\"$GS_WINE\" \"$GS_DIST/gsctl.exe\" status 2>/dev/null | grep -q ' osd=hidden '"
}
hotkey() {
  local before
  before=$(count ' flash callout ')
  "$GS_WINE" "$GS_DIST/gsctl.exe" hotkey "$1" >/dev/null 2>&1 || fail "gsctl hotkey $1"
  ended_after "$before" "hot key $1"
}

# The menu's items from its window: the levels' rows from the bottom up ("Exit", "Show the level",
# a separator, then the levels), each row of Wine's menus 17 pixels.
menu_rect() {
  local line
  line=$(tray menu 10000 | grep '^menu ') || return 1
  IFS=, read -r menu_l menu_t menu_r menu_b <<<"${line#menu }"
}
exit_y() { echo $((menu_b - 13)); }
show_y() { echo $((menu_b - 30)); }
level_y() { echo $((menu_b - 55 - 17 * (2 - $1))); }  # for an item of three levels
# The radio mark of a checked row: dark pixels left of its text.
checked() {
  local y=$1 min
  import -window root -crop "7x5+$((menu_l + 7))+$((y - 2))" +repage "$work/mark.png" 2>/dev/null
  min=$(convert "$work/mark.png" -colorspace gray -format "%[fx:int(255*minima)]" info:)
  [ "$min" -lt 96 ]
}
open_menu_by_click() {
  xdotool mousemove $icon_x $icon_y click 3
  menu_rect || fail "no menu after a right click on the icon ($1)"
}
choose() {
  xdotool mousemove $((menu_l + 30)) "$1" sleep 0.3 click 1
  tray nomenu 10000 >/dev/null || fail "the menu stayed open after a choice ($2)"
}

sleep 2
shot "$work/bare.png"

(cd "$GS_DIST" && exec "$GS_WINE" nksyssvr.exe) >"$work/service.log" 2>&1 &
wait_until 60 "the service did not start" grep -q ' svc start' "$journal"
(cd "$GS_DIST" && exec "$GS_WINE" gearmain.exe) >"$work/gearmain.log" 2>&1 &
(cd "$GS_DIST" && exec "$GS_WINE" GearShift.exe) >"$work/program.log" 2>&1 &
program=$!
wait_until 60 "the program did not register" grep -q ' svc register ' "$journal"

# 1. No value, then 0: no icon, and one BIOS read per showing, as ever.
hotkey 0x5000041
# Waited for, so that a passing tooltip or redraw is not taken for an icon; one that is there stays.
wait_until 5 "an icon is shown without LevelIcon" shows_like "$work/bare.png"
[ "$(count 'acpi read ')" -eq 1 ] || fail "without LevelIcon a showing read the BIOS $(count 'acpi read ') times"
set_icon 0
hotkey 0x5000042
wait_until 5 "an icon is shown with LevelIcon 0" shows_like "$work/bare.png"
[ "$(count 'acpi read ')" -eq 2 ] || fail "with LevelIcon 0 two showings read the BIOS $(count 'acpi read ') times"

# 2. Turned on while the program runs: there by the next showing; one picture per level.
set_icon 1
hotkey 0x5000043
wait_until 10 "no icon at the taskbar's right end after LevelIcon 1 and a showing" differs_from "$work/bare.png"
shot "$work/level2.png"
hotkey 0x5000041
shot "$work/level0.png"
hotkey 0x5000042
shot "$work/level1.png"
! same "$work/level0.png" "$work/level1.png" && ! same "$work/level1.png" "$work/level2.png" &&
  ! same "$work/level0.png" "$work/level2.png" || fail "the icon does not tell the three levels apart"

# 3. The menu by a right click: level 1 checked, and only it.
open_menu_by_click "right click"
checked "$(level_y 1)" && ! checked "$(level_y 0)" && ! checked "$(level_y 2)" ||
  fail "the menu does not check the level in force (1): menu $menu_l,$menu_t,$menu_r,$menu_b"
# A click elsewhere closes it, and the program keeps nobody's focus.
xdotool mousemove 700 300 click 1
tray nomenu 10000 >/dev/null || fail "a click elsewhere did not close the menu"
[ "$(tray foreground)" != GearShiftLevelIcon ] || fail "the icon's window kept the foreground after its menu"

# 4. A level from the menu is that level's hot key: the write, the configuration window, the OSD.
writes=$(count 'acpi write 0x80001 2 ') told=$(count 'companion message 0x7ed 99 99') before=$(count ' flash callout ')
turbo=$(count 'changeLabel.*Turbo')
open_menu_by_click "choosing Turbo"
choose "$(level_y 2)" "Turbo"
wait_until 30 "choosing Turbo did not write level 2" more_than 'acpi write 0x80001 2 3 ok' "$writes"
wait_until 30 "choosing Turbo did not tell the configuration window" more_than 'companion message 0x7ed 99 99' "$told"
wait_until 30 "choosing Turbo did not show it" more_than 'changeLabel.*Turbo' "$turbo"
ended_after "$before" "Turbo from the menu"
shows_like "$work/level2.png" || fail "the icon does not show level 2 after it was chosen from the menu"

# 5. The keyboard's way in: the shell's event for Enter or Space opens the menu; "Show the level" announces
# without writing; the menu key's event opens it too.
writes=$(count 'acpi write ') labels=$(count 'changeLabel') before=$(count ' flash callout ')
tray event 0x401 >/dev/null || fail "cannot tell the icon of a key"
menu_rect || fail "no menu after the shell's event for Enter"
choose "$(show_y)" "Show the level"
wait_until 30 "\"Show the level\" did not show it" more_than 'changeLabel' "$labels"
ended_after "$before" "Show the level"
[ "$(count 'acpi write ')" -eq "$writes" ] || fail "\"Show the level\" wrote a level"
tray event 0x7b >/dev/null || fail "cannot tell the icon of the menu key"
menu_rect || fail "no menu after the shell's event for the menu key"
xdotool mousemove 700 300 click 1
tray nomenu 10000 >/dev/null || fail "the menu opened by the menu key did not close"

# 6. The shell loses the icon and starts anew: "TaskbarCreated" brings it back.
tray drop >/dev/null || fail "the shell did not let the icon go"
wait_until 10 "the icon did not go when the shell lost it" shows_like "$work/bare.png"
tray taskbarcreated >/dev/null || fail "cannot broadcast TaskbarCreated"
wait_until 10 "the icon did not come back with TaskbarCreated" shows_like "$work/level2.png"

# 7. "Exit": the program ends with 0, unregistered, and the icon goes.
open_menu_by_click "Exit"
choose "$(exit_y)" "Exit"
wait "$program"
code=$?
[ "$code" -eq 0 ] || fail "\"Exit\" ended the program with $code"
grep -q ' svc unregister ' "$journal" || fail "\"Exit\" did not unregister from the service"
wait_until 10 "the icon stayed after \"Exit\"" shows_like "$work/bare.png"

# 8. On from the start: the icon is there at once; a close request while its menu is open ends the
# program all the same.
(cd "$GS_DIST" && exec "$GS_WINE" GearShift.exe) >"$work/program2.log" 2>&1 &
program=$!
wait_until 30 "no icon at start-up with LevelIcon 1" shows_like "$work/level2.png"
open_menu_by_click "close while open"
"$GS_WINE" "$GS_DIST/gsctl.exe" close --wait >/dev/null 2>&1 || fail "a close request while the menu was open did not end the program"
wait "$program"
code=$?
[ "$code" -eq 0 ] || fail "the close request ended the program with $code"
wait_until 10 "the icon stayed after the close request" shows_like "$work/bare.png"

"$GS_WINE" reg delete "$key" /v LevelIcon /reg:32 /f >/dev/null 2>&1 || true
"$GS_WINE" "$GS_DIST/nksyssvr.exe" stop >/dev/null 2>&1
echo "passed: no icon unless LevelIcon 1; the icon per level, its menu by mouse and by key, a level and \"Show the level\" from it, back with TaskbarCreated, gone with \"Exit\" and a close"
