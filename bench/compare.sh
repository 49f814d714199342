#!/usr/bin/env bash
# Lists generated trees with `arbolin`, the floor (bench/floor.cpp: the bare sorted walk), `tree -a
# --noreport`, `find` and `ls -R`, hot cache, one locale for all, output to /dev/null; prints the
# medians, the ratios and the peak memory as a Markdown table, then (as root) the cold-cache times of
# arbolin, the floor and `ls -R` with the page cache dropped before every run, and draws the growth
# (time against entries) as a PNG with gnuplot.
#
#   bench/compare.sh [--runs N] [--cold-runs N] [--cold-only] [--quick] [--locale NAME] [--out DIR] [--no-tmpfs] [--clean]
#                    [--before PROGRAM [--start-only]]
#
#   --runs N       timed runs of each program on each tree (default 9); the median is reported
#   --cold-runs N  cold-cache runs of each program on each tree on disk (default 5; 0: none; root only)
#   --cold-only    the cold-cache table alone (nothing else may read the trees meanwhile)
#   --quick        3 runs, growth up to 2x only: a check that everything works, not a measurement
#   --locale NAME  the locale every program runs in (default C.UTF-8); the big tree is also listed in
#                  ja_JP.UTF-8 (generated when missing) in a row of its own
#   --out DIR      where table.md, growth.dat and growth.png go (default docs/bench)
#   --no-tmpfs     skip the trees on tmpfs (mounting one needs root)
#   --clean        make the trees on disk again even when they are there
#   --before PROG  also list the empty folder with PROG (another build of arbolin) side by side with this
#                  build and the floor, hot and (as root) cold: start-up before and after a change
#   --start-only   that comparison alone (no trees made, no other table)
#
# Trees (fixed seed, bench/make_tree.cpp): "big" 10,000 folders and 50,000 files at most 6 levels deep;
# "levels5" 65,535 folders in five levels; "flat" one folder with 100,000 files; "growth-K" the big tree's
# shape at K/4 of its size; "usr" a copy of /usr made once (folders, links, and files without their
# bytes: a listing reads none); "empty" an empty folder. They live under $ARBOLIN_BENCH_DIR (default
# /var/tmp/arbolin-bench) on the local disk and under a tmpfs mounted for the run at
# /tmp/arbolin-bench-tmpfs (unmounted at the end).
# Timed runs go round the programs in turn, so a busy machine slows them alike; compare ratios, not times.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
runs=9
cold_runs=5
hot=1
quick=0
locale_name=C.UTF-8
out="$here/docs/bench"
use_tmpfs=1
clean=0
before=
start_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift ;;
    --cold-runs) cold_runs=$2; shift ;;
    --cold-only) hot=0 ;;
    --quick) quick=1; runs=3; cold_runs=1 ;;
    --locale) locale_name=$2; shift ;;
    --out) out=$2; shift ;;
    --no-tmpfs) use_tmpfs=0 ;;
    --clean) clean=1 ;;
    --before) before=$2; shift ;;
    --start-only) start_only=1 ;;
    -h|--help) sed -n '2,32p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "compare.sh: unknown option $1 (see --help)" >&2; exit 64 ;;
  esac
  shift
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "compare.sh: --runs needs a positive number" >&2; exit 64; }
[[ "$cold_runs" =~ ^[0-9]+$ ]] || { echo "compare.sh: --cold-runs needs a number" >&2; exit 64; }
[ $start_only = 0 ] || [ -n "$before" ] || { echo "compare.sh: --start-only needs --before" >&2; exit 64; }
[ -z "$before" ] || [ -x "$before" ] || { echo "compare.sh: --before: $before is not a program" >&2; exit 64; }

build=${ARBOLIN_BUILD:-$here/build-perf}
disk=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}
tmpfs=/tmp/arbolin-bench-tmpfs
if [ "$(id -u)" != 0 ]; then SUDO=sudo; else SUDO=; fi

# ---- What the comparison needs: the build's packages and ja_JP.UTF-8, then tree, gnuplot, GNU time.
ARBOLIN_NATIVE_ONLY=1 "$here/scripts/install-deps.sh"
missing=()
command -v tree >/dev/null || missing+=(tree)
command -v gnuplot >/dev/null || missing+=(gnuplot-nox)
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
export LC_ALL=$locale_name
if [ "$(LC_ALL=$locale_name locale charmap 2>/dev/null)" != UTF-8 ]; then
  echo "compare.sh: the locale $locale_name is not installed" >&2
  exit 1
fi

source "$here/scripts/lib.sh"
native_arbolin "$build" make_tree floor
arbolin="$build/src/cli/arbolin"
floor="$build/bench/floor"
make_tree="$build/bench/make_tree"

# ---- The trees. A tree is made once and kept (on disk) while its recipe stays the same.
mounted=0
cleanup() {
  rm -f "${peak_file:-}"
  if [ $mounted = 1 ]; then $SUDO umount "$tmpfs" && rmdir "$tmpfs" || true; fi
}
trap cleanup EXIT
if [ $use_tmpfs = 1 ]; then
  mkdir -p "$tmpfs"
  if ! mountpoint -q "$tmpfs"; then
    if $SUDO mount -t tmpfs -o size=2g,mode=0755 arbolin-bench "$tmpfs"; then
      mounted=1
    else
      echo "compare.sh: cannot mount a tmpfs at $tmpfs; the tmpfs rows are left out" >&2
      use_tmpfs=0
    fi
  fi
fi

source "$here/bench/bench_lib.sh"
BENCH_CLEAN=$clean
mkdir -p "$disk"
bases=("$disk")
[ $use_tmpfs = 1 ] && bases+=("$tmpfs")
[ $start_only = 1 ] && bases=()
for base in "${bases[@]}"; do
  bench_tree "$base" big 10000 50000 6
  bench_tree "$base" levels5 65535 0 5
  bench_tree "$base" flat 0 100000 1
done
growth=(1 2 4 8 16)
[ $quick = 1 ] && growth=(1 2 4 8)
[ $start_only = 1 ] && growth=()
for k in "${growth[@]}"; do
  [ "$k" = 4 ] || bench_tree "$disk" "growth-$k" $((2500 * k)) $((12500 * k)) 6
done
mkdir -p "$disk/empty"
echo "0 0 0" >"$disk/empty.counts"
# The copy of /usr, made once: its counts as make_tree writes them (folders, files, bytes of names).
if [ $start_only = 0 ] && [ ! -f "$disk/usr.counts" ]; then
  rm -rf "$disk/usr"
  echo "copying /usr to $disk/usr (names only)" >&2
  cp -a --attributes-only /usr "$disk/usr"
  find "$disk/usr" -mindepth 1 -printf '%y %f\n' |
    LC_ALL=C awk '{ if ($1 == "d") d++; else f++; n += length(substr($0, 3)) } END { print d + 0, f + 0, n + 0 }' \
    >"$disk/usr.counts"
fi

# ---- Timing. Each round runs every program once, starting one further along each round.
programs=("$arbolin" "$floor" "tree -a --noreport" "find" "ls -R")
labels=(arbolin floor tree find "ls -R")

# median < numbers: the middle one (the lower middle for an even count).
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# time_turns DIR COUNT ROUNDS COLD: the first COUNT programs list DIR in turn, ROUNDS rounds, output to
# /dev/null; sets ms[i] to the median wall time of programs[i]. Hot (COLD 0): after one warm-up run each
# (the cache and the binaries). Cold (COLD 1): the page cache, dentries and inodes dropped before every run.
time_turns() {
  local dir=$1 count=$2 rounds=$3 cold=$4 r i k s e
  local -a samples=()
  if [ "$cold" = 0 ]; then
    for ((i = 0; i < count; i++)); do ${programs[i]} "$dir" >/dev/null; done
  fi
  for ((r = 0; r < rounds; r++)); do
    for ((k = 0; k < count; k++)); do
      i=$(((r + k) % count))
      if [ "$cold" = 1 ]; then
        sync
        echo 3 >/proc/sys/vm/drop_caches
      fi
      s=$EPOCHREALTIME
      ${programs[i]} "$dir" >/dev/null
      e=$EPOCHREALTIME
      samples[i]+="$((${e/./} - ${s/./})) "
    done
  done
  ms=()
  for ((i = 0; i < count; i++)); do
    ms[i]=$(tr ' ' '\n' <<<"${samples[i]}" | grep . | median | awk '{printf "%.1f", $1 / 1000}')
  done
}
# time_programs DIR COUNT: hot, `runs` rounds; time_cold DIR COUNT: cold, `cold_runs` rounds, into cold_ms.
time_programs() { time_turns "$1" "$2" "$runs" 0; }
time_cold() {
  time_turns "$1" "$2" "$cold_runs" 1
  cold_ms=("${ms[@]}")
}

# peak_kb COMMAND...: the peak resident memory in KB of one run.
peak_file=$(mktemp)
peak_kb() {
  /usr/bin/time -f %M -o "$peak_file" "$@" >/dev/null 2>&1 || true
  tail -1 "$peak_file"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b == 0) print "-"; else printf "%.2f", a / b}'; }

# start_rows: --before's comparison on the empty folder, hot and (as root) cold, appended to $1.
start_rows() {
  local file=$1
  programs=("$before" "$arbolin" "$floor")
  {
    echo
    echo "The empty folder, whole processes side by side: before ($before) and after ($arbolin):"
    echo
    echo "| cache | runs | before | after | floor | after / before | after / floor |"
    echo "|---|---:|---:|---:|---:|---:|---:|"
  } >>"$file"
  time_programs "$disk/empty" 3
  printf '| hot | %s | %s ms | %s ms | %s ms | %s | %s |\n' "$runs" "${ms[0]}" "${ms[1]}" "${ms[2]}" \
    "$(ratio "${ms[1]}" "${ms[0]}")" "$(ratio "${ms[1]}" "${ms[2]}")" | tee -a "$file"
  if [ "$cold_runs" -gt 0 ] && [ -w /proc/sys/vm/drop_caches ]; then
    time_cold "$disk/empty" 3
    printf '| cold | %s | %s ms | %s ms | %s ms | %s | %s |\n' "$cold_runs" "${cold_ms[0]}" "${cold_ms[1]}" \
      "${cold_ms[2]}" "$(ratio "${cold_ms[1]}" "${cold_ms[0]}")" "$(ratio "${cold_ms[1]}" "${cold_ms[2]}")" |
      tee -a "$file"
  fi
  programs=("$arbolin" "$floor" "tree -a --noreport" "find" "ls -R")
}
if [ $start_only = 1 ]; then
  mkdir -p "$out"
  echo "Locale $locale_name; $(date -u +%Y-%m-%d)." >"$out/start.md"
  start_rows "$out/start.md"
  echo "wrote $out/start.md" >&2
  exit 0
fi

# ---- The table.
table="$out/table.md"
mkdir -p "$out"
cpu=$(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)
{
  echo "Machine: $cpu, $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GB", $2 / 1048576}' /proc/meminfo) RAM;" \
       "$(. /etc/os-release && echo "$PRETTY_NAME"), kernel $(uname -r); local disk $(findmnt -no FSTYPE -T "$disk")."
  echo "$(tree --version | awk '{print $1, $2}'), $(find --version | head -1), $(ls --version | head -1);" \
       "locale $locale_name; $runs runs each, medians; $(date -u +%Y-%m-%d)."
  echo
  if [ $hot = 1 ]; then
    echo "| tree | file system | entries | arbolin | floor | tree -a | find | ls -R | arbolin / floor | arbolin / tree | arbolin / ls -R | arbolin peak RSS | bytes per entry beyond names |"
    echo "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
  fi
} >"$table"
row() {  # row BASE NAME FS-LABEL [LOCALE-LABEL]
  local base=$1 name=$2 fs=$3 label=${4:-} entries names kb lines baseline_kb
  baseline_kb=$(peak_kb "$arbolin" "$disk/empty")
  read -r folders files names <"$base/$name.counts"
  entries=$((folders + files))
  # The listing has one line per entry and one for the root: a quick check that all was listed.
  lines=$("$arbolin" "$base/$name" | wc -l)
  if [ "$lines" != $((entries + 1)) ]; then
    echo "compare.sh: arbolin listed $lines lines for $entries entries in $base/$name" >&2
    exit 1
  fi
  time_programs "$base/$name" 5
  kb=$(peak_kb "$arbolin" "$base/$name")
  local per=$(awk -v kb="$kb" -v b="$baseline_kb" -v n="$names" -v e="$entries" \
    'BEGIN {if (e == 0) print "-"; else printf "%.0f", ((kb - b) * 1024 - n) / e}')
  printf '| %s | %s | %s | %s ms | %s ms | %s ms | %s ms | %s ms | %s | %s | %s | %s KB | %s |\n' \
    "$name$label" "$fs" "$entries" "${ms[0]}" "${ms[1]}" "${ms[2]}" "${ms[3]}" "${ms[4]}" \
    "$(ratio "${ms[0]}" "${ms[1]}")" "$(ratio "${ms[0]}" "${ms[2]}")" "$(ratio "${ms[0]}" "${ms[4]}")" \
    "$kb" "$per" | tee -a "$table"
}
# cold_row NAME [LOCALE-LABEL]: arbolin, the floor and ls -R on the disk tree NAME, cold.
cold_row() {
  local name=$1 label=${2:-} folders files names
  read -r folders files names <"$disk/$name.counts"
  programs=("$arbolin" "$floor" "ls -R")
  time_cold "$disk/$name" 3
  programs=("$arbolin" "$floor" "tree -a --noreport" "find" "ls -R")
  printf '| %s | %s | %s ms | %s ms | %s ms | %s | %s |\n' "$name$label" "$((folders + files))" \
    "${cold_ms[0]}" "${cold_ms[1]}" "${cold_ms[2]}" "$(ratio "${cold_ms[0]}" "${cold_ms[1]}")" \
    "$(ratio "${cold_ms[0]}" "${cold_ms[2]}")" | tee -a "$table"
}
[ $hot = 1 ] && echo "arbolin: $arbolin; listing each tree $runs times with each program (locale $locale_name)" >&2
[ $hot = 1 ] && for name in big levels5 flat; do
  row "$disk" "$name" disk
  [ $use_tmpfs = 1 ] && row "$tmpfs" "$name" tmpfs
done
[ $hot = 1 ] && row "$disk" usr disk
if [ $hot = 1 ] && [ "$locale_name" != ja_JP.UTF-8 ]; then
  LC_ALL=ja_JP.UTF-8 row "$disk" big disk " (ja_JP.UTF-8)"
  LC_ALL=ja_JP.UTF-8 row "$disk" usr disk " (ja_JP.UTF-8)"
fi
[ $hot = 1 ] && row "$disk" empty disk
[ $hot = 1 ] && {
  echo
  echo "\"bytes per entry beyond names\": (peak RSS - peak RSS listing an empty folder ($(peak_kb "$arbolin" "$disk/empty") KB:" \
       "the program, ICU and its data) - the bytes of all names) / entries. \"usr\": a copy of /usr (names only)."
} >>"$table"

# ---- Cold cache: the page cache dropped before every run (root only), on disk.
if [ "$cold_runs" -gt 0 ] && [ -w /proc/sys/vm/drop_caches ]; then
  {
    echo
    echo "Cold cache (\`echo 3 > /proc/sys/vm/drop_caches\` before every run), $cold_runs runs each, medians:"
    echo
    echo "| tree | entries | arbolin | floor | ls -R | arbolin / floor | arbolin / ls -R |"
    echo "|---|---:|---:|---:|---:|---:|---:|"
  } >>"$table"
  for name in big levels5 flat usr empty; do cold_row "$name"; done
  LC_ALL=ja_JP.UTF-8 cold_row big " (ja_JP.UTF-8)"
elif [ "$cold_runs" -gt 0 ]; then
  echo "compare.sh: dropping the page cache needs root; no cold-cache table" >&2
fi
[ -n "$before" ] && start_rows "$table"

# ---- Growth: the big tree's shape at 1/4, 1/2, 1, 2 and 4 times its size, on disk.
[ $hot = 1 ] || { echo "wrote $table" >&2; exit 0; }
dat="$out/growth.dat"
echo "# entries arbolin_ms floor_ms tree_ms find_ms ls_ms" >"$dat"
for k in "${growth[@]}"; do
  name=growth-$k
  [ "$k" = 4 ] && name=big
  read -r folders files names <"$disk/$name.counts"
  time_programs "$disk/$name" 5
  echo "$((folders + files)) ${ms[*]}" | tee -a "$dat" >&2
done
gnuplot -e "datafile='$dat'; outfile='$out/growth.png'; subtitle='$(head -1 "$table" | sed "s/'//g")'" \
  "$here/bench/growth.gp"
echo "wrote $table, $dat and $out/growth.png" >&2
