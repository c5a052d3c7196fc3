# Sourced by the end-to-end scripts: the helpers they share. The script defines fail <message> (which
# prints and exits) before it calls any of them.

# A Linux path as Wine's programs take it.
winpath() {
  local p=${1//\//\\}
  echo "Z:$p"
}

# wait_until <seconds> <what> <command...>: until the command succeeds; fails with <what> past the time.
wait_until() {
  local deadline=$((SECONDS + $1)) what=$2
  shift 2
  until "$@"; do
    [ $SECONDS -lt $deadline ] || fail "$what"
    sleep 0.1
  done
}

# The colour at x,y of a picture as "r g b", 0 to 255 (ImageMagick).
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)] %[fx:int(255*p{$2,$3}.g+0.5)] %[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# near <"r g b"> <"r g b"> [tolerance]: true when no channel differs by more (48 unless given).
near() {
  local a b i d
  read -r -a a <<<"$1"
  read -r -a b <<<"$2"
  for i in 0 1 2; do
    d=$((a[i] - b[i]))
    [ ${d#-} -le "${3:-48}" ] || return 1
  done
}

# script_workspace <name>: a work folder of the script's own under build/ ($work, from $root), the Wine
# harness sourced, and the harness ended and the folder removed when the script ends; the journal that
# the stand-ins write ($journal, empty), named to them through GEARSHIFT_JOURNAL.
script_workspace() {
  work=$(mktemp -d "$root/build/$1.XXXXXX") || fail "cannot make a work folder under $root/build"
  # shellcheck source=../../scripts/lib/wine-harness.sh
  source "$root/scripts/lib/wine-harness.sh"
  trap _script_workspace_finish EXIT
  trap 'exit 130' INT TERM
  journal=$work/journal.txt
  export GEARSHIFT_JOURNAL NKACPI_BIOS
  GEARSHIFT_JOURNAL=$(winpath "$journal")
  : >"$journal"
}

_script_workspace_finish() {
  wine_harness_down
  rm -rf "$work"
}
