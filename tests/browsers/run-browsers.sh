#!/usr/bin/env bash
# Runs the browser test in a Wine prefix of its own, laid out from the Linux side like a Windows 11
# user's: Chrome (Default, Profile 1, Profile 3 listed in Local State with hostile names beside
# them; an unlisted Profile 2; a System Profile), Edge whose Local State is not JSON, Brave, today's
# Opera, and Firefox with a relative and an absolute profile among hostile profiles.ini entries;
# Chrome's Default and Firefox's relative profile hold the site data the real browsers wrote.
# Every file of the prefix's C: drive is hashed before and after the test: exactly the files laid out
# with `gone` (and the site data `site` names) must be gone, and nothing else may change.
#   run-browsers.sh <test program> <work folder>
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../support/throwaway-prefix.sh"
exe=$1
throwaway_prefix "$2"

local="users/$user/AppData/Local"
kept_url="http://www.kept.test:18931/page2"
roaming="users/$user/AppData/Roaming"

# mk <path below C:> [content]: a file whose content names it.
mk() { mkdir -p "$(dirname "$c/$1")"; printf '%s\n' "${2:-$1}" > "$c/$1"; }
# gone <path below C:>: a file as mk makes it that a Kill of every browser target and of the
# Windows traces must remove; exactly these files must be gone afterwards.
gone() { mk "$1"; printf './%s\n' "$1" >> "$work/expected-removed.txt"; }
# row <fixture> <path below C:>: a database the real browser wrote (fixtures/), cleaned row by row:
# it keeps its name and changes; checked at the end with Debian's sqlite3.
# copy <fixture> <path below C:>: a fixture file that must stay as it is (a profile's Bookmarks).
fixtures=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/fixtures
copy() { mkdir -p "$(dirname "$c/$2")"; cp "$fixtures/$1" "$c/$2"; }
row() { copy "$1" "$2"; printf './%s\n' "$2" >> "$work/expected-changed.txt"; printf '%s\t%s\n' "$1" "$2" >> "$work/rows.txt"; }
# site <fixture folder> <folder below C:> <gone folder>...: the site data the real browser wrote
# (one kept site, www.kept.test, and two others); the files below the folders named after it
# (relative to the fixture folder, "." for all) must be gone after a Kill with kept.test on the
# keep-list, all others stay.
site() {
  local from=$fixtures/$1 to=$2 f
  shift 2
  mkdir -p "$c/$to"; cp -r "$from/." "$c/$to/"
  for f in "$@"; do (cd "$from" && find "$f" -type f) | sed "s|^\./||; s|^|./$to/|" >> "$work/expected-removed.txt"; done
}
: > "$work/expected-changed.txt"; : > "$work/rows.txt"

# --- Chrome ---
ch="$local/Google/Chrome/User Data"
mk "$ch/Local State" '{"browser":{"last_redirect_origin":""},"profile":{"info_cache":{"Default":{"name":"Person 1"},"Profile 1":{"name":"Work"},"Profile 3":{"name":"Kids"},"System Profile":{},"..":{},"C:\\x":{},"a\\b":{}},"last_used":"Default"}}'
mk "$ch/lockfile" ""
mk "$local/Google/Chrome/Application/chrome.exe" "not a program"
for f in "Default/Cache/Cache_Data/index" "Default/Cache/Cache_Data/data_0" "Default/Cache/Cache_Data/f_000001" \
         "Default/Code Cache/js/index" "Default/Code Cache/js/abc_0" "Default/GPUCache/index" "Default/GPUCache/data_0" \
         "ShaderCache/f1" "GrShaderCache/f2" "Profile 1/Cache/Cache_Data/f1" \
         "Default/Network/Cookies-journal" "Default/History-journal" "Default/Favicons-journal" \
         "Default/Visited Links" "Default/Top Sites" "Default/Shortcuts" \
         "Default/Network Action Predictor" "Default/History Provider Cache" "Profile 3/Top Sites" \
         "Default/DIPS" "Default/Network/Network Persistent State" "Default/Network/Reporting and NEL" \
         "Default/JumpListIconsMostVisited/a1.ico" "Profile 1/Network Persistent State" \
         "Default/Sessions/Session_13400000000000001" "Default/Sessions/Tabs_13400000000000001" \
         "Profile 1/Current Session" "Profile 1/Last Tabs" \
         "Default/Web Data-journal" "Default/DawnWebGPUCache/data_0" "Profile 1/DawnGraphiteCache/index" \
         "Default/Login Data" "Default/Login Data For Account" "Profile 1/Login Data"; do
  gone "$ch/$f"
done
# Kept: bookmarks, icons, settings, extension data, the unlisted and the system profile, and what
# the hostile names would reach.
for f in "Default/Network/Cookies" "Profile 1/Cookies" "Profile 3/Network/Cookies"; do row chromium/Cookies "$ch/$f"; done
for f in "Default/History" "Profile 1/History" "Profile 3/History"; do row chromium/History "$ch/$f"; done
for f in "Default/Web Data" "Profile 1/Web Data"; do row "chromium/Web Data" "$ch/$f"; done
row chromium/Favicons "$ch/Default/Favicons"
for f in "Default/Bookmarks" "Profile 1/Bookmarks"; do copy chromium/Bookmarks "$ch/$f"; done
for f in "Default/Preferences" \
         "Default/Local Extension Settings/abcdefghijklmnop/000003.log" "Default/Extension State/000001.log" \
         "Profile 1/Preferences" "Profile 3/Preferences" \
         "Profile 2/Preferences" "Profile 2/History" "System Profile/History" "System Profile/Preferences" \
         "System Profile/Cache/Cache_Data/f1" "a/b/History"; do
  mk "$ch/$f"
done
# Per origin, the gone sites' IndexedDB folders and File System folders go (the Origins map says
# which is whose: 000 is the kept site's); Local Storage and Service Worker hold the kept site and
# stay whole; Session Storage holds only a gone site and goes whole.
site "chromium/IndexedDB" "$ch/Default/IndexedDB" http_gone.test_18931.indexeddb.leveldb http_www.gone.test_18931.indexeddb.leveldb
site "chromium/File System" "$ch/Default/File System" 001 002
site "chromium/Session Storage" "$ch/Default/Session Storage" .
site "chromium/Local Storage" "$ch/Default/Local Storage"
site "chromium/Service Worker" "$ch/Default/Service Worker"
# The quota database keeps the kept site's bucket only, and the gone sites' bucket folders go with
# their rows; a folder the database does not name stays.
row chromium/WebStorage/QuotaManager "$ch/Default/WebStorage/QuotaManager"
mk "$ch/Default/WebStorage/1/IndexedDB/kept.leveldb/CURRENT"
mk "$ch/Default/WebStorage/9/IndexedDB/unknown.leveldb/CURRENT"
gone "$ch/Default/WebStorage/3/IndexedDB/gone.leveldb/CURRENT"
gone "$ch/Default/blob_storage/ff429197-05d7-4886-8db9-7da16747d25d/1"
mk "$local/Google/Chrome/History" "what '..' would reach"
mk "x/History" "what 'C:\\x' would reach"

# --- Edge: Local State is not JSON, so the Default/Profile N folders with Preferences count ---
ed="$local/Microsoft/Edge/User Data"
mk "$ed/Local State" 'this is { not JSON'
for f in "Default/Preferences" "Profile 7/History"; do mk "$ed/$f"; done
copy chromium/Bookmarks "$ed/Default/Bookmarks"
row chromium/History "$ed/Default/History"
row chromium/Cookies "$ed/Default/Network/Cookies"
gone "$ed/Default/Cache/Cache_Data/f1"
mk "edge/msedge.exe" "not a program"

# --- Brave ---
br="$local/BraveSoftware/Brave-Browser/User Data"
mk "$br/Local State" '{"profile":{"info_cache":{"Default":{"name":"Me"}}}}'
row chromium/History "$br/Default/History"
mk "$br/Default/Preferences"

# --- Opera: its one profile in Opera Stable itself, its cache below Local ---
op="$roaming/Opera Software/Opera Stable"
gone "$op/Visited Links"
row chromium/History "$op/History"
row chromium/Cookies "$op/Network/Cookies"
copy chromium/Bookmarks "$op/Bookmarks"
for f in "Preferences" "Login Data" "lockfile"; do mk "$op/$f"; done
gone "$local/Opera Software/Opera Stable/Cache/Cache_Data/f1"
gone "$local/Opera Software/Opera Stable/Cache/Cache_Data/f2"

# --- Firefox: a relative and an absolute profile, and hostile entries ---
ff="$roaming/Mozilla/Firefox"
rel="Profiles/abcd.default-release"
mk "$ff/profiles.ini" "$(printf '[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=%s\r\nDefault=1\r\n\r\n[Profile1]\r\nName=work\r\nIsRelative=0\r\nPath=C:\\ffprofiles\\work\r\n\r\n[Profile2]\r\nName=up\r\nIsRelative=1\r\nPath=..\r\n\r\n[Profile3]\r\nName=drive\r\nIsRelative=1\r\nPath=C:\\x\r\n\r\n[Profile4]\r\nName=nested\r\nIsRelative=1\r\nPath=a\\b\r\n\r\n[Profile5]\r\nName=not a profile\r\nIsRelative=0\r\nPath=C:\\x\r\n\r\n[Install308046B0AF4A39CB]\r\nDefault=%s\r\nLocked=1\r\n' "$rel" "$rel")"
for f in "cookies.sqlite-wal" "cookies.sqlite-shm" "places.sqlite-wal" "formhistory.sqlite" "logins.json" "logins-backup.json"; do
  gone "$ff/$rel/$f"
done
for f in cookies.sqlite places.sqlite favicons.sqlite; do row "firefox/$f" "$ff/$rel/$f"; done
for f in "sessionstore.jsonlz4" "sessionstore-backups/recovery.jsonlz4" "sessionstore-backups/previous.jsonlz4"; do
  gone "$ff/$rel/$f"
done
for f in "key4.db" "cert9.db" "prefs.js" "parent.lock" "sessionCheckpoints.json" \
         "bookmarkbackups/bookmarks-2026-12-01.jsonlz4" \
         "storage/default/moz-extension+++0b1c2d3e-aaaa-bbbb-cccc-123456789abc/idb/1.sqlite" \
         "storage/default/file++++C++x.html/ls/data.sqlite"; do
  mk "$ff/$rel/$f"
done
gone "$ff/$rel/storage/default/https+++example.com^userContextId=2/ls/data.sqlite"
gone "$ff/$rel/storage/temporary/http+++gone.test+18931/cache/morgue/1/x.final"
mk "$ff/$rel/storage/temporary/http+++www.kept.test+18931/cache/morgue/1/x.final"
# www.gone.test's folder is on the user's excludes: it stays.
site firefox/storage "$ff/$rel/storage" "default/http+++gone.test+18931"
for f in "cache2/entries/A1" "cache2/index" "startupCache/scriptCache.bin" "thumbnails/t.png" "jumpListCache/j.ico"; do
  gone "$local/Mozilla/Firefox/$rel/$f"
done
abs="ffprofiles/work"
for f in "formhistory.sqlite" "logins.json" "cache2/entries/B1"; do gone "$abs/$f"; done
for f in "prefs.js" "key4.db" "parent.lock"; do mk "$abs/$f"; done
for f in cookies.sqlite places.sqlite; do row "firefox/$f" "$abs/$f"; done
mk "$roaming/Mozilla/cookies.sqlite" "what '..' would reach"
mk "$ff/a/b/cookies.sqlite" "what 'a\\b' would reach"
mk "x/cookies.sqlite" "what 'C:\\x' would reach"
mk "x/formhistory.sqlite" "what 'C:\\x' would reach"

# --- Windows 10 and 11 traces of the current user ---
for f in "Microsoft/Windows/WER/ReportQueue/AppCrash_app.exe_1a2b/Report.wer" \
         "Microsoft/Windows/WER/ReportArchive/AppCrash_app.exe_3c4d/Report.wer" \
         "CrashDumps/app.exe.4242.dmp" "D3DSCache/0123abcd/shader.idx"; do
  gone "$local/$f"
done
mk "$local/CrashDumps/notes.txt" "not a dump"
mk "$local/Microsoft/Windows/WER/settings.dat" "not a report"

sort -o "$work/expected-removed.txt" "$work/expected-removed.txt"
sort -o "$work/expected-changed.txt" "$work/expected-changed.txt"

wine cmd /c exit >/dev/null 2>&1   # let the prefix settle before the first picture
drive_snapshot > "$work/before.txt"

wine "$exe" --gtest_brief=1
rc=$?

drive_snapshot > "$work/after.txt"
# Files gone, and files whose content or presence changed otherwise.
paths() { sed 's/^[0-9a-f]*  //' "$1" | sort; }
comm -23 <(paths "$work/before.txt") <(paths "$work/after.txt") > "$work/removed.txt"
if ! diff -u "$work/expected-removed.txt" "$work/removed.txt"; then
  echo "FAILED: the removed files (+) differ from the browser traces (-)"
  rc=1
fi
# The databases cleaned row by row change and stay; every other file stays as it was.
unchanged() {
  awk 'FILENAME != ARGV[ARGC-1] { gone[$0] = 1; next } !(substr($0, index($0, "  ") + 2) in gone)' "$@"
}
unchanged "$work/removed.txt" "$work/expected-changed.txt" "$work/before.txt" > "$work/kept-before.txt"
unchanged "$work/expected-changed.txt" "$work/after.txt" > "$work/kept-after.txt"
while IFS=$'\t' read -r kind path; do
  case $kind in
    chromium/History) sql="SELECT (SELECT COUNT(*) FROM visits) + (SELECT COUNT(*) FROM urls WHERE url <> '$kept_url')" ;;
    chromium/Cookies) sql="SELECT COUNT(*) FROM cookies WHERE host_key NOT LIKE '%kept.test'" ;;
    "chromium/Web Data") sql="SELECT (SELECT COUNT(*) FROM autofill) + ((SELECT COUNT(*) FROM keywords) = 0)" ;;
    chromium/Favicons) sql="SELECT COUNT(*) FROM icon_mapping WHERE page_url <> '$kept_url'" ;;
    chromium/WebStorage/QuotaManager) sql="SELECT COUNT(*) FROM buckets WHERE host NOT LIKE '%kept.test'" ;;
    firefox/places.sqlite) sql="SELECT (SELECT COUNT(*) FROM moz_historyvisits) + (SELECT COUNT(*) FROM moz_places p JOIN moz_bookmarks b ON b.fk = p.id WHERE p.url = '$kept_url') - 1" ;;
    firefox/cookies.sqlite) sql="SELECT COUNT(*) FROM moz_cookies WHERE host NOT LIKE '%kept.test'" ;;
    *) sql="SELECT 0" ;;
  esac
  got=$(sqlite3 "$c/$path" "PRAGMA integrity_check; $sql" 2>&1 | tr '\n' ' ')
  [ "$got" = "ok 0 " ] || { echo "FAILED: $path after the Kill: $got"; rc=1; }
done < "$work/rows.txt"
# The kept site's cookies stay where the keep-list was set (the program's own run).
kept=$(sqlite3 "$c/$ch/Default/Network/Cookies" "SELECT COUNT(*) FROM cookies")
[ "$kept" = 2 ] || { echo "FAILED: Chrome kept $kept cookies of kept.test, not 2"; rc=1; }
if ! diff -u "$work/kept-before.txt" "$work/kept-after.txt"; then
  echo "FAILED: files outside the browser traces changed or appeared (above)"
  rc=1
fi
throwaway_end $rc
