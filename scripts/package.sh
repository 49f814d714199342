#!/usr/bin/env bash
# Makes the packages users install: the Debian package of `arbolin` (CPack, from build/) and the zip for
# Windows (the i686 ZK-Arbolin.exe and the x86_64 arbolin.exe scripts/win-test.sh built and tested in
# build-win/). Builds what is missing first, reusing the builds ./test.sh leaves, and prints the paths of
# the .deb and the zip.
#   ARBOLIN_PACKAGE_OUT   where the packages go (default: build/packages)
#   ARBOLIN_BUILD         the native build folder (default: build)
#   ARBOLIN_WIN_BUILD     the cross build folder (default: build-win)
#   ARBOLIN_PACKAGE_WIN_BUILD=0   build nothing for Windows: no zip when build-win holds no exe
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${ARBOLIN_BUILD:-$root/build}
win=${ARBOLIN_WIN_BUILD:-$root/build-win}
out=${ARBOLIN_PACKAGE_OUT:-$build/packages}
jobs=${ARBOLIN_JOBS:-2}
mkdir -p "$out"
out=$(cd "$out" && pwd)

# ---- the Debian package
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >&2
fi
cmake --build "$build" -j"$jobs" --target arbolin arbolin_install_files >&2
version=$("$build/src/cli/arbolin" --version)
version=${version#arbolin }
deb=arbolin_${version}_$(dpkg --print-architecture).deb
work=$(mktemp -d "$out/cpack.XXXXXX")
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$work" >&2
mv -f "$work/$deb" "$out/$deb"
echo "$out/$deb"

# ---- the zip for Windows: both programs byte for byte as built and tested, the help, a read-me, the
# licence
exe=$win/i686/src/app/ZK-Arbolin.exe
cli_exe=$win/x86_64/src/cli/arbolin.exe
# rebuilt_warning BUILD TARGET FILE: builds TARGET in BUILD and says so when FILE changed (not the tested one).
rebuilt_warning() {
  local before
  before=$(stat -c %Y "$3" 2>/dev/null || echo none)
  cmake --build "$1" -j"$jobs" --target "$2" >&2
  [ "$before" = "$(stat -c %Y "$3")" ] ||
    echo "package: $(basename "$3") was rebuilt: run scripts/win-test.sh so that the zipped exe is a tested one" >&2
}
if [ "${ARBOLIN_PACKAGE_WIN_BUILD:-1}" != 0 ]; then
  if [ -f "$win/i686/CMakeCache.txt" ] && [ -f "$win/x86_64/CMakeCache.txt" ]; then
    rebuilt_warning "$win/i686" ZK-Arbolin "$exe"
    rebuilt_warning "$win/x86_64" arbolin "$cli_exe"
  else
    ARBOLIN_WIN_BUILD_ONLY=1 ARBOLIN_WIN_BUILD="$win" "$root/scripts/win-test.sh" >&2
  fi
fi
if [ ! -f "$exe" ]; then
  echo "package: no $exe (scripts/win-test.sh builds it): no zip" >&2
  exit 0
fi
if [ ! -f "$cli_exe" ]; then
  echo "package: no $cli_exe beside $exe (scripts/win-test.sh builds both): no zip" >&2
  exit 1
fi
zip=$out/ZK-Arbolin-$version.zip
stage=$work/zip
mkdir -p "$stage"
cp "$exe" "$stage/ZK-Arbolin.exe"
cp "$cli_exe" "$stage/arbolin.exe"
cp "$root/res/help.html" "$stage/help.html"
# The read-me is UTF-8 with a BOM and CRLF line ends, as Notepad opens it right.
sed "s/@VERSION@/$version/" "$root/res/readme.txt" >"$stage/readme.txt"
cp "$root/LICENSE" "$stage/LICENSE.txt"
rm -f "$zip"
(cd "$stage" && zip -q -X -9 "$zip" ZK-Arbolin.exe arbolin.exe help.html readme.txt LICENSE.txt)
echo "$zip"
