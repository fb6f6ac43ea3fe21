#!/usr/bin/env bash
# Builds everything and starts Tracelorn.exe under Wine from the build tree's bin/ folder, where
# the shipped plug-in folders (STDPLUGS, APPPLUGS) and the help file lie beside it. With a display
# the program runs until it is ended. Without one it runs under Xvfb: the script presses Scan in
# the main window, prints the result lines, saves screenshots of the window, of the Options dialog
# on each of its pages, of the About dialog and of the tray menu, and ends the program.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TL_BUILD:-$root/build}
cd "$root"
bash scripts/deps.sh
bash scripts/build.sh
bin="$build/win/bin"
export TL_WINEPREFIX="$build/win/wineprefix"
launcher="$root/cmake/wine-run.sh"
[ -f "$bin/Tracelorn.exe" ] || { echo "Tracelorn.exe was not built"; exit 1; }
bash "$launcher" cmd /c exit >/dev/null 2>&1   # creates the prefix once
# Wine binds its desktop to the display of the server's first program: the server started here,
# without the display, must be gone before the session below starts its own.
WINEPREFIX="$TL_WINEPREFIX" wineserver -k 2>/dev/null || true
WINEPREFIX="$TL_WINEPREFIX" wineserver -w 2>/dev/null || true

if [ -n "${DISPLAY:-}" ] && [ -z "${TL_HEADLESS:-}" ]; then
  cd "$bin" && exec bash "$launcher" Tracelorn.exe
fi

shots="$build/screenshots"
mkdir -p "$shots"
# Everything below runs inside one Xvfb session.
TL_BIN="$bin" TL_LAUNCHER="$launcher" TL_SHOTS="$shots" \
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  export WINEPREFIX="$TL_WINEPREFIX"
  wineserver -p
  cd "$TL_BIN"
  bash "$TL_LAUNCHER" Tracelorn.exe >/dev/null 2>&1 &
  echo "== Scan in the main window"
  status=0
  bash "$TL_LAUNCHER" tl_remote.exe scan | tr -d "\r" || status=1
  sleep 1
  import -display "$DISPLAY" -window root "$TL_SHOTS/main-window.png" && \
    echo "screenshot of the main window: $TL_SHOTS/main-window.png"
  remote() { bash "$TL_LAUNCHER" tl_remote.exe "$@" 2>/dev/null | tr -d "\r"; }
  # A picture of one window: the whole screen, cropped to the window when its place is known.
  shoot() {
    geometry=$(remote geometry "$1")
    import -display "$DISPLAY" -window root "$TL_SHOTS/$2" || return
    case "$geometry" in *x*+*+*) convert "$TL_SHOTS/$2" -crop "$geometry" +repage "$TL_SHOTS/$2" ;; esac
    echo "screenshot of $1 ($3): $TL_SHOTS/$2"
  }
  remote command 32790 >/dev/null                    # Options
  sleep 1; shoot "Tracelorn Options" options-targets.png "Targets page"
  # The pages of the Targets tab (1081 Browsers, 1082 Applications, 1083 Custom), a group pop-up (the
  # first group button of the Browsers page, 1100) and the custom target editor (Add Target, 1090).
  remote click "Tracelorn Options" 1081 >/dev/null; sleep 1
  shoot "Tracelorn Options" targets-browsers.png "Browsers page"
  remote click "Tracelorn Options" 1100 >/dev/null; sleep 1
  shoot "Firefox Mozilla (2.x)" targets-popup.png "a group pop-up"
  remote click "Firefox Mozilla (2.x)" 2 >/dev/null; sleep 1
  remote click "Tracelorn Options" 1082 >/dev/null; sleep 1
  shoot "Tracelorn Options" targets-applications.png "Applications page"
  remote click "Tracelorn Options" 1083 >/dev/null; sleep 1
  shoot "Tracelorn Options" targets-custom.png "Custom page"
  remote click "Tracelorn Options" 1090 >/dev/null; sleep 1
  shoot "Add Target to Kill" editor.png "the custom target editor"
  remote click "Add Target to Kill" 1075 >/dev/null; sleep 1
  shoot "Add Target to Kill" editor-registry-folder.png "the editor on its registry-folder page"
  remote click "Add Target to Kill" 2 >/dev/null; sleep 1
  remote click "Tracelorn Options" 1080 >/dev/null; sleep 1
  remote click "Tracelorn Options" 1061 >/dev/null; sleep 1
  shoot "Tracelorn Options" options-autokill.png "Auto-Kill page"
  remote click "Tracelorn Options" 1062 >/dev/null; sleep 1
  shoot "Tracelorn Options" options-settings.png "Settings page"
  remote click "Tracelorn Options" 1064 >/dev/null; sleep 1
  shoot "Tracelorn Options" options-excludes.png "Excludes page"
  remote click "Tracelorn Options" 1164 >/dev/null; sleep 1
  shoot "Tracelorn Options" options-cookies.png "Cookies to Keep page"
  remote click "Tracelorn Options" 2 >/dev/null; sleep 1      # Cancel
  remote command 32783 >/dev/null                    # About
  sleep 1; shoot "About Tracelorn" about.png "About"
  remote click "About Tracelorn" 1 >/dev/null; sleep 1
  bash "$TL_LAUNCHER" tl_remote.exe menu >/dev/null 2>&1
  sleep 1
  import -display "$DISPLAY" -window root "$TL_SHOTS/tray-menu.png" && \
    echo "screenshot of the tray menu: $TL_SHOTS/tray-menu.png"
  bash "$TL_LAUNCHER" tl_remote.exe exit >/dev/null 2>&1 || status=1
  wait
  wineserver -k 2>/dev/null
  exit $status
'
