#!/bin/sh
# plugc as the build uses it: every shipped source compiles, prints back as text, and that text
# compiles to the same bytes; a file that is not a plug-in does not print, and a source with an
# error leaves no output behind.
set -u
plugc=$1; sources=$2; work=$3
rm -rf "$work"; mkdir -p "$work"
fail=0
for src in "$sources"/std/*.txt "$sources"/app/*.txt; do
  stem=$(basename "$src" .txt)
  "$plugc" compile "$src" "$work/$stem.tlp" || { echo "compile failed: $src"; fail=1; continue; }
  "$plugc" print "$work/$stem.tlp" > "$work/$stem.printed.txt" || { echo "print failed: $stem"; fail=1; continue; }
  "$plugc" compile "$work/$stem.printed.txt" "$work/$stem.again.tlp" || { echo "recompile failed: $stem"; fail=1; continue; }
  cmp -s "$work/$stem.tlp" "$work/$stem.again.tlp" || { echo "printed text of $stem compiles differently"; fail=1; }
done
printf 'TLP2junk' > "$work/junk.tlp"
if "$plugc" print "$work/junk.tlp" > /dev/null 2>&1; then echo "printed a file that is not a plug-in"; fail=1; fi
printf 'Name = x\n[Rem]\nType = 9\n' > "$work/bad.txt"
if "$plugc" compile "$work/bad.txt" "$work/bad.tlp" 2>/dev/null; then echo "compiled a bad source"; fail=1; fi
[ -e "$work/bad.tlp" ] && { echo "a failed compile left an output file"; fail=1; }
exit $fail
