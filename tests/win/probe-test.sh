#!/bin/sh
# The Windows program's listings of folders made here, through listing_probe.exe (the real FindFirstFileA
# and lstrcmp(i)A under Wine), byte for byte. Given ARBOLIN, also compares every listing of a few generated
# trees with `arbolin --compat` (all but the root line, which holds the Windows path). Given ARBOLIN_EXE
# (arbolin.exe), compares it under Wine with `--compat` and the same Windows path (root lines apart) over
# every view and option set the program has, on those trees and on one whose names are partly outside
# code page 932 (what FindFirstFileA gives for them, best fit or '?', is what arbolin.exe must show).
# Usage: probe-test.sh RUNNER PROBE DIR [ARBOLIN|-] [ARBOLIN_EXE]
set -u
runner=$1 probe=$2 dir=$3 arbolin=${4:-} arbolin_exe=${5:-}
[ "$arbolin" = - ] && arbolin=
rm -rf "$dir"
mkdir -p "$dir"
failed=0 passed=0

win() { printf 'Z:%s' "$1" | tr / '\\'; }
# Readable UTF-8 with "\n" line ends to the program's bytes: Shift_JIS and CRLF.
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932 | LC_ALL=C sed 's/$/\r/'; }
show() { iconv -f CP932 -t UTF-8 "$1" 2>/dev/null | sed 's/\r$/<CR>/' || od -c "$1"; }

# check NAME FOLDER ROOTLINE EXPECTED [probe options]: EXPECTED is what follows the root line.
check() {
  name=$1 folder=$2 root=$3 expected=$4
  shift 4
  "$runner" "$probe" "$(win "$folder")" "$@" >"$dir/$name.out" 2>"$dir/$name.err" </dev/null
  sjis "[ $root ]
$expected" >"$dir/$name.want"
  if cmp -s "$dir/$name.out" "$dir/$name.want"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL $name: expected"; show "$dir/$name.want"; echo "got"; show "$dir/$name.out"; cat "$dir/$name.err"
  fi
}

# The worked example.
w=$dir/work
mkdir -p "$w/Docs" "$w/Src/Lib"
touch "$w/Docs/b.txt" "$w/Docs/a.txt" "$w/readme.txt" "$w/Src/main.c"
check tree "$w" "$(win "$w")" ' ├[ Docs ]
 │ ├a.txt
 │ └b.txt
 ├[ Src ]
 │ ├[ Lib ]
 │ └main.c
 └readme.txt
'
check indented "$w" "$(win "$w")" '   [ Docs ]
      a.txt
      b.txt
   [ Src ]
      [ Lib ]
      main.c
   readme.txt
' --indented
check files-only "$w" "$(win "$w")" ' ├a.txt
 ├b.txt
 ├main.c
 └readme.txt
' --no-folder-names

# Depth limit 2 on a deeper tree: l2 is recorded, not entered.
z=$dir/z
mkdir -p "$z/l1/l2/l3"
touch "$z/l1/l2/l3/f3.txt" "$z/l1/l2/f2.txt" "$z/l1/f1.txt"
check depth-2 "$z" "$(win "$z")" ' └[ l1 ]
    ├[ l2 ]
    └f1.txt
' --depth 2

# Japanese names arrive in code page 932; the name limit never cuts a two-byte character in half.
j=$dir/jp
mkdir -p "$j/日本語"
touch "$j/日本語/表計算.txt" "$j/Aあいうえおかきくけこさし"
check japanese "$j" "$(win "$j")" ' ├[ 日本語 ]
 │ └表計算.txt
 └Aあいうえおかきくけこさし
'
check name-limit "$j" "$(win "$j" | cut -c1-14) …" ' ├[ 日本語 ]
 │ └表計算.txt
 └Aあいうえおか …
' --name-limit

# No file at all: one empty last line.
mkdir -p "$dir/empty"
check empty "$dir/empty" "$(win "$dir/empty")" '
'

# ---- the same listings from `arbolin --compat`, over generated trees
# compare SIDE FOLDER [options]: the Windows program's listing of FOLDER against `--compat`'s: SIDE cli
# the native arbolin's, exe arbolin.exe's under Wine (given the same Windows path), all but the root line
# (the native one shows the Linux path); SIDE root arbolin.exe's whole listing, root line included.
compare() {
  side=$1 folder=$2
  shift 2
  name="$side$(echo "$folder $*" | tr -c 'a-zA-Z0-9' '_')"
  "$runner" "$probe" "$(win "$folder")" "$@" 2>/dev/null </dev/null >"$dir/$name.win"
  if [ "$side" = cli ]; then
    LC_ALL=ja_JP.UTF-8 "$arbolin" --compat "$@" "$folder" 2>"$dir/$name.err" </dev/null >"$dir/$name.out"
  else
    "$runner" "$arbolin_exe" --compat "$@" "$(win "$folder")" 2>"$dir/$name.err" </dev/null >"$dir/$name.out"
  fi
  from=2
  [ "$side" = root ] && from=1
  tail -n +$from "$dir/$name.win" >"$dir/$name.want"
  tail -n +$from "$dir/$name.out" >"$dir/$name.got"
  if [ -s "$dir/$name.win" ] && cmp -s "$dir/$name.want" "$dir/$name.got"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL $name: the Windows program and $side --compat differ"
    diff "$dir/$name.want" "$dir/$name.got" | head -20
    head -3 "$dir/$name.err"
  fi
}

# A tree of N folders and files with names both collations order alike (letters, digits, dots, and
# Japanese), made from a fixed seed; WORDS, when given, are the words names are made of instead.
generate() {
  root=$1 seed=$2 count=$3
  words=${4:-Alpha beta Gamma delta eps Zeta eta9 theta iota kappa 表 データ 日本 ソ x1 X2 readme notes}
  mkdir -p "$root"
  awk -v seed="$seed" -v count="$count" -v words="$words" 'BEGIN {
    srand(seed); nw = split(words, w, " ")
    n = 1; dirs[1] = ""
    for (i = 0; i < count; i++) {
      parent = dirs[int(rand() * n) + 1]
      name = w[int(rand() * nw) + 1] int(rand() * 30)
      if (rand() < 0.35) { dirs[++n] = parent "/" name; print "d" parent "/" name }
      else print "f" parent "/" name (rand() < 0.5 ? ".txt" : "")
    }
  }' | while IFS= read -r line; do
    path=$root${line#?}
    case $line in
      d*) mkdir -p "$path" 2>/dev/null ;;
      f*) [ -e "$path" ] || touch "$path" 2>/dev/null ;;
    esac
  done
}

if [ -n "$arbolin" ]; then
  for seed in 1 2 3; do
    generate "$dir/gen$seed" "$seed" 120
    for opts in "" "--indented" "--no-folder-names" "--no-file-names" "--no-subfolders" "--name-limit" \
                "--depth 2" "--depth 3 --name-limit" "--indented --no-folder-names"; do
      # shellcheck disable=SC2086
      compare cli "$dir/gen$seed" $opts
    done
  done
  compare cli "$w"
  compare cli "$j" --name-limit
fi

# ---- arbolin.exe --compat under Wine against the program itself
if [ -n "$arbolin_exe" ]; then
  # Outside code page 932: Korean, an emoji, accented Latin (best fit), a check mark; half-width kana and
  # the wave dash's neighbours inside it.
  generate "$dir/wide" 4 120 "Alpha beta 한글 😀 café Ärger ß ✓ ｶﾅ 表 ソ x1 X2 naïve"
  for tree in "$dir/gen1" "$dir/gen2" "$dir/gen3" "$dir/wide"; do
    [ -d "$tree" ] || generate "$tree" "${tree##*gen}" 120
    # Every combination of the view and the four switches, at every depth the program offers.
    for view in "" --indented; do
      for sub in "" --no-subfolders; do
        for folders in "" --no-folder-names; do
          for files in "" --no-file-names; do
            for limit in "" --name-limit; do
              # shellcheck disable=SC2086
              compare exe "$tree" $view $sub $folders $files $limit
            done
          done
        done
      done
      for depth in 2 3 4 5 6; do
        # shellcheck disable=SC2086
        compare exe "$tree" $view --depth $depth
      done
    done
  done
  # The root line as the program shows it: the Windows path as given, backslashes and all.
  compare root "$w"
  compare root "$j" --name-limit
  compare root "$z" --depth 2
  compare root "$dir/empty"
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
