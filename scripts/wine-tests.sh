#!/usr/bin/env bash
# Runs the Windows tests of a build tree under Wine. Call it inside an X display (the test command
# wraps it in xvfb-run): Wine binds its desktop to the display it sees when the prefix's first
# process starts, so the prefix, the persistent server and the tests all start here.
set -u
build=$1
export TL_WINEPREFIX="$build/win/wineprefix"
bash "$(dirname "$0")/../cmake/wine-run.sh" cmd /c exit >/dev/null 2>&1   # creates the prefix once
WINEPREFIX="$TL_WINEPREFIX" wineserver -p
ctest --test-dir "$build/win" --output-on-failure
rc=$?
WINEPREFIX="$TL_WINEPREFIX" wineserver -k 2>/dev/null
exit $rc
