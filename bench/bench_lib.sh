# The set-up the benchmark scripts share (sourced after scripts/lib.sh): their --runs option and the
# generated trees, each made once and kept while its recipe stays the same.

# bench_options SCRIPT DEFAULT_RUNS HELP_LAST_LINE "$@": reads --runs N and -h into `runs`; exits 64 on
# anything else (the caller's own options must be taken off first).
bench_options() {
  local script=$1 help=$3
  runs=$2
  shift 3
  while [ $# -gt 0 ]; do
    case "$1" in
      --runs) runs=${2:-}; shift ;;
      -h|--help) sed -n "2,${help}p" "$ARBOLIN_ROOT/bench/$script" | sed 's/^# \{0,1\}//'; exit 0 ;;
      *) echo "$script: unknown option $1 (see --help)" >&2; exit 64 ;;
    esac
    shift
  done
  [[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "$script: --runs needs a positive number" >&2; exit 64; }
}

# bench_tree BASE NAME FOLDERS FILES DEPTH [--ascii]: makes BASE/NAME with bench/make_tree (fixed seed)
# unless it is there with this recipe; its counts go to BASE/NAME.counts. BENCH_CLEAN=1 makes it again
# whatever. --ascii: names of ASCII only (for the Windows programs under Wine).
bench_tree() {
  local dir="$1/$2" recipe="$3 $4 $5${6:+ $6}"
  if [ "${BENCH_CLEAN:-0}" = 1 ] || [ "$(cat "$1/$2.recipe" 2>/dev/null)" != "$recipe" ]; then
    rm -rf "$dir" "$1/$2.recipe" "$1/$2.counts"
    mkdir -p "$1"
    echo "making $dir ($3 folders, $4 files)" >&2
    "$build/bench/make_tree" ${6:+"$6"} "$dir" "$3" "$4" "$5" >"$1/$2.counts"
    echo "$recipe" >"$1/$2.recipe"
  fi
}

# bench_wine WINBUILD TARGET: builds TARGET in WINBUILD, an x86_64 cross build without tests, and starts a
# 64-bit Wine session in a prefix of its own there (booted once without its 32-bit half, as
# scripts/win-test.sh does; the server stays up between runs, as it does for a session). Sets WINEPREFIX
# and the Wine environment (wine_env); `wineserver -k` ends the session.
bench_wine() {
  local winbuild=$1 target=$2
  cmake -S "$ARBOLIN_ROOT" -B "$winbuild" -DCMAKE_TOOLCHAIN_FILE="$ARBOLIN_ROOT/cmake/mingw-i686.cmake" \
        -DARBOLIN_WIN_ARCH=x86_64 -DARBOLIN_WIN_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$winbuild" -j"$ARBOLIN_JOBS" --target "$target" >/dev/null
  wine_env x86_64
  export WINEPREFIX=$winbuild/wineprefix
  if [ ! -e "$WINEPREFIX/.arbolin-bench" ]; then
    rm -rf "$WINEPREFIX"
    boot_prefix x86_64 "$WINEPREFIX" "$winbuild/wineboot.log"
    touch "$WINEPREFIX/.arbolin-bench"
  fi
  wineserver -p </dev/null >/dev/null 2>&1
  "$WINE64_LOADER" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

# win PATH: PATH as a Windows program under Wine names it (drive Z: is /).
win() { printf 'Z:%s' "$1" | tr / '\\'; }

# bench_medians RUNS COMMAND...: runs the COMMANDs (each one string, split on blanks) in turn, RUNS rounds,
# with standard input and output on /dev/null, and sets the array `ms` to each one's median in ms.
bench_medians() {
  local runs=$1 r k s e
  shift
  local -a commands=("$@") samples=()
  for ((r = 0; r < runs; r++)); do
    for k in "${!commands[@]}"; do
      s=$EPOCHREALTIME
      ${commands[k]} >/dev/null 2>&1 </dev/null || true
      e=$EPOCHREALTIME
      samples[k]+="$((${e/./} - ${s/./})) "
    done
  done
  ms=()
  for k in "${!commands[@]}"; do
    ms[k]=$(tr ' ' '\n' <<<"${samples[k]}" | grep . | sort -n |
            awk '{v[NR] = $1} END {printf "%.0f", v[int((NR + 1) / 2)] / 1000}')
  done
}
