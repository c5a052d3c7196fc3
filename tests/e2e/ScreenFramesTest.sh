#!/usr/bin/env bash
# End-to-end, judged by what reaches the screen: the shipped folder resident under Wine, three hot keys
# pressed through XTest (the X input path, so through the real keyboard hook), and the screen's pixels
# watched by the native frame probe. Across the three showings, no frame may show anything but the
# desktop, the backdrop and the movie: no flash of the window's plain colour, no empty window; and each
# showing covers the whole screen, the user's focused window too.
#
# Run by ctest inside the Wine harness (DISPLAY, WINEPREFIX, GS_WINE and GS_DIST come from it), with
# GS_FRAMEPROBE naming the probe of the native build and GS_KBDHELPER the runner's keyboard helper.
set -uo pipefail

fail() {
  echo "FAILED: $*"
  exit 1
}

probe=${GS_FRAMEPROBE:-}
[ -x "$probe" ] || fail "no frame probe at '$probe' (it is built by the native preset: scripts/build native)"
[ -f "${GS_KBDHELPER:-}" ] || fail "no keyboard helper at '${GS_KBDHELPER:-}'"
[ -n "${GS_WINE:-}" ] && [ -d "${GS_DIST:-}" ] && [ -n "${DISPLAY:-}" ] ||
  fail "GS_WINE, GS_DIST and DISPLAY must come from the Wine harness"

work=$(mktemp -d)
pids=()
cleanup() {
  "$GS_WINE" "$GS_DIST/gsctl.exe" close >/dev/null 2>&1
  "$GS_WINE" "$GS_DIST/nksyssvr.exe" stop >/dev/null 2>&1
  local pid deadline=$((SECONDS + 10))
  for pid in "${pids[@]}"; do
    while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
journal=$work/journal.txt
cp "$GS_DIST/bios.txt" "$work/bios.txt"
export GEARSHIFT_JOURNAL NKACPI_BIOS
GEARSHIFT_JOURNAL=$(windows_path "$journal")
NKACPI_BIOS=$(windows_path "$work/bios.txt")

# wait_for <file> <extended regex> <what>: until the file has such a line, 60 s at most.
wait_for() {
  local deadline=$((SECONDS + 60))
  until grep -Eq "$2" "$1" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "$3"
    sleep 0.1
  done
}

(cd "$GS_DIST" && exec "$GS_WINE" nksyssvr.exe) >"$work/service.log" 2>&1 &
pids+=($!)
wait_for "$journal" ' svc start' "the service did not start"
(cd "$GS_DIST" && exec "$GS_WINE" GearShift.exe) >"$work/program.log" 2>&1 &
pids+=($!)
wait_for "$journal" ' hook hook' "the program did not install its keyboard hook"
# Keys from outside Wine reach the window that has the focus: one of ours stands for the user's work.
"$GS_WINE" "$GS_KBDHELPER" focus >"$work/focus.log" 2>&1 &
pids+=($!)
wait_for "$work/focus.log" '^focus ' "the focus window did not come up"

"$probe" --keys ctrl+alt+a,ctrl+alt+b,ctrl+alt+c --showings 3 --gap 300 --timeout 15000 >"$work/probe.txt" 2>&1
status=$?
cat "$work/probe.txt"
[ $status -eq 0 ] || fail "a showing did not appear on the screen, or did not go (probe exit $status)"
delivered=$(grep -c ' hook deliver ' "$journal")
[ "$delivered" -eq 3 ] || fail "the hook delivered $delivered hot keys, not 3"
grep -qx 'showings 3 foreign 0' "$work/probe.txt" ||
  fail "frames that are neither the desktop, the backdrop nor the movie reached the screen (see above)"
# The OSD covers the whole screen, the window that has the focus included.
[ "$(grep -c ' uncovered 0$' "$work/probe.txt")" -eq 3 ] ||
  fail "a showing left part of the screen uncovered: the desktop or the user's window in front of the OSD"
echo "passed: three showings, the desktop, the backdrop and the movie only"
