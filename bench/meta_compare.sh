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
source "$here/scripts/lib.sh"
source "$here/bench/bench_lib.sh"
bench_options meta_compare.sh 11 9 "$@"
need_tools meta_compare.sh tree

build=${ARBOLIN_BUILD:-$here/build-perf}
base=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}
export LC_ALL=C.UTF-8 TZ=UTC
native_arbolin "$build" make_tree
arbolin=$build/src/cli/arbolin
bench_tree "$base" big 10000 50000 6
bench_tree "$base" levels5 65535 0 5
bench_tree "$base" flat 0 100000 1

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
