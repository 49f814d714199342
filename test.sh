#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the native engine, renderers and command
# line (also under AddressSanitizer and UndefinedBehaviorSanitizer), short fuzzing runs, the Windows
# program's tests under Wine and its end-to-end tests under Wine and Xvfb. Exit status 0 only if all pass.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/install-deps.sh" || exit 1

status=0
stage() {
  local name=$1; shift
  local start=$SECONDS
  echo "== $name"
  if "$@"; then
    echo "== $name: passed ($((SECONDS - start)) s)"
  else
    echo "== $name: FAILED ($((SECONDS - start)) s)"
    status=1
  fi
}
native() {
  cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build "$here/build" -j2 &&
    ctest --test-dir "$here/build" --output-on-failure --timeout 600 -j2
}

stage "native build and tests" native
stage "sanitizer build and tests" "$here/scripts/sanitize-test.sh"
stage "fuzzing, 20 s a target" "$here/scripts/fuzz.sh" 20
stage "Windows program: cross builds and tests under Wine" "$here/scripts/win-test.sh"
stage "Windows program: end-to-end under Wine and Xvfb" \
  env ARBOLIN_E2E_ARBOLIN="$here/build/src/cli/arbolin" \
      ARBOLIN_E2E_PROGRAM="$here/build-win/x86_64/src/app/ZK-Arbolin.exe" "$here/scripts/e2e-test.sh"
exit $status
