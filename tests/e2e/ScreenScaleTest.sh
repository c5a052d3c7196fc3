#!/usr/bin/env bash
# End-to-end, judged in pixels: the OSD on screens of 96, 144 and 192 dpi, each on a virtual screen of
# the matching size (1920x1080, 2880x1620, 3840x2160), with Wine's DPI (LogPixels) set to match. One
# showing each; while the label is fully shown, the screen is read and must show
#   - the movie's panel as large as 400 x 650 scaled by DPI / 96, placed by the movie's position rule on
#     the physical screen: its border colour just inside each edge, none of it just outside;
#   - the backdrop up to the screen's far corner (the bare screen is black, the backdrop's corner light);
#   - at 144 dpi, the label's edges as sharp as at 96 dpi (a stretched 96-dpi picture is softer).
# The screenshot of 144 dpi is left as build/logs/osd-144dpi.png.
#
# Run by ctest (label e2e); it brings up Wine harnesses of its own, one per screen, in a prefix of its
# own (build/wineprefix-scale-*), so it needs nothing from the caller's.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=ScriptSupport.sh
source "$(dirname "${BASH_SOURCE[0]}")/ScriptSupport.sh"
fail() {
  echo "FAILED: $*"
  exit 1
}
command -v import >/dev/null && command -v convert >/dev/null || fail "ImageMagick is missing (scripts/setup)"

script_workspace scale-test

journal_has() { grep -Eq "$1" "$journal" 2>/dev/null; }

# The sharpest step between neighbouring pixels of a grey picture, across and down, from 0 to 1000.
sharpest_step() {
  local across down
  across=$(convert "$1" -colorspace Gray \( +clone -roll +1+0 \) -compose Difference -composite \
    -crop "+1+0" +repage -format "%[fx:int(1000*maxima)]" info:)
  down=$(convert "$1" -colorspace Gray \( +clone -roll +0+1 \) -compose Difference -composite \
    -crop "+0+1" +repage -format "%[fx:int(1000*maxima)]" info:)
  echo $((across > down ? across : down))
}

border="255 138 42"  # the border colour of the movie the program shows (Resource/GearProfileOn.swf)
declare -A step

# round <dpi> <width> <height>: one showing on such a screen, checked in its pixels.
round() {
  local dpi=$1 sw=$2 sh=$3
  : >"$journal"
  GS_SCREEN=${sw}x${sh}x24 wine_harness_up scale >"$work/harness-$dpi.log" 2>&1 ||
    fail "the Wine harness for ${sw}x${sh}: $(cat "$work/harness-$dpi.log")"
  cp "$GS_DIST/bios.txt" "$work/bios.txt"
  NKACPI_BIOS=$(winpath "$work/bios.txt")
  "$GS_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
    fail "cannot set LogPixels"
  (cd "$GS_DIST" && exec "$GS_WINE" nksyssvr.exe) >"$work/service-$dpi.log" 2>&1 &
  wait_until 60 "the service did not start at $dpi dpi" journal_has ' svc start'
  (cd "$GS_DIST" && exec "$GS_WINE" GearShift.exe) >"$work/program-$dpi.log" 2>&1 &
  wait_until 60 "the program did not register at $dpi dpi" journal_has ' svc register '
  "$GS_WINE" "$GS_DIST/gsctl.exe" hotkey 0x5000041 >/dev/null 2>&1 || fail "gsctl hotkey at $dpi dpi"
  # The intro's call-out: the label is fully shown, and stays so for the next 2 s.
  wait_until 30 "no showing at $dpi dpi" journal_has ' flash callout '
  local shot=$work/shot-$dpi.png
  import -window root "$shot" || fail "cannot read the screen at $dpi dpi"
  "$GS_WINE" "$GS_DIST/gsctl.exe" close >/dev/null 2>&1
  "$GS_WINE" "$GS_DIST/nksyssvr.exe" stop >/dev/null 2>&1
  wine_harness_down

  local mw=$(((400 * dpi + 48) / 96)) mh=$(((650 * dpi + 48) / 96)) mx my
  mx=$(((sw - mw) / 2))
  if [ $((sh - mh)) -lt 0 ]; then my=$((sh / 7)); else my=$(awk "BEGIN { print int(($sh - $mh * 0.67) * 0.5) }"); fi
  echo "$dpi dpi on ${sw}x${sh}: the movie must be ${mw}x${mh} at $mx,$my"
  local cx=$((mx + mw / 2)) cy=$((my + mh / 2)) inset=$(((dpi + 95) / 96)) at
  for at in "left $((mx + inset)) $cy $((mx - 3)) $cy" "right $((mx + mw - 1 - inset)) $cy $((mx + mw + 2)) $cy" \
    "top $cx $((my + inset)) $cx $((my - 3))" "bottom $cx $((my + mh - 1 - inset)) $cx $((my + mh + 2))"; do
    read -r edge ix iy ox oy <<<"$at"
    local inside outside
    inside=$(pixel "$shot" "$ix" "$iy")
    outside=$(pixel "$shot" "$ox" "$oy")
    near "$inside" "$border" || fail "$dpi dpi: the panel's $edge edge is not at $ix,$iy (there: $inside)"
    ! near "$outside" "$border" || fail "$dpi dpi: the panel reaches past its $edge edge to $ox,$oy"
  done
  # The backdrop's own corner, over black as the program puts it, scaled to the screen.
  local corner expected
  convert "$GS_DIST/Resource/bg_smoke01.png" -background black -alpha remove -resize "${sw}x${sh}!" \
    "$work/backdrop-$dpi.png"
  expected=$(pixel "$work/backdrop-$dpi.png" $((sw - 1)) $((sh - 1)))
  corner=$(pixel "$shot" $((sw - 1)) $((sh - 1)))
  ! near "$expected" "0 0 0" 12 || fail "the backdrop's corner is as black as the bare screen: no check"
  near "$corner" "$expected" 12 ||
    fail "$dpi dpi: the backdrop does not reach the far corner ($corner there, the backdrop's $expected)"
  # The label's box of the design (24,396 to 376,606), scaled.
  local lx=$((mx + 24 * dpi / 96)) ly=$((my + 396 * dpi / 96)) lw=$((352 * dpi / 96)) lh=$((210 * dpi / 96))
  convert "$shot" -crop "${lw}x${lh}+${lx}+${ly}" +repage "$work/label-$dpi.png"
  step[$dpi]=$(sharpest_step "$work/label-$dpi.png")
  echo "$dpi dpi: sharpest step across the label ${step[$dpi]}/1000"
  [ "$dpi" != 144 ] || { mkdir -p "$root/build/logs" && cp "$shot" "$root/build/logs/osd-144dpi.png"; }
}

round 96 1920 1080
round 144 2880 1620
round 192 3840 2160
# Sharp: at least nine tenths of the step of 96 dpi, where the label is drawn at its designed size.
[ $((step[144] * 10)) -ge $((step[96] * 9)) ] ||
  fail "the label at 144 dpi is softer than at 96 (${step[144]} against ${step[96]})"
echo "passed: the OSD at 96, 144 and 192 dpi, in physical pixels, the label as sharp as at 96"
