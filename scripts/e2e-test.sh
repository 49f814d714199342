#!/usr/bin/env bash
# End-to-end tests of the Windows program: builds what they need and runs every scenario group from ctest
# (label e2e), each group on its own Xvfb display with a fresh copy of a Wine template prefix per scenario.
# The program under test is the i686 product under 32-bit Wine where this machine runs it (the probe in
# scripts/lib.sh), else the x86_64 twin of the same sources under 64-bit Wine; the first line says which.
#   build/                   the native `arbolin`, for the expected listings (`--compat`); the folder
#                            ./run.sh and ./test.sh use
#   build-win/ARCH/          ZK-Arbolin.exe, with help.html beside it: the build scripts/win-test.sh tests
#   build-e2e/tests/         the driver and the recording handler (tests/e2e) built for the same ARCH, and
#                            the ctest entries
#   build-e2e/wine-template/ the template prefix (win32 or win64, from build-win/wine-template-ARCH):
#                            Managed=N, the recording handler for .html, http(s) and mailto, and
#                            "ＭＳ Ｐゴシック" replaced by IPAPGothic
# ARBOLIN_E2E_ARBOLIN / ARBOLIN_E2E_PROGRAM name ready-built ones instead (the program's own header then
# chooses the Wine); ARBOLIN_WINDOWS_ARCH a choice already probed; ARBOLIN_FORCE_WIN64=1 the fallback.
# Usage: scripts/e2e-test.sh [ctest arguments, e.g. -R e2e_save]. Exit status: ctest's (2: cannot build).
#        scripts/e2e-test.sh --prepare    only the builds and the template (scripts/screenshots.sh uses it)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$ARBOLIN_ROOT
out=${ARBOLIN_E2E_BUILD:-$root/build-e2e}
jobs=$ARBOLIN_JOBS
mkdir -p "$out"

took() { lib_took e2e "$@"; }
die() { echo "e2e: $*" >&2; exit 2; }

need_tools e2e-test wineserver Xvfb import convert xdotool iconv cmake od i686-w64-mingw32-g++-posix

# ---- builds
t=$(lib_now)
arbolin=${ARBOLIN_E2E_ARBOLIN:-}
if [ -z "$arbolin" ]; then
  native_arbolin "${ARBOLIN_E2E_NATIVE:-}" || die "cannot build the native arbolin"
  arbolin=$ARBOLIN_BIN
fi
program=${ARBOLIN_E2E_PROGRAM:-}
if [ -n "$program" ]; then
  [ -f "$program" ] || die "no ZK-Arbolin.exe at $program"
  arch=$(pe_arch "$program")
  [ "$arch" != unknown ] || die "$program is no i686 or x86_64 program"
  if [ "$arch" = i686 ]; then
    echo "Windows tests: i686 product under 32-bit Wine (ARBOLIN_E2E_PROGRAM)"
  else
    echo "Windows tests: x86_64 twin under 64-bit Wine (ARBOLIN_E2E_PROGRAM)"
  fi
else
  choose_windows_arch
  arch=$WIN_ARCH
  echo "$WIN_LINE"
  # The Windows stage's build folder, as it was last configured there (without the tests when new).
  if [ -f "$ARBOLIN_WIN_OUT/$arch/CMakeCache.txt" ]; then
    cmake --build "$ARBOLIN_WIN_OUT/$arch" -j"$jobs" --target ZK-Arbolin >"$out/app-build.log" 2>&1
  else
    win_build "$arch" OFF ZK-Arbolin >"$out/app-build.log" 2>&1
  fi || { tail -30 "$out/app-build.log" >&2; die "cross build of ZK-Arbolin.exe failed"; }
  program=$ARBOLIN_WIN_OUT/$arch/src/app/ZK-Arbolin.exe
fi
[ -x "$arbolin" ] || die "no arbolin at $arbolin"
[ -f "$program" ] || die "no ZK-Arbolin.exe at $program"
[ "$arch" = i686 ] || need_tools e2e-test x86_64-w64-mingw32-g++-posix
# The driver must match the program (it writes tree-view items into the program's memory).
if [ -f "$out/tests/CMakeCache.txt" ] &&
   [ "$(sed -n 's/^ARBOLIN_WIN_ARCH:[A-Z]*=//p' "$out/tests/CMakeCache.txt")" != "$arch" ]; then
  rm -rf "$out/tests"
fi
cmake -S "$root/tests/e2e" -B "$out/tests" -DCMAKE_TOOLCHAIN_FILE="$ARBOLIN_TOOLCHAIN" -DARBOLIN_WIN_ARCH="$arch" \
      -DCMAKE_BUILD_TYPE=Release -DE2E_PROGRAM="$program" -DE2E_ARBOLIN="$arbolin" \
      -DE2E_TEMPLATE="$out/wine-template" >"$out/tests-configure.log" 2>&1 \
  || { cat "$out/tests-configure.log" >&2; die "driver configure failed"; }
cmake --build "$out/tests" -j"$jobs" >"$out/tests-build.log" 2>&1 \
  || { tail -30 "$out/tests-build.log" >&2; die "driver build failed"; }
took "builds" "$t"

# ---- the template prefix: the Win32 tests' one (build-win/wine-template-ARCH) with the extras below
wine_env "$arch"
template=$out/wine-template
extras_version="1 $arch"  # raise the number when the extras below change
if [ "$(cat "$template/.e2e-template" 2>/dev/null)" != "$extras_version" ]; then
  base=$(win_template "$arch") || die "no Wine prefix for $arch"
  t=$(lib_now)
  rm -rf "$template"
  cp -a "$base" "$template"
  rm -f "$template/.arbolin-template"
  (
    export WINEPREFIX=$template
    reg() { "$WINE" reg add "$@" /f </dev/null >/dev/null 2>&1 || die "reg add $* failed"; }
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
t=$(lib_now)
rc=0
ctest --test-dir "$out/tests" -L e2e -j"$jobs" --output-on-failure --timeout 900 "$@" || rc=$?
took "scenarios" "$t"
# Scenarios that passed only on their second try (ctest shows the output of failed groups alone).
grep -h -B8 '^RETRY ' "$out/tests/Testing/Temporary/LastTest.log" 2>/dev/null | sed 's/^/e2e: /' || true
exit $rc
