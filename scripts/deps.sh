#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# libssl-dev: libcrypto, with which the update publisher (a host tool) signs the update lists.
# fonts-wine, fonts-liberation2: Tahoma (behind "MS Shell Dlg") and an Arial-sized face; without
# them Wine falls back to a wider font and every dialog grows by a sixth.
# libxml2-utils: xmllint, which checks the Group Policy templates are well-formed XML.
# npm (Debian's, unless a nodejs that carries one is installed): fetches the pinned SQLite source.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
need=(g++-mingw-w64-x86-64 libz-mingw-w64-dev wine64 wine fonts-wine fonts-liberation2 xvfb xauth imagemagick clang-14
      libclang-rt-14-dev googletest cmake ninja-build zip zlib1g-dev fp-utils-3.2.2 python3 x11-utils libssl-dev
      libxml2-utils sqlite3)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
bash "$root/scripts/sqlite.sh"
