#!/usr/bin/env bash
# When `arbolin` maps ICU: never for names of printable ASCII (ldd, and the files it opens under strace),
# for names past ASCII in every locale, and where the ICU it loads is unusable (a library of that name
# without ICU's functions, first on LD_LIBRARY_PATH) a listing that needs it is refused before anything is
# written: exit 2, one message, nothing on standard output. Skipped (77) where strace cannot trace.
# Usage: icu_loading_test.sh ARBOLIN UC_SONAME I18N_SONAME
set -uo pipefail
arbolin=$(realpath "$1") uc=$2 i18n=$3
command -v strace >/dev/null || { echo "icu loading test: strace is missing (scripts/install-deps.sh)"; exit 1; }
# A container may forbid tracing (ptrace): then nothing here can be seen, and the test is skipped.
strace -f -qq -o /dev/null true 2>/dev/null ||
  { echo "icu loading test: SKIPPED: strace cannot trace here (ptrace not permitted)"; exit 77; }
# LeakSanitizer cannot run under ptrace: the sanitizer build's leaks are checked by the other tests.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "icu loading test: $*"; failed=1; }

# Folders of printable-ASCII names (punctuation, digits and case pairs, which order differently in each
# locale), of Japanese names, and a listing shortened by --name-limit, whose width --parse counts.
mkdir -p "$scratch/ascii/Sub dir/deeper" "$scratch/ascii/sub-2" "$scratch/ja/サブ" "$scratch/ja/ascii"
touch "$scratch/ascii/"{a.txt,B.txt,'file 10','file 9','~tilde',"it's",'Sub dir/deeper/x'}
touch "$scratch/ja/"{日本語の長いファイルの名前です.txt,かな,Abc,ascii/x}
printf '%s\n' "[ ja ]" " └日本語の長いフ …" >"$scratch/shortened.txt"
printf '%s\n' "ja/かな" "ja/Abc" >"$scratch/paths.txt"
# Unusable ICU: zlib under each of ICU's names, found before the real one.
# (The folders' names hold no "libicu": the loader's search through them shows in the trace.)
zlib=$(ldconfig -p | awk '$1 == "libz.so.1" { print $NF; exit }')
mkdir -p "$scratch/broken-uc" "$scratch/broken-i18n"
ln -s "$zlib" "$scratch/broken-uc/$uc"
ln -s "$zlib" "$scratch/broken-i18n/$i18n"
broken() { [ "$1" = "$uc" ] && echo "$scratch/broken-uc" || echo "$scratch/broken-i18n"; }
locales=()
for l in C.UTF-8 en_US.UTF-8 ja_JP.UTF-8; do
  [ "$(LC_ALL=$l locale charmap 2>/dev/null)" = UTF-8 ] && locales+=("$l")
done

ldd "$arbolin" | grep -i icu && fail "ldd shows ICU among the libraries mapped at start"

# run LOCALE LIBRARY_PATH ARGS...: runs arbolin under strace into out, err, trace; sets status and icu
# (1 when it opened a file of ICU's).
run() {
  local locale=$1 path=$2
  shift 2
  (cd "$scratch" && LC_ALL=$locale LD_LIBRARY_PATH=$path strace -f -qq -e trace=openat -o "$scratch/trace" \
     "$arbolin" "$@" >"$scratch/out" 2>"$scratch/err")
  status=$?
  icu=0
  grep -q 'libicu' "$scratch/trace" && icu=1
}

# ---- names of printable ASCII never map ICU, whatever the locale and the view. (Digits under --natural
# need ICU's numeric collation outside the C locales, and so does --fromfile's list there.)
for l in "${locales[@]}"; do
  more=()
  [ "$l" = C.UTF-8 ] && more=("--natural ascii" "--fromfile paths-ascii.txt")
  for args in "ascii" "--indented ascii" "--format json ascii" "--name-limit ascii" "-s -D --summary ascii" \
              "-r --files-first ascii" "--sort none ascii" "-p -F ascii" "${more[@]}"; do
    printf '%s\n' "ascii/a.txt" "ascii/Sub dir/deeper/x" >"$scratch/paths-ascii.txt"
    # shellcheck disable=SC2086
    run "$l" "" $args
    [ $status = 0 ] || fail "$l arbolin $args: exit $status: $(cat "$scratch/err")"
    [ $icu = 0 ] && continue
    fail "$l arbolin $args opened ICU for names of printable ASCII:"
    grep libicu "$scratch/trace"
  done
done

# ---- names past ASCII map it in every locale (collation keys, or the widths of the name writers).
for l in "${locales[@]}"; do
  run "$l" "" ja
  [ $status = 0 ] && [ $icu = 1 ] || fail "$l arbolin ja: exit $status, ICU opened: $icu"
  for name in サブ Abc かな 日本語の長いファイルの名前です.txt; do
    grep -q "$name" "$scratch/out" || fail "$l arbolin ja does not list $name"
  done
done

# ---- an unusable ICU: exit 2, one message naming the library, nothing written.
# expect_refused WHAT LIBRARY LOCALE ARGS...
expect_refused() {
  local what=$1 library=$2 locale=$3
  shift 3
  run "$locale" "$(broken "$library")" "$@"
  local lines
  lines=$(wc -l <"$scratch/err")
  if [ $status != 2 ] || [ -s "$scratch/out" ] || [ "$lines" != 1 ] || ! grep -q "^arbolin: .*$library" "$scratch/err"; then
    fail "$what with an unusable $library: exit $status, $(wc -c <"$scratch/out") bytes written, stderr:"
    cat "$scratch/err"
  fi
}
for l in "${locales[@]}"; do
  expect_refused "$l: Japanese names" "$uc" "$l" ja
  expect_refused "$l: Japanese names into a file" "$uc" "$l" --output "$scratch/listing.txt" ja
  expect_refused "$l: Japanese names unsorted" "$uc" "$l" --sort none ja
  [ -e "$scratch/listing.txt" ] && fail "$l: the output file was made though the listing was refused"
  expect_refused "$l: Japanese paths in --fromfile" "$uc" "$l" --fromfile paths.txt
  expect_refused "$l: the Windows program's order" "$uc" "$l" --compat ascii
done
expect_refused "--parse of a name shortened past ASCII" "$uc" C.UTF-8 --parse shortened.txt
expect_refused "ja_JP.UTF-8: Japanese names" "$i18n" ja_JP.UTF-8 ja

# ---- where ICU is not needed its state does not matter: the same listing, exit 0.
for l in "${locales[@]}"; do
  for args in "ascii" "--indented --name-limit ascii"; do
    # shellcheck disable=SC2086
    run "$l" "" $args
    cp "$scratch/out" "$scratch/expected"
    # shellcheck disable=SC2086
    run "$l" "$scratch/broken-uc" $args
    [ $status = 0 ] && cmp -s "$scratch/out" "$scratch/expected" ||
      fail "$l arbolin $args with an unusable $uc: exit $status or another listing"
  done
done
# Collation is not needed in the C locales: character data alone comes from libicuuc.
run C.UTF-8 "$scratch/broken-i18n" ja
[ $status = 0 ] || fail "C.UTF-8 arbolin ja with an unusable $i18n: exit $status: $(cat "$scratch/err")"
printf '%s\n' "[ x ]" " ├a-very-long-name-he …" " └b" >"$scratch/shortened-ascii.txt"
run C.UTF-8 "$scratch/broken-uc" --parse shortened-ascii.txt
[ $status = 0 ] && [ $icu = 0 ] || fail "--parse of an ASCII listing: exit $status, ICU opened: $icu"
run C.UTF-8 "" --parse shortened.txt
[ $status = 1 ] && grep -q 'shortened name' "$scratch/err" ||
  fail "--parse does not count the width of a shortened Japanese name: exit $status: $(cat "$scratch/err")"

[ $failed = 0 ] && echo "icu loading test: passed (${#locales[@]} locales)"
exit $failed
