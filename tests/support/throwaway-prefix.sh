# Sourced by the test scripts that run a Windows test program in a Wine prefix of their own, which
# they lay out from the Linux side and throw away after a pass: whatever the program does wrong
# can then only damage that prefix, never the one the other tests share.

# throwaway_prefix <work folder>: empties the work folder and creates the prefix in it with a
# persistent Wine server (stopped when the script exits). Sets work (the folder, absolute), c (the
# prefix's C: drive) and user (the prefix's user name).
throwaway_prefix() {
  work=$1
  rm -rf "$work"
  mkdir -p "$work"
  work=$(cd "$work" && pwd)
  export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEARCH=win64
  trap 'wineserver -k 2>/dev/null' EXIT
  wineboot -i >/dev/null 2>&1 || { echo "wineboot failed"; exit 1; }
  wineserver -p
  c="$WINEPREFIX/drive_c"
  user=$(ls "$c/users" | grep -v -i '^public$' | head -1)
}

# drive_snapshot [folder below C: ...]: the C: drive's files in a stable listing, path and hash,
# leaving out the folders named and those that change on their own while a program runs: WinINet's
# containers (cache, history, cookies) and the temporary folders.
drive_snapshot() {
  local skip=() folder
  for folder in "$@"; do skip+=(-path "./$folder" -prune -o); done
  ( cd "$c" && find . -path './users/*/AppData/Local/Microsoft/Windows/INetCache' -prune -o \
      -path './users/*/AppData/Local/Microsoft/Windows/INetCookies' -prune -o \
      -path './users/*/AppData/Local/Microsoft/Windows/History' -prune -o \
      -path './users/*/AppData/Local/Temp' -prune -o -path './users/*/Temp' -prune -o \
      -path './windows/temp' -prune -o "${skip[@]}" -type f -print0 | sort -z | xargs -0 sha256sum )
}

# throwaway_end <status>: stops the Wine server, removes the work folder when the status is 0 (a
# failure leaves it to look at) and exits with the status.
throwaway_end() {
  wineserver -k 2>/dev/null
  trap - EXIT
  [ "$1" -eq 0 ] && rm -rf "$work"
  exit "$1"
}
