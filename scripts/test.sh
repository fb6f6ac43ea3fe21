#!/usr/bin/env bash
# Builds everything and runs every suite: native unit tests under ASan/UBSan, a bounded fuzz run of
# each fuzz target, the Windows unit and integration tests under Wine, and the end-to-end tests
# under Xvfb. Prints one summary; exits non-zero when anything failed.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TL_BUILD:-$root/build}
fuzz_seconds=${TL_FUZZ_SECONDS:-20}
cd "$root"

bash scripts/deps.sh || { echo "dependency install failed"; exit 1; }
bash scripts/build.sh || { echo "build failed"; exit 1; }

declare -a results
fail=0
record() { results+=("$1: $2"); [ "$2" = "ok" ] || fail=1; }

echo "== native unit tests"
if ctest --test-dir "$build/native" --output-on-failure; then record native ok; else record native FAILED; fi

# The fuzz run takes one core for its whole length and the Windows tests mostly wait on Wine and
# their windows: the two run side by side (the fuzz run at the lowest priority, so no window waits
# on it), and the fuzz output is printed when both have ended.
echo "== fuzz targets (${fuzz_seconds}s each), beside the Windows tests"
nice -n 19 bash scripts/fuzz.sh --check "$fuzz_seconds" > "$build/fuzz-check.log" 2>&1 &
fuzz_pid=$!

echo "== Windows tests under Wine"
WINEPREFIX="$build/win/wineprefix" wineserver -k 2>/dev/null   # a server from outside the display would be reused
if xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/wine-tests.sh "$build"; then
  record windows ok
else
  record windows FAILED
fi

echo "== fuzz targets"
if wait $fuzz_pid; then record fuzz ok; else record fuzz FAILED; fi
cat "$build/fuzz-check.log"
echo
echo "== summary"
passed=0; failed=0
for r in "${results[@]}"; do
  echo "  $r"
  case "$r" in *": ok") passed=$((passed+1));; *) failed=$((failed+1));; esac
done
echo "suites: $passed passed, $failed failed"
exit $fail
