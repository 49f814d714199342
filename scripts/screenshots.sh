#!/usr/bin/env bash
# Takes the README's screenshots of the Windows program under Wine and Xvfb into docs/screenshots/:
# main-window.png (a tree listing), options-menu.png (the Options menu open), about.png (the About box).
# Builds what it needs with scripts/e2e-test.sh --prepare; the pictures come from tests/e2e/scenarios/
# screenshots.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${ARBOLIN_E2E_BUILD:-$root/build-e2e}
"$root/scripts/e2e-test.sh" --prepare
cached() { sed -n "s/^$1:[A-Z]*=//p" "$out/tests/CMakeCache.txt"; }
SHOTS=$root/docs/screenshots bash "$root/tests/e2e/run-group.sh" screenshots "$out/tests/driver.exe" \
  "$(cached E2E_PROGRAM)" "$(cached E2E_ARBOLIN)" "$(cached E2E_TEMPLATE)" "$out/shots"
