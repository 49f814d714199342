#!/usr/bin/env bash
# Installs what is missing, builds everything (native and the Windows cross build) and runs every test.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j2
status=0
ctest --test-dir "$here/build" --output-on-failure --timeout 600 -j2 || status=1
if [ -x "$here/scripts/win-test.sh" ]; then
  "$here/scripts/win-test.sh" || status=1
fi
exit $status
