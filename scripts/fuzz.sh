#!/usr/bin/env bash
# Runs every fuzz target of the native tree, one after the other (each uses one core).
#
#   scripts/fuzz.sh [SECONDS]        the maintainer's run before a release: SECONDS per target
#                                    (default 600); whatever a target finds that adds coverage is
#                                    merged, minimised, into its committed corpus fuzz/corpus/<target>/
#   scripts/fuzz.sh --check SECONDS  the test command's short bounded run; leaves fuzz/ untouched
#   scripts/fuzz.sh --minimise       no fuzzing: rebuilds each committed corpus as its regression
#                                    inputs plus the fewest inputs that keep its coverage
#
# TL_FUZZ_ONLY="name ..." limits any mode to those targets (names without the fuzz_ prefix).
# Each target starts from its committed corpus and the seeds its fuzz/<target>.seeds names (shipped
# files and test fixtures, paths below the build folder or the source tree); new inputs of a run go
# to build/fuzz-corpus/<target>/. A crash, leak or timeout fails the run; its input is kept in
# build/fuzz-artifacts/ (reproduce with: build/native/fuzz/fuzz_<target> <artefact>). Prints each
# target's final coverage line. Expects the native tree built (scripts/build.sh).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TL_BUILD:-$root/build}
mode=long
case "${1:-}" in
  --check) mode=check; shift;;
  --minimise) mode=minimise; shift; set -- 0;;
esac
seconds=${1:-600}
case "$seconds" in ''|*[!0-9]*) echo "usage: $0 [--check] [SECONDS]" >&2; exit 2;; esac

# Merges the inputs of the given folders into the committed corpus, keeping only what reaches code
# (edges, not hit counts: that keeps the corpus small) that the seeds, which every run gets anyway,
# and the committed inputs do not. libFuzzer's merge adds to its first folder and never removes, so
# regression inputs stay; an input already committed under another name is not added again.
merge_into_committed() {
  local known="$build/fuzz-known/$name"
  rm -rf "$known"; mkdir -p "$known"
  cp -r "$seeddir"/. "$committed"/. "$known"/
  ls "$known" | sort > "$known.before"
  "$f" -merge=1 -use_counters=0 -rss_limit_mb=2048 -timeout=10 "$known" "$@" \
    >"$build/fuzz-$name.merge.log" 2>&1 || return 1
  local have
  have=$(for g in "$committed"/*; do [ -f "$g" ] && sha1sum < "$g"; done | cut -c1-40)
  ls "$known" | sort | comm -13 "$known.before" - | while read -r n; do
    grep -qx "$(sha1sum < "$known/$n" | cut -c1-40)" <<<"$have" || cp "$known/$n" "$committed/"
  done
}

artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
fail=0
found=0
for f in "$build"/native/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f" | sed 's/^fuzz_//')
  if [ -n "${TL_FUZZ_ONLY:-}" ] && ! grep -qw -- "$name" <<<"$TL_FUZZ_ONLY"; then continue; fi
  work="$build/fuzz-corpus/$name"
  committed="$root/fuzz/corpus/$name"
  seeddir="$build/fuzz-seeds/$name"
  found=$((found + 1))
  mkdir -p "$work" "$committed"
  rm -rf "$seeddir"; mkdir -p "$seeddir"
  if [ -f "$root/fuzz/$name.seeds" ]; then
    while read -r s; do
      [ -n "$s" ] || continue
      for g in "$build/$s" "$root/$s"; do
        [ -e "$g" ] || continue
        if [ -d "$g" ]; then cp -r "$g"/. "$seeddir"/; else cp "$g" "$seeddir"/; fi
      done
    done < "$root/fuzz/$name.seeds"
  fi
  if [ $mode = minimise ]; then
    keep="$build/fuzz-keep/$name"
    rm -rf "$keep"; mkdir -p "$keep"; mv "$committed"/* "$keep"/ 2>/dev/null
    cp "$keep"/regression-* "$committed"/ 2>/dev/null
    merge_into_committed "$keep" || { echo "fuzz $name: merge failed, see $build/fuzz-$name.merge.log"; fail=1; continue; }
    echo "fuzz $name: committed corpus $(ls "$keep" | wc -l) -> $(ls "$committed" | wc -l) inputs ($(du -sb "$committed" | cut -f1) bytes)"
    continue
  fi
  log="$build/fuzz-$name.log"
  start=$(date +%s)
  "$f" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$artifacts/$name-" "$work" "$committed" "$seeddir" >"$log" 2>&1
  rc=$?
  took=$(( $(date +%s) - start ))
  final=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 | sed -E 's/^#([0-9]+)[[:space:]]+[A-Z]+[[:space:]]+/\1 runs, /')
  if [ $rc -ne 0 ]; then
    echo "fuzz $name: FAILED after ${took}s (exit $rc); artefacts in $artifacts, log $log"
    grep -E 'ERROR|SUMMARY|Test unit written|^    #[0-9]+ .* in ' "$log" | head -30
    fail=1
    continue
  fi
  echo "fuzz $name: ${took}s, ${final:-no coverage line}"
  if [ $mode = long ]; then
    before=$(ls "$committed" | wc -l)
    merge_into_committed "$work" || { echo "fuzz $name: merge failed, see $build/fuzz-$name.merge.log"; fail=1; continue; }
    echo "fuzz $name: committed corpus $before -> $(ls "$committed" | wc -l) inputs ($(du -sb "$committed" | cut -f1) bytes)"
  fi
done
[ $found -gt 0 ] || { echo "no fuzz targets under $build/native/fuzz (build the native tree first)"; exit 1; }
exit $fail
