#!/usr/bin/env bash
# Makes the packages with scripts/package.sh into a scratch folder and checks them: the .deb passes lintian
# without error, holds its files in Debian's form, and its unpacked arbolin runs (also with --gitignore); the
# zip holds the tested exe byte for byte, the help and the read-me. Without the cross build (build-win, made
# by scripts/win-test.sh) the zip's checks are skipped and so is the test (exit 77) once the .deb passed.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$1 build=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "package test: $*"; failed=1; }

for tool in lintian dpkg-deb cpack git gzip readelf python3; do
  command -v "$tool" >/dev/null || { echo "package test: $tool is missing (scripts/install-deps.sh)"; exit 1; }
done

ARBOLIN_PACKAGE_OUT=$scratch/out ARBOLIN_BUILD=$build ARBOLIN_PACKAGE_WIN_BUILD=0 \
  "$src/scripts/package.sh" >"$scratch/paths" 2>"$scratch/package.log" ||
  { cat "$scratch/package.log"; echo "package test: scripts/package.sh failed"; exit 1; }
deb=$(grep '\.deb$' "$scratch/paths")
zip=$(grep '\.zip$' "$scratch/paths")
version=$("$build/src/cli/arbolin" --version)
version=${version#arbolin }

# ---- the .deb: its name and fields, lintian, its files
[ "$(basename "$deb")" = "arbolin_${version}_amd64.deb" ] || fail "the package is named $(basename "$deb")"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
field Depends | grep -q libc6 || fail "Depends lacks libc6: $(field Depends)"
field Recommends | grep -q 'libgit2' || fail "Recommends names no libgit2 package: '$(field Recommends)'"
[ -n "$(field Description | sed -n 2p)" ] || fail "the description has no extended part"
if ! lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian" 2>&1; then
  fail "lintian reports errors:"; cat "$scratch/lintian"
fi
grep '^E: ' "$scratch/lintian" && fail "lintian: errors above"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/arbolin usr/share/man/man1/arbolin.1.gz usr/share/bash-completion/completions/arbolin \
            usr/share/fish/vendor_completions.d/arbolin.fish usr/share/zsh/vendor-completions/_arbolin \
            usr/share/doc/arbolin/copyright usr/share/doc/arbolin/changelog.gz; do
  [ -f "$root/$file" ] || fail "$file is not in the package"
done
extra=$(cd "$root" && find . -type f | sort | grep -v -e '^./usr/bin/arbolin$' -e '^./usr/share/man/man1/' \
        -e '^./usr/share/bash-completion/' -e '^./usr/share/fish/' -e '^./usr/share/zsh/' -e '^./usr/share/doc/arbolin/')
[ -z "$extra" ] || fail "unexpected files in the package: $extra"
readelf -S "$root/usr/bin/arbolin" | grep -q '\.symtab' && fail "usr/bin/arbolin is not stripped"
# gzip -9n: no file name, no time stamp (bytes 4-7), the best compression flag (byte 8 = 2).
for gz in usr/share/man/man1/arbolin.1.gz usr/share/doc/arbolin/changelog.gz; do
  header=$(od -An -tx1 -N10 "$root/$gz" | tr -d ' \n')
  [[ $header == 1f8b0800000000000203 ]] || fail "$gz is not compressed with gzip -9n (header $header)"
done
zcat "$root/usr/share/man/man1/arbolin.1.gz" | grep -q "^\.TH ARBOLIN 1 .*\"arbolin $version\"" ||
  fail "the man page's .TH line does not name version $version"
zcat "$root/usr/share/doc/arbolin/changelog.gz" | head -1 | grep -q "^arbolin ($version) " ||
  fail "the changelog's first entry is not version $version"
head -1 "$root/usr/share/doc/arbolin/copyright" |
  grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
  fail "the copyright file is not in Debian's machine-readable form"
grep -q 'Permission is hereby granted, free of charge' "$root/usr/share/doc/arbolin/copyright" ||
  fail "the copyright file lacks the licence text"

# ---- the unpacked program: its version, its size, the libraries it loads, a listing, and --gitignore in a
# scratch repository
arbolin=$root/usr/bin/arbolin
[ "$("$arbolin" --version)" = "arbolin $version" ] || fail "the unpacked arbolin prints $("$arbolin" --version)"
size=$(stat -c %s "$arbolin")
[ "$size" -lt 3000000 ] || fail "usr/bin/arbolin takes $size bytes (at most 3 MB)"
# Every library the program loads is a dependency: those it is linked to (objdump's NEEDED, and theirs) and
# ICU, which it opens with dlopen when a name needs it (Japanese names in ja_JP.UTF-8: collation and
# character data). The dynamic loader names each library it starts (LD_DEBUG=libs, "calling init").
objdump -p "$arbolin" | awk '$1 == "NEEDED" { print $2 }' | grep -i icu &&
  fail "usr/bin/arbolin is linked to ICU: it must load it only when a listing needs it"
mkdir -p "$scratch/names/サブ" && touch "$scratch/names/日本語.txt" "$scratch/names/かな"
loaded=$(LC_ALL=ja_JP.UTF-8 LD_DEBUG=libs "$arbolin" "$scratch/names" 2>&1 >/dev/null |
         sed -n 's/.*calling init: //p' | sort -u)
grep -q 'libicuuc' <<<"$loaded" || fail "a listing of Japanese names loaded no ICU: $(echo $loaded)"
owner() {  # the package holding library $1 (merged /usr: dpkg may know it under /lib or /usr/lib)
  local path
  for path in "$1" "${1/#\/usr\/lib\//\/lib\/}" "${1/#\/lib\//\/usr\/lib\/}"; do
    dpkg-query -S "$path" 2>/dev/null | sed -n '1s/^\([a-z0-9.+-]*\)\(:[a-z0-9]*\)\{0,1\}: .*/\1/p' | grep . && return
  done
}
depends=$(field Depends)
depended=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')  # the package names alone
for library in $loaded; do
  package=$(owner "$library")
  [ -n "$package" ] || { fail "no Debian package holds $library, which arbolin loads"; continue; }
  grep -qxF "$package" <<<"$depended" || fail "arbolin loads $library, yet Depends lacks $package: $depends"
done
repo=$scratch/repo
mkdir -p "$repo/src" "$repo/logs"
touch "$repo/src/main.c" "$repo/logs/run.log" "$repo/notes.txt" "$repo/tracked.log"
printf 'logs/\n*.log\n' >"$repo/.gitignore"
git -C "$repo" init -q && git -C "$repo" add -f tracked.log && git -C "$repo" add . ||
  fail "git could not make the scratch repository"
# The files git keeps (tracked or not ignored) are the files listed, and no ignored folder is.
expected=$(cd "$repo" && git ls-files --cached --others --exclude-standard | xargs -n1 basename | sort)
got=$(cd "$repo" && "$arbolin" --gitignore --indented --no-folder-names | sed '1d; s/^ *//' | sort)
[ -n "$expected" ] && [ "$got" = "$expected" ] ||
  fail "--gitignore lists the files '$(echo $got)', git keeps '$(echo $expected)'"
folders=$(cd "$repo" && "$arbolin" --gitignore --indented --no-file-names | sed '1d; s/^ *//')
[ "$folders" = "[ src ]" ] || fail "--gitignore lists the folders '$(echo $folders)', git keeps only src"

# ---- the zip
exe=$src/build-win/i686/src/app/ZK-Arbolin.exe
if [ -z "$zip" ]; then
  [ $failed = 0 ] || exit 1
  echo "package test: the .deb passed; zip checks SKIPPED: no $exe (scripts/win-test.sh builds it)"
  exit 77
fi
python3 - "$zip" "$exe" "$src/res/help.html" "$version" "$src/build-win/x86_64/src/cli/arbolin.exe" <<'EOF' || failed=1
import sys, zipfile
path, exe, help_html, version, cli_exe = sys.argv[1:]
bad = []
with zipfile.ZipFile(path) as z:
    names = sorted(z.namelist())
    if names != sorted(["ZK-Arbolin.exe", "arbolin.exe", "help.html", "readme.txt", "LICENSE.txt"]):
        bad.append("the zip holds %s" % names)
    else:
        if z.read("ZK-Arbolin.exe") != open(exe, "rb").read():
            bad.append("ZK-Arbolin.exe differs from the tested " + exe)
        cli = z.read("arbolin.exe")
        if cli != open(cli_exe, "rb").read():
            bad.append("arbolin.exe differs from the tested " + cli_exe)
        # A 64-bit console program: the PE header's machine, and the optional header's subsystem.
        pe = int.from_bytes(cli[60:64], "little")
        if cli[pe:pe + 4] != b"PE\0\0" or cli[pe + 4:pe + 6] != b"\x64\x86" or cli[pe + 24 + 68] != 3:
            bad.append("arbolin.exe is not an x86_64 console program")
        if z.read("help.html") != open(help_html, "rb").read():
            bad.append("help.html differs from res/help.html")
        readme = z.read("readme.txt")
        if not readme.startswith(b"\xef\xbb\xbf"):
            bad.append("readme.txt has no UTF-8 byte order mark")
        text = readme.decode("utf-8")
        for want in ("ZK-Arbolin " + version, "使い方", "How to use it", "\r\n", "arbolin.exe", "PATH"):
            if want not in text:
                bad.append("readme.txt lacks %r" % want)
        if "\n" in text.replace("\r\n", ""):
            bad.append("readme.txt has a line end without CR")
for line in bad:
    print("package test: " + line)
sys.exit(1 if bad else 0)
EOF
[ $failed = 0 ] && echo "package test: $(basename "$deb") and $(basename "$zip") pass"
exit $failed
