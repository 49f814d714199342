#!/usr/bin/env bash
# What listings in and out cost: `arbolin --fromfile` against `tree --fromfile` on the list `find` prints
# for the big benchmark tree (10,000 folders, 50,000 files, bench/compare.sh's recipe), taking turns;
# a list of 1,000,000 paths (that list under 17 prefixes) timed with its peak memory; and --format html
# against the tree view on the big tree, time and peak memory.
#
#   bench/io_compare.sh [--runs N]     (default 7 runs; the median is reported)
#
# Uses $ARBOLIN_BUILD (default build-perf) and $ARBOLIN_BENCH_DIR (default /var/tmp/arbolin-bench).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/lib.sh"
source "$here/bench/bench_lib.sh"
bench_options io_compare.sh 7 9 "$@"

if [ "$(id -u)" != 0 ]; then SUDO=sudo; else SUDO=; fi
missing=()
command -v tree >/dev/null || missing+=(tree)
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build=${ARBOLIN_BUILD:-$here/build-perf}
base=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}
export LC_ALL=C.UTF-8
native_arbolin "$build" make_tree
arbolin="$build/src/cli/arbolin"
bench_tree "$base" big 10000 50000 6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$base/big" && find .) >"$work/big.list"
for k in $(seq 1 17); do sed "s|^\.|copy$k|" "$work/big.list"; done >"$work/copies.list"
head -n 1000000 "$work/copies.list" >"$work/million.list"
echo "lists: $(wc -l <"$work/big.list") paths (find in the big tree), $(wc -l <"$work/million.list") paths"

# turns RUNS LABEL=COMMAND...: each command run in turn, round after round, output to /dev/null after
# two warm-up rounds; the median of each and its ratio to the first.
turns() {
  python3 - "$@" <<'PY'
import shlex, statistics, subprocess, sys, time
runs = int(sys.argv[1])
sets = [given.split('=', 1) for given in sys.argv[2:]]
times = {label: [] for label, _ in sets}
for round_ in range(runs + 2):
    for label, command in sets:
        start = time.perf_counter()
        subprocess.run(shlex.split(command), stdout=subprocess.DEVNULL, check=False)
        if round_ >= 2:
            times[label].append(time.perf_counter() - start)
first = statistics.median(times[sets[0][0]])
for label, command in sets:
    median = statistics.median(times[label])
    print(f'{label}: {median * 1000:.1f} ms, {median / first:.2f} times the first (median of {runs} runs)')
PY
}

# peak LABEL COMMAND...: seconds (and CPU seconds, which a busy machine does not stretch) and peak
# resident memory of one run.
peak() {
  local label=$1; shift
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || true
  read -r secs user sys kb <"$work/time"
  echo "$label: ${secs} s (CPU ${user} s user, ${sys} s system), peak ${kb} KB"
}

echo "== --fromfile against tree --fromfile (the big tree's list)"
turns "$runs" "tree=tree --fromfile $work/big.list" "arbolin=$arbolin --fromfile $work/big.list"
echo "== 1,000,000 paths"
turns 3 "tree=tree --fromfile $work/million.list" "arbolin=$arbolin --fromfile $work/million.list"
peak "arbolin --fromfile (the big tree's list)" "$arbolin" --fromfile "$work/big.list"
peak "tree --fromfile (the big tree's list)" tree --fromfile "$work/big.list"
peak "arbolin --fromfile (1,000,000 paths)" "$arbolin" --fromfile "$work/million.list"
peak "tree --fromfile (1,000,000 paths)" tree --fromfile "$work/million.list"
echo "== --format html against the tree view (the big tree)"
python3 "$here/bench/take_turns.py" "$runs" "$arbolin" "$base/big" "tree view=" "HTML=--format html"
peak "tree view, big tree" "$arbolin" "$base/big"
peak "HTML, big tree" "$arbolin" --format html "$base/big"
peak "tree view, 1,000,000 paths" "$arbolin" --fromfile "$work/million.list"
peak "HTML, 1,000,000 paths" "$arbolin" --fromfile --format html "$work/million.list"
