# A folder named on the command line (as a "Send to" shortcut or a typed command starts the program): the
# notice box once the window is shown, then the listing, equal to `arbolin --compat`; a path with spaces,
# one ending in the trail byte 0x5C of "表", a relative path and "." against the start directory, a drive
# root (drive R: mapped to a small folder), and a missing folder or a file (one box owned by the window).
# Folders dropped on the window, too (see the driver's drop step for how a drop reaches it).
SCENARIOS=(spaces relative drive_root missing drop)

# list_argument START ARG WHAT FOLDER: the program started in START with ARG shows the notice, then the
# listing of FOLDER (checked as WHAT); Exit ends it.
list_argument() {
  app_start "$1" "$2"
  drv box notice -- no-box
  check_listing "$3" "$4"
  drv menu 40004
  app_wait_exit
}

# A path with spaces (Wine quotes it on the command line, as the Explorer does), then a folder whose name
# ends in "表" and one given with a trailing backslash.
scenario_spaces() {
  local t="$SCENARIO_DIR/folder with spaces" s=$SCENARIO_DIR/start
  make_listing_tree "$t"
  mkdir -p "$s"
  list_argument "$s" "$(winpath "$t")" "path with spaces" "$t"
  list_argument "$s" "$(winpath "$t")\\日本語フォルダ\\予定表" "a name ending in 0x5C" "$t/日本語フォルダ/予定表"
  list_argument "$s" "$(winpath "$t")\\Docs\\" "trailing backslash" "$t/Docs"
}

# Relative to the start directory: a subfolder's name, then "." (the start directory itself, which then
# holds the options file as well).
scenario_relative() {
  local s=$SCENARIO_DIR/start
  mkdir -p "$s"
  make_listing_tree "$s/tree"
  list_argument "$s" tree "relative path" "$s/tree"
  list_argument "$s" . "the start directory as ." "$s"
}

# Drive R: mapped to a small folder: "R:\" keeps its backslash on the root line.
scenario_drive_root() {
  local r=$SCENARIO_DIR/drive
  mkdir -p "$r/sub/inner" "$r/empty" "$SCENARIO_DIR/start"
  touch "$r/sub/inner/deep.txt" "$r/sub/s.txt" "$r/top.txt"
  ln -sfn "$r" "$WINEPREFIX/dosdevices/r:"
  session_restart
  app_start "$SCENARIO_DIR/start" 'R:\'
  drv box notice -- no-box
  ROOT_LINE='R:\' check_listing "drive root" "$r"
  drv menu 40004
  app_wait_exit
}

# Nothing to list: the window stays empty, with one box owned by it that names the path; the program goes
# on as usual afterwards (a folder chosen in the picker is listed).
scenario_missing() {
  local s=$SCENARIO_DIR/start t=$SCENARIO_DIR/tree
  mkdir -p "$s" "$t/sub"
  touch "$t/file.txt" "$t/sub/one.txt"
  app_start "$s" "$(winpath "$t")\\missing"
  drv box not-found --line "$(winpath "$t")\\missing" -- no-box
  edit_text "$SCENARIO_DIR/got.txt"
  check "text after a missing folder" "$(wc -c <"$SCENARIO_DIR/got.txt")" 0
  drv list "$(winpath "$t")"
  check_listing "picker after the box" "$t"
  drv menu 40004
  app_wait_exit
  # A file is no folder either.
  app_start "$s" "$(winpath "$t")\\file.txt"
  drv box not-found --line "$(winpath "$t")\\file.txt" -- no-box
  drv menu 40004
  app_wait_exit
}

# Drops: a folder is listed; a file changes nothing; of a file and two folders, the first folder; a drop
# while the notice of a select-folder command is open is ignored (that command lists its own folder).
scenario_drop() {
  local t=$SCENARIO_DIR/tree o=$SCENARIO_DIR/other w
  make_listing_tree "$t"
  mkdir -p "$o/inside" "$SCENARIO_DIR/start"
  touch "$o/inside/x.txt"
  w=$(winpath "$t")
  app_start "$SCENARIO_DIR/start"
  drv drop "$w" -- box notice -- no-box
  check_listing "dropped folder" "$t"
  drv edit-type $'\nedited by hand'
  edit_text "$SCENARIO_DIR/before.txt"
  drv drop "$w\\readme.txt" -- no-box
  edit_text "$SCENARIO_DIR/after.txt"
  same_bytes "$SCENARIO_DIR/after.txt" "$SCENARIO_DIR/before.txt" "text after a dropped file"
  drv drop "$w\\readme.txt" "$(winpath "$o")" "$w" -- box notice -- no-box
  check_listing "first folder of three items" "$o"
  drv menu 40002 -- pick "$w" -- box notice --keep -- drop "$(winpath "$o")" -- open-dialogs 1 -- close-box -- no-box
  check_listing "drop while the notice is open" "$t"
  drv menu 40004
  app_wait_exit
}
