#!/usr/bin/env bash
# Builds `arbolin` and prints the listing of FOLDER (default: the project's own src folder).
#   ./run.sh [arbolin options] [FOLDER]     e.g. ./run.sh --indented src/listing
#   ./run.sh --windows                      starts the Windows program under Wine on the current display
#                                           (the i686 product where this machine runs 32-bit Wine)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = "--windows" ]; then
  exec "$here/scripts/win-run.sh"
fi
ARBOLIN_NATIVE_ONLY=1 "$here/scripts/install-deps.sh"
source "$here/scripts/lib.sh"
ARBOLIN_CLI= native_arbolin "$here/build"
has_folder=0
for a in "$@"; do case "$a" in -*) ;; *) has_folder=1 ;; esac; done
if [ $# -eq 0 ] || [ $has_folder = 0 ]; then
  cd "$here" && exec "$ARBOLIN_BIN" "$@" src
fi
exec "$ARBOLIN_BIN" "$@"
