#!/usr/bin/env bash
# Checks that two arbolin builds write the same bytes: each folder listed by both in C.UTF-8 and
# ja_JP.UTF-8, in every view, piece set, encoding and format, with --natural and --compat, the outputs
# and exit statuses compared with cmp. Also lists a folder of random short printable-ASCII names (case
# pairs, punctuation, digits; some folders with a Japanese name or an invalid byte among them), made once.
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
options=("" "--indented" "--pieces ascii" "--encoding sjis" "--encoding sjis --pieces ascii" "--format json"
         "--format markdown" "--natural" "--natural --indented" "--name-limit" "--files-first" "--compat"
         "--no-folder-names" "--summary")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
checked=0 differ=0
for folder in "$@" "$names"; do
  for locale_name in C.UTF-8 ja_JP.UTF-8; do
    for opts in "${options[@]}"; do
      # shellcheck disable=SC2086
      a=0; LC_ALL=$locale_name "$old" $opts "$folder" >"$out/a" 2>"$out/a.err" || a=$?
      # shellcheck disable=SC2086
      b=0; LC_ALL=$locale_name "$new" $opts "$folder" >"$out/b" 2>"$out/b.err" || b=$?
      checked=$((checked + 1))
      if [ $a != $b ] || ! cmp -s "$out/a" "$out/b" || ! cmp -s "$out/a.err" "$out/b.err"; then
        differ=$((differ + 1))
        echo "DIFFERENT: LC_ALL=$locale_name arbolin $opts $folder (exit $a / $b)"
        cmp "$out/a" "$out/b" | head -2 || true
      fi
    done
  done
done
echo "$checked listings compared, $differ different"
[ $differ = 0 ]
