#!/usr/bin/env bash
# Runs the import case of test_e2e.exe in a Wine prefix of its own: its hostile file aims at the
# user's own folders, which Wine links to the host user's, and a rule that failed must only be able
# to damage a throw-away system. Plants what both files name (winapp2_fixture.py), hashes every
# file, folder and link of C: and exports HKCU and HKLM before the case and after it, and fails
# unless the difference is exactly what the accepted entries name.
#   run-import.sh <test_e2e.exe> <work folder>
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../support/throwaway-prefix.sh"
exe=$1
throwaway_prefix "$2"
fixture="$work/fixture"
profile="$c/users/$user"
for lib in Desktop Documents Downloads Music Pictures Videos; do
  [ -L "$profile/$lib" ] && rm "$profile/$lib"
  mkdir -p "$profile/$lib"
done
temp=$(realpath --relative-to="$c" "$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')")")
python3 "$here/winapp2_fixture.py" plant "$c" "$user" "$temp" "$fixture" || throwaway_end 1
wine reg import "$fixture/plant.reg" >/dev/null 2>&1 || { echo "FAILED: the fixture's registry"; throwaway_end 1; }
# A crash prints its backtrace and ends the process instead of waiting on a dialog nobody sees.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1

snapshot() {
  wine reg export HKCU "$work/hkcu.reg" /y >/dev/null 2>&1 && wine reg export HKLM "$work/hklm.reg" /y >/dev/null 2>&1 &&
    python3 "$here/winapp2_fixture.py" snapshot "$c" "$work/hkcu.reg" "$work/hklm.reg" "$1"
}
snapshot "$work/before.json" || throwaway_end 1
TL_IMPORT_FIXTURE=$(winepath -w "$fixture") wine "$exe" --gtest_filter='ImportE2e.*' --gtest_brief=1
rc=$?
snapshot "$work/after.json" || throwaway_end 1
python3 "$here/winapp2_fixture.py" compare "$work/before.json" "$work/after.json" "$fixture/removed.json" || rc=1
throwaway_end $rc
