# Help and About: help.html opened from the start directory (also after a save changed the current
# directory) without a box, its absence reported; the About box's texts and addresses, Enter closes it
# and Escape or the close button do not, and its buttons open the stored addresses even after the fields
# were edited. What the program opens is seen through the recording handler of the template prefix.
SCENARIOS=(help about)

# The maker's addresses and notice line are the program's own choice: read them from its sources.
source_string() {  # source_string FILE PATTERN: the first double-quoted text on the first matching line
  grep -m1 -- "$2" "$1" | sed -n 's/^[^"]*"\([^"]*\)".*/\1/p'
}

scenario_help() {
  local s=$SCENARIO_DIR/start bare=$SCENARIO_DIR/bare out=$SCENARIO_DIR/out
  mkdir -p "$s" "$bare" "$out"
  cp "$(dirname "$PROGRAM")/help.html" "$s/help.html"
  app_start "$s"
  drv menu 40007 -- no-box
  check "opened" "$(opened_lines 1)" "$(winpath "$s")\\help.html"
  # A save into another folder makes that folder current; help is still looked for in the start directory.
  drv save "$(winpath "$out")\\x.txt" -- no-box -- menu 40007 -- no-box
  check "opened after a save" "$(opened_lines 2 | tail -n 1)" "$(winpath "$s")\\help.html"
  drv menu 40004
  app_wait_exit
  # No help.html in the start directory: the box, owned by the main window.
  app_start "$bare"
  drv menu 40007 -- box help-missing -- no-box
  drv menu 40004
  app_wait_exit
  check "opened in all" "$(opened_lines 2 | wc -l)" 2
}

scenario_about() {
  local web mail notice
  web=$(source_string "$SOURCE/src/app/app.h" 'kWebAddress\[\]')
  mail=$(source_string "$SOURCE/src/app/app.h" 'kMailAddress\[\]')
  notice=$(source_string "$SOURCE/res/app.rc" '93, 175, 84, 8')
  [ -n "$web" ] && [ -n "$mail" ] && [ -n "$notice" ] || { say "FAIL cannot read the addresses and notice line"; return 1; }
  mkdir -p "$SCENARIO_DIR/start"
  app_start "$SCENARIO_DIR/start"
  # As opened (the focus on OK, the default button): Escape and the close button leave it open, Enter
  # closes it.
  drv about-open -- about-check "$web" "$mail" "$notice"
  check "About after Escape" "$(drv_value about-key escape)" open
  check "About after the close button" "$(drv_value about-key close)" open
  check "About after Enter" "$(drv_value about-key enter)" closed
  drv no-box
  # Opened again: the stored addresses are back in the fields; edited, the buttons still open the stored
  # addresses. (A clicked button keeps the focus, and Enter would then press it: OK closes the box.)
  drv about-open -- about-check "$web" "$mail" "$notice"
  drv about-field 1002 "https://edited.example.invalid/" -- about-field 1003 "edited@example.invalid"
  drv about-click 1005
  check "Send Mail opened" "$(opened_lines 1)" "mailto:$mail"
  drv about-click 1006
  check "Go!! opened" "$(opened_lines 2 | tail -n 1)" "$web"
  drv about-click 1 -- no-box
  check "opened in all" "$(opened_lines 2 | wc -l)" 2
  drv menu 40004
  app_wait_exit
}
