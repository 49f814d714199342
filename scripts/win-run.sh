#!/usr/bin/env bash
# Starts the Windows program under Wine on the current X display (./run.sh --windows).
# This machine's kernel runs no 32-bit Linux code, so it starts the x86_64 build of the same sources under
# wine64; on a machine with 32-bit Wine, `wine build-win/i686/src/app/ZK-Arbolin.exe` starts the product.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
ARBOLIN_WIN_BUILD_ONLY=1 "$root/scripts/win-test.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "win-run: no X display (DISPLAY is not set); on a headless machine try: xvfb-run -a ./run.sh --windows" >&2
  exit 2
fi
export WINEPREFIX=$root/build-win/wineprefix WINELOADER=/usr/lib/wine/wine64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# The program keeps zk_ar.ini in, and opens help.html from, the folder it starts in.
cd "$root/build-win/x86_64/src/app"
/usr/lib/wine/wine64 ZK-Arbolin.exe </dev/null
wineserver -w
