#!/usr/bin/env python3
"""The import case's fixtures, made from the Linux side of a throw-away Wine prefix.

  plant DRIVE_C USER TEMP OUT   writes OUT/generated.ini (a few hundred sections covering every key,
                                variable and flag; UTF-8 with BOM, CR LF) and OUT/hostile.ini (entries
                                aimed at the user's own files, key material, sync folders, Windows'
                                own registry, climbing, network and stream paths; ANSI, LF), plants
                                exactly the files and keys they name plus decoys beside them, and
                                writes what the Windows side must find (expect-*.txt), the registry
                                to import (plant.reg) and what a Kill may remove (removed.json).
  snapshot DRIVE_C HKCU HKLM OUT  every file of C: (path and SHA-256), folder and link, and every key
                                and value of the two exported hives, as JSON.
  compare BEFORE AFTER REMOVED   fails unless AFTER is BEFORE less exactly what REMOVED names.

Every section and name here is made up for the test; USER is the prefix's user name, TEMP its
temporary folder relative to DRIVE_C.
"""
import hashlib
import json
import os
import re
import sys

ROAMING, LOCAL, LOCALLOW = "AppData/Roaming", "AppData/Local", "AppData/LocalLow"
PF, PF86 = "Program Files", "Program Files (x86)"


def variables(user, temp):
    """Where each variable's folder lies below C: in a fresh prefix ("" is the drive itself)."""
    home = "users/" + user
    return {
        "appdata": [f"{home}/{ROAMING}"], "localappdata": [f"{home}/{LOCAL}"],
        "locallowappdata": [f"{home}/{LOCALLOW}"], "programfiles": [PF, PF86], "programfiles(x86)": [PF86],
        "programw6432": [PF], "commonprogramfiles": [f"{PF}/Common Files", f"{PF86}/Common Files"],
        "commonprogramfiles(x86)": [f"{PF86}/Common Files"], "commonprogramw6432": [f"{PF}/Common Files"],
        "commonappdata": ["ProgramData"], "programdata": ["ProgramData"], "allusersprofile": ["ProgramData"],
        "userprofile": [home], "windir": ["windows"], "systemroot": ["windows"], "systemdrive": [""],
        "homedrive": [""], "temp": [temp], "tmp": [temp], "documents": [f"{home}/Documents"],
        "public": ["users/Public"], "music": [f"{home}/Music"], "pictures": [f"{home}/Pictures"],
        "video": [f"{home}/Videos"],
    }


# The variables whose folders an imported entry may clean in, as the file spells them (case varies).
CLEAN_VARS = ["%AppData%", "%LocalAppData%", "%LocalLowAppData%", "%ProgramFiles%", "%ProgramFiles(x86)%",
              "%ProgramW6432%", "%CommonProgramFiles%", "%CommonProgramFiles(x86)%", "%CommonProgramW6432%",
              "%CommonAppData%", "%ProgramData%", "%AllUsersProfile%", "%UserProfile%", "%WinDir%",
              "%SystemRoot%", "%SystemDrive%", "%HomeDrive%", "%Temp%", "%Tmp%", "%APPDATA%", "%localappdata%"]
# The user's own folders: every entry there is refused.
OWN_VARS = ["%Documents%", "%Music%", "%Pictures%", "%Video%", "%Public%\\Documents"]
GROUPS = ["LangSecRef=3021", "LangSecRef=3022", "LangSecRef=3023", "Section=Tlg Games", "LangSecRef=3024",
          "LangSecRef=3029", "Section=Tlg Tools"]


class Fixture:
    def __init__(self, drive_c, user, temp):
        self.c, self.user = drive_c, user
        self.vars = variables(user, temp)
        self.files = {}                 # path below C: -> content
        self.links = {}                 # path below C: -> link target
        self.empty_dirs = set()
        self.reg = {}                   # Windows key -> {value name: data}
        self.removed = {"files": set(), "dirs": set(), "keys": set(), "values": set()}
        self.victims = 0

    def bases(self, folder):
        """The real folders (below C:) an ini folder names: its variable expanded, '\\' as '/'."""
        m = re.match(r"%([^%]+)%(.*)$", folder)
        rest = (m.group(2) if m else folder[2:]).replace("\\", "/").strip("/")
        roots = self.vars[m.group(1).lower()] if m else [""]
        return [("/".join(p for p in (root, rest) if p)) for root in roots]

    def plant(self, path, gone, section=None):
        path = os.path.normpath(path).lstrip("/")
        assert not path.startswith(".."), path
        self.files[path] = ("Tracelorn import fixture: " + path + "\n").encode()
        if gone:
            section.gone["files"].add(path)
        elif section is None:
            self.victims += 1

    def key(self, key, values=None):
        self.reg.setdefault(key, {}).update(values or {"TlFixture": "1"})


class Section:
    """One ini section and what the import, the page and a Kill must make of it."""

    def __init__(self, fx, name, *head):
        self.fx, self.name = fx, name
        self.lines = [f"[{name} *]", *head]
        self.numbers = {}
        self.kept, self.refused = [], []   # key lines as written
        self.offered, self.warning, self.killed = True, "", 0
        self.gone = {"files": set(), "dirs": set(), "keys": set(), "values": set()}

    def add(self, stem, value, ok=True, number=None):
        n = number or self.numbers.get(stem, 0) + 1
        self.numbers[stem] = n
        line = f"{stem}{n}={value}" if stem else value
        self.lines.append(line)
        if stem in ("FileKey", "RegKey") or not ok:
            (self.kept if ok else self.refused).append(line)
        return line

    def files(self, folder, gone=(), keep=(), ok=True, **kw):
        """A FileKey over folder; gone/keep are names below each folder it names (kept when refused)."""
        value = folder + "|" + kw.pop("pattern")
        if kw.get("flag"):
            value += "|" + kw["flag"]
        self.add("FileKey", value, ok, kw.get("number"))
        for base in self.fx.bases(kw.get("real", folder)):
            for name in gone:
                self.fx.plant(f"{base}/{name}", ok, self)
                self.killed += ok
            for name in keep:
                self.fx.plant(f"{base}/{name}", False, self)
            for d in kw.get("empty", ()):
                self.fx.empty_dirs.add(os.path.normpath(f"{base}/{d}").lstrip("/"))
            for d in kw.get("dirs", ()) if ok else ():
                self.gone["dirs"].add(os.path.normpath(f"{base}/{d}").lstrip("/"))

    def victim(self, folder, *names):
        for base in self.fx.bases(folder):
            for name in names:
                self.fx.plant(f"{base}/{name}", False)

    def regkey(self, key, value=None, ok=True, plant=None):
        self.add("RegKey", key + ("|" + value if value else ""), ok)
        full = long_key(key)
        self.fx.key(full, plant)
        if ok:
            self.gone["values" if value else "keys"].add(f"{full}\t{value}" if value else full)

    def expectations(self):
        if not self.kept:
            judged = [l for l in self.refused if l.startswith(("FileKey", "RegKey"))
                      and not reader_refuses(l, self.fx.vars)]
            out = [f"{'dropped' if judged else 'empty'}\t{self.name}"]
        elif not self.offered:
            out = [f"absent\t{self.name}"]
        else:
            out = [f"offered\t{self.name}\t{self.killed}\t{self.warning}"]
            for kind, items in self.gone.items():
                self.fx.removed[kind] |= items
        out += [f"refused\t{self.name}\t{l}" for l in self.refused]
        out += [f"kept\t{self.name}\t{l}" for l in self.kept]
        return out


def reader_refuses(line, known):
    """Whether the reader itself refuses a key line, by the format's rules: a folder starts with a
    known variable or a drive and never climbs, a pattern names no path, the flags are the two
    known, a registry key has a root and a subkey without wildcards and at most one value."""
    stem, _, value = line.partition("=")
    stem = stem.strip().rstrip("0123456789").lower()
    parts = [p.strip() for p in value.split("|")]
    if stem == "regkey":
        root, _, key = parts[0].partition("\\")
        return root.upper() not in ("HKCU", "HKLM", "HKCR", "HKU", "HKCC") or not key or "*" in key or len(parts) > 2
    if stem not in ("filekey", "detectfile"):
        return stem not in ("detect", "detectos", "excludekey", "warning", "section", "langsecref", "default",
                            "specialdetect")
    folder = parts[0].replace("/", "\\").rstrip("\\")
    m = re.match(r"%([^%]+)%(\\|$)", folder)
    rooted = (m and m.group(1).lower() in known) or re.match(r"[A-Za-z]:\\", folder)
    climbs = any(p in (".", "..") for p in folder.split("\\"))
    if stem == "detectfile":
        return not rooted or climbs
    patterns = parts[1] if len(parts) > 1 else ""
    return (not rooted or climbs or not patterns.strip(";") or any(c in patterns for c in "\\/:")
            or any(f.upper() not in ("RECURSE", "REMOVESELF", "") for f in parts[2:]))


ROOTS = {"HKCU": "HKEY_CURRENT_USER", "HKLM": "HKEY_LOCAL_MACHINE"}


def long_key(key):
    root, rest = key.split("\\", 1)
    return ROOTS[root] + "\\" + rest


# --- the generated file: one template per kind of entry, each over a folder of its own -------------

def plain(s, v, app):
    s.files(f"{v}\\{app}\\Cache", ["a.dat", "b.tmp", "noext"], ["sub/deep.dat", "../settings.ini"], pattern="*.*")


def recursive(s, v, app):
    s.files(f"{v}\\{app}\\Logs", ["x.log", "y.old", "sub/z.log", "sub/deeper/W.LOG"],
            ["keep.txt", "x.logs", "sub/keep.cfg"], pattern="*.log;*.old", flag="RECURSE")


def remove_self(s, v, app):
    s.files(f"{v}\\{app}\\Temp", ["a", "s1/b", "s1/s2/c.tmp"], pattern="*", flag="REMOVESELF",
            empty=["empty"], dirs=["", "s1", "s1/s2", "empty"])
    s.files(f"{v}\\{app}\\Crash", ["a.dmp", "only/b.dmp", "mixed/c.dmp"], ["keep.txt", "mixed/keep.txt",
            "../Data/keep.db"], pattern="*.dmp", flag="REMOVESELF", dirs=["only"])


def wildcard_folders(s, v, app):
    s.add("DetectFile", f"{v}\\{app}\\Sess*")
    s.files(f"{v}\\{app}\\Profiles\\*\\cache2", pattern="*", flag="RECURSE", real=f"{v}\\{app}\\Profiles")
    for base in s.fx.bases(f"{v}\\{app}\\Profiles"):
        for name in ("p1.default/cache2/x", "p1.default/cache2/entries/e1", "p2.work/cache2/y"):
            s.fx.plant(f"{base}/{name}", True, s)
            s.killed += 1
        for name in ("p1.default/prefs.js", "p3/other/z"):
            s.fx.plant(f"{base}/{name}", False, s)
    s.files(f"{v}\\{app}\\Session?", pattern="*.tmp", real=f"{v}\\{app}")
    s.files(f"{v}\\{app}\\User*Data\\*\\GPUCache", pattern="data_*", real=f"{v}\\{app}")
    for base in s.fx.bases(f"{v}\\{app}"):
        for name in ("Session1/a.tmp", "SessionB/b.tmp", "User Data/Default/GPUCache/data_0",
                     "UserXData/P1/GPUCache/data_1"):
            s.fx.plant(f"{base}/{name}", True, s)
            s.killed += 1
        for name in ("Session12/c.tmp", "Session1/a.txt", "User Data/Default/GPUCache/index",
                     "User Data/Default/Cache/data_2"):
            s.fx.plant(f"{base}/{name}", False, s)


def registry(s, v, app):
    s.add("Detect", f"HKCU\\Software\\{app}")
    s.fx.key(long_key(f"HKCU\\Software\\{app}"), {"Installed": "1"})
    s.files(f"{v}\\{app}\\Cache", ["a.bin", "b.bin"], ["c.txt"], pattern="*.bin")
    s.regkey(f"HKCU\\Software\\{app}\\Recent", plant={"r1": "one", "r2": "two"})
    s.fx.key(long_key(f"HKCU\\Software\\{app}\\Recent\\Sub"), {"s": "deeper"})
    s.regkey(f"HKCU\\Software\\{app}\\Settings", "LastFile", plant={"LastFile": "C:\\x.txt", "Other": "kept"})
    s.regkey(f"HKLM\\Software\\{app}\\MRU", plant={"a": "machine"})
    s.fx.key(long_key(f"HKLM\\Software\\{app}"), {"Path": "kept"})


def detect_file(s, v, app):
    s.add("DetectFile", f"%ProgramFiles%\\{app}\\{app}.exe")
    s.fx.plant(f"{PF86}/{app}/{app}.exe", False, s)
    s.add("DetectOS", "6.1|")
    s.files(f"{v}\\{app}\\Logs", ["a.log"], ["a.txt"], pattern="*.log")
    s.files(f"%ProgramFiles%\\{app}\\Updates", ["u.tmp"], ["u.txt"], pattern="*.tmp")


def absent(s, v, app):
    variant = int(app[3:]) // 14 % 3
    if variant == 0:
        s.add("Detect", f"HKCU\\Software\\TlgMissing{app}")
    elif variant == 1:
        s.add("Detect", f"HKLM\\Software\\TlgMissing{app}")
        s.add("DetectFile", f"{v}\\{app}\\missing.exe")
    else:
        s.add("DetectOS", "|5.1")
    s.files(f"{v}\\{app}\\Cache", ["a.tmp"], pattern="*")
    s.regkey(f"HKCU\\Software\\{app}\\Recent", plant={"kept": "not offered"})
    s.offered = False


def excludes(s, v, app):
    """The section's excludes stay, file by file and key by key; its entries take the rest."""
    s.files(f"{v}\\{app}\\Cache", ["a.tmp"], ["keep.dat"], pattern="*.*", flag="RECURSE")
    s.files(f"{v}\\{app}\\Logs", ["a.log"], ["b.txt", "../Data/d.log"], pattern="*.log")
    s.files(f"{v}\\{app}\\Dumps", ["x.dmp"], ["keep.dmp"], pattern="*.dmp")
    s.add("ExcludeKey", f"FILE|{v}\\{app}\\Cache\\|keep.dat")
    s.add("ExcludeKey", f"PATH|{v}\\{app}\\Data\\|*.*")
    s.add("ExcludeKey", f"FILE|{v}\\{app}\\Dumps\\keep.dmp")
    # The key's own value goes; the excluded subkey stays, and so does the key that holds it.
    s.add("RegKey", f"HKCU\\Software\\{app}\\History")
    history = long_key(f"HKCU\\Software\\{app}\\History")
    s.fx.key(history, {"h": "gone"})
    s.gone["values"].add(f"{history}\th")
    s.fx.key(long_key(f"HKCU\\Software\\{app}\\History\\Pinned"), {"p": "pinned"})
    s.regkey(f"HKCU\\Software\\{app}\\Typed", plant={"t": "typed"})
    s.add("ExcludeKey", f"REG|HKCU\\Software\\{app}\\History\\Pinned")


def warning(s, v, app):
    s.warning = f"{app} also removes the sessions it saved."
    s.add("", "Warning=" + s.warning)
    s.files(f"{v}\\{app}\\Sessions", ["a.session", "w/b.session"], ["notes.txt"], pattern="*.session",
            flag="RECURSE")


def syntax(s, v, app):
    s.add("", "Default=False")
    s.add("", "SpecialDetect=DET_WINDOWS")
    folder = f"{v}\\{app} Café"
    s.files(folder + "\\Cache\\", ["a.tmp", "ÿ.tmp"], ["a.tmpl"], pattern="*.tmp")
    s.lines[-1] = s.lines[-1].replace("FileKey1=", "FileKey1 = ")
    s.kept[-1] = s.lines[-1]
    s.add("", "; a comment inside the section")
    s.files(f"{v.lower()}/{app} Café/Logs/", ["Crash Report 1.txt"], ["Crash.txt"], pattern="Crash Report*.txt",
            number=7, real=folder + "\\Logs")
    s.files(folder + "\\Thumbs", ["thumbs1.db", "x.thm"], ["thumbs12.db"], pattern="thumbs?.db;*.THM")


def parse_errors(s, v, app):
    s.files(f"{v}\\{app}\\Cache", ["a.tmp"], ["b.txt", "sub/c.tmp"], pattern="*.tmp")
    s.add("FileKey", f"{v}\\{app}\\Cache", ok=False)
    s.add("FileKey", f"%TlgBogus%\\{app}|*", ok=False)
    s.add("FileKey", f"{v}\\{app}\\Cache|*|RECURSE|NOW", ok=False)
    s.add("FileKey", f"{v}\\{app}\\Cache|", ok=False)
    s.add("RegKey", f"HKXX\\Software\\{app}\\Recent", ok=False)
    s.add("RegKey", f"HKCU\\Software\\{app}*\\Recent", ok=False)
    s.add("RegKey", f"HKCU\\Software\\{app}\\Recent|a|b", ok=False)
    s.add("", "Frobnicate=yes", ok=False)
    s.add("", "just some words", ok=False)


def own_folders(s, v, app):
    own = OWN_VARS[int(app[3:]) // 14 % len(OWN_VARS)]
    s.files(f"{v}\\{app}\\Cache", ["a.tmp"], pattern="*.tmp")
    s.files(f"{own}\\{app}", [], ["x.tmp"], ok=False, pattern="*.tmp")


def registry_only(s, v, app):
    s.add("Detect", f"HKCU\\Software\\TlgAbsent{app}")
    s.add("DetectFile", f"{v}\\{app}")
    s.victim(f"{v}\\{app}", "marker.txt")
    s.regkey(f"HKCU\\Software\\{app}\\Recent Files", plant={"File1": "a", "File2": "b"})
    s.regkey(f"HKCU\\Software\\{app}\\State", "Last Path", plant={"Last Path": "C:\\", "Keep": "kept"})
    s.regkey(f"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSavePidlMRU\\{app}",
             plant={"MRUListEx": "0"})


def patterns(s, v, app):
    s.files(f"{v}\\{app}\\Data", ["ax.tmp", "exact.name", "backup~"], ["abx.tmp", "exact.name.bak", "x.tmp"],
            pattern="?x.tmp;exact.name;*~")


TEMPLATES = [plain, recursive, remove_self, wildcard_folders, registry, detect_file, absent, excludes, warning,
             syntax, parse_errors, own_folders, registry_only, patterns]


def generated(fx, count):
    sections = []
    for i in range(count):
        template = TEMPLATES[i % len(TEMPLATES)]
        app = f"Tlg{i:03d}"
        name = f"Tlg {i:03d} {template.__name__.replace('_', ' ')}" + (" Café" if template is syntax else "")
        s = Section(fx, name, GROUPS[i % len(GROUPS)])
        template(s, CLEAN_VARS[i % len(CLEAN_VARS)], app)
        sections.append(s)
        if i % 20 == 0:  # a section that names nothing to clean
            sections.append(Section(fx, f"Tlg {i:03d} only detects", f"Detect=HKCU\\Software\\{app}"))
    return sections


# --- the hostile file --------------------------------------------------------------------------------

def hostile(fx):
    home = f"users/{fx.user}"
    out = []

    def section(name, *entries, kept=()):
        """entries: (folder or RegKey text, pattern or None, flag, victims below the folder)."""
        s = Section(fx, name, "LangSecRef=3025")
        for folder, pattern, flag, victims in entries:
            if pattern is None:
                s.add("RegKey", folder, ok=False)
                continue
            value = folder + ("|" + pattern if pattern != "" else "") + ("|" + flag if flag else "")
            s.add("FileKey", value, ok=False)
            if victims:
                s.victim(victims[0], *victims[1:])
        for k in kept:
            k(s)
        out.append(s)
        return s

    section("Tlh Documents",
            ("%Documents%", "*.*", "RECURSE", ("%Documents%", "thesis.docx", "Tlh Résumé/cv.docx")),
            ("%UserProfile%\\Documents\\TlhWork", "*.docx", "", ("%Documents%", "TlhWork/report.docx")),
            ("%Documents%\\Tlh Résumé", "*.docx", "", None))
    section("Tlh Desktop",
            ("%UserProfile%\\Desktop", "OpenOffice.org * Installation Files", "REMOVESELF",
             ("%UserProfile%\\Desktop", "OpenOffice.org 4.1 Installation Files/setup.exe", "notes.txt")),
            ("%UserProfile%\\Desktop", "*.lnk", "", ("%UserProfile%\\Desktop", "app.lnk")),
            ("%Public%\\Desktop", "*.lnk", "", ("%Public%\\Desktop", "shared.lnk")))
    section("Tlh Profile root",
            ("%UserProfile%", "*.*", "", ("%UserProfile%", "zz_profile.txt", ".tlhrc")),
            ("%UserProfile%", "*.tmp", "RECURSE", ("%UserProfile%", "zz_profile.tmp", "Saved Games/save.tmp")),
            ("%UserProfile%\\*", "*.log", "", ("%UserProfile%", "Contacts/c.log")),
            ("%SystemDrive%\\Users\\*", "*.*", "RECURSE", None),
            ("%SystemDrive%\\Users", "*.tmp", "", ("%SystemDrive%\\users", "zz_users.tmp")))
    section("Tlh Key material",
            ("%AppData%\\Microsoft\\Protect", "*", "RECURSE", ("%AppData%\\Microsoft\\Protect", "S-1-5-21/key")),
            ("%LocalAppData%\\Microsoft\\Credentials", "*.*", "", ("%LocalAppData%\\Microsoft\\Credentials", "c")),
            ("%AppData%\\Microsoft\\SystemCertificates\\My\\Certificates", "*", "",
             ("%AppData%\\Microsoft\\SystemCertificates\\My\\Certificates", "ABCD")),
            ("%CommonAppData%\\Microsoft\\Crypto\\RSA\\MachineKeys", "*", "",
             ("%CommonAppData%\\Microsoft\\Crypto\\RSA\\MachineKeys", "k1")),
            ("%AppData%\\Microsoft\\Crypto\\RSA", "*", "REMOVESELF", ("%AppData%\\Microsoft\\Crypto\\RSA", "S-1/k")),
            ("%LocalAppData%\\Microsoft\\Vault", "*.vcrd", "RECURSE", ("%LocalAppData%\\Microsoft\\Vault", "a/b.vcrd")),
            ("%UserProfile%\\.ssh", "id_*", "", ("%UserProfile%\\.ssh", "id_ed25519", "id_ed25519.pub")),
            ("%UserProfile%\\.gnupg", "*.gpg", "", ("%UserProfile%\\.gnupg", "pubring.gpg")),
            ("%AppData%\\TlhBrowser\\Profiles\\main", "key4.db;logins.json;cert9.db", "",
             ("%AppData%\\TlhBrowser\\Profiles\\main", "key4.db", "logins.json", "cert9.db")),
            ("%LocalAppData%\\TlhChromium\\User Data\\Default", "Login Data*;Cookies", "",
             ("%LocalAppData%\\TlhChromium\\User Data\\Default", "Login Data", "Login Data-journal")),
            ("%AppData%\\KeePass", "*.kdbx", "", ("%AppData%\\KeePass", "vault.kdbx")))
    fx.key("HKEY_CURRENT_USER\\Software\\Microsoft\\OneDrive\\Accounts\\Business1", {"UserFolder": "C:\\TlhCloudBiz"})
    section("Tlh Sync folders",
            ("%UserProfile%\\OneDrive", "*.*", "RECURSE", ("%UserProfile%\\OneDrive", "plan.xlsx", "sub/a.tmp")),
            ("%UserProfile%\\OneDrive - Tlh Corp\\Cache", "*.tmp", "",
             ("%UserProfile%\\OneDrive - Tlh Corp\\Cache", "b.tmp")),
            ("%UserProfile%\\Dropbox\\.dropbox.cache", "*", "REMOVESELF",
             ("%UserProfile%\\Dropbox", ".dropbox.cache/c", "photo.jpg")),
            ("%UserProfile%\\Google Drive", "*.tmp", "", ("%UserProfile%\\Google Drive", "d.tmp")),
            ("%UserProfile%\\iCloudDrive\\Temp", "*", "", ("%UserProfile%\\iCloudDrive\\Temp", "e")),
            ("%SystemDrive%\\TlhCloudBiz\\Docs", "*.*", "", ("%SystemDrive%\\TlhCloudBiz\\Docs", "contract.pdf")))
    for key, values in [("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.tlh\\UserChoice",
                         {"ProgId": "TlhFile"}),
                        ("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", {"TlhAgent": "C:\\agent.exe"}),
                        ("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", {"TlhViewer": "1"}),
                        ("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\TlhTheme", {"t": "1"}),
                        ("HKCU\\Software\\Policies\\TlhVendor\\App", {"Locked": "1"}),
                        ("HKLM\\SYSTEM\\CurrentControlSet\\Services\\TlhSvc", {"Start": "2"}),
                        ("HKCU\\Software\\Classes\\CLSID\\{7A3E5B1C-0000-4000-8000-00000000D1E5}", {"": "TlhClass"}),
                        ("HKCU\\Software\\TlhVendor\\App", {"kept": "1"}), ("HKCU\\Environment", {"TLH_HOME": "C:\\"})]:
        fx.key(long_key(key), values)
    section("Tlh Windows registry", *[(k, None, "", None) for k in [
        "HKCU\\Software\\Microsoft\\Windows",
        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.tlh",
        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.tlh\\UserChoice",
        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run|TlhAgent",
        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes",
        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "HKCU\\Software\\Policies\\TlhVendor\\App", "HKLM\\SYSTEM\\CurrentControlSet\\Services\\TlhSvc",
        "HKCU\\Software\\Classes\\CLSID\\{7A3E5B1C-0000-4000-8000-00000000D1E5}",
        "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "HKCU\\Environment",
        "HKCU\\Software\\TlhVendor", "HKCU\\Software", "HKCU"]])
    fx.plant(f"{home}/{LOCAL}/TlhApp/Cache/a.tmp", False)
    section("Tlh Climbing",
            ("%LocalAppData%\\TlhApp\\..\\..\\Roaming\\Microsoft\\Protect", "*", "", None),
            ("%AppData%\\TlhApp\\..", "*.*", "", ("%AppData%", "zz_roaming.txt")),
            ("%ProgramFiles%\\..\\Users", "*", "RECURSE", None),
            ("%LocalAppData%\\TlhApp\\Cache", "..\\..\\*.*", "", ("%LocalAppData%", "zz_local.txt")),
            ("%LocalAppData%\\TlhApp\\.", "*.tmp", "", None))
    section("Tlh Network and devices",
            ("\\\\TlhServer\\share\\cache", "*.*", "", None),
            ("\\\\?\\C:\\TlhVictims", "*.*", "RECURSE", ("%SystemDrive%\\TlhVictims", "keep.txt")),
            ("\\\\.\\C:\\TlhVictims", "*", "", None),
            ("\\\\127.0.0.1\\c$\\users", "*.tmp", "RECURSE", None),
            ("//TlhServer/share", "*", "", None),
            ("\\??\\C:\\TlhVictims", "*", "", None))
    section("Tlh Streams",
            ("%LocalAppData%\\TlhStream\\Cache:hidden", "*", "", ("%LocalAppData%\\TlhStream", "Cache/a.tmp")),
            ("%LocalAppData%\\TlhStream", "data.txt:Zone.Identifier", "", ("%LocalAppData%\\TlhStream", "data.txt")),
            ("%LocalAppData%\\TlhStream\\Cache::$INDEX_ALLOCATION", "*", "", None),
            ("C:TlhStream", "*", "", None),
            ("%LocalAppData%\\TlhStream\\Cache", "*:$DATA", "", None))
    section("Tlh Devices",
            ("%LocalAppData%\\TlhDevice\\CON", "*", "", ("%LocalAppData%\\TlhDevice", "keep.txt")),
            ("%LocalAppData%\\TlhDevice\\NUL\\Cache", "*.tmp", "RECURSE", None),
            ("%LocalAppData%\\TlhDevice\\COM1.log", "*", "", None))
    section("Tlh Roots",
            ("%SystemDrive%", "*.*", "RECURSE", ("%SystemDrive%", "zz_root.txt")),
            ("C:\\", "*.tmp", "", ("%SystemDrive%", "zz_root.tmp")),
            ("%LocalAppData%", "TlhApp*", "REMOVESELF", ("%LocalAppData%", "TlhAppData/keep.txt")),
            ("%ProgramFiles%", "*", "REMOVESELF", ("%ProgramFiles%", "TlhVictim/keep.txt")),
            ("%WinDir%", "*.log", "", ("%WinDir%", "zz_windows.log")),
            ("%WinDir%\\System32", "*.tmp", "", ("%WinDir%\\System32", "zz_system.tmp")),
            ("%AppData%\\*", "*.tmp", "", ("%AppData%", "TlhVendorX/a.tmp")),
            ("%LocalAppData%\\TlhVendor\\*", "*.*", "RECURSE", ("%LocalAppData%\\TlhVendor", "App/b.dat")),
            ("%CommonAppData%", "*.tmp", "", ("%CommonAppData%", "zz_data.tmp")),
            ("%LocalLowAppData%", "*", "RECURSE", ("%LocalLowAppData%", "zz_low.txt")))
    section("Tlh Libraries and mail",
            ("%UserProfile%\\Downloads", "*.exe;*.zip", "", ("%UserProfile%\\Downloads", "setup.exe")),
            ("%Music%", "*.m3u", "", ("%Music%", "list.m3u")),
            ("%Pictures%\\TlhCamera", "*.jpg", "", ("%Pictures%\\TlhCamera", "p.jpg")),
            ("%Video%", "*.tmp", "RECURSE", ("%Video%", "v.tmp")),
            ("%UserProfile%\\Favorites", "*.url", "", ("%UserProfile%\\Favorites", "site.url")),
            ("%AppData%\\Microsoft\\Windows\\Start Menu\\Programs", "*.lnk", "",
             ("%AppData%\\Microsoft\\Windows\\Start Menu\\Programs", "app.lnk")),
            ("%AppData%\\Microsoft\\Windows\\Start Menu\\Programs\\Startup", "*", "",
             ("%AppData%\\Microsoft\\Windows\\Start Menu\\Programs\\Startup", "agent.lnk")),
            ("%LocalAppData%\\Microsoft\\Outlook", "*.ost", "", ("%LocalAppData%\\Microsoft\\Outlook", "mail.ost")),
            ("%AppData%\\Thunderbird\\Profiles\\tlh.default\\Mail", "*.msf", "RECURSE",
             ("%AppData%\\Thunderbird\\Profiles\\tlh.default\\Mail", "Local Folders/Inbox.msf")))

    def viewer(s):
        s.files("%LocalAppData%\\TlhViewer\\Cache", ["a.tmp", "b.tmp"], ["c.txt"], pattern="*.tmp")
        s.regkey("HKCU\\Software\\TlhViewer\\Recent", plant={"r": "1"})
        s.add("DetectFile", "%LocalAppData%\\..\\..\\TlhViewer", ok=False)
        s.add("DetectFile", "\\\\TlhServer\\share\\viewer.exe", ok=False)
    section("Tlh Mixed viewer Café",
            ("%Documents%\\TlhViewer", "*.*", "", ("%Documents%\\TlhViewer", "saved.txt")),
            ("%UserProfile%\\Desktop", "TlhViewer*.lnk", "", ("%UserProfile%\\Desktop", "TlhViewer.lnk")),
            ("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced|TlhViewer", None, "", None),
            kept=[viewer])

    def links(s):
        # Links the walk must not enter: to the Documents folder, and a profile folder that is a link
        # to a folder of its own holding "cache2".
        s.files("%LocalAppData%\\TlhLinks\\Cache", ["a.tmp", "sub/b.tmp"], pattern="*", flag="RECURSE")
        fx.links[f"{home}/{LOCAL}/TlhLinks/Cache/documents"] = f"/{home}/Documents"
        s.files("%LocalAppData%\\TlhLinks\\Profiles\\*\\cache2", pattern="*", flag="REMOVESELF",
                real="%LocalAppData%\\TlhLinks\\Profiles")
        fx.plant(f"{home}/{LOCAL}/TlhLinks/Profiles/real/cache2/x", True, s)
        s.gone["dirs"].add(f"{home}/{LOCAL}/TlhLinks/Profiles/real/cache2")
        s.killed += 1
        fx.plant("TlhLinkVictim/cache2/victim.txt", False)
        fx.links[f"{home}/{LOCAL}/TlhLinks/Profiles/evil"] = "/TlhLinkVictim"
        fx.plant(f"{home}/Documents/linked-victim.txt", False)
    section("Tlh Links", kept=[links])
    return out


def write_ini(path, sections, encoding, newline, bom):
    text = newline.join(["; Made up for Tracelorn's import test", ""] +
                        [newline.join(s.lines) + newline for s in sections])
    with open(path, "wb") as f:
        f.write((b"\xef\xbb\xbf" if bom else b"") + text.encode(encoding))


def real_path(drive_c, path, make):
    """path below C: (normalised) in the case of the folders that already exist; makes the folders
    that do not when asked (a path ending in "/" is a folder itself)."""
    parts = os.path.normpath(path).lstrip("/").split("/")
    assert parts[0] != "..", path
    out = []
    for i, part in enumerate(parts):
        here = os.path.join(drive_c, *out)
        names = os.listdir(here) if os.path.isdir(here) else []
        out.append(next((n for n in names if n.lower() == part.lower()), part))
        if make and (i < len(parts) - 1 or path.endswith("/")):
            os.makedirs(os.path.join(drive_c, *out), exist_ok=True)
    return "/".join(out)


def reg_text(value):
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'


def plant(drive_c, user, temp, out):
    fx = Fixture(drive_c, user, temp)
    os.makedirs(out, exist_ok=True)
    for name, sections, enc, nl, bom in [("generated", generated(fx, 300), "utf-8", "\r\n", True),
                                         ("hostile", hostile(fx), "cp1252", "\n", False)]:
        write_ini(os.path.join(out, name + ".ini"), sections, enc, nl, bom)
        lines = [l for s in sections for l in s.expectations()]
        refused = sum(1 for l in lines if l.startswith(("refused\t", "empty\t")))
        kept = sum(1 for l in lines if l.startswith(("offered\t", "absent\t")))
        with open(os.path.join(out, f"expect-{name}.txt"), "w", encoding="utf-8", newline="\n") as f:
            f.write(f"summary\t{kept}\t{refused}\n" + "\n".join(lines) + "\n")
    # Wine finds names without regard to case: a planted path takes the case of what is there.
    resolved = {}
    for path, content in fx.files.items():
        resolved[path] = real_path(drive_c, path, True)
        with open(os.path.join(drive_c, resolved[path]), "wb") as f:
            f.write(content)
    for path in fx.empty_dirs:
        real_path(drive_c, path + "/", True)
    for path, target in fx.links.items():
        link = real_path(drive_c, path, True)
        os.symlink(os.path.join(drive_c, real_path(drive_c, target.lstrip("/"), True)), os.path.join(drive_c, link))
    fx.removed["files"] = {resolved[p] for p in fx.removed["files"]}
    fx.removed["dirs"] = {real_path(drive_c, p, False) for p in fx.removed["dirs"]}
    reg = ["Windows Registry Editor Version 5.00", ""]
    for key, values in fx.reg.items():
        reg += [f"[{key}]"] + [("@" if n == "" else reg_text(n)) + "=" + reg_text(v) for n, v in values.items()] + [""]
    with open(os.path.join(out, "plant.reg"), "wb") as f:
        f.write("\r\n".join(reg).encode("utf-16"))
    with open(os.path.join(out, "removed.json"), "w") as f:
        json.dump({k: sorted(v) for k, v in fx.removed.items()} | {"victims": fx.victims}, f, indent=0)
    print(f"fixture: {len(fx.files)} files, {len(fx.links)} links, {len(fx.reg)} keys planted; "
          f"{len(fx.removed['files'])} files, {len(fx.removed['dirs'])} folders, "
          f"{len(fx.removed['keys']) + len(fx.removed['values'])} keys or values to go; {fx.victims} hostile victims")


# --- the drive and the registry, before and after ---------------------------------------------------

# What changes on its own while programs run: WinINet's containers.
VOLATILE_FOLDERS = re.compile(r"^users/[^/]+/AppData/Local/Microsoft/Windows/(INetCache|INetCookies|History)(/|$)",
                              re.I)
# Keys that are the run's, not the entries': the cleaner's own settings (selections, totals), the
# folder the file chooser last opened, and what Wine itself rewrites as its drivers and services
# start (display adapters and monitors, device interfaces, network cards, its session's parameters).
VOLATILE_KEYS = re.compile(r"^(HKEY_CURRENT_USER\\Software\\(Quorvane|Wine\\Temporary System Parameters"
                           r"|Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU)"
                           r"|HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\(Enum|Control\\(Class|DeviceClasses|ServiceCurrent|Video))"
                           r"|HKEY_LOCAL_MACHINE\\Software\\(Wow6432Node\\)?Microsoft\\Windows NT\\CurrentVersion"
                           r"\\NetworkCards)(\\|$)", re.I)


def snapshot(drive_c, hkcu, hklm, out):
    files, dirs, links = {}, [], {}
    for root, dirnames, filenames in os.walk(drive_c):
        rel = os.path.relpath(root, drive_c).replace(os.sep, "/")
        rel = "" if rel == "." else rel + "/"
        for d in list(dirnames):
            if VOLATILE_FOLDERS.match(rel + d) or os.path.islink(os.path.join(root, d)):
                dirnames.remove(d)
                if os.path.islink(os.path.join(root, d)):
                    links[rel + d] = os.readlink(os.path.join(root, d))
            else:
                dirs.append(rel + d)
        for name in filenames:
            full = os.path.join(root, name)
            if os.path.islink(full):
                links[rel + name] = os.readlink(full)
                continue
            h = hashlib.sha256()
            with open(full, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    h.update(block)
            files[rel + name] = h.hexdigest()
    values = []
    for export in (hkcu, hklm):
        values += registry_lines(export)
    with open(out, "w") as f:
        json.dump({"files": files, "dirs": dirs, "links": links, "registry": values}, f)


def registry_lines(export):
    """One "key" or "key<TAB>value line" entry per key and value of a reg export."""
    with open(export, "rb") as f:
        text = f.read().decode("utf-16")
    out, key, pending = [], None, ""
    for line in text.splitlines():
        if pending:
            line, pending = pending + line.strip(), ""
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            if not VOLATILE_KEYS.match(key):
                out.append(key)
        elif key and line and not line.startswith(";") and not VOLATILE_KEYS.match(key):
            out.append(key + "\t" + line)
    return out


def value_name(entry):
    m = re.match(r'"((?:[^"\\]|\\.)*)"=', entry.split("\t", 1)[1])
    return m.group(1).replace('\\"', '"').replace("\\\\", "\\") if m else ""


def compare(before_path, after_path, removed_path):
    before, after = (json.load(open(p)) for p in (before_path, after_path))
    removed = json.load(open(removed_path))
    problems = []

    def report(what, items):
        if items:
            problems.append(f"{what} ({len(items)}):\n  " + "\n  ".join(sorted(items)[:25]))

    gone = set(removed["files"])
    report("planted files the accepted entries name that are still there", gone & set(after["files"]))
    report("expected removals that were never planted", gone - set(before["files"]))
    report("files removed that no accepted entry names",
           set(before["files"]) - set(after["files"]) - gone)
    report("files changed", {p for p, h in after["files"].items() if p in before["files"] and before["files"][p] != h})
    report("files added", set(after["files"]) - set(before["files"]))
    dirs = set(removed["dirs"])
    report("folders REMOVESELF should have removed", dirs & set(after["dirs"]))
    report("folders removed that no REMOVESELF entry empties", set(before["dirs"]) - set(after["dirs"]) - dirs)
    report("folders added", set(after["dirs"]) - set(before["dirs"]))
    report("links changed", set(before["links"].items()) ^ set(after["links"].items()))

    keys = [k.lower() for k in removed["keys"]]
    values = {v.lower() for v in removed["values"]}

    def expected_gone(entry):
        key = entry.split("\t", 1)[0].lower()
        if any(key == k or key.startswith(k + "\\") for k in keys):
            return True
        return "\t" in entry and f"{key}\t{value_name(entry).lower()}" in values

    reg_before, reg_after = set(before["registry"]), set(after["registry"])
    should_go = {e for e in reg_before if expected_gone(e)}
    report("registry keys and values the accepted entries name that are still there", should_go & reg_after)
    report("registry keys and values removed that no accepted entry names", reg_before - reg_after - should_go)
    report("registry keys and values added or changed", reg_after - reg_before)
    planted = {e.split("\t", 1)[0].lower() + ("\t" + value_name(e).lower() if "\t" in e else "")
               for e in reg_before}
    report("expected registry removals that were never planted", (set(keys) | values) - planted)
    print(f"drive: {len(before['files'])} files, {len(before['dirs'])} folders and {len(reg_before)} registry "
          f"entries hashed before; {len(gone)} files, {len(dirs)} folders and {len(should_go)} registry entries "
          f"removed as expected; {removed['victims']} hostile victims among the rest")
    if problems:
        print("FAILED: the drive changed otherwise than the accepted entries say\n" + "\n".join(problems))
        return 1
    return 0


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    if command == "plant":
        plant(*args)
    elif command == "snapshot":
        snapshot(*args)
    elif command == "compare":
        sys.exit(compare(*args))
    else:
        sys.exit(f"unknown command {command}")
