# The main window: the edit control fills the client area after resizes; while the notice box of a
# running select-folder command is open (it has no owner, so the menu stays usable) an option toggled
# applies to that listing, a second select-folder is ignored, and Exit or the close button end the
# program cleanly with the options saved; a drive root (drive Q: mapped to a fixture folder).
SCENARIOS=(resize during_notice drive_root)

scenario_resize() {
  mkdir -p "$SCENARIO_DIR/start"
  app_start "$SCENARIO_DIR/start"
  drv layout -- resize 500 300 -- resize 900 700 -- resize 320 200 -- maximize -- restore
  drv menu 40004
  app_wait_exit
}

scenario_during_notice() {
  local t=$SCENARIO_DIR/tree s=$SCENARIO_DIR/start w
  mkdir -p "$t/a/b/c" "$t/d" "$s"
  touch "$t/a/b/c/deep.txt" "$t/a/one.txt" "$t/top.txt"
  w=$(winpath "$t")
  app_start "$s"
  # Toggled while the notice is open: this listing is indented and without files.
  drv menu 40002 -- pick "$w" -- box notice --keep -- menu 40011 -- menu 40006 -- close-box -- settle
  check_listing "options toggled while the notice was open" "$t" --indented --no-file-names
  drv menu 40011 -- menu 40006
  # A second select-folder while the notice is open opens no picker; the first command goes on.
  drv menu 40002 -- pick "$w" -- box notice --keep -- menu 40002 -- open-dialogs 1 -- close-box -- no-box
  check_listing "listing after an ignored second select-folder" "$t"
  # Exit while the notice is open: the program ends (exit code 0) and saves the options as usual.
  drv menu 40020 -- menu 40002 -- pick "$w" -- box notice --keep -- menu 40004
  app_wait_exit
  grep -q "$(sjis '文字数制限=yes')" "$s/zk_ar.ini" || { say "FAIL options not saved on Exit during the notice"; return 1; }
  # The same with the title bar's close button.
  app_start "$s"
  drv menu 40020 -- menu 40002 -- pick "$w" -- box notice --keep -- close
  app_wait_exit
  grep -q "$(sjis '文字数制限=no')" "$s/zk_ar.ini" || { say "FAIL options not saved on closing during the notice"; return 1; }
}

# Drive Q: mapped to a folder: the root line shows "Q:\" as the picker returned it, and the entries are
# found (the pattern and child paths of a drive root take no extra backslash).
scenario_drive_root() {
  local q=$SCENARIO_DIR/drive
  mkdir -p "$q/sub/inner" "$q/empty" "$SCENARIO_DIR/start"
  touch "$q/sub/inner/deep.txt" "$q/sub/s.txt" "$q/top.txt"
  ln -sfn "$q" "$WINEPREFIX/dosdevices/q:"
  session_restart
  app_start "$SCENARIO_DIR/start"
  drv menu 40002 -- pick 'Q:\' -- box notice -- no-box
  ROOT_LINE='Q:\' check_listing "drive root" "$q"
  drv menu 40004
  app_wait_exit
}
