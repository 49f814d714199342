# The set-up the scripts share (sourced by scripts/*.sh, bench/*.sh and tests/e2e's set-up): the project
# root, timing lines, the check for tools, the native `arbolin` built or found, the Windows builds with
# GoogleTest built once per toolchain, the Wine environment and prefixes, and the probe that chooses how
# the Windows program is tested on this machine.
#
# Which Windows build runs the Windows program's tests (choose_windows_arch): the product itself, i686
# under 32-bit Wine in a win32 prefix, where this machine runs 32-bit code; elsewhere the x86_64 twin of
# the same sources under 64-bit Wine. The x86_64 build is made in any case: it holds arbolin.exe, the
# command line for Windows, whose tests run under 64-bit Wine. The probe runs the i686 listing_probe.exe with /usr/lib/wine/wine (never /usr/bin/wine,
# which falls back to wine64) in a win32 prefix under a 60 s limit, and counts only when no qemu-i386
# entry is enabled in binfmt_misc (32-bit Wine through qemu takes minutes a start). ARBOLIN_FORCE_WIN64=1
# makes the probe fail, to try the fallback on a machine that runs 32-bit code.

ARBOLIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ARBOLIN_JOBS=${ARBOLIN_JOBS:-2}
WINE32_LOADER=/usr/lib/wine/wine
WINE64_LOADER=/usr/lib/wine/wine64

lib_now() { date +%s.%N; }
# lib_took PREFIX WHAT FROM: prints "PREFIX: WHAT: 12.3 s" (no PREFIX: "WHAT: 12.3 s").
lib_took() {
  awk -v p="$1" -v name="$2" -v from="$3" -v to="$(lib_now)" \
    'BEGIN { printf "%s%s: %.1f s\n", (p == "" ? "" : p ": "), name, to - from }'
}

# need_tools SCRIPT TOOL...: exits 2 naming the first tool that is missing.
need_tools() {
  local script=$1 tool
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null ||
      { echo "$script: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 2; }
  done
}

# native_arbolin [BUILD [TARGET...]]: builds `arbolin` (and TARGETs) in BUILD, a Release build (default
# build/, the folder ./run.sh and ./test.sh use), configuring it when it has never been; output only on
# failure. Sets ARBOLIN_BIN to the program. ARBOLIN_CLI names a ready-built one instead (nothing built).
native_arbolin() {
  local build=${1:-$ARBOLIN_ROOT/build}
  shift || true
  if [ -n "${ARBOLIN_CLI:-}" ] && [ $# = 0 ]; then
    [ -x "$ARBOLIN_CLI" ] || { echo "no arbolin at ARBOLIN_CLI=$ARBOLIN_CLI" >&2; return 2; }
    ARBOLIN_BIN=$ARBOLIN_CLI
    return 0
  fi
  mkdir -p "$build"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$ARBOLIN_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=Release >"$build/configure.log" 2>&1 ||
      { cat "$build/configure.log" >&2; echo "native configure failed" >&2; return 2; }
  fi
  cmake --build "$build" -j"$ARBOLIN_JOBS" --target arbolin "$@" >"$build/build-arbolin.log" 2>&1 ||
    { tail -30 "$build/build-arbolin.log" >&2; echo "native build of arbolin failed" >&2; return 2; }
  ARBOLIN_BIN=$build/src/cli/arbolin
}

# ---- the Windows builds, in ARBOLIN_WIN_BUILD (default build-win/)

ARBOLIN_WIN_OUT=${ARBOLIN_WIN_BUILD:-$ARBOLIN_ROOT/build-win}
ARBOLIN_TOOLCHAIN=$ARBOLIN_ROOT/cmake/mingw-i686.cmake

# win_gtest ARCH: GoogleTest from Debian's sources (/usr/src/googletest), built once for the mingw
# toolchain of ARCH and installed into build-win/gtest-ARCH (Debian ships no mingw build of it); made
# again only when googletest or the compiler changes. Prints the install prefix.
win_gtest() {
  local arch=$1 dir=$ARBOLIN_WIN_OUT/gtest-$1 stamp
  stamp="$(dpkg-query -W -f='${Version}' googletest 2>/dev/null) $("$arch-w64-mingw32-g++-posix" -dumpfullversion 2>/dev/null)"
  if [ "$(cat "$dir/.stamp" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$dir"
    mkdir -p "$dir"
    { cmake -S /usr/src/googletest -B "$dir/build" -DCMAKE_TOOLCHAIN_FILE="$ARBOLIN_TOOLCHAIN" \
        -DARBOLIN_WIN_ARCH="$arch" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON \
        -DCMAKE_INSTALL_PREFIX="$dir" &&
      cmake --build "$dir/build" -j"$ARBOLIN_JOBS" --target install; } >"$dir/build.log" 2>&1 ||
      { tail -30 "$dir/build.log" >&2; echo "GoogleTest build for $arch failed" >&2; return 1; }
    rm -rf "$dir/build"
    echo "$stamp" >"$dir/.stamp"
  fi
  echo "$dir"
}

# win_build ARCH TESTS [TARGET...]: configures build-win/ARCH and builds TARGETs (default all). TESTS: ON
# (every Win32 test), OFF (none), or CLI (the x86_64 build only: the command line's Win32 tests, without
# the Windows program's, which then run in the i686 build). The x86_64 build holds arbolin.exe; its
# program tests also check the i686 product statically, and both builds compare listings with the native
# `arbolin` when build/ holds one.
win_build() {
  local arch=$1 tests=$2 gtest= program_tests=ON
  shift 2
  local dir=$ARBOLIN_WIN_OUT/$arch cli=${ARBOLIN_CLI:-$ARBOLIN_ROOT/build/src/cli/arbolin}
  [ -x "$cli" ] || cli=
  if [ "$tests" = CLI ]; then tests=ON program_tests=OFF; fi
  if [ "$tests" = ON ]; then gtest=$(win_gtest "$arch") || return 1; fi
  local args=(-DCMAKE_TOOLCHAIN_FILE="$ARBOLIN_TOOLCHAIN" -DARBOLIN_WIN_ARCH="$arch" -DCMAKE_BUILD_TYPE=Release
              -DARBOLIN_WIN_TESTS="$tests" -DARBOLIN_WIN_PROGRAM_TESTS="$program_tests"
              -DARBOLIN_GTEST_PREFIX="$gtest" -DARBOLIN_CLI="$cli")
  [ "$arch" = i686 ] || args+=(-DARBOLIN_PRODUCT_EXE="$ARBOLIN_WIN_OUT/i686/src/app/ZK-Arbolin.exe")
  mkdir -p "$dir"
  # Configured again only when the options change (the build itself re-runs cmake when a CMakeLists does).
  if [ ! -f "$dir/CMakeCache.txt" ] || [ "$(cat "$dir/.arbolin-args" 2>/dev/null)" != "${args[*]}" ]; then
    cmake -S "$ARBOLIN_ROOT" -B "$dir" "${args[@]}" >"$ARBOLIN_WIN_OUT/$arch-configure.log" 2>&1 ||
      { cat "$ARBOLIN_WIN_OUT/$arch-configure.log" >&2; rm -f "$dir/.arbolin-args"; return 1; }
    echo "${args[*]}" >"$dir/.arbolin-args"
  fi
  local targets=()
  [ $# = 0 ] || targets=(--target "$@")
  cmake --build "$dir" -j"$ARBOLIN_JOBS" "${targets[@]}"
}

# pe_arch FILE: i686 or x86_64, from the machine field of a PE file's header.
pe_arch() {
  local off machine
  off=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j$((off + 4)) -N2 "$1" | tr -d ' ')
  case $machine in
    014c) echo i686 ;;
    8664) echo x86_64 ;;
    *) echo "unknown" ;;
  esac
}

# ---- Wine

# wine_env ARCH: the environment our programs run in under Wine; sets WINE to the loader of ARCH
# (i686: 32-bit Wine in a win32 prefix; x86_64: wine64). Wine takes the ANSI code page from the locale:
# ja_JP.UTF-8 gives code page 932.
wine_env() {
  if [ "$1" = i686 ]; then
    WINE=$WINE32_LOADER
    export WINEARCH=win32
  else
    WINE=$WINE64_LOADER
    export WINEARCH=win64
  fi
  export WINELOADER=$WINE WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
}

# boot_prefix ARCH PREFIX LOG: a fresh prefix made by wineboot (under wine_env ARCH), waited for.
# Booting a 64-bit prefix also sets up its 32-bit half with the 32-bit loader, which where 32-bit code
# runs only under qemu takes minutes, or never ends; nothing here needs that half, so as root the boot
# runs in a mount namespace of its own where the 32-bit loader is hidden.
boot_prefix() {
  local arch=$1 prefix=$2 log=$3 loader
  if [ "$arch" = i686 ]; then loader=$WINE32_LOADER; else loader=$WINE64_LOADER; fi
  local boot="WINEPREFIX='$prefix' timeout 300 '$loader' wineboot -i </dev/null >'$log' 2>&1 && WINEPREFIX='$prefix' timeout 120 wineserver -w"
  if [ "$arch" != i686 ] && [ "$(id -u)" = 0 ] && [ -e "$WINE32_LOADER" ] && unshare --mount true 2>/dev/null; then
    unshare --mount sh -c "mount --bind /dev/null '$WINE32_LOADER' && $boot"
  else
    sh -c "$boot"
  fi
}

# win_template ARCH: the template prefix of the Win32 tests (build-win/wine-template-ARCH), booted once
# with X11 Driver\Managed=N (no window manager under Xvfb: unmanaged windows close at once instead of
# waiting about 2 s for one). Test runs use fresh copies of it. Prints its path.
win_template() {
  local arch=$1 template=$ARBOLIN_WIN_OUT/wine-template-$1 t
  if [ ! -e "$template/.arbolin-template" ]; then
    t=$(lib_now)
    rm -rf "$template"
    (
      wine_env "$arch"
      boot_prefix "$arch" "$template" "$ARBOLIN_WIN_OUT/wineboot-$arch.log" &&
        WINEPREFIX=$template "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
          </dev/null >/dev/null 2>&1 &&
        WINEPREFIX=$template timeout 120 wineserver -w
    ) || { rm -rf "$template"; echo "Wine prefix ($arch) could not be booted: see $ARBOLIN_WIN_OUT/wineboot-$arch.log" >&2; return 1; }
    touch "$template/.arbolin-template"
    lib_took "" "Wine prefix template ($arch)" "$t" >&2
  fi
  echo "$template"
}

# qemu_i386_enabled: true when binfmt_misc hands 32-bit programs to qemu (then 32-bit Wine "works", at
# minutes a start).
qemu_i386_enabled() {
  local f=/proc/sys/fs/binfmt_misc
  [ -r "$f/status" ] && [ "$(cat "$f/status")" = enabled ] || return 1
  local entry
  for entry in "$f"/*; do
    case ${entry##*/} in status|register) continue ;; esac
    [ "$(head -n 1 "$entry" 2>/dev/null)" = enabled ] && grep -q 'qemu-i386' "$entry" 2>/dev/null && return 0
  done
  return 1
}

# wine32_probe: 0 when this machine runs the i686 listing_probe.exe under 32-bit Wine in a win32 prefix
# within 60 s and it lists a small folder right; builds the probe and boots the win32 template as needed.
# Sets WINE32_WHY to the reason when it fails.
wine32_probe() {
  WINE32_WHY=
  if [ "${ARBOLIN_FORCE_WIN64:-0}" = 1 ]; then WINE32_WHY="ARBOLIN_FORCE_WIN64=1"; return 1; fi
  if qemu_i386_enabled; then WINE32_WHY="32-bit code runs here only through qemu"; return 1; fi
  if [ ! -x "$WINE32_LOADER" ]; then WINE32_WHY="no 32-bit Wine ($WINE32_LOADER)"; return 1; fi
  # The 32-bit loader itself: "Exec format error" where the kernel runs no 32-bit code.
  if ! timeout 20 "$WINE32_LOADER" --version >/dev/null 2>&1; then
    WINE32_WHY="this machine runs no 32-bit code"; return 1
  fi
  # The probe program, in the product's build folder as it was last configured (so nothing is configured
  # twice: scripts/win-test.sh then turns the Win32 tests on or off there).
  local log=$ARBOLIN_WIN_OUT/i686-probe-build.log
  mkdir -p "$ARBOLIN_WIN_OUT"
  if [ -f "$ARBOLIN_WIN_OUT/i686/CMakeCache.txt" ]; then
    cmake --build "$ARBOLIN_WIN_OUT/i686" -j"$ARBOLIN_JOBS" --target listing_probe >"$log" 2>&1
  else
    win_build i686 OFF listing_probe >"$log" 2>&1
  fi || { tail -20 "$log" >&2; WINE32_WHY="the i686 build failed"; return 1; }
  local template
  template=$(win_template i686) || { WINE32_WHY="a win32 prefix does not boot"; return 1; }
  local tree=$ARBOLIN_WIN_OUT/probe32
  rm -rf "$tree" && mkdir -p "$tree/t/Docs" && : >"$tree/t/Docs/a.txt" && : >"$tree/t/readme.txt"
  local win="Z:${tree//\//\\}\\t"
  printf '[ %s ]\r\n ├[ Docs ]\r\n │ └a.txt\r\n └readme.txt\r\n' "$win" | iconv -f UTF-8 -t CP932 >"$tree/want"
  (
    wine_env i686
    export WINEPREFIX=$template
    wineserver -p </dev/null >/dev/null 2>&1
    timeout 60 "$WINE" "$ARBOLIN_WIN_OUT/i686/src/app/listing_probe.exe" "$win" </dev/null >"$tree/got" 2>"$tree/err"
    rc=$?
    wineserver -k >/dev/null 2>&1
    timeout 60 wineserver -w >/dev/null 2>&1
    exit $rc
  )
  local rc=$?
  if [ $rc != 0 ] || ! cmp -s "$tree/got" "$tree/want"; then
    if [ $rc = 124 ]; then WINE32_WHY="32-bit Wine took more than 60 s"; else WINE32_WHY="32-bit Wine failed the probe (exit $rc)"; fi
    return 1
  fi
  rm -rf "$tree"
}

# choose_windows_arch: sets WIN_ARCH (i686 or x86_64) and WIN_LINE, the line that says which build runs
# the Windows program's tests here (the command line's, arbolin.exe's, always run in the x86_64 build). ARBOLIN_WINDOWS_ARCH (i686 or x86_64), when set, is a choice already made by
# the same probe (./test.sh hands the Windows stage's on to the end-to-end stage).
choose_windows_arch() {
  case ${ARBOLIN_WINDOWS_ARCH:-} in
    i686|x86_64) WIN_ARCH=$ARBOLIN_WINDOWS_ARCH; WINE32_WHY=${ARBOLIN_WINDOWS_WHY:-this machine runs no 32-bit code} ;;
    *) if wine32_probe; then WIN_ARCH=i686; else WIN_ARCH=x86_64; fi ;;
  esac
  if [ "$WIN_ARCH" = i686 ]; then
    WIN_LINE="Windows tests: i686 product under 32-bit Wine"
  else
    WIN_LINE="Windows tests: x86_64 twin under 64-bit Wine ($WINE32_WHY)"
  fi
}
