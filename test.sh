#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the native engine, renderers and command
# line (also under AddressSanitizer and UndefinedBehaviorSanitizer), short fuzzing runs, the Windows
# program's tests under Wine and its end-to-end tests under Wine and Xvfb (on the i686 product where this
# machine runs 32-bit Wine, else on its x86_64 twin; the Windows stage says which), and arbolin.exe's, the
# command line for Windows, under 64-bit Wine. Exit status 0 only if all pass.
#
# Each stage prints "== NAME" when it starts and "== NAME: passed (N s)" or "== NAME: FAILED (N s)" when
# it ends. Stages that leave a core idle part of the time run two by two: the native build and tests
# beside the sanitizer build and tests (their tests wait much on the disk), the fuzzing (one target at a
# time on one core) beside the Windows program's builds and tests under Wine (which need the native
# `arbolin` of the first pair). Their output goes to build-logs/STAGE.log and is printed whole when the
# stage ends. The end-to-end stage runs alone: its scenarios wait on windows and keys, and a loaded
# machine has made Wine lose one now and then.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/install-deps.sh" || exit 1
logs=$here/build-logs
mkdir -p "$logs"

status=0
# timed CPUFILE COMMAND...: runs COMMAND in a subshell and leaves the CPU time of all it waited for
# (user and system; Wine's server and services, started apart, are not counted) in CPUFILE.
timed() {
  local cpu=$1; shift
  # (times itself runs in the subshell: in a pipeline it would count the pipeline's children only)
  ( "$@"; rc=$?; times >"$cpu.raw"; tail -n 1 "$cpu.raw" | awk '{ print "CPU " $1 " user, " $2 " system" }' >"$cpu"
    exit $rc )
}
stage() {
  local name=$1; shift
  local start=$SECONDS rc=0
  echo "== $name"
  timed "$logs/stage.cpu" "$@" || rc=$?
  if [ $rc = 0 ]; then
    echo "== $name: passed ($((SECONDS - start)) s)"
  else
    echo "== $name: FAILED ($((SECONDS - start)) s)"
    status=1
  fi
  echo "   $name: $(cat "$logs/stage.cpu" 2>/dev/null)"
}

# side_by_side NAME1 LOG1 COMMAND1 NAME2 LOG2 COMMAND2: both stages at once (COMMANDs are single words:
# functions or scripts), each printed whole with its result line as it ends.
side_by_side() {
  local -A names logs_of starts
  local pid n
  while [ $# -ge 3 ]; do
    echo "== $1 (side by side; output in build-logs/$2.log, shown when it ends)"
    timed "$logs/$2.cpu" "$3" >"$logs/$2.log" 2>&1 &
    names[$!]=$1 logs_of[$!]=$logs/$2.log starts[$!]=$SECONDS
    shift 3
  done
  for n in "${!names[@]}"; do
    local rc=0
    wait -n -p pid "${!names[@]}" || rc=$?
    cat "${logs_of[$pid]}"
    if [ $rc = 0 ]; then
      echo "== ${names[$pid]}: passed ($((SECONDS - starts[$pid])) s)"
    else
      echo "== ${names[$pid]}: FAILED ($((SECONDS - starts[$pid])) s)"
      status=1
    fi
    echo "   ${names[$pid]}: $(cat "${logs_of[$pid]%.log}.cpu" 2>/dev/null)"
    unset "names[$pid]"
  done
}

# The native build also holds the command line's test tables run against arbolin.exe under Wine
# (ARBOLIN_WIN_EXE, the x86_64 cross build's): the Windows stage runs those, once it has built arbolin.exe.
native() {
  cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release \
        -DARBOLIN_WIN_EXE="$here/build-win/x86_64/src/cli/arbolin.exe" >/dev/null &&
    cmake --build "$here/build" -j2 &&
    ctest --test-dir "$here/build" --output-on-failure --timeout 600 -j2 -E '^package$|_wine$|^cli_wine_'
}
# The .deb and the Windows zip, made from what the stages before built and tested (the zip holds the
# exe the Windows stage checked).
packages() { ctest --test-dir "$here/build" --output-on-failure --timeout 300 -R '^package$' --no-tests=error; }
fuzz() { "$here/scripts/fuzz.sh" 20; }
windows() {
  rm -f "$here/build-win/windows-arch"
  "$here/scripts/win-test.sh"
}
# The end-to-end stage tests the build the Windows stage chose and built (build-win/windows-arch),
# with the native arbolin of the first stage.
e2e() {
  local arch= why=
  if [ -f "$here/build-win/windows-arch" ]; then
    arch=$(sed -n 1p "$here/build-win/windows-arch") why=$(sed -n 2p "$here/build-win/windows-arch")
  fi
  ARBOLIN_E2E_ARBOLIN="$here/build/src/cli/arbolin" ARBOLIN_WINDOWS_ARCH=$arch ARBOLIN_WINDOWS_WHY=$why \
    "$here/scripts/e2e-test.sh"
}

side_by_side "native build and tests" native native \
             "sanitizer build and tests" sanitizers "$here/scripts/sanitize-test.sh"
side_by_side "fuzzing, 20 s a target" fuzzing fuzz \
             "Windows program: cross builds and tests under Wine" windows windows
stage "Windows program: end-to-end under Wine and Xvfb" e2e
stage "packages: the .deb and the Windows zip" packages
exit $status
