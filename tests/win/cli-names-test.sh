#!/bin/sh
# arbolin.exe under Wine with names beyond ASCII, byte for byte: Japanese, Korean, accented Latin (both
# composed and decomposed), half-width kana and an emoji in a UTF-8 file (-o), on standard output to a
# file, and in a console's screen buffer (console_capture.exe reads it back as UTF-16); a name with an
# unpaired surrogate listed escaped; paths longer than 260 characters listed.
# Wine cannot hold a name with an unpaired surrogate in a folder (it refuses to create one, and shows a
# Linux name that is not UTF-8 as U+FFFD), so such a name reaches arbolin.exe here as a line of a UTF-16
# --fromfile list and as FOLDER on a command line that console_capture.exe builds.
# Usage: cli-names-test.sh RUNNER ARBOLIN_EXE CAPTURE_EXE DIR   (RUNNER: wine-run.sh; WINEPREFIX set)
set -u
runner=$1 exe=$2 capture=$3 dir=$4
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir" || exit 1
failed=0 passed=0

# check NAME EXPECTED-FILE GOT-FILE
check() {
  if cmp -s "$2" "$3"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL $1: expected"; od -c "$2" | head -20; echo "got"; od -c "$3" | head -20
  fi
}
# status NAME EXPECTED GOT
status() {
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $1: exit $3, expected $2"; fi
}
# The console is a window under Wine, which needs a display.
console() {
  if [ -n "${DISPLAY:-}" ]; then
    "$runner" "$capture" "$@" </dev/null
  else
    xvfb-run -a -s "-nolisten tcp" "$runner" "$capture" "$@" </dev/null
  fi
}

# ---- one name of each kind at each level, so that the order is the same in every collation
ja=$(printf '\346\227\245\346\234\254\350\252\236')          # 日本語
ko=$(printf '\355\225\234\352\265\255\354\226\264')          # 한국어
nfc=$(printf 'caf\303\251')                                  # café, é composed
nfd=$(printf 'cafe\314\201')                                 # café, e and a combining acute accent
kana=$(printf '\357\275\266\357\276\200\357\276\205')        # ｶﾀﾅ, half-width
emoji=$(printf '\360\237\230\200.txt')                       # 😀.txt, a surrogate pair in UTF-16
mkdir -p "N/$ja/$ko/$nfc/$nfd/$kana"
: >"N/$ja/$ko/$nfc/$nfd/$kana/$emoji"
printf '[ N ]\n └[ %s ]\n   └[ %s ]\n     └[ %s ]\n       └[ %s ]\n         └[ %s ]\n           └%s\n' \
  "$ja" "$ko" "$nfc" "$nfd" "$kana" "$emoji" >names.want

"$runner" "$exe" -o names.o.txt N </dev/null >names.o.out 2>names.o.err
status "-o" 0 $?
check "-o: the UTF-8 file" names.want names.o.txt
"$runner" "$exe" N </dev/null >names.out 2>names.err
status "stdout" 0 $?
check "stdout to a file" names.want names.out

# Without colour: Wine's console window keeps the escape sequences as characters in its buffer.
console names.console "$exe" --color=never N
status "console" 0 $?
iconv -f UTF-16LE -t UTF-8 names.console >names.console.txt 2>/dev/null || echo "(not UTF-16)" >names.console.txt
check "the console's buffer" names.want names.console.txt

# ---- an unpaired surrogate: as WTF-8 inside (ED A0 80 for U+D800), escaped like any byte that is not UTF-8
# The UTF-16LE list "top/a<U+D800>b.txt\ntop/x.txt\n" after its byte-order mark.
{
  printf '\377\376'
  printf 'top/a' | iconv -f UTF-8 -t UTF-16LE
  printf '\000\330'
  printf 'b.txt\ntop/x.txt\n' | iconv -f UTF-8 -t UTF-16LE
} >list16.txt
printf '[ list16.txt ]\n └[ top ]\n   ├a\\xed\\xa0\\x80b.txt\n   └x.txt\n' >surrogate.want
"$runner" "$exe" --fromfile list16.txt </dev/null >surrogate.out 2>surrogate.err
status "surrogate in --fromfile" 0 $?
check "a name with an unpaired surrogate from a UTF-16 list" surrogate.want surrogate.out

console surrogate.console "$exe" 'x\uD800y'
status "surrogate FOLDER" 2 $?
printf "arbolin: cannot read 'x\\\\xed\\\\xa0\\\\x80y': No such file or directory\n" >surrogate-folder.want
iconv -f UTF-16LE -t UTF-8 surrogate.console >surrogate-folder.txt 2>/dev/null || echo "(not UTF-16)" >surrogate-folder.txt
check "FOLDER with an unpaired surrogate, in the message" surrogate-folder.want surrogate-folder.txt

# ---- paths longer than 260 characters: twelve levels of 30 characters below DIR
level=abcdefghijklmnopqrstuvwxyz0123
deep=L
printf '[ L ]\n' >long.want
indent=' '
for i in 1 2 3 4 5 6 7 8 9 10 11 12; do
  deep=$deep/$level$i
  printf '%s└[ %s ]\n' "$indent" "$level$i" >>long.want
  indent="$indent  "
done
mkdir -p "$deep"
: >"$deep/end.txt"
printf '%s└end.txt\n' "$indent" >>long.want
"$runner" "$exe" L </dev/null >long.out 2>long.err
status "long paths" 0 $?
check "a tree deeper than 260 characters" long.want long.out
# FOLDER itself longer than 260 characters, as an absolute Linux path (drive Z: under Wine).
printf '[ %s ]\n └end.txt\n' "$dir/$deep" >long-folder.want
"$runner" "$exe" "$dir/$deep" </dev/null >long-folder.out 2>long-folder.err
status "long FOLDER" 0 $?
check "FOLDER longer than 260 characters" long-folder.want long-folder.out

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
