#!/usr/bin/env bash
# Cross-builds the Windows program and the command line for Windows and runs their tests under Wine, in
# build-win/:
#   build-win/i686          the product, ZK-Arbolin.exe (PE32, GUI, i386), always checked statically;
#   build-win/x86_64        always: arbolin.exe, the command line for Windows (PE32+, console), and its
#                           Win32 tests; with the Windows program's tests too where those run on x86_64;
#   build-win/gtest-ARCH    GoogleTest built once for each mingw toolchain;
#   build-win/wine-template-ARCH  the Wine prefix the test runs copy (win32 for i686, win64 for x86_64).
# Where this machine runs the i686 listing_probe.exe under 32-bit Wine (the probe in scripts/lib.sh), the
# Windows program's tests are built for i686 and run on the product's own code in a win32 prefix, and the
# x86_64 build runs only the command line's tests, in a win64 prefix of their own; elsewhere every test
# runs in the x86_64 build under 64-bit Wine (ARBOLIN_FORCE_WIN64=1 chooses that here too). The first line
# says which. The choice is left in build-win/windows-arch for scripts/e2e-test.sh.
#   ARBOLIN_WIN_BUILD_ONLY=1   builds and a fresh prefix (build-win/wineprefix), no tests (./run.sh --windows)
#   ARBOLIN_WIN32_SMOKE=1      also the i686 listing_probe.exe through qemu-i386 (opt-in, minutes)
# Exit status: ctest's.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$ARBOLIN_ROOT
out=$ARBOLIN_WIN_OUT
jobs=$ARBOLIN_JOBS
mkdir -p "$out"
took() { lib_took "" "$@"; }

# ---- tools
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null && [ "$(id -u)" = 0 ]; then
  # The x86_64 compilers build the twin where 32-bit Wine cannot run (scripts/install-deps.sh has them).
  apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev >/dev/null
fi
need_tools win-test i686-w64-mingw32-g++-posix i686-w64-mingw32-windres i686-w64-mingw32-objdump \
  "$WINE64_LOADER" wineserver xvfb-run python3 flock od iconv

# ---- builds, and the choice of the build that runs the tests
t=$(lib_now)
choose_windows_arch
echo "$WIN_LINE"
printf '%s\n%s\n' "$WIN_ARCH" "$WINE32_WHY" >"$out/windows-arch"
need_tools win-test x86_64-w64-mingw32-g++-posix
if [ "$WIN_ARCH" = i686 ]; then
  win_build i686 ON
  # Building only arbolin.exe where no test runs (./run.sh --windows, scripts/package.sh).
  if [ "${ARBOLIN_WIN_BUILD_ONLY:-0}" = 1 ]; then win_build x86_64 CLI arbolin; else win_build x86_64 CLI; fi
else
  win_build i686 OFF
  win_build x86_64 ON
fi
took "cross builds" "$t"

# ---- Wine: one template prefix per architecture, a fresh copy of it for every test run
wine_env "$WIN_ARCH"
template=$(win_template "$WIN_ARCH")
prefix=$out/wineprefix
t=$(lib_now)
rm -rf "$prefix"
cp -a "$template" "$prefix"
took "prefix copy" "$t"
export WINEPREFIX=$prefix
# scripts/win-run.sh wants the builds and a fresh prefix, not the tests.
[ "${ARBOLIN_WIN_BUILD_ONLY:-0}" = 1 ] && exit 0
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT

# ---- tests: under Xvfb, and without root's permission override (an unreadable folder must stay so)
# win_tests BUILD: runs BUILD's ctest in the prefix WINEPREFIX names, then stops its wineserver.
win_tests() {
  local run=(sh -c 'ctest --test-dir "$1" --output-on-failure --timeout 300 -j"$2"; rc=$?; wineserver -k >/dev/null 2>&1; exit $rc'
             sh "$1" "$jobs")
  local xvfb=(xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp")
  if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
    run=(setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search
         "${xvfb[@]}" "${run[@]}")
  else
    run=("${xvfb[@]}" "${run[@]}")
  fi
  "${run[@]}"
}
t=$(lib_now)
rc=0
win_tests "$out/$WIN_ARCH" || rc=$?
took "Win32 tests under Wine ($WIN_ARCH)" "$t"
# Where the program's tests ran on i686, the command line's run in the x86_64 build, under 64-bit Wine in
# a win64 prefix of their own.
if [ "$WIN_ARCH" = i686 ]; then
  t=$(lib_now)
  stop_wine
  (
    wine_env x86_64
    template64=$(win_template x86_64)
    export WINEPREFIX=$out/wineprefix-x86_64
    rm -rf "$WINEPREFIX"
    cp -a "$template64" "$WINEPREFIX"
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
    win_tests "$out/x86_64"
  ) || rc=1
  took "arbolin.exe's Win32 tests under Wine (x86_64)" "$t"
fi
# The command line's native test tables run against arbolin.exe under wine64, where build/ was configured
# with ARBOLIN_WIN_EXE naming this build's (./test.sh does; its native stage leaves them to this one).
if grep -qs 'cli_wine_setup' "$root/build/tests/CTestTestfile.cmake"; then
  t=$(lib_now)
  stop_wine
  ctest --test-dir "$root/build" --output-on-failure --timeout 900 -j"$jobs" -R '_wine$' || rc=1
  took "the command line's test tables against arbolin.exe under Wine" "$t"
fi

# ---- opt-in (ARBOLIN_WIN32_SMOKE=1): the 32-bit probe itself, through qemu-i386 (minutes), must print
# the same bytes as the x86_64 build. For machines that run no 32-bit code; never part of ./test.sh.
if [ "${ARBOLIN_WIN32_SMOKE:-0}" = 1 ]; then
  t=$(lib_now)
  [ -f "$out/x86_64/src/app/listing_probe.exe" ] || win_build x86_64 OFF listing_probe
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && [ "$(id -u)" = 0 ] && [ -x /usr/bin/qemu-i386-static ]; then
    [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      >/proc/sys/fs/binfmt_misc/register
  fi
  prefix32=$out/wine-template32
  if [ ! -e "$prefix32/.arbolin-template" ]; then
    rm -rf "$prefix32"
    WINEPREFIX=$prefix32 "$WINE64_LOADER" wineboot -i </dev/null >"$out/wineboot32.log" 2>&1
    WINEPREFIX=$prefix32 wineserver -w
    touch "$prefix32/.arbolin-template"
  fi
  tree=$out/smoke-tree
  rm -rf "$tree" && mkdir -p "$tree/Docs" "$tree/Src/Lib" && touch "$tree/Docs/a.txt" "$tree/Src/main.c" "$tree/readme.txt"
  winpath="Z:$(printf '%s' "$tree" | tr / '\\')"
  (
    export WINEPREFIX=$prefix32 WINEARCH=win64
    unset WINELOADER
    wineserver -p </dev/null >/dev/null 2>&1
    timeout 1200 wine "$out/i686/src/app/listing_probe.exe" "$winpath" </dev/null >"$out/smoke-i686.out" 2>/dev/null
    "$WINE64_LOADER" "$out/x86_64/src/app/listing_probe.exe" "$winpath" </dev/null >"$out/smoke-x86_64.out" 2>/dev/null
    wineserver -k
  ) || true
  if [ -s "$out/smoke-i686.out" ] && cmp -s "$out/smoke-i686.out" "$out/smoke-x86_64.out"; then
    echo "32-bit listing_probe.exe: same bytes as the x86_64 build"
  else
    echo "32-bit listing_probe.exe: output differs or missing (see $out/smoke-*.out)"; rc=1
  fi
  took "32-bit smoke test (qemu-i386)" "$t"
fi
exit $rc
