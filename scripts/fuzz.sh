#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for SECONDS (default 20), starting
# from the seed corpus in fuzz/corpus/<target>; new inputs stay in build-fuzz/corpus/<target>, and a
# failing input is saved in build-fuzz/artifacts/ (rerun it with: build-fuzz/<target> <file>).
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   targets: listing_fuzz cli_args_fuzz names_fuzz
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-fuzz"
seconds="${1:-20}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(listing_fuzz cli_args_fuzz names_fuzz)

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is missing (apt-get install clang libclang-rt-14-dev)" >&2
  exit 1
fi
cmake -S "$here/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}"

# A small quarantine: freed memory is reused sooner, which nearly halves the time per input.
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:quarantine_size_mb=16}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/$target.log"
  seeds=()
  [ -d "$here/fuzz/corpus/$target" ] && seeds=("$here/fuzz/corpus/$target")
  if "$build/$target" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$target-" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz.sh: $target: ${runs:-?} inputs in ${seconds} s, no finding"
  else
    echo "fuzz.sh: $target FAILED; the last lines of $log:" >&2
    tail -n 40 "$log" >&2
    status=1
  fi
done
exit $status
