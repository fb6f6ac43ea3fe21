#!/usr/bin/env bash
# Puts the pinned SQLite amalgamation (cmake/sqlite.pin) into <build>/deps/sqlite/: sqlite3.c and
# sqlite3.h only, from a tarball whose SHA-512 matches the recorded one. Does nothing when the
# files of that pin are already there. Usage: scripts/sqlite.sh [BUILD_FOLDER]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${TL_BUILD:-$root/build}}
pin=$root/cmake/sqlite.pin
value() { sed -n "s/^$1=//p" "$pin"; }
package=$(value package); integrity=$(value integrity); version=$(value sqlite)
dest=$build/deps/sqlite
stamp="$package $integrity"
if [ -f "$dest/sqlite3.c" ] && [ -f "$dest/sqlite3.h" ] && [ "$(cat "$dest/.pin" 2>/dev/null)" = "$stamp" ]; then
  exit 0
fi
command -v npm >/dev/null || { echo "sqlite.sh: npm is missing (scripts/deps.sh installs it)" >&2; exit 1; }
work=$(mktemp -d "$build/deps-XXXXXX" 2>/dev/null || { mkdir -p "$build"; mktemp -d "$build/deps-XXXXXX"; })
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent --cache "$work/npm-cache" "$package" >/dev/null)
tarball=$(ls "$work"/*.tgz)
actual="sha512-$(python3 -c 'import base64,hashlib,sys; print(base64.b64encode(hashlib.sha512(open(sys.argv[1],"rb").read()).digest()).decode())' "$tarball")"
if [ "$actual" != "$integrity" ]; then
  echo "sqlite.sh: $package has SHA-512 $actual, expected $integrity; refusing it" >&2
  exit 1
fi
mkdir -p "$work/x"
tar -xzf "$tarball" -C "$work/x" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
grep -q "#define SQLITE_VERSION *\"$version\"" "$work/x/package/deps/sqlite3/sqlite3.h" || {
  echo "sqlite.sh: $package does not carry SQLite $version" >&2; exit 1; }
rm -rf "$dest"; mkdir -p "$dest"
mv "$work/x/package/deps/sqlite3/sqlite3.c" "$work/x/package/deps/sqlite3/sqlite3.h" "$dest/"
echo "$stamp" > "$dest/.pin"
echo "SQLite $version from $package in $dest"
