# Sourced by the scripts that run our programs under 64-bit Wine: the environment they share, and
# boot_wine64_prefix PREFIX LOG, which makes a fresh prefix with wineboot.
# Booting a 64-bit prefix also sets up its 32-bit half with the 32-bit loader, which on a kernel that runs
# no 32-bit Linux code takes minutes under qemu, or never ends. Nothing here needs that half: as root, the
# boot runs in a mount namespace of its own where the 32-bit loader is hidden.
wine64=/usr/lib/wine/wine64
export WINEARCH=win64 WINELOADER=$wine64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

boot_wine64_prefix() {
  local boot="WINEPREFIX='$1' '$wine64' wineboot -i </dev/null >'$2' 2>&1; WINEPREFIX='$1' wineserver -w"
  if [ "$(id -u)" = 0 ] && [ -e /usr/lib/wine/wine ] && unshare --mount true 2>/dev/null; then
    unshare --mount sh -c "mount --bind /dev/null /usr/lib/wine/wine && $boot"
  else
    sh -c "$boot"
  fi
}
