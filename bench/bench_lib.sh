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

# bench_tree BASE NAME FOLDERS FILES DEPTH: makes BASE/NAME with bench/make_tree (fixed seed) unless it is
# there with this recipe; its counts go to BASE/NAME.counts. BENCH_CLEAN=1 makes it again whatever.
bench_tree() {
  local dir="$1/$2" recipe="$3 $4 $5"
  if [ "${BENCH_CLEAN:-0}" = 1 ] || [ "$(cat "$1/$2.recipe" 2>/dev/null)" != "$recipe" ]; then
    rm -rf "$dir" "$1/$2.recipe" "$1/$2.counts"
    mkdir -p "$1"
    echo "making $dir ($3 folders, $4 files)" >&2
    "$build/bench/make_tree" "$dir" "$3" "$4" "$5" >"$1/$2.counts"
    echo "$recipe" >"$1/$2.recipe"
  fi
}
