#!/usr/bin/env bash
# What --gitignore costs: lists one generated git checkout with and without --gitignore, hot cache, output
# to /dev/null, the two runs taking turns round after round; prints both medians and their ratio, and
# checks that --gitignore left out what `git check-ignore` ignores.
#
#   bench/gitignore_compare.sh [--runs N] [--clean]
#
#   --runs N   timed runs of each (default 11); the median is reported
#   --clean    make the checkout again even when it is there
#
# The checkout ($ARBOLIN_BENCH_DIR, default /var/tmp/arbolin-bench, folder "gitignore"): bench/make_tree's
# big tree (10,000 folders, 50,000 files, at most 6 levels deep, fixed seed), a .gitignore at the top
# ("*.json", "/*/*.png", "**/tmp*/", "!*1.json"), one in every 25th folder ("*.md", "!*[0-9].md" or a
# subfolder's name), `git init` and `git add` of what is not ignored. Uses $ARBOLIN_BUILD (default
# build-git) and builds arbolin and make_tree there.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
runs=11
clean=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift ;;
    --clean) clean=1 ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "gitignore_compare.sh: unknown option $1 (see --help)" >&2; exit 64 ;;
  esac
  shift
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "gitignore_compare.sh: --runs needs a positive number" >&2; exit 64; }

build=${ARBOLIN_BUILD:-$here/build-git}
repo=${ARBOLIN_BENCH_DIR:-/var/tmp/arbolin-bench}/gitignore
export LC_ALL=C.UTF-8

source "$here/scripts/lib.sh"
native_arbolin "$build" make_tree
arbolin=$build/src/cli/arbolin

if [ "$clean" = 1 ] || [ ! -d "$repo/.git" ]; then
  rm -rf "$repo"
  mkdir -p "$(dirname "$repo")"
  "$build/bench/make_tree" "$repo" 10000 50000 6 >/dev/null
  python3 - "$repo" <<'EOF'
import os, random, sys
root = sys.argv[1]
rng = random.Random(20261207)
with open(os.path.join(root, '.gitignore'), 'w') as f:
    f.write('*.json\n/*/*.png\n**/tmp*/\n!*1.json\n')
n = 0
for d, dirs, files in os.walk(root):
    n += 1
    if d == root or n % 25:
        continue
    lines = ['*.md', '!*[0-9].md'] if rng.random() < 0.5 else []
    if dirs:
        lines.append(rng.choice(dirs) + '/')
    with open(os.path.join(d, '.gitignore'), 'w') as f:
        f.write('\n'.join(lines) + '\n')
EOF
  git -C "$repo" init -q
  git -C "$repo" add -A
fi

entries=$("$arbolin" --indented "$repo" | wc -l)
kept=$("$arbolin" --indented --gitignore "$repo" | wc -l)
ignored=$(git -C "$repo" status --porcelain --ignored --untracked-files=all | grep -c '^!!' || true)
echo "checkout: $repo: $((entries - 1)) entries, $(find "$repo" -name .gitignore | wc -l) .gitignore files;" \
     "--gitignore lists $((kept - 1)) (git status --ignored: $ignored ignored paths, folders counted once)"

# What --gitignore keeps must be what git does not ignore (the same check the tests make, at this size).
"$arbolin" --gitignore --format json -o /tmp/arbolin-gitignore.json "$repo"
python3 "$here/tests/gitignore_check.py" /tmp/arbolin-gitignore.json "$repo" "$repo"
rm -f /tmp/arbolin-gitignore.json

python3 "$here/bench/take_turns.py" "$runs" "$arbolin" "$repo" "plain=" "with --gitignore=--gitignore"
