#!/bin/sh
# Checks the shipped 32-bit ZK-Arbolin.exe without running it: a PE32 GUI program for Intel 80386 that
# imports only Windows' own DLLs. Given the x86_64 twin that the Win32 tests ran instead (on a machine
# without 32-bit Wine), also that its resources are byte for byte those the tests read back there.
# Usage: check-product.sh I686_EXE [X86_64_EXE]
set -u
exe=$1 tested=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
failed=0 passed=0
ok() { passed=$((passed + 1)); }
bad() { failed=$((failed + 1)); echo "FAIL: $*"; }

kind=$(python3 "$here/pe_resources.py" --kind "$exe")
if [ "$kind" = "PE32 GUI i386" ]; then ok; else bad "header says: $kind"; fi
if command -v file >/dev/null; then
  kind=$(file -b "$exe")
  case $kind in
    "PE32 executable (GUI) Intel 80386"*) ok ;;
    *) bad "file says: $kind" ;;
  esac
fi

imports=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort -u)
unknown=$(printf '%s\n' "$imports" | grep -vxE 'KERNEL32.DLL|USER32.DLL|GDI32.DLL|SHELL32.DLL|COMDLG32.DLL|OLE32.DLL|ADVAPI32.DLL|MSVCRT.DLL' || true)
if [ -n "$imports" ] && [ -z "$unknown" ]; then ok; else bad "imports beyond Windows' own: ${unknown:-none found}"; fi

if [ -n "$tested" ]; then
  if python3 "$here/pe_resources.py" --compare "$exe" "$tested"; then ok; else bad "resources differ from the tested build"; fi
fi
size=$(stat -c %s "$exe")
echo "ZK-Arbolin.exe: $kind, $size bytes, imports: $(echo $imports)"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
