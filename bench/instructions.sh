#!/usr/bin/env bash
# Counts what a listing costs in measures a busy machine does not move: user-space instructions
# (valgrind's callgrind, the whole run from the dynamic loader on) and system calls (strace -c), for
# each program on each tree, output to /dev/null. Slow (callgrind runs some 50 times slower): for
# comparing two builds step by step, not for timing.
#
#   bench/instructions.sh OUT-DIR LOCALE PROGRAM[=LABEL]... -- FOLDER...
#
# Writes OUT-DIR/LABEL.TREE.LOCALE.callgrind (for callgrind_annotate) and prints one line per run:
# label tree locale instructions syscalls.
set -euo pipefail
[ $# -ge 4 ] || { sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 64; }
out=$1 locale_name=$2
shift 2
programs=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do programs+=("$1"); shift; done
shift
mkdir -p "$out"
for program in "${programs[@]}"; do
  path=${program%%=*}
  label=${program#*=}
  [ "$label" = "$program" ] && label=$(basename "$path")
  for folder in "$@"; do
    tree=$(basename "$folder")
    file="$out/$label.$tree.$locale_name.callgrind"
    LC_ALL=$locale_name valgrind --tool=callgrind --callgrind-out-file="$file" "$path" "$folder" \
      >/dev/null 2>"$file.log"
    ir=$(awk '/^summary:/ {print $2}' "$file")
    calls=$(LC_ALL=$locale_name strace -f -c -o "$file.strace" "$path" "$folder" >/dev/null 2>&1;
            awk '/total/ {print $4}' "$file.strace")
    printf '%s %s %s %s %s\n' "$label" "$tree" "$locale_name" "$ir" "$calls"
  done
done
