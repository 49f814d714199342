#!/bin/sh
# Runs one Windows test program under Wine for ctest (the toolchain's CMAKE_CROSSCOMPILING_EMULATOR):
# an i686 program with 32-bit Wine (the prefix a win32 one), an x86_64 program with wine64, both at native
# speed; scripts/win-test.sh chooses the build and makes the prefix to match (see scripts/lib.sh).
# Needs WINEPREFIX (a prefix copied from the template by scripts/win-test.sh).
set -e
: "${WINEPREFIX:?WINEPREFIX must name the prefix of this test run}"
# The loader follows the program's PE header (its machine field: 0x014c i386, 0x8664 x86-64).
off=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
case $(od -An -tx2 -j$((off + 4)) -N2 "$1" | tr -d ' ') in
  014c) WINE=${ARBOLIN_WINE32:-/usr/lib/wine/wine} ;;
  *) WINE=${ARBOLIN_WINE64:-/usr/lib/wine/wine64} ;;
esac
export WINELOADER="$WINE"
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
    "$WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
    touch "$WINEPREFIX/.arbolin-session"
  fi
) 9>"$WINEPREFIX/.arbolin-lock"

exec "$WINE" "$@"
