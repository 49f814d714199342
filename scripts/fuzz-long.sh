#!/usr/bin/env bash
# Long fuzz runs: builds the libFuzzer targets in build-fuzz-long with UBSan only (no ASan) and without
# comparison tracing, three to four times faster than scripts/fuzz.sh's build, and runs each for RUNS
# inputs (default 10 million), one target after another on one core at the lowest priority. Seeds come
# from fuzz/corpus/<target>; new inputs stay in build-fuzz-long/corpus/<target>, a failing input goes to
# build-fuzz-long/artifacts/, each run logs to build-fuzz-long/<target>.log and the counts are added to
# build-fuzz-long/summary.txt. FUZZ_LONG_SECONDS, when set, also stops each run after that many seconds
# (the summary then shows how many inputs it got through).
# Usage: scripts/fuzz-long.sh [RUNS] [TARGET...]   targets: listing_fuzz cli_args_fuzz names_fuzz
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-fuzz-long"
runs="${1:-10000000}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(listing_fuzz names_fuzz cli_args_fuzz)

# Longest input per target: enough for every case a target reads (listing_fuzz: 64 entries, some with
# long names, and a chain of 270 folders; cli_args_fuzz: 40 arguments; names_fuzz: a 255-byte name and its
# parameters), short enough that time goes to new cases rather than ever longer ones.
max_len_for() {
  case "$1" in
    listing_fuzz) echo 2048 ;;
    cli_args_fuzz) echo 512 ;;
    *) echo 1024 ;;
  esac
}

if ! command -v clang++ >/dev/null; then
  echo "fuzz-long.sh: clang++ is missing (apt-get install clang libclang-rt-14-dev)" >&2
  exit 1
fi
flags="-fsanitize=fuzzer,undefined -fno-sanitize-coverage=trace-cmp -fno-sanitize-recover=all"
cmake -S "$here/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DFUZZ_SANITIZERS=undefined \
  -DFUZZ_COVERAGE_OPTIONS=-fno-sanitize-coverage=trace-cmp >/dev/null
nice -n 19 cmake --build "$build" -j2 --target "${targets[@]}"

export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/$target.log"
  seeds=()
  [ -d "$here/fuzz/corpus/$target" ] && seeds=("$here/fuzz/corpus/$target")
  max_len=$(max_len_for "$target")
  start=$(date +%s)
  limit=()
  [ -n "${FUZZ_LONG_SECONDS:-}" ] && limit=(-max_total_time="$FUZZ_LONG_SECONDS")
  if nice -n 19 "$build/$target" -runs="$runs" "${limit[@]}" -max_len="$max_len" -timeout=20 -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$target-" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    result="no finding"
  else
    result="FAILED (see $log)"
    status=1
  fi
  seconds=$(( $(date +%s) - start ))
  done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  line="$(date -u +%FT%TZ) $target: ${done_runs:-?} inputs in $seconds s, -max_len=$max_len, $flags: $result"
  echo "fuzz-long.sh: $line"
  echo "$line" >>"$build/summary.txt"
  [ "$result" = "no finding" ] || tail -n 40 "$log" >&2
done
exit $status
