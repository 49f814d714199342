#!/usr/bin/env bash
# Cross-builds the Windows program and runs its tests under Wine, in build-win/:
#   build-win/i686    the product, ZK-Arbolin.exe (PE32, GUI, i386), checked statically;
#   build-win/x86_64  the same sources for x86_64, whose Win32 tests ctest runs under 64-bit Wine.
# Why two builds: see tests/win/wine-notes.md (this kernel runs no 32-bit Linux code, so 32-bit Wine runs
# only under qemu, about 100 s per program start). Exit status: ctest's.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${ARBOLIN_WIN_BUILD:-$root/build-win}
jobs=${ARBOLIN_JOBS:-2}
toolchain=$root/cmake/mingw-i686.cmake
wine64=/usr/lib/wine/wine64
mkdir -p "$out"

now() { date +%s.%N; }
took() { awk -v name="$1" -v from="$2" -v to="$(now)" 'BEGIN { printf "%s: %.1f s\n", name, to - from }'; }

# ---- tools
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null && [ "$(id -u)" = 0 ]; then
  # The x86_64 compilers run the tests; the i686 ones (scripts/install-deps.sh) build the product.
  apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev >/dev/null
fi
for tool in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix i686-w64-mingw32-windres \
            x86_64-w64-mingw32-objdump "$wine64" wineserver xvfb-run python3 flock; do
  command -v "$tool" >/dev/null || { echo "win-test: $tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done

# ---- builds
build() {
  local arch=$1; shift
  cmake -S "$root" -B "$out/$arch" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DARBOLIN_WIN_ARCH="$arch" \
        -DCMAKE_BUILD_TYPE=Release "$@" >"$out/$arch-configure.log" 2>&1 \
    || { cat "$out/$arch-configure.log" >&2; exit 1; }
  cmake --build "$out/$arch" -j"$jobs"
}
t=$(now)
build i686 -DARBOLIN_WIN_TESTS=OFF
# The native command line, when built, is compared with the Windows program's listings.
cli=${ARBOLIN_CLI:-$root/build/src/cli/arbolin}
[ -x "$cli" ] || cli=
build x86_64 -DARBOLIN_WIN_TESTS=ON -DARBOLIN_PRODUCT_EXE="$out/i686/src/app/ZK-Arbolin.exe" -DARBOLIN_CLI="$cli"
took "cross builds" "$t"

# ---- Wine: one template prefix per build folder, a fresh copy of it for every test run
source "$root/scripts/wine64-prefix.sh"
template=$out/wine-template
if [ ! -e "$template/.arbolin-template" ]; then
  t=$(now)
  rm -rf "$template"
  boot_wine64_prefix "$template" "$out/wineboot.log"
  # No window manager under Xvfb: unmanaged windows close at once instead of waiting ~2 s for one.
  WINEPREFIX=$template "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  WINEPREFIX=$template wineserver -w
  touch "$template/.arbolin-template"
  took "Wine prefix template" "$t"
fi
prefix=$out/wineprefix
t=$(now)
rm -rf "$prefix"
cp -a "$template" "$prefix"
took "prefix copy" "$t"
export WINEPREFIX=$prefix
# scripts/win-run.sh wants the builds and a fresh prefix, not the tests.
[ "${ARBOLIN_WIN_BUILD_ONLY:-0}" = 1 ] && exit 0
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT

# ---- tests: under Xvfb, and without root's permission override (an unreadable folder must stay so)
run=(sh -c 'ctest --test-dir "$1" --output-on-failure --timeout 300 -j"$2"; rc=$?; wineserver -k >/dev/null 2>&1; exit $rc'
     sh "$out/x86_64" "$jobs")
xvfb=(xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp")
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  run=(setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search
       "${xvfb[@]}" "${run[@]}")
else
  run=("${xvfb[@]}" "${run[@]}")
fi
t=$(now)
rc=0
"${run[@]}" || rc=$?
took "Win32 tests under Wine" "$t"

# ---- opt-in (ARBOLIN_WIN32_SMOKE=1): the 32-bit probe itself, through qemu-i386 (minutes), must print
# the same bytes as the tested x86_64 build.
if [ "${ARBOLIN_WIN32_SMOKE:-0}" = 1 ]; then
  t=$(now)
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && [ "$(id -u)" = 0 ] && [ -x /usr/bin/qemu-i386-static ]; then
    [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      >/proc/sys/fs/binfmt_misc/register
  fi
  prefix32=$out/wine-template32
  if [ ! -e "$prefix32/.arbolin-template" ]; then
    rm -rf "$prefix32"
    WINEPREFIX=$prefix32 "$wine64" wineboot -i </dev/null >"$out/wineboot32.log" 2>&1
    WINEPREFIX=$prefix32 wineserver -w
    touch "$prefix32/.arbolin-template"
  fi
  tree=$out/smoke-tree
  rm -rf "$tree" && mkdir -p "$tree/Docs" "$tree/Src/Lib" && touch "$tree/Docs/a.txt" "$tree/Src/main.c" "$tree/readme.txt"
  winpath="Z:$(printf '%s' "$tree" | tr / '\\')"
  (
    export WINEPREFIX=$prefix32
    unset WINELOADER
    wineserver -p </dev/null >/dev/null 2>&1
    timeout 1200 wine "$out/i686/src/app/listing_probe.exe" "$winpath" </dev/null >"$out/smoke-i686.out" 2>/dev/null
    "$wine64" "$out/x86_64/src/app/listing_probe.exe" "$winpath" </dev/null >"$out/smoke-x86_64.out" 2>/dev/null
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
