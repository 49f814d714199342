# Helpers of the end-to-end scenarios (sourced by run-group.sh): a Wine session per scenario in a fresh
# copy of the template prefix, the program started in a chosen start directory, driver steps that leave a
# screenshot when they fail, the expected listings from the native `arbolin --compat`, byte comparisons.
# Scenarios run in a subshell with `set -e`: the first failing step or check ends the scenario.

# Wine as the program needs it (scripts/lib.sh): 32-bit Wine in a win32 prefix for the i686 product,
# wine64 for the x86_64 twin, chosen by the program's own PE header; the locale ja_JP.UTF-8 (code page 932).
source "$SOURCE/scripts/lib.sh"
wine_env "$(pe_arch "$PROGRAM")"
# The loader every Wine program of a scenario runs with (WINE64: its older name, kept for scenarios).
WINE64=$WINE

say() { printf '%s\n' "$*"; }

# A Linux path as the program sees it on drive Z:.
winpath() {
  local p
  p=$(realpath -m "$1")
  printf 'Z:%s' "${p//\//\\}"
}

shot_count=0
screenshot() {
  shot_count=$((shot_count + 1))
  local file=$SCENARIO_DIR/failure-$shot_count.png
  import -window root "$file" 2>/dev/null && say "  screenshot: $file"
}

# One Wine session: the scenario's own prefix (copied from the template), its wineserver, and the Wine
# services started with stdio closed (they would otherwise hold ctest's output pipe open).
session_start() {
  export WINEPREFIX=$SCENARIO_DIR/prefix
  rm -rf "$WINEPREFIX"
  cp -a "$TEMPLATE/." "$WINEPREFIX/"
  wineserver -p </dev/null >/dev/null 2>&1
  "$WINE64" cmd.exe /c exit </dev/null >/dev/null 2>&1
  OPENED_LOG=$WINEPREFIX/drive_c/e2e/opened.log
}

# Ends the session's Wine processes and starts them again (drives mapped in dosdevices/ are seen by
# Wine's mount manager only when it starts).
session_restart() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1
  "$WINE64" cmd.exe /c exit </dev/null >/dev/null 2>&1
}

session_end() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}

# Starts ZK-Arbolin.exe with DIR as its current (start) directory, and ARG as its command line's
# argument when given (Wine quotes an argument with spaces, as the Explorer does), and waits for its main
# window.
APP_PID=
app_start() {
  local dir=$1
  shift
  (cd "$dir" && exec "$WINE64" "$PROGRAM" "$@" </dev/null >>"$SCENARIO_DIR/program.log" 2>&1) &
  APP_PID=$!
  drv wait-main
}

# Waits (bounded) until the program has ended, and checks its exit code 0.
app_wait_exit() {
  drv wait-exit
  local i
  for i in $(seq 200); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$APP_PID" 2>/dev/null; then
    say "FAIL the program's process did not end"
    screenshot
    return 1
  fi
  local rc=0
  wait "$APP_PID" || rc=$?
  APP_PID=
  [ "$rc" = 0 ] || { say "FAIL the program ended with exit code $rc"; return 1; }
}

# Driver steps (several separated by --); its output is code page 932.
drv() {
  local out rc=0
  out=$(timeout 120 "$WINE64" "$DRIVER" "$@" </dev/null 2>&1) || rc=$?
  [ -z "$out" ] || printf '%s\n' "$out" | iconv -f CP932 -t UTF-8 -c | sed 's/^/  /'
  if [ "$rc" != 0 ]; then
    say "FAIL in driver step: $*"
    screenshot
    return 1
  fi
}

# Driver output only (for steps that print a value).
drv_value() {
  timeout 120 "$WINE64" "$DRIVER" "$@" </dev/null 2>/dev/null | tr -d '\r'
}

# Fails unless the two files hold the same bytes; shows where they part (as UTF-8 text).
same_bytes() {
  local got=$1 want=$2 what=$3
  if cmp -s "$got" "$want"; then return 0; fi
  say "FAIL $what: the bytes differ ($(cmp "$got" "$want" 2>&1 | head -1))"
  diff <(iconv -f CP932 -t UTF-8 -c "$want" | cat -A) <(iconv -f CP932 -t UTF-8 -c "$got" | cat -A) \
    | head -20 | sed 's/^/  /'
  return 1
}

check() {  # check WHAT GOT WANT
  [ "$2" = "$3" ] && return 0
  say "FAIL $1: got '$2', want '$3'"
  return 1
}

# UTF-8 text to the code page 932 bytes the program writes (line ends written as $'\r\n').
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# The expected listing of FOLDER with arbolin OPTIONS, without its root line (the program's root line
# holds the Windows path): writes it to FILE, and arbolin's exit status to FILE.status (1: a subfolder
# unreadable; 2: the text limit reached, the text up to there printed).
expected_listing() {
  local file=$1 folder=$2; shift 2
  local rc=0
  "$ARBOLIN" --compat "$@" "$folder" >"$file.full" 2>"$file.err" || rc=$?
  echo "$rc" >"$file.status"
  tail -n +2 "$file.full" >"$file"
}

# Reads the edit control's text into FILE (the program's bytes).
edit_text() { drv edit-get "$(winpath "$1")"; }

# Checks the edit control: root line "[ WINPATH ]" (unless --no-root) and the rest equal to
# `arbolin --compat OPTIONS FOLDER`.
check_listing() {
  local what=$1 folder=$2; shift 2
  local root=1
  if [ "${1:-}" = --no-root ]; then root=0; shift; fi
  local got=$SCENARIO_DIR/got.txt want=$SCENARIO_DIR/want.txt
  edit_text "$got"
  expected_listing "$want" "$folder" "$@"
  if [ $root = 1 ]; then
    check "$what: root line" "$(head -n 1 "$got" | iconv -f CP932 -t UTF-8)" "[ ${ROOT_LINE:-$(winpath "$folder")} ]"$'\r'
  fi
  tail -n +2 "$got" >"$got.rest"
  same_bytes "$got.rest" "$want" "$what (listing against arbolin --compat $*)"
}

# Waits (bounded) until the recording handler has logged N lines; prints the log.
opened_lines() {
  local n=$1 i
  for i in $(seq 150); do
    [ -f "$OPENED_LOG" ] && [ "$(wc -l <"$OPENED_LOG")" -ge "$n" ] && break
    sleep 0.1
  done
  [ -f "$OPENED_LOG" ] && iconv -f CP932 -t UTF-8 -c "$OPENED_LOG"
}

# Removes a scenario's folder, unreadable and read-only folders in it included.
remove_tree() {
  chmod -R u+rwx "$1" 2>/dev/null || true
  rm -rf "$1"
}

# Runs scenario functions, each in a subshell with set -e and its own folder and Wine session.
run_scenarios() {
  local failed=0 name try rc started
  for name in "$@"; do
    SCENARIO_DIR=$RUNS/$GROUP/$name
    for try in 1 2; do
      remove_tree "$SCENARIO_DIR"
      mkdir -p "$SCENARIO_DIR"
      say "== $GROUP/$name"
      started=$SECONDS
      (
        set -eE
        E2E_LEVEL=$BASH_SUBSHELL
        # Names the scenario's line that failed (not the helpers' inner commands).
        trap '[ "$BASH_SUBSHELL" = "$E2E_LEVEL" ] && [[ "${FUNCNAME[0]:-}" == scenario_* ]] &&
              say "  (stopped at ${BASH_SOURCE[0]##*/} line $LINENO)"' ERR
        trap session_end EXIT
        session_start
        "scenario_$name"
      )
      rc=$?
      if [ $rc = 0 ]; then
        say "PASS $GROUP/$name ($((SECONDS - started)) s)"
        [ -n "${E2E_KEEP:-}" ] || remove_tree "$SCENARIO_DIR"
        break
      fi
      # What Wine said about the program (a crash shows here), without the save dialog's volume noise.
      grep -v 'Read access denied for device' "$SCENARIO_DIR/program.log" 2>/dev/null | tail -n 5 | sed 's/^/  program: /'
      if [ $try = 1 ]; then
        # A scenario that fails once is run again from a fresh prefix: under Wine a window or a key now
        # and then goes astray on a loaded machine. A fault of the program fails both times; the first
        # try's folder is kept for a look either way.
        remove_tree "$SCENARIO_DIR.first-try"
        mv "$SCENARIO_DIR" "$SCENARIO_DIR.first-try"
        say "RETRY $GROUP/$name (first try kept: $SCENARIO_DIR.first-try)"
      else
        say "FAIL $GROUP/$name (kept: $SCENARIO_DIR and $SCENARIO_DIR.first-try)"
        failed=1
      fi
    done
  done
  return $failed
}
