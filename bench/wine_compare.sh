#!/usr/bin/env bash
# Times the Windows program's listing stages under Wine against `arbolin --compat` on the same tree:
# 10,000 folders and no files (fixed seed, ASCII names so both list the same bytes). The Windows program
# takes no arguments, so listing_probe.exe stands in for it: the same scan (FindFirstFileA), structure pass,
# file ordering and tree text, built for x86_64 and run on 64-bit Wine (this kernel runs no 32-bit
# Linux code; see tests/win/wine-notes.md). Startup is taken out by listing an empty folder as well.
# With perf and strace present it also shows where the time goes: system calls per folder, and the CPU
# time of the probe and of its wineserver.
#
#   bench/wine_compare.sh [--runs N] [--out DIR]     (default 5 runs; writes DIR/wine.md, default docs/bench)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
runs=5
out="$here/docs/bench"
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift ;;
    --out) out=$2; shift ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "wine_compare.sh: unknown option $1 (see --help)" >&2; exit 64 ;;
  esac
  shift
done

build=${ARBOLIN_BUILD:-$here/build-perf}
winbuild=${ARBOLIN_WIN_BUILD:-$here/build-perf-win}
disk=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}
source "$here/scripts/lib.sh"
source "$here/bench/bench_lib.sh"
wine64=$WINE64_LOADER
need_tools wine_compare.sh x86_64-w64-mingw32-g++-posix "$wine64" wineserver

native_arbolin "$build" make_tree
arbolin="$build/src/cli/arbolin"
probe="$winbuild/src/app/listing_probe.exe"
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT
bench_wine "$winbuild" listing_probe

# ---- The tree, and the check that both list the same bytes (all but the root line, a Windows path).
tree=$disk/win10k
bench_tree "$disk" win10k 10000 0 6 --ascii
mkdir -p "$disk/empty"
scratch=$(mktemp -d)
trap 'stop_wine; rm -rf "$scratch"' EXIT
"$wine64" "$probe" "$(win "$tree")" 2>/dev/null </dev/null | tail -n +2 >"$scratch/probe.txt" || true
"$arbolin" --compat "$tree" 2>/dev/null </dev/null | tail -n +2 >"$scratch/arbolin.txt" || true
if ! cmp -s "$scratch/probe.txt" "$scratch/arbolin.txt"; then
  echo "wine_compare.sh: the probe and arbolin --compat list different bytes" >&2
  exit 1
fi

# ---- Timing: each round runs the four commands once; medians in ms.
bench_medians "$runs" "$wine64 $probe $(win "$tree")" "$wine64 $probe $(win "$disk/empty")" \
              "$arbolin --compat $tree" "$arbolin --compat $disk/empty"
probe_stages=$((ms[0] - ms[1]))
cli_stages=$((ms[2] - ms[3]))

mkdir -p "$out"
report="$out/wine.md"
{
  echo "Listing 10,000 folders (no files) as the Windows program does: \`listing_probe.exe\` (x86_64) on"
  echo "$("$wine64" --version 2>/dev/null) against \`arbolin --compat\`, hot cache, $runs runs each, medians," \
       "$(nproc) cores shared with other work, $(date -u +%Y-%m-%d)."
  echo
  echo "| | whole run | an empty folder | the listing stages (difference) |"
  echo "|---|---:|---:|---:|"
  echo "| listing_probe.exe under Wine | ${ms[0]} ms | ${ms[1]} ms | $probe_stages ms |"
  echo "| arbolin --compat | ${ms[2]} ms | ${ms[3]} ms | $cli_stages ms |"
  echo "| ratio | | | $(awk -v a=$probe_stages -v b=$cli_stages 'BEGIN {printf "%.1fx", a / (b > 0 ? b : 1)}') |"
} >"$report"

# ---- Where the time goes: system calls (strace -c, the probe's process) and CPU time (perf: the probe
# and the wineserver that serves it).
if command -v strace >/dev/null; then
  strace -c -f -o "$scratch/strace.txt" "$wine64" "$probe" "$(win "$tree")" >/dev/null 2>&1 </dev/null || true
  strace -c -f -o "$scratch/strace-cli.txt" "$arbolin" --compat "$tree" >/dev/null 2>&1 </dev/null || true
  per_folder() { awk '$NF == "total" {printf "%.1f", $4 / 10001}' "$1"; }
  {
    echo
    echo "System calls per folder listed: probe $(per_folder "$scratch/strace.txt")," \
         "arbolin --compat $(per_folder "$scratch/strace-cli.txt"). The probe's most frequent:"
    echo
    echo '```'
    head -14 "$scratch/strace.txt"
    echo '```'
  } >>"$report"
fi
if command -v perf >/dev/null; then
  server=
  for p in $(pgrep -x wineserver64 || true); do  # the server of this prefix, not another test run's
    if tr '\0' '\n' </proc/"$p"/environ 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then server=$p; fi
  done
  cpu_ms() { perf report -i "$1" --stdio --sort dso 2>/dev/null | awk '/Event count/ {printf "%.0f", $NF / 1e6}'; }
  kernel_share() {
    perf report -i "$1" --stdio --no-children --sort dso 2>/dev/null | awk '/kernel.kallsyms/ {print $1; exit}'
  }
  if [ -n "$server" ]; then
    perf record -q -F 2000 -o "$scratch/server.data" -p "$server" 2>/dev/null &
    recorder=$!
    sleep 0.5
  fi
  perf record -q -F 2000 -o "$scratch/probe.data" "$wine64" "$probe" "$(win "$tree")" >/dev/null 2>&1 </dev/null || true
  if [ -n "$server" ]; then
    kill -INT "$recorder"
    wait "$recorder" || true
  fi
  {
    echo
    echo "CPU time of one listing: the probe's process $(cpu_ms "$scratch/probe.data") ms" \
         "($(kernel_share "$scratch/probe.data") in the kernel)"${server:+", its wineserver $(cpu_ms "$scratch/server.data") ms ($(kernel_share "$scratch/server.data") in the kernel)"}"."
    echo "The probe's time by module:"
    echo
    echo '```'
    perf report -i "$scratch/probe.data" --stdio --no-children --sort dso 2>/dev/null | grep -E '^ +[0-9]' | head -8
    echo '```'
  } >>"$report"
fi
cat "$report"
