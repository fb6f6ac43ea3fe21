#include "targets/ImportedTargets.h"

#include "engine/AsciiCase.h"
#include "engine/EntryTrust.h"
#include "engine/FolderGuard.h"
#include "engine/RegistryRules.h"
#include "engine/WildcardMatch.h"
#include "platform/FileByHandle.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <map>
#include <mutex>
#include <optional>
#include <windows.h>
#include <shlobj.h>

// The judgement of imported entries, and the winapp2 variables as this machine names them.

namespace {

std::string AskShellFolder(int csidl) {
    wchar_t path[MAX_PATH];
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
    std::string out;
    if (!Utf8FromWide(TrimNul(path), out)) return "";
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

// Thousands of imported entries ask for the same few folders at every start; the shell answers
// each question slowly, so the answers are kept for the life of the process (a folder the user
// moves meanwhile is found again at the next start).
std::string ShellFolder(int csidl) {
    static std::mutex lock;
    static std::map<int, std::string> known;
    const std::lock_guard<std::mutex> hold(lock);
    auto it = known.find(csidl);
    if (it == known.end()) it = known.emplace(csidl, AskShellFolder(csidl)).first;
    return it->second;
}

std::string Parent(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos || path.empty() ? "" : path.substr(0, slash);
}

std::vector<std::string> VariableFolders(const std::string& name) {
    auto one = [](std::string f) { return f.empty() ? std::vector<std::string>{} : std::vector<std::string>{f}; };
    if (name == "appdata") return one(ShellFolder(CSIDL_APPDATA));
    if (name == "localappdata") return one(ShellFolder(CSIDL_LOCAL_APPDATA));
    if (name == "locallowappdata") {
        const std::string local = ShellFolder(CSIDL_LOCAL_APPDATA);
        return local.empty() ? std::vector<std::string>{} : one(Parent(local) + "\\LocalLow");
    }
    if (name == "programfiles" || name == "commonprogramfiles") {
        const bool common = name[0] == 'c';
        std::vector<std::string> both;
        for (int id : {common ? CSIDL_PROGRAM_FILES_COMMON : CSIDL_PROGRAM_FILES,
                       common ? CSIDL_PROGRAM_FILES_COMMONX86 : CSIDL_PROGRAM_FILESX86}) {
            const std::string f = ShellFolder(id);
            if (!f.empty() && std::find(both.begin(), both.end(), f) == both.end()) both.push_back(f);
        }
        return both;
    }
    if (name == "programfiles(x86)") return one(ShellFolder(CSIDL_PROGRAM_FILESX86));
    if (name == "programw6432") return one(ShellFolder(CSIDL_PROGRAM_FILES));
    if (name == "commonprogramfiles(x86)") return one(ShellFolder(CSIDL_PROGRAM_FILES_COMMONX86));
    if (name == "commonprogramw6432") return one(ShellFolder(CSIDL_PROGRAM_FILES_COMMON));
    if (name == "commonappdata" || name == "programdata" || name == "allusersprofile")
        return one(ShellFolder(CSIDL_COMMON_APPDATA));
    if (name == "userprofile") return one(ShellFolder(CSIDL_PROFILE));
    if (name == "documents") return one(ShellFolder(CSIDL_PERSONAL));
    if (name == "windir" || name == "systemroot") return one(ShellFolder(CSIDL_WINDOWS));
    if (name == "systemdrive" || name == "homedrive") {
        const std::string windows = ShellFolder(CSIDL_WINDOWS);
        return windows.size() >= 2 ? one(windows.substr(0, 2)) : std::vector<std::string>{};
    }
    if (name == "public") return one(Parent(ShellFolder(CSIDL_COMMON_DOCUMENTS)));
    if (name == "music") return one(ShellFolder(CSIDL_MYMUSIC));
    if (name == "pictures") return one(ShellFolder(CSIDL_MYPICTURES));
    if (name == "video") return one(ShellFolder(CSIDL_MYVIDEO));
    if (name == "temp" || name == "tmp") {
        wchar_t temp[MAX_PATH + 1];
        const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
        std::string out;
        if (n == 0 || n > MAX_PATH || !Utf8FromWide(std::wstring_view(temp, n), out)) return {};
        while (!out.empty() && out.back() == '\\') out.pop_back();
        return one(out);
    }
    return {};
}

// The rest of an ini path split at its backslashes (the part after the variable).
std::vector<std::string> Segments(const std::string& rest) {
    std::vector<std::string> out;
    size_t start = rest.empty() || rest[0] != '\\' ? 0 : 1;
    while (start < rest.size()) {
        size_t at = rest.find('\\', start);
        if (at == std::string::npos) at = rest.size();
        out.push_back(rest.substr(start, at - start));
        start = at + 1;
    }
    return out;
}

bool IsInside(const std::string& path, const std::string& folder) {
    if (folder.empty()) return false;
    const std::string p = AsciiLower(path), f = AsciiLower(folder);
    return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '\\');
}

// The interim imported-level checks beside today's shared ones: what a shared cleaning file has
// been seen to get wrong (REMOVESELF one level too high, "*" next to a root, the user's own
// folders, key material, sync folders).
std::string ImportedFileRule(const WinappFileKey& key, const std::vector<std::string>& folders) {
    std::string rest;
    const std::string variable = WinappPathVariable(key.folder, rest);
    const std::vector<std::string> segments = Segments(variable.empty() ? key.folder.substr(2) : rest);
    static const char* broad[] = {"userprofile", "appdata", "localappdata", "locallowappdata", "programdata",
                                  "commonappdata", "allusersprofile", "systemdrive", "homedrive", "windir",
                                  "systemroot", "documents", "public", "music", "pictures", "video",
                                  "programfiles", "programfiles(x86)", "programw6432"};
    const bool atBroadRoot =
        variable.empty() || std::any_of(std::begin(broad), std::end(broad), [&](const char* b) { return variable == b; });
    if (atBroadRoot && segments.empty() && key.recurse) return "walks a whole system or user folder";
    if (atBroadRoot && !segments.empty() && segments[0].find_first_of("*?") != std::string::npos)
        return "a wildcard right below a system or user folder";
    if (atBroadRoot && key.recurse && segments.size() > 1 && segments[1].find_first_of("*?") != std::string::npos)
        return "a recursive wildcard two levels below a system or user folder";
    for (const std::string& s : segments) {
        const std::string l = AsciiLower(s);
        static const char* keys[] = {"crypto", "protect", "systemcertificates", "credentials", "vault", ".ssh",
                                     ".gnupg", "gnupg", "keepass", "1password", "bitwarden"};
        if (std::any_of(std::begin(keys), std::end(keys), [&](const char* k) { return l == k; }))
            return "a folder of keys or passwords";
        static const char* sync[] = {"onedrive", "dropbox", "google drive", "icloud drive", "iclouddrive",
                                     "nextcloud", "owncloud", "mega", "box sync", "pcloud drive"};
        if (std::any_of(std::begin(sync), std::end(sync), [&](const char* k) { return l.rfind(k, 0) == 0; }))
            return "a synchronised folder";
    }
    static const char* secrets[] = {"key3.db", "key4.db", "cert8.db", "cert9.db", "logins.json", "login data",
                                    "local state", "cookies.sqlite", "places.sqlite", "wallet.dat", "id_rsa",
                                    "id_ed25519", "secret.kdbx", "cert.pfx", "cert.p12", "private.pem"};
    for (const std::string& p : key.patterns) {
        if (WildcardMatchesEverything(p)) continue;
        for (const char* s : secrets)
            if (MatchesWildcard(s, p)) return "names key material, passwords or browser databases";
    }
    struct Mine {
        int csidl;
        const char* what;
    };
    static const Mine mine[] = {{CSIDL_PERSONAL, "Documents"}, {CSIDL_DESKTOPDIRECTORY, "the Desktop"},
                                {CSIDL_MYMUSIC, "Music"},      {CSIDL_MYPICTURES, "Pictures"},
                                {CSIDL_MYVIDEO, "Videos"},     {CSIDL_FAVORITES, "Favorites"},
                                {CSIDL_COMMON_DOCUMENTS, "the public Documents"},
                                {CSIDL_COMMON_DESKTOPDIRECTORY, "the public Desktop"}};
    const std::string profile = ShellFolder(CSIDL_PROFILE);
    for (const std::string& folder : folders) {
        for (const Mine& m : mine)
            if (IsInside(folder, ShellFolder(m.csidl))) return std::string("inside ") + m.what;
        if (IsInside(folder, profile + "\\Downloads")) return "inside Downloads";
        if (AsciiLower(folder) == AsciiLower(profile)) return "the profile folder itself";
    }
    return "";
}

// Registry keys a shared file has been seen to empty although they are configuration.
std::string ImportedRegistryRule(const EntryRecord& r) {
    const std::string key = AsciiLower(r.key);
    for (const char* bad : {"\\fileexts", "\\userchoice", "\\policies", "policies\\"})
        if (key.find(bad) != std::string::npos || key.rfind(bad + 1, 0) == 0) return "configuration, not a trace";
    if (key.rfind("software\\microsoft\\windows", 0) == 0 || key.rfind("software\\classes", 0) == 0 ||
        r.rootKey == 0x80000000u) {
        for (const char* m : {"mru", "recent", "history", "typed", "wordwheelquery"})
            if (key.find(m) != std::string::npos) return "";
        return "Windows settings, not a trace";
    }
    return "";
}

EntryRecord RegistryRecord(const WinappRegKey& k) {
    EntryRecord r;
    r.rootKey = k.root;
    r.key = k.key;
    r.recurse = true;
    if (k.value) {
        r.SetKind(RemKind::RegistryValues);
        r.valueName = *k.value;
        r.recurse = false;
    } else {
        r.SetKind(RemKind::RegistryKey);
    }
    return r;
}


}  // namespace

std::vector<std::string> ExpandWinappPath(const std::string& path) {
    std::string rest;
    const std::string variable = WinappPathVariable(path, rest);
    if (variable.empty()) {
        if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return {path};
        return {};
    }
    std::vector<std::string> out;
    for (const std::string& base : VariableFolders(variable)) out.push_back(base + rest);
    return out;
}

std::vector<ImportedEntry> EntriesOf(const WinappTarget& target) {
    std::vector<ImportedEntry> out;
    for (const auto& f : target.files) {
        ImportedEntry e;
        e.file = &f.second;
        e.folders = ExpandWinappPath(f.second.folder);
        out.push_back(std::move(e));
    }
    for (const auto& k : target.keys) {
        ImportedEntry e;
        e.registry = RegistryRecord(k.second);
        out.push_back(std::move(e));
    }
    return out;
}

ImportPlaces::ImportPlaces() : folders_(MachinePathLookups()) {}

std::string ImportPlaces::ResolvedPath(const EntryRecord& record) const {
    // The machine resolves a folder that is not here by its parent, and when that is not here
    // either, to the folder's full name: that answer, where the parent is known to be absent.
    if (record.folderId == 0 && record.Kind() != RemKind::RegistryFolderFiles && IsAbsolutePath(record.path)) {
        std::string full = FullPathName(record.path);
        while (full.size() > 3 && (full.back() == '\\' || full.back() == '/')) full.pop_back();
        const size_t slash = full.find_last_of('\\');
        if (slash != std::string::npos && slash > 2 && !folders_.Exists(full.substr(0, slash))) return full;
    }
    return ThisMachinePlaces().ResolvedPath(record);
}

const WalkRootGuard& ImportPlaces::Guard() const { return ThisMachinePlaces().Guard(); }

bool ImportPlaces::IsNetworkDrive(char letter) const {
    const int index = (letter | 0x20) - 'a';
    if (index < 0 || index >= 26) return ThisMachinePlaces().IsNetworkDrive(letter);
    std::optional<bool>& known = remote_[static_cast<size_t>(index)];
    if (!known) known = ThisMachinePlaces().IsNetworkDrive(letter);
    return *known;
}

std::string JudgeImportedEntry(const ImportedEntry& entry) { return JudgeImportedEntry(entry, ImportPlaces()); }

std::string JudgeImportedEntry(const ImportedEntry& entry, const EntryPlaces& places) {
    if (!entry.file) {
        const EntryVerdict verdict = JudgeEntry(entry.registry, EntrySource::ImportedTarget, places);
        if (!verdict.allowed) return verdict.reason;
        return ImportedRegistryRule(entry.registry);
    }
    if (entry.folders.empty()) return "the folder's variable names no folder on this machine";
    for (const std::string& folder : entry.folders) {
        EntryRecord r;
        r.SetKind(RemKind::FolderWildcard);
        r.path = folder + "\\";
        r.mask = entry.file->patterns.front();
        r.recurse = entry.file->recurse;
        const EntryVerdict verdict = JudgeEntry(r, EntrySource::ImportedTarget, places);
        if (!verdict.allowed)
            return std::string(verdict.reason) + " (" + (verdict.place.empty() ? folder : verdict.place) + ")";
    }
    return ImportedFileRule(*entry.file, entry.folders);
}

ImportOutcome JudgeImport(const WinappReadResult& read) {
    ImportOutcome outcome;
    const ImportPlaces places;
    for (const std::string& s : read.skipped) outcome.refused.push_back(s);
    outcome.refusedEntries = read.skipped.size();
    for (const WinappTarget& t : read.targets) {
        WinappTarget kept = t;
        kept.files.clear();
        kept.keys.clear();
        const std::vector<ImportedEntry> entries = EntriesOf(t);
        for (size_t i = 0; i < entries.size(); ++i) {
            const bool isFile = i < t.files.size();
            const std::string& line = isFile ? t.files[i].first : t.keys[i - t.files.size()].first;
            std::string reason = JudgeImportedEntry(entries[i], places);
            if (!reason.empty()) {
                outcome.refused.push_back(t.name + ": " + line + ": " + reason);
                ++outcome.refusedEntries;
                continue;
            }
            if (isFile) kept.files.push_back(t.files[i]);
            else kept.keys.push_back(t.keys[i - t.files.size()]);
        }
        if (kept.files.empty() && kept.keys.empty()) {
            if (!entries.empty()) outcome.refused.push_back(t.name + ": dropped, no entry is left");
            continue;
        }
        outcome.accepted.push_back(std::move(kept));
    }
    return outcome;
}
