#!/usr/bin/env bash
# scripts/setup's decisions on machines we cannot make here, without touching this machine's packages:
# stand-ins for apt-get, dpkg, dpkg-query and sudo come first on PATH and replay what a half-broken
# mirror did (an update that fails on one index, a wine32:i386 whose dependencies cannot be met, a
# needed package with no candidate), keeping the packages they "installed" in a folder of the test's.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAILED: $case_name: $*"
  echo "--- setup said:"
  cat "$work/out"
  failures=$((failures + 1))
}

mkdir -p "$work/bin"
cat >"$work/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
# Stand-in apt-get: the state lives in $STANDIN_STATE.
state=$STANDIN_STATE
echo "apt-get $*" >>"$state/calls"
command=""
packages=()
for a in "$@"; do
  case "$a" in
    -*) ;;
    update | install) command=$a ;;
    *) packages+=("$a") ;;
  esac
done
case "$command" in
  update)
    if [ -n "${STANDIN_UPDATE_FAILS:-}" ] && grep -qx i386 "$state/foreign" 2>/dev/null; then
      echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100
    fi
    exit 0
    ;;
  install)
    printf '%s\n' "${packages[@]}" >>"$state/asked"
    for p in "${packages[@]}"; do
      for bad in ${STANDIN_UNINSTALLABLE:-}; do
        [ "$p" = "$bad" ] || continue
        if [ "$p" = wine32:i386 ]; then
          echo "E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages." >&2
        else
          echo "E: Package '$p' has no installation candidate" >&2
        fi
        # One package apt cannot have fails the whole transaction.
        exit 100
      done
    done
    printf '%s\n' "${packages[@]}" >>"$state/installed"
    exit 0
    ;;
esac
exit 0
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
# Stand-in dpkg-query -W -f='${Status}' PACKAGE.
p=${*: -1}
echo "$p" >>"$STANDIN_STATE/queried"
if grep -qxF "$p" "$STANDIN_STATE/installed" 2>/dev/null; then
  printf 'install ok installed'
  exit 0
fi
echo "dpkg-query: no packages found matching $p" >&2
exit 1
EOF
cat >"$work/bin/dpkg" <<'EOF'
#!/usr/bin/env bash
# Stand-in dpkg: only the architecture calls that set-up makes.
case "$1" in
  --print-foreign-architectures) cat "$STANDIN_STATE/foreign" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$STANDIN_STATE/foreign" ;;
  *) exit 2 ;;
esac
EOF
cat >"$work/bin/sudo" <<'EOF'
#!/usr/bin/env bash
exec "$@"
EOF
chmod +x "$work/bin/"*

# run_setup NAME [VAR=value ...]: a fresh machine, then scripts/setup on it; $status, $work/out.
run_setup() {
  case_name=$1
  shift
  export STANDIN_STATE=$work/state-$case_name
  rm -rf "$STANDIN_STATE"
  mkdir -p "$STANDIN_STATE"
  : >"$STANDIN_STATE/installed"
  : >"$STANDIN_STATE/asked"
  : >"$STANDIN_STATE/queried"
  status=0
  env PATH="$work/bin:$PATH" GS_SETUP_UPDATE_PAUSE=0 GS_SETUP_STATE="$STANDIN_STATE/remembered" "$@" \
    "$root/scripts/setup" >"$work/out" 2>&1 || status=$?
}

# scripts/setup again on the machine of the last run_setup; $status, $work/out.
run_setup_again() {
  status=0
  env PATH="$work/bin:$PATH" GS_SETUP_UPDATE_PAUSE=0 GS_SETUP_STATE="$STANDIN_STATE/remembered" "$@" \
    "$root/scripts/setup" >"$work/out" 2>&1 || status=$?
}

# Every package that set-up looked for, bar those the pattern matches, was installed.
expect_all_installed_but() {
  local missing
  missing=$(sort -u "$STANDIN_STATE/queried" | grep -vE "$1" | grep -vxF -f "$STANDIN_STATE/installed" | paste -sd ' ')
  [ -z "$missing" ] || fail "not installed: $missing"
  grep -qx wine64 "$STANDIN_STATE/queried" && grep -qx g++-mingw-w64-i686-posix "$STANDIN_STATE/queried" ||
    fail "set-up did not look for the packages the build needs"
}

# A 32-bit machine whose mirror serves a broken i386 index: wine32 cannot be had, all else can.
run_setup broken-i386-index GS_RUNS_32BIT_CODE=yes STANDIN_UPDATE_FAILS=1 STANDIN_UNINSTALLABLE=wine32:i386
[ "$status" -eq 0 ] || fail "exit $status, expected 0"
expect_all_installed_but ":i386$"
grep -qx i386 "$STANDIN_STATE/foreign" || fail "the i386 architecture was not added"
grep -qx wine32:i386 "$STANDIN_STATE/asked" || fail "wine32:i386 was never asked for"
[ "$(grep -c 'update' "$STANDIN_STATE/calls")" -ge 2 ] || fail "the failed update was not tried again"
grep -q "going on with the indexes apt has" "$work/out" || fail "did not say that it went on without the index"
grep -qE "^setup: the Wine suites, the demo and the bench will use the x86_64 twin: wine32:i386 with its X libraries \(libxinerama1:i386 .*\) cannot be installed: E: .*Resolve generated breaks.*binary-i386/Packages.xz" "$work/out" ||
  fail "did not say in one line that the twin will be used, and why"
# The next run on that machine: only the 32-bit Wine is missing, and the outcome is remembered, so the
# broken index is not fetched three times again, and the reason is said again.
case_name=broken-i386-index-again
calls_before=$(wc -l <"$STANDIN_STATE/calls")
run_setup_again GS_RUNS_32BIT_CODE=yes STANDIN_UPDATE_FAILS=1 STANDIN_UNINSTALLABLE=wine32:i386
[ "$status" -eq 0 ] || fail "exit $status, expected 0"
[ "$(wc -l <"$STANDIN_STATE/calls")" -eq "$calls_before" ] ||
  fail "called apt again: $(tail -n +"$((calls_before + 1))" "$STANDIN_STATE/calls" | paste -sd ';')"
grep -qE "^setup: the Wine suites, the demo and the bench will use the x86_64 twin: wine32:i386 .*cannot be installed: .*found by an earlier run" "$work/out" ||
  fail "did not say again why the twin will be used"

# A 32-bit machine that has the 32-bit Wine but not the X libraries it loads at run time (installed
# without recommended packages): the next run installs them, and says so.
run_setup wine32-without-x-libraries GS_RUNS_32BIT_CODE=yes
grep -vE '^libx.*:i386$' "$STANDIN_STATE/installed" >"$STANDIN_STATE/kept"
mv "$STANDIN_STATE/kept" "$STANDIN_STATE/installed"
grep -qx wine32:i386 "$STANDIN_STATE/installed" || fail "the 32-bit Wine was not installed on the first run"
run_setup_again GS_RUNS_32BIT_CODE=yes
[ "$status" -eq 0 ] || fail "exit $status, expected 0"
for library in libxinerama1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386; do
  grep -qx "$library" "$STANDIN_STATE/installed" || fail "$library was not installed"
done
grep -q "^setup: installed the 32-bit Wine's X libraries: .*libxinerama1:i386" "$work/out" ||
  fail "did not say that it installed the X libraries"
! grep -q "x86_64 twin" "$work/out" || fail "chose the twin"

# A needed package that cannot be installed: set-up fails and names it, after installing the rest.
run_setup needed-package-fails GS_RUNS_32BIT_CODE=yes STANDIN_UNINSTALLABLE=xvfb
[ "$status" -ne 0 ] || fail "exit 0, expected a failure"
grep -qx "setup: cannot install xvfb: E: Package 'xvfb' has no installation candidate" "$work/out" ||
  fail "did not name xvfb with apt's error"
grep -qx cmake "$STANDIN_STATE/installed" || fail "the packages that could be had were not installed"

# No 32-bit code: no i386 architecture, no wine32, and the reason said.
run_setup no-32bit-code GS_RUNS_32BIT_CODE=no STANDIN_UPDATE_FAILS=1
[ "$status" -eq 0 ] || fail "exit $status, expected 0"
[ ! -s "$STANDIN_STATE/foreign" ] || fail "added the i386 architecture on a machine that cannot run it"
! grep -q wine32 "$STANDIN_STATE/asked" || fail "asked for wine32"
expect_all_installed_but ":i386$"
grep -qx "setup: the Wine suites, the demo and the bench will use the x86_64 twin: this machine runs no 32-bit code" \
  "$work/out" || fail "did not say why the twin will be used"

# Run again on the machine it has just set up: nothing to install, so apt is not called at all.
case_name=warm
calls_before=$(wc -l <"$STANDIN_STATE/calls")
run_setup_again GS_RUNS_32BIT_CODE=no
[ "$status" -eq 0 ] || fail "exit $status on a warm machine"
[ "$(wc -l <"$STANDIN_STATE/calls")" -eq "$calls_before" ] || fail "called apt again on a machine that has every package"

if [ "$failures" -eq 0 ]; then
  echo "setup: every case passed"
  exit 0
fi
exit 1
