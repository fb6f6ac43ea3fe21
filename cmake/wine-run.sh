#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's private prefix.
# The prefix lives beside the build tree's CMakeCache.txt (found from the working directory upwards),
# or where TL_WINEPREFIX points.
set -u
if [ -z "${TL_WINEPREFIX:-}" ]; then
  dir=$PWD
  while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] || dir=$PWD
  TL_WINEPREFIX="$dir/wineprefix"
fi
case "$TL_WINEPREFIX" in /*) ;; *) TL_WINEPREFIX="$PWD/$TL_WINEPREFIX";; esac
export WINEPREFIX="$TL_WINEPREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi
# Fonts as on Windows: this Wine does not load its own Tahoma (behind "MS Shell Dlg", which sets
# the size of every dialog) from its data folder, and there is no Arial (the skin's face), so
# dialogs would come out a sixth too wide in a fallback font. Tahoma goes into the prefix's Fonts
# folder; Arial is replaced by the metric-compatible Liberation Sans.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d "$fonts" ] && [ ! -f "$fonts/tahoma.ttf" ] && [ -f /usr/share/wine/fonts/tahoma.ttf ]; then
  cp /usr/share/wine/fonts/tahoma*.ttf "$fonts/"
  if fc-list 2>/dev/null | grep -q "Liberation Sans"; then
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d "Liberation Sans" /f >/dev/null 2>&1
  fi
fi
exec wine "$@"
