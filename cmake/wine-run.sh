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
exec wine "$@"
