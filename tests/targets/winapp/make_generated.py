#!/usr/bin/env python3
"""Writes generated.ini, a cleaning-entry file in the winapp2 format with a few hundred sections
that between them use every key, variable and flag the reader knows, and generated.expected, what
the reader must make of each section (one line per section, tab-separated):

  name  group  conditions  warning  filekey...  (each "FILE:" + folder|patterns|FLAG)  regkey...  exclusions

Run from anywhere: python3 make_generated.py OUTDIR [SECTIONS]. The output (320 sections) is
committed beside this script; the test reads it and compares. The benchmark asks for thousands."""
import os
import sys

VARIABLES = ["%AppData%", "%LocalAppData%", "%LocalLowAppData%", "%ProgramFiles%", "%ProgramFiles(x86)%",
             "%ProgramW6432%", "%CommonProgramFiles%", "%CommonProgramFiles(x86)%", "%CommonProgramW6432%",
             "%CommonAppData%", "%ProgramData%", "%AllUsersProfile%", "%UserProfile%", "%Documents%", "%WinDir%",
             "%SystemRoot%", "%SystemDrive%", "%Public%", "%Music%", "%Pictures%", "%Video%", "%Temp%", "%Tmp%",
             "%HomeDrive%"]
GROUPS = [(3021, "Applications"), (3022, "Internet"), (3023, "Multimedia"), (3024, "Utilities"),
          (3025, "Windows"), (3026, "Firefox"), (3027, "Opera"), (3029, "Chrome"), (3006, "Edge"),
          (3033, "Vivaldi"), (3034, "Brave")]
ROOTS = [("HKCU", "HKCU"), ("HKEY_CURRENT_USER", "HKCU"), ("HKLM", "HKLM"), ("HKCR", "HKCR"), ("HKU", "HKU"),
         ("HKCC", "HKCC")]
FLAGS = ["", "|RECURSE", "|REMOVESELF", "|recurse"]
PATTERNS = ["*.*", "*.log", "*.tmp;*.bak", "cache*;index.dat;*.old", "*"]


def section(i):
    var = VARIABLES[i % len(VARIABLES)]
    vendor = "Vendor%03d" % i
    name = "Generated Program %03d" % i
    lines = ["[%s *]" % name]
    if i % 9 == 0:
        group = "Games"
        lines.append("Section=Games")
    else:
        number, group = GROUPS[i % len(GROUPS)]
        lines.append("LangSecRef=%d" % number)
    conditions = 0
    if i % 2 == 0:
        lines.append("Detect=HKCU\\Software\\%s" % vendor)
        conditions += 1
    if i % 3 == 0:
        lines.append("DetectFile=%s\\%s" % (var, vendor))
        lines.append("DetectFile2=%s\\%s\\*.exe" % (var, vendor))
        conditions += 2
    if i % 10 == 0:
        lines.append("DetectOS=6.1|")
        conditions += 1
    warning = ""
    if i % 50 == 7:
        warning = "Program %d keeps its drafts here" % i
        lines.append("Warning=" + warning)
    if i % 4 == 1:
        lines.append("Default=False")
    files = []
    for n in range(1 + i % 3):
        flag = FLAGS[(i + n) % len(FLAGS)]
        patterns = PATTERNS[(i + n) % len(PATTERNS)]
        folder = "%s\\%s\\Cache%d" % (var, vendor, n)
        if (i + n) % 3 == 0:
            folder = "%s\\%s\\Profiles\\*\\cache2" % (var, vendor)
        written = folder + ("\\" if n == 1 else "")  # a trailing backslash is taken away
        lines.append("FileKey%d=%s|%s%s" % (n + 1, written, patterns, flag))
        canonical_flag = {"": "", "|RECURSE": "|RECURSE", "|recurse": "|RECURSE", "|REMOVESELF": "|REMOVESELF"}[flag]
        files.append("FILE:%s|%s%s" % (folder, patterns, canonical_flag))
    keys = []
    for n in range(i % 2 + (1 if i % 5 == 0 else 0)):
        written_root, root = ROOTS[(i + n) % len(ROOTS)]
        key = "Software\\%s\\Recent%d" % (vendor, n)
        value = "|LastFile" if n == 1 else ""
        lines.append("RegKey%d=%s\\%s%s" % (n + 1, written_root, key, value))
        keys.append("REG:%s\\%s%s" % (root, key, value))
    excludes = []
    if i % 6 == 0:
        lines.append("ExcludeKey1=FILE|%s\\%s\\Cache0\\|keep.log" % (var, vendor))
        excludes.append("FILE|%s\\%s\\Cache0\\|keep.log" % (var, vendor))
    if i % 6 == 1:
        lines.append("ExcludeKey1=PATH|%s\\%s\\Cache0\\Pinned\\|*.*" % (var, vendor))
        excludes.append("PATH|%s\\%s\\Cache0\\Pinned\\|*.*" % (var, vendor))
    if i % 6 == 2:
        lines.append("ExcludeKey1=REG|HKCU\\Software\\%s\\Recent0\\Pinned" % vendor)
        excludes.append("REG|HKCU\\Software\\%s\\Recent0\\Pinned" % vendor)
    expected = "\t".join([name, group, str(conditions), warning] + files + keys + excludes)
    return lines, expected


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    ini = ["; Generated cleaning entries: every key, variable and flag of the format", "; Version: 1", ""]
    expected = []
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 320
    for i in range(count):
        lines, exp = section(i)
        ini += lines + [""]
        expected.append(exp)
    # A section with nothing left to clean (dropped), and one whose keys but the last are each
    # refused for their own reason: nine skipped lines, the test counts them.
    ini += ["[Nothing To Clean *]", "LangSecRef=3021", "Detect=HKCU\\Software\\Nothing", "",
            "[Bad Keys *]", "FileKey1=%Unknown%\\x|*.*", "FileKey2=relative\\x|*.*", "FileKey3=%AppData%\\..\\x|*.*",
            "FileKey4=%AppData%\\x", "FileKey5=%AppData%\\x|*.*|SOMETIMES", "RegKey1=HKXX\\Software\\x",
            "RegKey2=HKCU", "RegKey3=HKCU\\Software\\*\\x", "Bogus=1", "FileKey6=%AppData%\\BadKeys|*.log", ""]
    expected.append("Bad Keys\tApplications\t0\t\tFILE:%AppData%\\BadKeys|*.log")
    with open(os.path.join(out, "generated.ini"), "w", newline="\r\n") as f:
        f.write("\n".join(ini) + "\n")
    with open(os.path.join(out, "generated.expected"), "w", newline="\n") as f:
        f.write("\n".join(expected) + "\n")


main()
