# Sourced by the scripts that build before they run something: runs scripts/build with its output in a
# log, and says on the terminal where it is, since a first build takes minutes on a two-core machine.
#
#   source scripts/lib/logged-build.sh
#   gs_logged_build LOG [--append] [PRESET ...] || exit 1
#
# It prints a line as each preset starts, a progress line (ninja's step counter) at least every 30 s,
# and on a failure the log's last lines. --append keeps what LOG already holds.

_gs_build_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

gs_logged_build() {
  local log=$1
  shift
  if [ "${1:-}" = --append ]; then
    shift
  else
    : >"$log"
  fi
  local skip
  skip=$(wc -l <"$log" 2>/dev/null || echo 0)
  local started=$SECONDS
  "$_gs_build_root/scripts/build" "$@" >>"$log" 2>&1 &
  local builder=$! told=0 last_report=$SECONDS status=0
  echo "build: log $log"
  while kill -0 "$builder" 2>/dev/null; do
    sleep 1
    _gs_build_report
  done
  wait "$builder" || status=$?
  _gs_build_report final
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "build failed after $((SECONDS - started)) s (full log: $log)"
    return "$status"
  fi
  echo "build: done in $((SECONDS - started)) s"
}

# Tells the presets that started since the last look, and every 30 s ninja's last step. Uses the
# caller's log, skip, told and last_report.
_gs_build_report() {
  local presets
  mapfile -t presets < <(tail -n +"$((skip + 1))" "$log" | grep -E '^build: preset ')
  while [ "$told" -lt "${#presets[@]}" ]; do
    echo "${presets[$told]}"
    told=$((told + 1))
    last_report=$SECONDS
  done
  if [ "${1:-}" != final ] && [ $((SECONDS - last_report)) -ge 30 ]; then
    local step current="build: preset (starting)"
    [ "$told" -eq 0 ] || current=${presets[$((told - 1))]}
    # The last step of the preset that runs now, not of the one before it.
    step=$(tail -n +"$((skip + 1))" "$log" |
      awk '/^build: preset /{s=""} match($0, /^\[[0-9]+\/[0-9]+\]/){s=substr($0, 1, RLENGTH)} END{print s}')
    echo "build: ${current#build: preset }: ${step:-configuring}, $((SECONDS - started)) s so far"
    last_report=$SECONDS
  fi
}
