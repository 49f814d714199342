#!/usr/bin/env bash
# What the JSON and Markdown outputs cost against the tree view: lists the big benchmark tree (10,000
# folders, 50,000 files, made by bench/compare.sh or here, same recipe) in each, hot cache, output to
# /dev/null, taking turns round after round; prints the medians and the ratios to the tree view.
#
#   bench/formats_compare.sh [--runs N]     (default 11 runs; the median is reported)
#
# Uses $ARBOLIN_BUILD (default build-perf) and $ARBOLIN_BENCH_DIR (default /var/tmp/arbolin-bench).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/lib.sh"
source "$here/bench/bench_lib.sh"
bench_options formats_compare.sh 11 7 "$@"

build=${ARBOLIN_BUILD:-$here/build-perf}
base=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}
export LC_ALL=C.UTF-8
native_arbolin "$build" make_tree
bench_tree "$base" big 10000 50000 6
python3 "$here/bench/take_turns.py" "$runs" "$build/src/cli/arbolin" "$base/big" \
  "tree view=" "JSON=--format json" "Markdown=--format markdown"
