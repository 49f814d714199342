#!/usr/bin/env bash
# Runs one group of end-to-end scenarios (tests/e2e/scenarios/GROUP.sh) on its own X display, with the
# whole Wine session under setpriv when run as root, so that unreadable and read-only folders stay so.
# Usage: run-group.sh GROUP DRIVER_EXE PROGRAM_EXE ARBOLIN TEMPLATE_PREFIX RUNS_DIR [SCENARIO...]
# Exit status 0 when every scenario passed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 6 ] || { echo "usage: run-group.sh GROUP DRIVER PROGRAM ARBOLIN TEMPLATE RUNS [SCENARIO...]" >&2; exit 2; }
abs() { realpath -m "$1"; }
export SOURCE=$(cd "$here/../.." && pwd)
export GROUP=$1 DRIVER=$(abs "$2") PROGRAM=$(abs "$3") ARBOLIN=$(abs "$4") TEMPLATE=$(abs "$5") RUNS=$(abs "$6")
shift 6
for f in "$DRIVER" "$PROGRAM" "$ARBOLIN" "$TEMPLATE/system.reg"; do
  [ -e "$f" ] || { echo "run-group: $f is missing (scripts/e2e-test.sh builds it)" >&2; exit 2; }
done

if [ -z "${E2E_INNER:-}" ]; then
  # A display of our own: Xvfb picks a free number itself (-displayfd), so groups can run side by side.
  mkdir -p "$RUNS/$GROUP"
  Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$RUNS/$GROUP/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$RUNS/$GROUP/display" ] && break; sleep 0.1; done
  if [ ! -s "$RUNS/$GROUP/display" ]; then echo "run-group: Xvfb did not start" >&2; kill "$xvfb"; exit 2; fi
  export DISPLAY=:$(head -n 1 "$RUNS/$GROUP/display")
  inner=(env E2E_INNER=1 bash "$0" "$GROUP" "$DRIVER" "$PROGRAM" "$ARBOLIN" "$TEMPLATE" "$RUNS" "$@")
  if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
    # Still uid 0, but without the capabilities that let root read and write any folder.
    inner=(setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search
           "${inner[@]}")
  fi
  rc=0
  "${inner[@]}" || rc=$?
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  exit $rc
fi

source "$here/lib.sh"
source "$here/fixtures.sh"
source "$here/scenarios/$GROUP.sh"
if [ $# -gt 0 ]; then scenarios=("$@"); else scenarios=("${SCENARIOS[@]}"); fi
run_scenarios "${scenarios[@]}"
