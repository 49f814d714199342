#!/usr/bin/env bash
# Checks that two arbolin builds write the same bytes: each folder listed by both in C.UTF-8 and
# ja_JP.UTF-8, in every view, piece set, encoding and format, with --natural and --compat, the outputs
# and exit statuses compared with cmp, and with the metadata options (sizes, dates, modes, marks, orders,
# colour, links); the HTML page; and the readers: each folder's list of paths through --fromfile, and each
# tree and indented listing of it (utf8 and sjis) read back through --parse, as paths and as JSON. Also
# lists a folder of random short printable-ASCII names (case pairs, punctuation, digits; some folders with
# a Japanese name or an invalid byte among them), made once.
#
#   bench/same_output.sh OLD-ARBOLIN NEW-ARBOLIN FOLDER...
set -euo pipefail
[ $# -ge 3 ] || { sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 64; }
old=$1 new=$2
shift 2
names=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}/names
if [ ! -d "$names" ]; then
  python3 - "$names" <<'PY'
import os, random, string, sys
random.seed(16)
root = sys.argv[1]
chars = string.ascii_letters + string.digits + " ._-~#$%&'()+,;=@[]^`{}!"
for f in range(300):
    folder = os.path.join(root, "d%03d" % f)
    os.makedirs(folder)
    made = set()
    for _ in range(random.randint(1, 40)):
        name = "".join(random.choice(chars) for _ in range(random.randint(1, 4)))
        if name in (".", "..") or name.lower() in made:
            continue
        made.add(name.lower())
        path = os.path.join(folder, name)
        if random.random() < 0.3:
            os.mkdir(path)
        else:
            open(path, "w").close()
    if f % 7 == 0:
        open(os.path.join(folder, "日本 %d" % f), "w").close()
    if f % 11 == 0:
        os.mkdir(os.path.join(folder.encode(), b"x\xff"))
    if f % 13 == 0:
        open(os.path.join(folder, "TAB\there"), "w").close()
PY
fi
# A folder holding every kind of entry, for the metadata options: links (to a file, to a folder, back up,
# broken), a FIFO, an executable, setuid and sticky modes, hard links, sizes at unit boundaries.
kinds=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}/kinds
if [ ! -d "$kinds" ]; then
  mkdir -p "$kinds/a/b" "$kinds/c" "$kinds/sticky"
  printf '%01000d' 0 >"$kinds/a/f"; ln "$kinds/a/f" "$kinds/c/g"; printf '%0500d' 0 >"$kinds/a/s"
  truncate -s 1023 "$kinds/a/b/k1023"; truncate -s 1024 "$kinds/a/b/k1024"; truncate -s 1048577 "$kinds/m"
  printf '#!/bin/sh\n' >"$kinds/run.sh"; chmod 755 "$kinds/run.sh"; chmod 4755 "$kinds/c/g"
  chmod 1777 "$kinds/sticky"; mkfifo "$kinds/fifo"
  ln -s a/f "$kinds/link"; ln -s a "$kinds/dirlink"; ln -s .. "$kinds/a/up"; ln -s missing "$kinds/broken"
  touch -d '1999-12-31 23:59:59' "$kinds/a/s"; touch -d '2030-01-01 00:00:00' "$kinds/m"
fi
options=("" "--indented" "--pieces ascii" "--encoding sjis" "--encoding sjis --pieces ascii" "--format json"
         "--format markdown" "--natural" "--natural --indented" "--name-limit" "--files-first" "--compat"
         "--no-folder-names" "--summary"
         "-s" "-s --human" "-s --si --du" "-D" "-D --timefmt %s" "-p" "-F" "-p -s -D -F --indented"
         "--sort size" "--sort mtime -r" "-t" "--sort version" "--sort none" "-r --natural" "--color=always"
         "-l -F" "-x" "-s -D --format json" "-p -s --format markdown" "--format html"
         "--format html --title T --base-href http://x/y" "-F --format json -l" "--filelimit 3 --format json")
# Run over the listings of each folder: (options that make the listing) and (options of the reader).
readers=("--fromfile" "--fromfile --summary" "--fromfile --format json" "--fromfile --encoding sjis")
parses=("" "--indented" "--pieces ascii" "--encoding sjis" "--indented --encoding sjis" "-s -D -p"
        "-F" "--name-limit")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
checked=0 differ=0
# compare WHAT: the outputs, messages and exit statuses of the two runs just made ($a, $b).
compare() {
  checked=$((checked + 1))
  if [ "$a" != "$b" ] || ! cmp -s "$out/a" "$out/b" || ! cmp -s "$out/a.err" "$out/b.err"; then
    differ=$((differ + 1))
    echo "DIFFERENT: $1 (exit $a / $b)"
    cmp "$out/a" "$out/b" | head -2 || true
    cmp "$out/a.err" "$out/b.err" | head -2 || true
  fi
}
for folder in "$@" "$names" "$kinds"; do
  for locale_name in C.UTF-8 ja_JP.UTF-8; do
    for opts in "${options[@]}"; do
      # shellcheck disable=SC2086
      a=0; LC_ALL=$locale_name "$old" $opts "$folder" >"$out/a" 2>"$out/a.err" || a=$?
      # shellcheck disable=SC2086
      b=0; LC_ALL=$locale_name "$new" $opts "$folder" >"$out/b" 2>"$out/b.err" || b=$?
      compare "LC_ALL=$locale_name arbolin $opts $folder"
    done
    # The folder as a list of paths (made by the old build, so both read the same bytes).
    (cd "$folder" && find . -mindepth 1 \( -type d -printf '%p/\n' -o -printf '%p\n' \) | LC_ALL=C sort) \
      >"$out/list" 2>/dev/null || true
    for opts in "${readers[@]}"; do
      # shellcheck disable=SC2086
      a=0; LC_ALL=$locale_name "$old" $opts "$out/list" >"$out/a" 2>"$out/a.err" || a=$?
      # shellcheck disable=SC2086
      b=0; LC_ALL=$locale_name "$new" $opts "$out/list" >"$out/b" 2>"$out/b.err" || b=$?
      compare "LC_ALL=$locale_name arbolin $opts (the paths of $folder)"
    done
    for opts in "${parses[@]}"; do
      # shellcheck disable=SC2086
      LC_ALL=$locale_name "$old" $opts "$folder" >"$out/listing" 2>/dev/null || true
      for reader in "--parse" "--parse --format json" "--parse -0"; do
        # shellcheck disable=SC2086
        a=0; LC_ALL=$locale_name "$old" $reader --timefmt '%Y-%m-%d %H:%M' "$out/listing" >"$out/a" 2>"$out/a.err" || a=$?
        # shellcheck disable=SC2086
        b=0; LC_ALL=$locale_name "$new" $reader --timefmt '%Y-%m-%d %H:%M' "$out/listing" >"$out/b" 2>"$out/b.err" || b=$?
        compare "LC_ALL=$locale_name arbolin $reader (arbolin $opts $folder)"
      done
    done
  done
done
echo "$checked listings compared, $differ different"
[ $differ = 0 ]
