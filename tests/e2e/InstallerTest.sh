#!/usr/bin/env bash
# End-to-end, the Windows Installer package: built from installer/GearShift.wxs and the i686 program
# folder, installed, upgraded and removed by Wine's msiexec in a fresh prefix of its own, which is
# deleted afterwards. The product is i686 only: where this machine runs no 32-bit code the check is
# skipped (exit 77).
#
#   1. msiexec /i /qn: the files are in place, the Run value names the installed GearShift.exe, the
#      hot-key codes are not written, and nothing was started.
#   2. The installed service and program, started from the installed folder (made read-only, with no
#      NKACPI_BIOS), answer "gsctl hotkey 0x5000041" with a full announcement in the journal: the level
#      is written to the user's copy of bios.txt under the local application data and read back, and the
#      installed bios.txt is unchanged.
#   3. A package of a higher version, installed with a (reduced) user interface, replaces the first:
#      the running copy is closed through its close request, one entry of the new version is
#      registered, and the install starts the program again.
#   4. msiexec /x /qn: the program and the service have ended; no file of the install is left under
#      drive_c, no Run value, no uninstall entry, no product or upgrade-code registration, no registry
#      line naming the install folder or the product; a hot-key value set before is still there.
#
# Run by ctest (label e2e); it brings up its own Wine harness, so it needs nothing from the caller's.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=ScriptSupport.sh
source "$(dirname "${BASH_SOURCE[0]}")/ScriptSupport.sh"
skip() {
  echo "SKIPPED: $*"
  exit 77
}
fail() {
  echo "FAILED: $*"
  exit 1
}

[ "${GEARSHIFT_WINE_ARCH:-}" != x86_64 ] || skip "GEARSHIFT_WINE_ARCH=x86_64: the package is i686 only"
# shellcheck source=../../scripts/lib/ia32.sh
source "$root/scripts/lib/ia32.sh"
gs_runs_32bit_code || skip "$gs_ia32_reason; the package is i686 only"
[ -x /usr/lib/wine/wine ] || skip "the 32-bit Wine (wine32:i386) is not installed; the package is i686 only"
/usr/lib/wine/wine --version >/dev/null 2>&1 || skip "the 32-bit Wine loader does not start; the package is i686 only"
command -v wixl >/dev/null && command -v msiinfo >/dev/null || fail "wixl and msiinfo are missing (scripts/setup)"
[ -f "$root/build/win32/dist/GearShift.exe" ] || fail "no build/win32/dist (scripts/build win32)"

work=$(mktemp -d "$root/build/installer-test.XXXXXX")
export GS_WINEPREFIX=$work
# shellcheck source=../../scripts/lib/wine-harness.sh
source "$root/scripts/lib/wine-harness.sh"
# shellcheck source=../../scripts/lib/msi.sh
source "$root/scripts/lib/msi.sh"
finish() {
  wine_harness_down
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT TERM

version=$(tr -d ' \r\n' <"$root/VERSION")
IFS=. read -r major minor patch <<<"$version"
newer="$major.$minor.$((patch + 1))"
gs_make_msi "$root/build/win32/dist" "$version" "$work/GearShift-$version.msi" || fail "the package of $version"
gs_make_msi "$root/build/win32/dist" "$newer" "$work/GearShift-$newer.msi" || fail "the package of $newer"

harness=0
wine_harness_up msi >"$work/harness.log" 2>&1 || harness=$?
# The harness's own EXIT trap would leave the folder behind.
trap finish EXIT
[ $harness -eq 0 ] || { cat "$work/harness.log"; fail "the Wine harness did not come up"; }
[ "$GS_WINE_ARCH" = i686 ] || skip "the harness runs the x86_64 twin here ($GS_WINE_NOTE); the package is i686 only"

wine_run() { "$GS_WINE" "$@" 2>/dev/null | tr -d '\r'; }
drive_c=$WINEPREFIX/drive_c
installed="$drive_c/Program Files/NORVIK/TUNEDECK II/Gear Shift"
installed_win='C:\Program Files\NORVIK\TUNEDECK II\Gear Shift'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
hotkey_key='HKLM\SOFTWARE\NORVIK\TUNEDECK_II\Gear Shift'
journal=$work/journal.txt
export GEARSHIFT_JOURNAL
GEARSHIFT_JOURNAL=$(winpath "$journal")

msiexec() { # msiexec <what> <arguments...>: fails the check unless it succeeds, with its log
  local what=$1 log=$work/msiexec-$1.log
  shift
  "$GS_WINE" msiexec "$@" /l*v "$(winpath "$log")" >/dev/null 2>&1 ||
    { tr -d '\r' <"$log" 2>/dev/null | grep -a -i -E 'error|return value 3' | head -n 20; fail "msiexec $*: $what failed"; }
}
journal_has() { grep -Eq "$1" "$journal" 2>/dev/null; }
# Processes of our prefix whose command line names the installed folder's $1.
installed_running() {
  local pid
  for pid in $(pgrep -f -i "Gear Shift.$1" || true); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
not_running() { ! installed_running "$1"; }
# gsctl exits 1 when the program is not running; the line says so all the same.
status() { { "$GS_WINE" "$installed/gsctl.exe" status 2>/dev/null || true; } | tr -d '\r'; }
# Everything under the prefix's registry that could be left of the product: its name, its folder, its
# packed upgrade code (Installer\UpgradeCodes) and its executable.
upgrade_code=$(sed -n 's/.*UpgradeCode="\([0-9A-F-]*\)".*/\1/p' "$root/installer/GearShift.wxs" | head -n 1)
packed=$(echo "$upgrade_code" | awk -F- '{
  s = ""; for (i = 1; i <= 3; i++) { t = ""; for (j = length($i); j > 0; j--) t = t substr($i, j, 1); s = s t }
  for (i = 4; i <= 5; i++) for (j = 1; j < length($i); j += 2) s = s substr($i, j + 1, 1) substr($i, j, 1)
  print s }')
registry_traces() {
  local hive
  for hive in HKLM HKCU; do
    "$GS_WINE" reg export "$hive" "$(winpath "$work/$hive.reg")" /y >/dev/null 2>&1 || return 1
  done
  # reg writes UTF-16.
  cat "$work/HKLM.reg" "$work/HKCU.reg" | iconv -f UTF-16 -t UTF-8 | tr -d '\r' |
    grep -i -F -e 'TUNEDECK II' -e 'GearShift.exe' -e "$packed" -e '"Gear Shift"' -e '"Gear Shift service'
}
files_before=$work/files-before.txt
(cd "$drive_c" && find . -path ./windows/temp -prune -o -path ./users -prune -o -print | LC_ALL=C sort) >"$files_before"

# 1. A quiet install ---------------------------------------------------------------------------------
msiexec install /i "$(winpath "$work/GearShift-$version.msi")" /qn
for file in GearShift.exe gsctl.exe nkacpi.dll NORVIKSERVICE.DLL TapWatch32.dll swfhost.dll nksyssvr.exe \
  gearmain.exe bios.txt Resource/bg_smoke01.png Resource/GearProfileOn.swf Resource/GearProfileOff.swf; do
  cmp -s "$root/build/win32/dist/$file" "$installed/$file" || fail "$installed/$file is not the built one"
done
run=$(wine_run reg query "$run_key" /v "Gear Shift")
grep -qF "\"$installed_win\\GearShift.exe\"" <<<"$run" || fail "the Run value does not name the installed program: $run"
wine_run reg query "$hotkey_key" >/dev/null && fail "the install wrote the hot-key key $hotkey_key"
status | grep -q '^main=none' || fail "a quiet install started the program: $(status)"
registry_traces >/dev/null || fail "the install left no trace the uninstall check could look for"
echo "installed $version quietly into $installed_win; Run: $(grep -o 'REG_SZ.*' <<<"$run")"

# 2. The installed program answers a hot key ---------------------------------------------------------
# As a standard user finds it: the program folder cannot be written, and the simulated BIOS is the
# shipped one, served through the user's own copy.
unset NKACPI_BIOS
chmod -R a-w "$installed"
(cd "$installed" && exec "$GS_WINE" nksyssvr.exe) >"$work/service.log" 2>&1 &
wait_until 30 "the installed service did not start" journal_has ' svc start'
(cd "$installed" && exec "$GS_WINE" GearShift.exe) >"$work/program.log" 2>&1 &
program_pid=$!
wait_until 30 "the installed program did not register with the service" journal_has ' svc register .* ok'
"$GS_WINE" "$installed/gsctl.exe" hotkey 0x5000041 >/dev/null 2>&1 || fail "gsctl hotkey 0x5000041 failed"
wait_until 30 "the announcement did not end" journal_has ' flash visible 0x[0-9a-f]+ 0'
# In the order of the events: each library writes its lines from a thread of its own.
tr -d '\r' <"$journal" | sort -s -n -k1,1 | awk '
  / acpi write 0x[0-9a-f]+ 0 3 ok$/ && s == 0 { s = 1 }
  / acpi read 0x[0-9a-f]+ 0$/ && s == 1 { s = 2 }
  / flash call .*changeLabel/ && s == 2 { s = 3 }
  / flash call .*>show</ && s == 3 { s = 4 }
  / flash visible .* 1$/ && s == 4 { s = 5 }
  / flash callout / && s == 5 { s = 6 }
  / flash call .*>end</ && s == 6 { s = 7 }
  / flash callout / && s == 7 { s = 8 }
  / flash visible .* 0$/ && s == 8 { s = 9 }
  END { if (s != 9) { print "FAILED: the announcement stopped at step " s " of 9 (level 0 written, read back, label, show, up, intro, end, outro, hidden)"; exit 1 } }' ||
  { tr -d '\r' <"$journal" | grep ' acpi '; exit 1; }
copy=$(find "$drive_c/users" -path '*/AppData/Local/GearShift/bios.txt' 2>/dev/null | head -n 1)
[ -n "$copy" ] || fail "no copy of bios.txt under the user's local application data"
grep -q '^item 15 0 : 0x00080001 ' "$copy" || fail "the user's copy $copy does not hold level 0"
cmp -s "$root/build/win32/dist/bios.txt" "$installed/bios.txt" || fail "the installed bios.txt was changed"
chmod -R u+w "$installed"
echo "the installed program wrote level 0 to ${copy#"$drive_c"/}, read it back and announced it in full"

# 3. An upgrade with a user interface ----------------------------------------------------------------
msiexec upgrade /i "$(winpath "$work/GearShift-$newer.msi")" /qr
wait_until 30 "the upgrade did not end the running copy it replaced" eval '! kill -0 $program_pid 2>/dev/null'
wait "$program_pid" 2>/dev/null
wait_until 30 "an install with a user interface did not start the program" eval 'status | grep -q "^main=0x"'
entries=$(wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
  grep -c -E 'DisplayName +REG_SZ +Gear Shift$')
[ "$entries" -eq 1 ] || fail "$entries entries named Gear Shift in the installed programs, not 1"
wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
  grep -A12 -E 'DisplayName +REG_SZ +Gear Shift$' | grep -qE "DisplayVersion +REG_SZ +$newer$" ||
  fail "the installed programs do not list Gear Shift $newer"
cmp -s "$root/build/win32/dist/GearShift.exe" "$installed/GearShift.exe" || fail "no GearShift.exe after the upgrade"
echo "upgraded in place to $newer: one entry, the old copy closed, the new one started: $(status)"

# 4. A quiet uninstall -------------------------------------------------------------------------------
wine_run reg add "$hotkey_key" /v 1 /t REG_DWORD /d 0x03000031 /f >/dev/null || fail "reg add $hotkey_key"
msiexec uninstall /x "$(winpath "$work/GearShift-$newer.msi")" /qn
wait_until 30 "GearShift.exe still runs after the uninstall" not_running GearShift.exe
wait_until 30 "nksyssvr.exe still runs after the uninstall" not_running nksyssvr.exe
# Wine makes the installer's own cache folder at the first install (Windows has it from the start); the
# cached package in it must be gone.
left=$(comm -13 "$files_before" <(cd "$drive_c" && find . -path ./windows/temp -prune -o -path ./users -prune -o -print | LC_ALL=C sort) |
  grep -vxF ./windows/Installer)
[ -z "$left" ] || fail "the uninstall left files under drive_c: $left"
traces=$(registry_traces)
[ -z "$traces" ] || fail "the uninstall left in the registry: $traces"
wine_run reg query "$hotkey_key" /v 1 | grep -qE ' 1 +REG_DWORD +0x3000031$' ||
  fail "the hot-key value set by hand did not survive the uninstall"
echo "uninstalled: program and service ended; no file left under drive_c (but temp and users); no Run value,"
echo "  uninstall entry, product or upgrade-code registration or line naming the folder in HKLM or HKCU;"
echo "  the hot-key value 1 = 0x3000031 is still there"
echo "passed: install, announcement, upgrade and uninstall of the package"
