#!/bin/sh
# Fixture folders for the Win32 tests that only the Linux side can make: a folder nobody may read, a
# symbolic link that loops back up the tree, and drive Q: mapped to a small tree (the drive-root rule;
# Z: is the whole Linux file system). Usage: fixtures.sh DIR setup|cleanup (WINEPREFIX set).
set -e
dir=$1
cleanup() {
  [ -d "$dir" ] && chmod -R u+rwx "$dir" 2>/dev/null || true
  rm -rf "$dir"
  [ -n "$WINEPREFIX" ] && rm -f "$WINEPREFIX/dosdevices/q:"
  return 0
}
case "$2" in
  cleanup) cleanup ;;
  setup)
    cleanup
    # C:\y of the unreadable-folder example: a (unreadable), b holding c, d.
    mkdir -p "$dir/unreadable/a/inside" "$dir/unreadable/b/c" "$dir/unreadable/d"
    chmod 000 "$dir/unreadable/a"
    # A link loop: loop\x\back leads to loop again.
    mkdir -p "$dir/loop/x"
    : >"$dir/loop/x/f.txt"
    ln -s .. "$dir/loop/x/back"
    # Drive Q: holds sub\inner.txt and top.txt.
    mkdir -p "$dir/drive/sub"
    : >"$dir/drive/sub/inner.txt"
    : >"$dir/drive/top.txt"
    : "${WINEPREFIX:?WINEPREFIX must be set}"
    ln -sfn "$dir/drive" "$WINEPREFIX/dosdevices/q:"
    # Whether this run can make a folder unreadable at all (not as root with its override).
    if ls "$dir/unreadable/a" >/dev/null 2>&1; then : >"$dir/unreadable-is-readable"; fi
    ;;
  *) echo "usage: fixtures.sh DIR setup|cleanup" >&2; exit 2 ;;
esac
