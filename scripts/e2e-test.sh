#!/usr/bin/env bash
# End-to-end tests of the Windows program: builds what they need and runs every scenario group from ctest
# (label e2e), each group on its own Xvfb display with a fresh copy of a Wine template prefix per scenario.
#   build-e2e-native/        the native `arbolin`, for the expected listings (`--compat`)
#   build-e2e/app/           ZK-Arbolin.exe built for x86_64 from the same sources (64-bit Wine runs it here;
#                            see tests/win/wine-notes.md), with help.html beside it
#   build-e2e/tests/         the driver and the recording handler (tests/e2e), and the ctest entries
#   build-e2e/wine-template/ the template prefix: Managed=N, the recording handler for .html, http(s) and
#                            mailto, and "ＭＳ Ｐゴシック" replaced by IPAPGothic
# Usage: scripts/e2e-test.sh [ctest arguments, e.g. -R e2e_save]. Exit status: ctest's (2: cannot build).
#        scripts/e2e-test.sh --prepare    only the builds and the template (scripts/screenshots.sh uses it)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${ARBOLIN_E2E_BUILD:-$root/build-e2e}
native=${ARBOLIN_E2E_NATIVE:-$root/build-e2e-native}
jobs=${ARBOLIN_JOBS:-2}
toolchain=$root/cmake/mingw-i686.cmake
wine64=/usr/lib/wine/wine64
mkdir -p "$out"

now() { date +%s.%N; }
took() { awk -v name="$1" -v from="$2" -v to="$(now)" 'BEGIN { printf "e2e: %s: %.1f s\n", name, to - from }'; }
die() { echo "e2e: $*" >&2; exit 2; }

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null && [ "$(id -u)" = 0 ]; then
  # The x86_64 compilers build what 64-bit Wine runs (scripts/win-test.sh installs them as well).
  apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev >/dev/null
fi
for tool in x86_64-w64-mingw32-g++-posix "$wine64" wineserver Xvfb import convert xdotool iconv cmake; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/install-deps.sh, scripts/win-test.sh)"
done

# ---- builds (ARBOLIN_E2E_ARBOLIN / ARBOLIN_E2E_PROGRAM name ready-built ones instead)
t=$(now)
arbolin=${ARBOLIN_E2E_ARBOLIN:-}
if [ -z "$arbolin" ]; then
  cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release >"$out/native-configure.log" 2>&1 \
    || { cat "$out/native-configure.log" >&2; die "native configure failed"; }
  cmake --build "$native" -j"$jobs" --target arbolin >"$out/native-build.log" 2>&1 \
    || { tail -30 "$out/native-build.log" >&2; die "native build failed"; }
  arbolin=$native/src/cli/arbolin
fi
program=${ARBOLIN_E2E_PROGRAM:-}
if [ -z "$program" ]; then
  cmake -S "$root" -B "$out/app" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DARBOLIN_WIN_ARCH=x86_64 \
        -DARBOLIN_WIN_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >"$out/app-configure.log" 2>&1 \
    || { cat "$out/app-configure.log" >&2; die "cross configure failed"; }
  cmake --build "$out/app" -j"$jobs" --target ZK-Arbolin >"$out/app-build.log" 2>&1 \
    || { tail -30 "$out/app-build.log" >&2; die "cross build of ZK-Arbolin.exe failed"; }
  program=$out/app/src/app/ZK-Arbolin.exe
fi
[ -x "$arbolin" ] || die "no arbolin at $arbolin"
[ -f "$program" ] || die "no ZK-Arbolin.exe at $program"
cmake -S "$root/tests/e2e" -B "$out/tests" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DARBOLIN_WIN_ARCH=x86_64 \
      -DCMAKE_BUILD_TYPE=Release -DE2E_PROGRAM="$program" -DE2E_ARBOLIN="$arbolin" \
      -DE2E_TEMPLATE="$out/wine-template" >"$out/tests-configure.log" 2>&1 \
  || { cat "$out/tests-configure.log" >&2; die "driver configure failed"; }
cmake --build "$out/tests" -j"$jobs" >"$out/tests-build.log" 2>&1 \
  || { tail -30 "$out/tests-build.log" >&2; die "driver build failed"; }
took "builds" "$t"

# ---- the template prefix
source "$root/scripts/wine64-prefix.sh"
template=$out/wine-template
extras_version=1  # raise when the extras below change
if [ "$(cat "$template/.e2e-template" 2>/dev/null)" != "$extras_version" ]; then
  t=$(now)
  rm -rf "$template"
  base=$root/build-win/wine-template
  if [ -e "$base/.arbolin-template" ]; then
    # The Win32 tests' template (scripts/win-test.sh), already booted with Managed=N.
    cp -a "$base" "$template"
    rm -f "$template/.arbolin-template"
  else
    boot_wine64_prefix "$template" "$out/wineboot.log"
  fi
  (
    export WINEPREFIX=$template
    reg() { "$wine64" reg add "$@" /f </dev/null >/dev/null 2>&1 || die "reg add $* failed"; }
    # No window manager under Xvfb: unmanaged windows close at once instead of waiting ~2 s for one.
    reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
    # The About box's font is not in Wine: draw it with the IPA proportional Gothic.
    reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic
    # help.html, web and mail addresses open the recording handler.
    for key in htmlfile http https mailto; do
      reg "HKCR\\$key\\shell\\open\\command" /ve /d '"C:\e2e\record_open.exe" "%1"'
    done
    reg 'HKCR\.html' /ve /d htmlfile
    reg 'HKCR\.htm' /ve /d htmlfile
    # The server saves the registry when it ends, a few seconds after its last program.
    wineserver -w
  )
  echo "$extras_version" >"$template/.e2e-template"
  took "Wine template prefix" "$t"
fi
mkdir -p "$template/drive_c/e2e"
cp "$out/tests/record_open.exe" "$template/drive_c/e2e/record_open.exe"

[ "${1:-}" != --prepare ] || exit 0

# ---- the scenarios
t=$(now)
rc=0
ctest --test-dir "$out/tests" -L e2e -j"$jobs" --output-on-failure --timeout 900 "$@" || rc=$?
took "scenarios" "$t"
# Scenarios that passed only on their second try (ctest shows the output of failed groups alone).
grep -h -B8 '^RETRY ' "$out/tests/Testing/Temporary/LastTest.log" 2>/dev/null | sed 's/^/e2e: /' || true
exit $rc
