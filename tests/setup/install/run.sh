#!/usr/bin/env bash
# Runs the install tests in a Wine prefix of their own: the installation writes shortcuts onto the
# Desktop and into the Programs menu and keys under HKCU, and the uninstaller's temporary copy and
# batch file end only after the test program. The prefix's Desktop is a real folder (not the host's),
# winemenubuilder is off, and after every process has ended no "qvu" file may remain in its
# temporary folder.
#   run.sh <prefix> <test program> [arguments]
set -u
prefix=$1
program=$2
shift 2
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineboot -i >/dev/null 2>&1
wineserver -w
for user in "$prefix"/drive_c/users/*; do
  [ -L "$user/Desktop" ] && rm "$user/Desktop"
  mkdir -p "$user/Desktop" "$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
done
# Wine draws the windows' own frames and captions (there is no window manager to draw them), so
# the pictures the tests take show them.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A removable drive D: for the location page to refuse.
mkdir -p "$prefix/removable"
ln -sfn "$prefix/removable" "$prefix/dosdevices/d:"
wine reg add 'HKLM\Software\Wine\Drives' /v 'd:' /d floppy /f >/dev/null 2>&1
wineserver -w   # the drive types are read when the prefix starts again
wine "$program" "$@"
rc=$?
# The uninstaller's copy and its batch file run on after the test program: wait for all of them,
# but not for ever (a failed test may leave a window open).
if ! timeout 120 wineserver -w; then
  echo "processes still running after the tests"
  wineserver -k
  rc=1
fi
left=$(find "$prefix"/drive_c/users/*/AppData/Local/Temp "$prefix"/drive_c/windows/temp -maxdepth 1 -iname 'qvu*' 2>/dev/null)
if [ -n "$left" ]; then
  echo "left in the temporary folder:"; echo "$left"
  rc=1
fi
[ $rc -eq 0 ] && rm -rf "$prefix"
exit $rc
