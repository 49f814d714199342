#!/usr/bin/env bash
# What the metadata options cost: `arbolin -s -D` against `tree -a -s -D --noreport` on the big, levels5
# and flat benchmark trees (made as bench/compare.sh makes them, same recipes), and --du and --sort size
# against -s on the big tree; hot cache, output to /dev/null, taking turns round after round; prints the
# medians (wall clock and processor time) and the ratios to the first of each group.
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

# Commands taking turns, as bench/take_turns.py does, with the processor time (user + system, from the
# children's rusage) beside the wall-clock time: on a machine others load, the wall clock mostly measures
# the wait for a core, the processor time what the listing costs.
turns() {
  python3 - "$runs" "$@" <<'PY'
import os, statistics, subprocess, sys, time
runs, sets = int(sys.argv[1]), [a.split('=', 1) for a in sys.argv[2:]]
wall = {label: [] for label, _ in sets}
cpu = {label: [] for label, _ in sets}
for round_ in range(runs + 2):
    for label, command in sets:
        before = os.times()
        start = time.perf_counter()
        subprocess.run(command.split(), stdout=subprocess.DEVNULL, check=True)
        took = time.perf_counter() - start
        after = os.times()
        used = (after.children_user - before.children_user) + (after.children_system - before.children_system)
        if round_ >= 2:
            wall[label].append(took)
            cpu[label].append(used)
first = sets[0][0]
for label, _ in sets:
    w, c = statistics.median(wall[label]), statistics.median(cpu[label])
    print(f'{label}: wall {w * 1000:.0f} ms ({w / statistics.median(wall[first]):.2f}x), '
          f'processor {c * 1000:.0f} ms ({c / statistics.median(cpu[first]):.2f}x)  (medians of {runs} runs)')
PY
}

for name in big levels5 flat; do
  echo "== $name"
  turns "tree -a -s -D --noreport=tree -a -s -D --noreport $base/$name" "arbolin -s -D=$arbolin -s -D $base/$name"
done
echo "== big: --du and --sort size against -s"
turns "-s=$arbolin -s $base/big" "--du=$arbolin --du $base/big" "--sort size=$arbolin -s --sort size $base/big" \
  "no option=$arbolin $base/big"
