#!/bin/sh
# The native command-line test programs run against arbolin.exe under wine64 (tests/cli.cmake registers
# them where ARBOLIN_WIN_EXE names one): a prefix of their own copied from the template, and the session's
# wineserver and Wine's services started once with their standard streams closed (they inherit those of
# the first Wine process, and the test programs' would then stay open after them).
#   cli-wine.sh setup PREFIX TEMPLATE       a fresh copy of TEMPLATE at PREFIX, its wineserver started
#   cli-wine.sh run PREFIX EXE PROGRAM ARGS PROGRAM with ARGS, every run of arbolin being EXE under Wine
#   cli-wine.sh cleanup PREFIX              the wineserver stopped, PREFIX removed
set -eu
what=$1 prefix=$2
shift 2
loader=${ARBOLIN_TEST_WINE:-/usr/lib/wine/wine64}
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER="$loader"
case $what in
  setup)
    template=$1
    [ -e "$template/system.reg" ] || { echo "no Wine prefix at $template" >&2; exit 1; }
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
    cp -a "$template" "$prefix"
    # Wine's server makes the files its programs create: as root, without root's power to write any
    # folder, so that a read-only folder refuses arbolin.exe's files as it refuses arbolin's.
    server=wineserver
    if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
      server="setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search wineserver"
    fi
    $server -p </dev/null >/dev/null 2>&1
    timeout 120 "$loader" cmd.exe /c exit </dev/null >/dev/null 2>&1
    ;;
  run)
    exe=$1
    shift
    [ -f "$exe" ] || { echo "no arbolin.exe at $exe" >&2; exit 1; }
    export ARBOLIN_TEST_WINE_EXE="$exe" ARBOLIN_TEST_WINE="$loader"
    exec "$@"
    ;;
  cleanup)
    wineserver -k >/dev/null 2>&1 || true
    timeout 60 wineserver -w >/dev/null 2>&1 || true
    rm -rf "$prefix"
    ;;
  *)
    echo "usage: cli-wine.sh setup|run|cleanup PREFIX ..." >&2
    exit 64
    ;;
esac
