# Sourced by scripts/setup and the Wine harness: the 32-bit Wine and the i386 X libraries it loads at run
# time (winex11 opens them with dlopen, so no package depends on them). Without libxinerama1 it sees two
# heads as one monitor; without the others it runs without XInput2 (raw input), XRandR, Xcursor,
# XComposite and XFixes, a poorer X than the 64-bit Wine's, which has them all.

gs_wine32_packages=(
  wine32:i386
  libxinerama1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
  libxcomposite1:i386 libxfixes3:i386 libxrender1:i386 libxxf86vm1:i386
)

# The packages of the set that are not installed, one a line.
gs_wine32_missing() {
  local p
  for p in "${gs_wine32_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# How to name some of the set in a sentence: the 32-bit Wine, its X libraries, or both.
gs_wine32_describe() {
  local p wine="" libraries=()
  for p in "$@"; do
    if [ "$p" = wine32:i386 ]; then wine=yes; else libraries+=("$p"); fi
  done
  if [ -n "$wine" ] && [ ${#libraries[@]} -gt 0 ]; then
    echo "wine32:i386 with its X libraries (${libraries[*]})"
  elif [ -n "$wine" ]; then
    echo "wine32:i386"
  else
    echo "the 32-bit Wine's X libraries (${libraries[*]})"
  fi
}
