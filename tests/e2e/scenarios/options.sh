# The options across runs: the first start without zk_ar.ini, toggles restored by the next start with the
# depth back to "無制限", and the title bar's close button saving like Exit. Menus cannot be read from
# another process under Wine, so the check marks are seen through the listings they produce and the INI
# bytes written at exit.
SCENARIOS=(first_start close_button)

SUBFOLDERS=40003 FOLDER_NAMES=40005 FILE_NAMES=40006 TREE_VIEW=40011 NAME_LIMIT=40020 DEPTH_3=40016

# zk_ar.ini as written from nothing: the five keys in order, VALUES the five "yes"/"no".
ini_bytes() {
  local v=($@)
  sjis "[OPTION]"$'\r\n'"サブフォルダ=${v[0]}"$'\r\n'"フォルダ名=${v[1]}"$'\r\n'"ファイル名=${v[2]}"$'\r\n'"ツリー表示=${v[3]}"$'\r\n'"文字数制限=${v[4]}"$'\r\n'
}

scenario_first_start() {
  local t=$SCENARIO_DIR/tree s=$SCENARIO_DIR/start w
  make_listing_tree "$t"
  mkdir -p "$s"
  w=$(winpath "$t")

  # First start: the defaults (four on, the name limit off, no depth limit); Exit writes all five keys.
  app_start "$s"
  drv list "$w"
  check_listing "first start" "$t"
  drv menu 40004
  app_wait_exit
  ini_bytes yes yes yes yes no >"$SCENARIO_DIR/want.ini"
  same_bytes "$s/zk_ar.ini" "$SCENARIO_DIR/want.ini" "zk_ar.ini after the first run"

  # Second start: change three toggles and the depth.
  app_start "$s"
  drv menu $TREE_VIEW -- menu $NAME_LIMIT -- menu $FILE_NAMES -- menu $DEPTH_3 -- list "$w"
  check_listing "second start, toggles and depth 3" "$t" --indented --no-file-names -L 3
  drv menu 40004
  app_wait_exit
  ini_bytes yes yes no no yes >"$SCENARIO_DIR/want.ini"
  same_bytes "$s/zk_ar.ini" "$SCENARIO_DIR/want.ini" "zk_ar.ini after the second run"

  # Third start: the toggles are back, the depth is unlimited again.
  app_start "$s"
  drv list "$w"
  check_listing "third start (indented, no files, any depth)" "$t" --indented --no-file-names
  drv menu $TREE_VIEW -- list "$w"
  ROOT_LINE="${w:0:14} …" check_listing "third start, tree view (name limit restored)" "$t" --name-limit --no-file-names
  drv menu 40004
  app_wait_exit
  ini_bytes yes yes no yes yes >"$SCENARIO_DIR/want.ini"
  same_bytes "$s/zk_ar.ini" "$SCENARIO_DIR/want.ini" "zk_ar.ini after the third run"
}

# The close button against Exit: two start directories with the same zk_ar.ini (another section, a key
# missing, "no", and "YES" in capitals), the same toggles, one closed by Exit and one by the title bar:
# the files come out byte for byte the same, with the other section kept.
scenario_close_button() {
  local t=$SCENARIO_DIR/tree w how
  mkdir -p "$t/sub/deeper"
  touch "$t/sub/deeper/x.txt" "$t/sub/a_file_with_a_long_name.txt" "$t/top.txt"
  w=$(winpath "$t")
  for how in exit close; do
    mkdir -p "$SCENARIO_DIR/$how"
    sjis "[OTHER]"$'\r\n'"keep=this"$'\r\n'"[OPTION]"$'\r\n'"文字数制限=yes"$'\r\n'"サブフォルダ=no"$'\r\n'"ファイル名=YES"$'\r\n' \
      >"$SCENARIO_DIR/$how/zk_ar.ini"
    app_start "$SCENARIO_DIR/$how"
    drv list "$w"
    ROOT_LINE="${w:0:14} …" check_listing "options read from the file" "$t" --name-limit --no-subfolders --no-file-names
    drv menu $FOLDER_NAMES -- menu $FILE_NAMES
    if [ $how = exit ]; then drv menu 40004; else drv close; fi
    app_wait_exit
  done
  same_bytes "$SCENARIO_DIR/close/zk_ar.ini" "$SCENARIO_DIR/exit/zk_ar.ini" "zk_ar.ini after the close button against Exit"
  local ini
  ini=$(iconv -f CP932 -t UTF-8 "$SCENARIO_DIR/close/zk_ar.ini" | tr -d '\r')
  say "  zk_ar.ini after closing:"; printf '%s\n' "$ini" | sed 's/^/    /'
  check "other section kept" "$(printf '%s\n' "$ini" | sed -n '/^\[OTHER\]/,/^\[/p' | grep -c '^keep=this$')" 1
  local key want
  for key in サブフォルダ=no フォルダ名=no ファイル名=yes ツリー表示=yes 文字数制限=yes; do
    check "zk_ar.ini holds $key once" "$(printf '%s\n' "$ini" | sed -n '/^\[OPTION\]/,$p' | grep -cx "$key")" 1
  done
  check "zk_ar.ini keys in OPTION" "$(printf '%s\n' "$ini" | sed -n '/^\[OPTION\]/,$p' | grep -c =)" 5
}
