# Too much data: more than 2,048 files (the previous text stays, one box "ZK-Ramelkin"), exactly 2,048
# (listed), and a listing whose text passes 65,280 bytes (one box "Ramelkin", the partial text shown).
SCENARIOS=(too_many_files text_limit)

scenario_too_many_files() {
  local small=$SCENARIO_DIR/small many=$SCENARIO_DIR/many enough=$SCENARIO_DIR/enough
  mkdir -p "$small/sub" "$SCENARIO_DIR/start"
  touch "$small/sub/s.txt" "$small/t.txt"
  # 2,049 files, spread over the root and a subfolder; and exactly 2,048.
  make_files "$many" 2000
  make_files "$many/sub" 49
  make_files "$enough" 2000
  make_files "$enough/sub" 48
  app_start "$SCENARIO_DIR/start"
  drv list "$(winpath "$small")"
  edit_text "$SCENARIO_DIR/before.txt"
  drv menu 40002 -- pick "$(winpath "$many")" -- box notice -- box too-much -- no-box
  edit_text "$SCENARIO_DIR/after.txt"
  same_bytes "$SCENARIO_DIR/after.txt" "$SCENARIO_DIR/before.txt" "text after 2,049 files"
  drv list "$(winpath "$enough")"
  check_listing "2,048 files" "$enough"
  drv menu 40004
  app_wait_exit
}

scenario_text_limit() {
  local wide=$SCENARIO_DIR/wide
  make_wide_tree "$wide"
  mkdir -p "$SCENARIO_DIR/start"
  app_start "$SCENARIO_DIR/start"
  drv menu 40002 -- pick "$(winpath "$wide")" -- box notice -- box too-much-text -- no-box
  check_listing "partial text at the limit" "$wide"
  check "arbolin's exit status (text limit reached)" "$(cat "$SCENARIO_DIR/want.txt.status")" 2
  local size
  size=$(stat -c %s "$SCENARIO_DIR/got.txt")
  say "  partial text: $size bytes"
  [ "$size" -gt 65280 ] && [ "$size" -lt 65536 ] || { say "FAIL partial text of $size bytes"; return 1; }
  drv menu 40004
  app_wait_exit
}
