#!/usr/bin/env bash
# Runs the hostile-target corpus in a Wine prefix of its own, so that a guard that fails can only
# damage a throw-away system. Lays out, from the Linux side, what Wine cannot make from inside: a
# junction and a symbolic link to sentinel folders inside a folder the corpus kills,
# "C:\Documents and Settings" as a link to the Users folder, and a second drive D: with a user's own
# "Recycled" folder and fragment look-alikes at its root. Sentinel files go into the Windows folder,
# System32, Program Files and the profile root. Every file of the prefix's C: drive and of the
# sentinel folders is hashed before and after; any change fails the test.
#   run-corpus.sh <test program> <work folder>
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../support/throwaway-prefix.sh"
exe=$1
throwaway_prefix "$2"

profile="$c/users/$user"
outside="$work/outside"   # on Z:, outside every target
driveD="$work/drive_d"

mkdir -p "$c/hostile/killed" "$c/hostile/sentinel/sub" "$c/hostile/program" "$outside/sub" "$driveD/Recycled/kept" "$driveD/data"
echo "sentinel inside C" > "$c/hostile/sentinel/keep.txt"
echo "deep sentinel" > "$c/hostile/sentinel/sub/deep.txt"
echo "target of a forged cache record" > "$c/hostile/sentinel/cache-target.txt"
echo "sentinel on Z" > "$outside/keep.txt"
echo "deep sentinel on Z" > "$outside/sub/deep.txt"
ln -s "$c/hostile/sentinel" "$c/hostile/killed/junction"     # absolute, as a junction is
ln -s "../../../../outside" "$c/hostile/killed/symlink"        # relative, leaving the drive
[ -e "$c/Documents and Settings" ] || ln -s users "$c/Documents and Settings"
ln -s "$driveD" "$WINEPREFIX/dosdevices/d:"
echo "user's own notes" > "$driveD/notes.chkdsk"
echo "a template" > "$driveD/report.tmpl"
echo "kept in a folder that happens to be called Recycled" > "$driveD/Recycled/mine.txt"
echo "kept too" > "$driveD/Recycled/kept/deeper.txt"
echo "data notes" > "$driveD/data/notes.chkdsk"
for f in "$c/windows/zz_sentinel.txt" "$c/windows/system32/zz_sentinel.txt" "$c/Program Files/zz_sentinel.txt" \
         "$profile/zz_sentinel.txt" "$c/zz_root_sentinel.txt"; do
  echo "sentinel $f" > "$f"
done

# --- Protected places (ProtectedPlacesCorpusTest.cpp): a file and a subfolder's file in each place
# users cannot lose; a OneDrive business account whose folder only the registry names; traces
# beside mail stores, and the user's own files that a custom target names.
for lib in Desktop Documents Pictures Music Videos Downloads; do
  # Wine may link the library folders to the host user's; the corpus must never write there.
  [ -L "$profile/$lib" ] && rm "$profile/$lib"
  mkdir -p "$profile/$lib"
done
roaming="$profile/AppData/Roaming" local="$profile/AppData/Local"
for place in "$roaming"/Microsoft/{Protect,Crypto,Credentials,Vault,SystemCertificates,Outlook} \
             "$local"/Microsoft/{Protect,Crypto,Credentials,Vault,SystemCertificates,Outlook} \
             "$profile"/{OneDrive,"OneDrive - Firm",Dropbox,"Google Drive",iCloudDrive,.ssh,.gnupg} \
             "$profile"/{Documents,Desktop,Pictures,Music,Videos,Downloads} "$c/CloudBiz" \
             "$roaming/Thunderbird/Profiles/abc.default/Mail" "$roaming/Thunderbird/Profiles/abc.default/ImapMail"; do
  mkdir -p "$place/sub"
  echo "kept in $place" > "$place/kept.txt"
  echo "kept below $place" > "$place/sub/kept.txt"
done
echo "mail" > "$roaming/Microsoft/Outlook/Outlook.pst"
mkdir -p "$c/hostile/traces/cache" "$profile/Documents/Own/walk"
echo "trace" > "$c/hostile/traces/trace.tmp"
echo "trace" > "$c/hostile/traces/cache/more.tmp"
echo "an archive the user keeps" > "$c/hostile/traces/archive.pst"
echo "an offline store" > "$c/hostile/traces/cache/offline.ost"
echo "named by the user's own target" > "$profile/Documents/Own/single.txt"
echo "walked by the user's own confirmed target" > "$profile/Documents/Own/walk/a.txt"
for i in $(seq 1 99); do echo "own $i" > "$profile/Documents/Own/walk/f$i.txt"; done  # past the inline tests
echo "beside them" > "$profile/Documents/Own/beside.txt"
wine reg add 'HKCU\Software\Microsoft\OneDrive\Accounts\Business1' /v UserFolder /d 'C:\CloudBiz' /f >/dev/null 2>&1
# --- end of protected places

# Names a walk must take as they are: best-fit forms of path syntax ("．．＼" comes back from the
# ANSI calls as "..\"), names no ANSI code page holds, and Linux names with real separators and
# colons. The files their best-fit forms would reach lie outside and must survive.
bestfit="$c/hostile/bestfit"
mkdir -p "$bestfit/．．/deeper" "$bestfit/．．／．．" "$bestfit/⁄etc" "$c/hostile/foreign/Документы" "$c/hostile/single"
for f in "．．＼zz_bestfit_keep.txt" "．．∖．．∖zz_bestfit_keep.txt" "c∶d.txt" "a։b" "．．/deeper/inner.txt" \
         "．．／．．/x.txt" "⁄etc/passwd" 'back\slash.txt' 'co:lon.txt'; do echo "trace $f" > "$bestfit/$f"; done
echo "keep" > "$c/hostile/zz_bestfit_keep.txt"
echo "keep" > "$c/zz_bestfit_keep.txt"
for f in "отчёт.txt" "报告.doc" "😀.tmp" "Документы/письмо.txt" "ελληνικά.log"; do echo "trace $f" > "$c/hostile/foreign/$f"; done
echo "trace" > "$c/hostile/single/отчёт.txt"
# A sparse file of 6 GiB holding two blocks of data, for a secure Kill.
mkdir -p "$c/hostile/sparse"
truncate -s 6G "$c/hostile/sparse/huge.bin"
printf 'secret' | dd of="$c/hostile/sparse/huge.bin" bs=1 seek=1048576 conv=notrunc status=none
printf 'secret' | dd of="$c/hostile/sparse/huge.bin" bs=1 seek=5368709120 conv=notrunc status=none
# A folder whose subfolders are swapped for links to the sentinel folder, over and over, while the
# corpus runs.
for i in $(seq 0 39); do mkdir -p "$c/hostile/swap/d$i"; for j in 0 1 2 3 4; do head -c 3000 /dev/zero > "$c/hostile/swap/d$i/f$j"; done; done
python3 - "$c/hostile/swap" "$c/hostile/sentinel" "$work/swap.stop" <<'PY' &
import os, sys, time
swap, target, stop = sys.argv[1:]
# Every folder is a link for a while, then itself again: a walk that listed one as a folder and
# opens it later finds the link.
while not os.path.exists(stop):
    for i in range(40):
        d = os.path.join(swap, "d%d" % i)
        try:
            os.rename(d, d + ".x")
            os.symlink(target, d)
        except OSError:
            pass
    time.sleep(0.02)
    for i in range(40):
        d = os.path.join(swap, "d%d" % i)
        try:
            os.remove(d)
            os.rename(d + ".x", d)
        except OSError:
            pass
    time.sleep(0.02)
PY
swapper=$!

# Every file the corpus must leave alone, path and hash; the program folders are the tests', the
# folders the corpus kills are checked by the tests themselves.
snapshot() {
  drive_snapshot hostile/program hostile/protected-program hostile/traces "users/$user/Documents/Own" \
    hostile/bestfit hostile/foreign hostile/single hostile/sparse hostile/swap hostile/db
  ( cd "$work" && find outside drive_d -type f -print0 | sort -z | xargs -0 sha256sum )
}
wine cmd /c exit >/dev/null 2>&1   # let the prefix settle before the first picture
snapshot > "$work/before.txt"
echo "corpus: $(wc -l < "$work/before.txt") files hashed before the run"

wine "$exe" --gtest_brief=1
rc=$?
touch "$work/swap.stop"
wait $swapper

snapshot > "$work/after.txt"
if ! diff -u "$work/before.txt" "$work/after.txt"; then
  echo "FAILED: files outside the corpus targets changed (above)"
  rc=1
fi
[ -L "$c/hostile/killed/junction" ] && [ -L "$c/hostile/killed/symlink" ] || { echo "FAILED: a link inside the killed folder is gone"; rc=1; }
throwaway_end $rc
