#!/usr/bin/env bash
# Starts the Windows program under Wine on the current X display (./run.sh --windows): the i686 product
# under 32-bit Wine where this machine runs it, else the x86_64 build of the same sources under wine64
# (scripts/win-test.sh builds both as needed and says which; see scripts/lib.sh for the probe).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$ARBOLIN_ROOT
"$root/scripts/install-deps.sh"
ARBOLIN_WIN_BUILD_ONLY=1 "$root/scripts/win-test.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "win-run: no X display (DISPLAY is not set); on a headless machine try: xvfb-run -a ./run.sh --windows" >&2
  exit 2
fi
arch=$(head -n 1 "$ARBOLIN_WIN_OUT/windows-arch")
wine_env "$arch"
export WINEPREFIX=$ARBOLIN_WIN_OUT/wineprefix
# The program keeps zk_ar.ini in, and opens help.html from, the folder it starts in.
cd "$ARBOLIN_WIN_OUT/$arch/src/app"
"$WINE" ZK-Arbolin.exe </dev/null
wineserver -w
