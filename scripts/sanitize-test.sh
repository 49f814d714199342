#!/usr/bin/env bash
# Builds the native engine, renderers, command line and their tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan, and runs the tests there; any finding fails the run.
# Usage: scripts/sanitize-test.sh [extra ctest arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-asan"
source "$here/scripts/lib.sh"
need_tools sanitize-test.sh cmake g++ ctest

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DARBOLIN_SANITIZE=ON -DARBOLIN_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j2

# Findings abort the process with a report; leaks count as findings too.
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$build" --output-on-failure --timeout 900 -j2 "$@"
