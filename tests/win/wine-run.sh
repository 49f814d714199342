#!/bin/sh
# Runs one Windows test program under Wine for ctest (the toolchain's CMAKE_CROSSCOMPILING_EMULATOR).
# x86_64 programs run on wine64 at native speed; see wine-notes.md for why the tests are 64-bit.
# Needs WINEPREFIX (a prefix copied from the template by scripts/win-test.sh).
set -e
: "${WINEPREFIX:?WINEPREFIX must name the prefix of this test run}"
WINE64=${ARBOLIN_WINE64:-/usr/lib/wine/wine64}
export WINELOADER="$WINE64"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Wine takes the ANSI code page from the locale: ja_JP.UTF-8 gives code page 932.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# The first Wine process of a session starts the wineserver and Wine's services, and they inherit its
# stdout and stderr: ctest would then wait for them to close. Start them once, with stdio redirected
# (and without the lock's descriptor, which they would otherwise hold for the whole session).
(
  flock 9
  if [ ! -e "$WINEPREFIX/.arbolin-session" ]; then
    wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
    "$WINE64" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
    touch "$WINEPREFIX/.arbolin-session"
  fi
) 9>"$WINEPREFIX/.arbolin-lock"

exec "$WINE64" "$@"
