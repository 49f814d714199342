# Not a test: the README's screenshots (scripts/screenshots.sh runs this group), taken under Xvfb with
# the IPA Gothic fonts: the main window with a tree listing, the Options menu open, the About box.
# SHOTS names the folder they are written to.
SCENARIOS=(screenshots)

# The root screenshot cut to what is not background (the windows on the black Xvfb screen).
shoot() {
  import -window root "$SCENARIO_DIR/root.png"
  convert "$SCENARIO_DIR/root.png" -trim +repage "$SHOTS/$1"
  say "  wrote $SHOTS/$1 ($(identify -format '%wx%h' "$SHOTS/$1"))"
}

scenario_screenshots() {
  : "${SHOTS:?SHOTS must name the output folder}"
  mkdir -p "$SHOTS"
  local q=$SCENARIO_DIR/drive w=$SCENARIO_DIR/drive/Work
  mkdir -p "$w/Docs" "$w/Src/Lib" "$w/写真/2024" "$SCENARIO_DIR/start"
  touch "$w/Docs/a.txt" "$w/Docs/b.txt" "$w/Docs/仕様書.txt" "$w/Src/main.c" "$w/Src/Lib/util.c" \
    "$w/写真/2024/旅行.jpg" "$w/写真/表紙.png" "$w/readme.txt" "$w/メモ.txt"
  # Drive Q: keeps the root line short: "[ Q:\Work ]".
  ln -sfn "$q" "$WINEPREFIX/dosdevices/q:"
  session_restart
  app_start "$SCENARIO_DIR/start"
  # In the middle of the 1024 x 768 screen, where the About box (centred on the screen) comes over it.
  drv place 232 184 560 400 -- list 'Q:\Work'
  shoot main-window.png

  # The Options menu, opened with a real click on the menu bar, and its depth submenu.
  local window
  window=$(xdotool search --name '^ZK-Arbolin$' | head -n 1)
  xdotool mousemove --window "$window" 120 33 click 1
  sleep 1
  xdotool mousemove --window "$window" 150 75
  sleep 1
  shoot options-menu.png
  # Closed by a click into the text, which leaves the menu bar as it was.
  xdotool mousemove --window "$window" 300 300 click 1
  sleep 0.5

  drv about-open
  sleep 0.5
  shoot about.png
  drv about-key enter -- menu 40004
  app_wait_exit
}
