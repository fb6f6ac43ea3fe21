#!/usr/bin/env bash
# Makes the test archives of the setup tests with real tools, as self-extracting files are made:
# a program stub with an archive appended. Run from anywhere; writes next to this script.
#   zip_tool.zip        Debian zip: files with set times and modes, a folder, "UT" times
#   zip_sfx_raw.bin     stub + zip_tool.zip, offsets not adjusted (the reader must shift them)
#   zip_sfx_adjusted.bin stub + zip_tool.zip adjusted with zip -A (offsets count from the file start)
#   zip_sfx_trailer.bin zip_sfx_adjusted.bin + the 12-byte trailer (marker 1)
#   python_sfx.bin      stub + an archive written by Python's zipfile (DOS and Unix hosts, stored
#                       and deflated members), a tree-data extension node and a trailer (marker 2)
#   evil.zip            Python's zipfile with member names that try to leave the target folder
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC

# The stub stands for the program image: 5,000 bytes starting with "MZ".
python3 -c 'import sys; sys.stdout.buffer.write(b"MZ" + bytes((i * 7) % 251 for i in range(4998)))' >"$work/stub"

mkdir -p "$work/src/sub"
printf 'Hello from the zip tool.\r\n' >"$work/src/hello.txt"
python3 -c 'import sys; sys.stdout.buffer.write(bytes((i * i) % 256 for i in range(20000)) * 3)' >"$work/src/sub/data.bin"
printf 'read only\n' >"$work/src/readonly.txt"
chmod 444 "$work/src/readonly.txt"
touch -d '2021-03-04 05:06:08' "$work/src/hello.txt"
touch -d '2019-12-31 23:59:58' "$work/src/sub/data.bin"
touch -d '2020-06-15 12:00:00' "$work/src/readonly.txt" "$work/src/sub"
(cd "$work/src" && zip -q -9 "$work/zip_tool.zip" hello.txt readonly.txt sub/ sub/data.bin)
cp "$work/zip_tool.zip" "$here/zip_tool.zip"

cat "$work/stub" "$work/zip_tool.zip" >"$here/zip_sfx_raw.bin"
cat "$work/stub" "$work/zip_tool.zip" >"$work/adjusted.zip"
zip -q -A "$work/adjusted.zip"
cp "$work/adjusted.zip" "$here/zip_sfx_adjusted.bin"
python3 - "$here/zip_sfx_adjusted.bin" "$here/zip_sfx_trailer.bin" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
open(sys.argv[2], "wb").write(data + struct.pack("<iii", 5000, 0, 1))
PY

python3 - "$work/stub" "$here/python_sfx.bin" "$here/evil.zip" <<'PY'
import io, struct, sys, zipfile

stub = open(sys.argv[1], "rb").read()

def info(name, date, system, attr, method):
    i = zipfile.ZipInfo(name, date_time=date)
    i.create_system = system
    i.external_attr = attr
    i.compress_type = method
    return i

buf = io.BytesIO()
buf.write(stub)
with zipfile.ZipFile(buf, "a") as z:
    # Made on a DOS host: the low byte of the external attributes is the Windows attributes.
    z.writestr(info("Docs/ReadMe.TXT", (2020, 1, 2, 3, 4, 6), 0, 0x23, zipfile.ZIP_DEFLATED),
               "Read me, from Python.\n" * 50)
    z.writestr(info("stored.dat", (2018, 7, 8, 9, 10, 12), 0, 0x06, zipfile.ZIP_STORED), bytes(range(256)))
    # Made on a Unix host: mode 0644 (owner may write) and a folder.
    z.writestr(info("unix/tool.sh", (2022, 2, 3, 4, 5, 6), 3, (0o100644 << 16), zipfile.ZIP_DEFLATED),
               "#!/bin/sh\necho tool\n")
    z.writestr(info("unix/", (2022, 2, 3, 4, 5, 6), 3, (0o40755 << 16) | 0x10, zipfile.ZIP_STORED), b"")
archive = buf.getvalue()

# Extension tree: a root with one "reg" child holding a key node, as the packager appends it.
def length(n):
    if n < 255: return bytes([n])
    if n < 65535: return b"\xff" + struct.pack("<H", n)
    return b"\xff\xff\xff" + struct.pack("<I", n)
def name(s): b = s.encode(); return length(len(b)) + b
def wide(s): return length(len(s)) + s.encode("utf-16-le")
def node(n, props, children):
    out = b"QVDT" + name(n) + struct.pack("<I", len(props)) + b"".join(props)
    return out + struct.pack("<I", len(children)) + b"".join(children)
key = node("ext", [name("root") + b"\x00" + struct.pack("<I", 1),
                   name("key") + b"\x07" + wide("SOFTWARE\\TracelornTest\\Ext")],
           [node("values", [name("Mode") + b"\x07" + wide("extension")], [])])
tree = node("", [], [node("reg", [], [key])])
ext_offset = len(archive)
open(sys.argv[2], "wb").write(archive + tree + struct.pack("<iii", len(stub), ext_offset, 2))

with zipfile.ZipFile(sys.argv[3], "w") as z:
    z.writestr(info("../evil.exe", (2020, 1, 1, 0, 0, 0), 0, 0x20, zipfile.ZIP_DEFLATED), "evil")
    z.writestr(info("good/..", (2020, 1, 1, 0, 0, 0), 0, 0x20, zipfile.ZIP_STORED), "evil")
    z.writestr(info("C:\\dir\\..\\file.txt", (2020, 1, 1, 0, 0, 0), 0, 0x20, zipfile.ZIP_STORED), "fine")
    z.writestr(info("/abs/ok.txt", (2020, 1, 1, 0, 0, 0), 0, 0x20, zipfile.ZIP_STORED), "fine too")
PY
