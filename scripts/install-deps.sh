#!/usr/bin/env bash
# Installs the Debian packages the native build, the cross build, Wine tests and benchmarks need,
# and generates the ja_JP.UTF-8 and en_US.UTF-8 locales. Safe to run again: it installs only what is
# missing.
set -euo pipefail

native=(cmake g++ make pkg-config libicu-dev googletest libbenchmark-dev locales util-linux libgit2-dev git
        python3 python3-markdown tree chromium)
# The packages (scripts/package.sh, tests/package_test.sh): CPack's dependency list, the package checker, the
# zip, and bash's completion framework the completion is installed for.
native+=(dpkg-dev lintian zip bash-completion)
# What arbolin opens (tests/icu_loading_test.sh: no ICU for names of printable ASCII).
native+=(strace)
# The product is built for i686 and tested under 32-bit Wine (wine32) where the kernel runs 32-bit code;
# elsewhere the same sources built for x86_64 run the Windows tests under wine64 (scripts/lib.sh probes).
cross=(g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix
       mingw-w64-x86-64-dev wine wine32:i386 wine64 xvfb xauth x11-utils xdotool imagemagick fonts-ipafont-gothic
       clang libclang-rt-14-dev)
want=("${native[@]}")
[ "${ARBOLIN_NATIVE_ONLY:-0}" = 1 ] || want+=("${cross[@]}")

if [ "$(id -u)" != 0 ]; then SUDO=sudo; else SUDO=; fi

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# ja_JP.UTF-8 for the Windows program's Japanese; en_US.UTF-8, where the tests see ICU's collation (the C
# locales order names by bytes).
generate=0
for l in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qix "$l.utf8"; then
    grep -qx "$l.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null || echo "$l.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    generate=1
  fi
done
[ $generate = 0 ] || $SUDO locale-gen >/dev/null
