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
runs=11
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift ;;
    -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "formats_compare.sh: unknown option $1 (see --help)" >&2; exit 64 ;;
  esac
  shift
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "formats_compare.sh: --runs needs a positive number" >&2; exit 64; }

build=${ARBOLIN_BUILD:-$here/build-perf}
base=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}
export LC_ALL=C.UTF-8
source "$here/scripts/lib.sh"
native_arbolin "$build" make_tree

if [ "$(cat "$base/big.recipe" 2>/dev/null)" != "10000 50000 6" ]; then
  rm -rf "$base/big"
  mkdir -p "$base"
  "$build/bench/make_tree" "$base/big" 10000 50000 6 >"$base/big.counts"
  echo "10000 50000 6" >"$base/big.recipe"
fi
python3 "$here/bench/take_turns.py" "$runs" "$build/src/cli/arbolin" "$base/big" \
  "tree view=" "JSON=--format json" "Markdown=--format markdown"
