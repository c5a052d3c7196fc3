# Sourced by scripts/package and the installer's e2e check: builds the Windows Installer package from
# installer/GearShift.wxs with wixl, so that both make it the same way.
#
#   gs_make_msi <program folder> <version x.y.z> <output .msi>
#
# The folder is an i686 program folder (build/win32/dist or the release's staged copy). After wixl, the
# package's File table must name exactly the folder's program files: a file added to the build and
# forgotten in the WiX source stops the packaging instead of going missing on the machines.
_gs_msi_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

gs_make_msi() {
  local dist out version=$2 root=$_gs_msi_root
  dist=$(realpath "$1") out=$(realpath -m "$3")
  command -v wixl >/dev/null && command -v msiinfo >/dev/null ||
    { echo "msi: wixl and msiinfo are missing (scripts/setup installs them)" >&2; return 1; }
  [ -f "$dist/GearShift.exe" ] || { echo "msi: $dist has no GearShift.exe" >&2; return 1; }
  rm -f "$out"
  # wixl takes the sources' paths relative to the current folder only: an absolute one is not found.
  (cd "$root" && wixl -a x86 -D "Version=$version" -D "Dist=$(realpath --relative-to=. "$dist")" \
    -D "Icon=installer/GearShift.ico" -o "$out" installer/GearShift.wxs) ||
    { echo "msi: wixl failed for $out" >&2; return 1; }
  local packed shipped
  # FileName is "SHORT~1.EXT|long name" where the long name is not 8.3.
  packed=$(msiinfo export "$out" File | tail -n +4 | cut -f3 | sed 's/.*|//' | LC_ALL=C sort)
  # README.txt and the .reg examples of the release folder are for the zip's readers only.
  shipped=$(cd "$dist" && find . -type f ! -name README.txt ! -name '*.reg' -printf '%f\n' | LC_ALL=C sort)
  if [ "$packed" != "$shipped" ]; then
    echo "msi: $out does not hold exactly the files of $dist:" >&2
    diff <(echo "$shipped") <(echo "$packed") | sed -n 's/^</  only in the folder:/p; s/^>/  only in the package:/p' >&2
    rm -f "$out"
    return 1
  fi
}
