# Select folder: listings against `arbolin --compat` for every option, the cancelled picker, and an
# unreadable folder (the session runs without root's permission override).
SCENARIOS=(select_folder cancel unreadable)

# Menu commands.
SUBFOLDERS=40003 FOLDER_NAMES=40005 FILE_NAMES=40006 TREE_VIEW=40011 NAME_LIMIT=40020 DEPTH_UNLIMITED=40014

# The notice box, then the listing, for the tree view and the indented view, the name limit, each depth
# and each of the three content toggles (each toggled back afterwards).
scenario_select_folder() {
  local t=$SCENARIO_DIR/tree w
  make_listing_tree "$t"
  w=$(winpath "$t")
  mkdir -p "$SCENARIO_DIR/start"
  app_start "$SCENARIO_DIR/start"

  drv list "$w"
  check_listing "defaults" "$t"
  drv list "$w"
  check_listing "the same folder again" "$t"
  drv menu $TREE_VIEW -- list "$w" -- menu $TREE_VIEW
  check_listing "indented view" "$t" --indented
  # The root line is shortened too: its first 14 bytes and " …".
  drv menu $NAME_LIMIT -- list "$w"
  ROOT_LINE="${w:0:14} …" check_listing "name limit" "$t" --name-limit
  drv menu $TREE_VIEW -- list "$w" -- menu $TREE_VIEW -- menu $NAME_LIMIT
  check_listing "name limit, indented view (names whole)" "$t" --indented
  local depth
  for depth in 2 3 4 5 6; do
    drv menu $((40013 + depth)) -- list "$w"
    check_listing "depth $depth" "$t" -L "$depth"
  done
  drv menu $DEPTH_UNLIMITED -- list "$w"
  check_listing "depth unlimited after depth 6" "$t"
  drv menu $SUBFOLDERS -- list "$w" -- menu $SUBFOLDERS
  check_listing "subfolders off" "$t" --no-subfolders
  drv menu $FOLDER_NAMES -- list "$w" -- menu $FOLDER_NAMES
  check_listing "folder names off" "$t" --no-folder-names
  drv menu $FILE_NAMES -- list "$w" -- menu $FILE_NAMES
  check_listing "file names off" "$t" --no-file-names
  drv menu $FILE_NAMES -- menu $TREE_VIEW -- list "$w" -- menu $FILE_NAMES -- menu $TREE_VIEW
  check_listing "file names off, indented view" "$t" --no-file-names --indented
  drv menu 40004
  app_wait_exit
}

# Cancel in the picker: the text on screen (a listing the user edited) stays as it was, and no box. The
# same for an item without a file-system path (the computer above the drives).
scenario_cancel() {
  local t=$SCENARIO_DIR/tree
  mkdir -p "$t/sub" "$SCENARIO_DIR/start"
  touch "$t/sub/one.txt" "$t/two.txt"
  app_start "$SCENARIO_DIR/start"
  drv list "$(winpath "$t")" -- edit-type $'\nedited by hand'
  edit_text "$SCENARIO_DIR/before.txt"
  drv menu 40002 -- pick-cancel -- no-box
  edit_text "$SCENARIO_DIR/after.txt"
  same_bytes "$SCENARIO_DIR/after.txt" "$SCENARIO_DIR/before.txt" "text after a cancelled picker"
  drv menu 40002 -- pick-no-path -- no-box
  edit_text "$SCENARIO_DIR/after.txt"
  same_bytes "$SCENARIO_DIR/after.txt" "$SCENARIO_DIR/before.txt" "text after choosing an item without a path"
  check "text kept the user's edit" "$(tail -c 14 "$SCENARIO_DIR/after.txt")" "edited by hand"
  drv menu 40004
  app_wait_exit
}

# An unreadable subfolder: "失敗かな？" owned by the main window (which it disables), once, then the
# listing with that folder's row and nothing under it. Then the unreadable folder chosen itself: the box
# and a listing of the root line only, plus the empty line of a listing without files.
scenario_unreadable() {
  local t=$SCENARIO_DIR/y w
  mkdir -p "$t/a/inside" "$t/b/c" "$t/d" "$SCENARIO_DIR/start"
  chmod 000 "$t/a"
  if ls "$t/a" >/dev/null 2>&1; then say "FAIL this session can still read an unreadable folder"; return 1; fi
  w=$(winpath "$t")
  app_start "$SCENARIO_DIR/start"
  drv menu 40002 -- pick "$w" -- box notice -- box findfile -- no-box
  check_listing "unreadable subfolder" "$t"
  check "arbolin's exit status (listed, a subfolder unreadable)" "$(cat "$SCENARIO_DIR/want.txt.status")" 1
  drv menu 40002 -- pick "$w\\a" -- box notice -- box findfile -- no-box
  edit_text "$SCENARIO_DIR/got.txt"
  sjis "[ $w\\a ]"$'\r\n\r\n' >"$SCENARIO_DIR/want.txt"
  same_bytes "$SCENARIO_DIR/got.txt" "$SCENARIO_DIR/want.txt" "unreadable folder chosen"
  drv menu 40004
  app_wait_exit
}
