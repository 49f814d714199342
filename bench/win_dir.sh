#!/usr/bin/env bash
# Times arbolin.exe (x86_64) against `cmd /c dir /s /b` on the same generated tree, both under 64-bit Wine,
# and prints the ratio. `dir` neither sorts nor collates and writes one path a line; arbolin.exe orders
# every folder by Windows' collation and draws the tree. Both read folders through Wine's file calls, which
# cost far more than the work of either program: the figure says what Wine costs, not a target for
# Windows. Startup is taken out by listing an empty folder as well. Output goes to a file (not a console).
# Uses hyperfine where it is installed, else a loop of its own (medians).
#
#   bench/win_dir.sh [--runs N] [--out DIR]     (default 5 runs; writes DIR/win_dir.md, default docs/bench)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/lib.sh"
source "$here/bench/bench_lib.sh"
out="$here/docs/bench"
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out=${2:-}; shift ;;
    *) args+=("$1") ;;
  esac
  shift
done
bench_options win_dir.sh 5 9 "${args[@]}"

build=${ARBOLIN_BUILD:-$here/build-perf}
winbuild=${ARBOLIN_WIN_BUILD:-$here/build-perf-win}
disk=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}
wine64=$WINE64_LOADER
need_tools win_dir.sh x86_64-w64-mingw32-g++-posix "$wine64" wineserver

# make_tree from the native build; arbolin.exe from an x86_64 cross build of its own, without tests.
native_arbolin "$build" make_tree
exe="$winbuild/src/cli/arbolin.exe"
scratch=$(mktemp -d)
stop_wine() { wineserver -k >/dev/null 2>&1 || true; rm -rf "$scratch"; }
trap stop_wine EXIT
bench_wine "$winbuild" arbolin

# ---- The tree: ASCII names (fixed seed), so that no two differ only in letter case under Wine's
# case-insensitive view of Linux folders more often than make_tree's names do.
tree=$disk/windir
bench_tree "$disk" windir 2000 20000 6 --ascii
mkdir -p "$disk/empty"

# Both must have listed the same entries: arbolin.exe's paths (-i -f; its first line is the root) against
# dir's lines.
"$wine64" "$exe" -i -f "$(win "$tree")" </dev/null 2>/dev/null | tail -n +2 >"$scratch/arbolin.txt" || true
"$wine64" cmd.exe /c dir /s /b "$(win "$tree")" </dev/null 2>/dev/null >"$scratch/dir.txt" || true
entries=$(wc -l <"$scratch/dir.txt")
if [ "$entries" = 0 ] || [ "$(wc -l <"$scratch/arbolin.txt")" != "$entries" ]; then
  echo "win_dir.sh: arbolin.exe listed $(wc -l <"$scratch/arbolin.txt") entries, dir $entries" >&2
  exit 1
fi

# ---- Timing: medians in ms, of the whole run and of an empty folder's.
names=("arbolin.exe" "arbolin.exe, empty folder" "cmd /c dir /s /b" "cmd /c dir /s /b, empty folder")
commands=("$wine64 $exe $(win "$tree")" "$wine64 $exe $(win "$disk/empty")"
          "$wine64 cmd.exe /c dir /s /b $(win "$tree")" "$wine64 cmd.exe /c dir /s /b $(win "$disk/empty")")
if command -v hyperfine >/dev/null; then
  timer="hyperfine"
  hyperfine --runs "$runs" --warmup 1 -N --ignore-failure --export-json "$scratch/runs.json" "${commands[@]}" \
    >/dev/null 2>&1 </dev/null
  mapfile -t ms < <(python3 -c 'import json, sys
for r in json.load(open(sys.argv[1]))["results"]: print(round(r["median"] * 1000))' "$scratch/runs.json")
else
  timer="a loop of its own"
  bench_medians "$runs" "${commands[@]}"
fi
cli=$((ms[0] - ms[1]))
dir=$((ms[2] - ms[3]))

mkdir -p "$out"
report="$out/win_dir.md"
{
  echo "Listing $entries entries (2,000 folders, 20,000 files) under" \
       "$("$wine64" --version 2>/dev/null) (x86_64), output to a file, hot cache, $runs runs each by $timer," \
       "medians, $(nproc) cores shared with other work, $(date -u +%Y-%m-%d). What Wine costs, not a target:"
  echo "\`dir\` neither sorts nor collates."
  echo
  echo "| | whole run | an empty folder | the listing (difference) |"
  echo "|---|---:|---:|---:|"
  echo "| ${names[0]} | ${ms[0]} ms | ${ms[1]} ms | $cli ms |"
  echo "| ${names[2]} | ${ms[2]} ms | ${ms[3]} ms | $dir ms |"
  echo "| ratio arbolin.exe / dir | $(awk -v a="${ms[0]}" -v b="${ms[2]}" 'BEGIN {printf "%.2fx", a / (b > 0 ? b : 1)}') | |" \
       "$(awk -v a=$cli -v b=$dir 'BEGIN {printf "%.2fx", a / (b > 0 ? b : 1)}') |"
} >"$report"
cat "$report"
