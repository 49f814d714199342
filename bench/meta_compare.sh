#!/usr/bin/env bash
# What the metadata options cost: `arbolin -s -D` against `tree -a -s -D --noreport` on the big, levels5
# and flat benchmark trees (made as bench/compare.sh makes them, same recipes), and --du and --sort size
# against -s on the big tree; hot cache, output to /dev/null, taking turns round after round; prints the
# medians and the ratios to the first of each group.
#
#   bench/meta_compare.sh [--runs N]     (default 11 runs; the median is reported)
#
# Uses $ARBOLIN_BUILD (default build-perf) and $ARBOLIN_BENCH_DIR (default /var/tmp/arbolin-bench).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
runs=11
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift ;;
    -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "meta_compare.sh: unknown option $1 (see --help)" >&2; exit 64 ;;
  esac
  shift
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "meta_compare.sh: --runs needs a positive number" >&2; exit 64; }
command -v tree >/dev/null || { echo "meta_compare.sh: needs tree (apt-get install tree)" >&2; exit 2; }

build=${ARBOLIN_BUILD:-$here/build-perf}
base=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}
export LC_ALL=C.UTF-8 TZ=UTC
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target arbolin make_tree >/dev/null
arbolin=$build/src/cli/arbolin

make_once() {
  local dir="$base/$1" recipe="$2 $3 $4"
  if [ "$(cat "$base/$1.recipe" 2>/dev/null)" != "$recipe" ]; then
    rm -rf "$dir"
    mkdir -p "$base"
    "$build/bench/make_tree" "$dir" "$2" "$3" "$4" >"$base/$1.counts"
    echo "$recipe" >"$base/$1.recipe"
  fi
}
make_once big 10000 50000 6
make_once levels5 65535 0 5
make_once flat 0 100000 1

# take_turns.py runs one program: env, with the program as the first argument of each set.
for name in big levels5 flat; do
  echo "== $name"
  python3 "$here/bench/take_turns.py" "$runs" env "$base/$name" \
    "arbolin -s -D=$arbolin -s -D" "tree -a -s -D --noreport=tree -a -s -D --noreport"
done
echo "== big: --du and --sort size against -s"
python3 "$here/bench/take_turns.py" "$runs" "$arbolin" "$base/big" \
  "-s=-s" "--du=--du" "--sort size=-s --sort size" "plain="
