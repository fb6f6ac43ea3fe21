#include "targets/WinappIni.h"

#include "engine/AsciiCase.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

// A section holds a few dozen keys; a file with more than this per section is not a cleaning file.
constexpr size_t kMaxKeysPerSection = 1000;
// Every value must fit a stored string of the import (65535 bytes).
constexpr size_t kMaxLineBytes = 32 * 1024;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> out;
    size_t start = 0;
    for (;;) {
        const size_t at = s.find(sep, start);
        out.push_back(Trim(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start)));
        if (at == std::string_view::npos) return out;
        start = at + 1;
    }
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 4;
        if (n == 4 || c == 0xC0 || c == 0xC1 || c > 0xF4 || n > s.size() - i - 1) return false;
        uint32_t cp = n == 0 ? c : c & (0x3Fu >> n);
        for (size_t k = 1; k <= n; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

// Folder text as entries keep it: trailing separators gone, '/' taken as '\'.
std::string CleanFolder(std::string_view folder) {
    std::string out(folder);
    std::replace(out.begin(), out.end(), '/', '\\');
    // Windows drops a last component's trailing spaces itself; the stored import's reader trims them.
    while (!out.empty() && (out.back() == '\\' || out.back() == ' ' || out.back() == '\t')) out.pop_back();
    return out;
}

// A folder may start with a known variable or a drive ("C:\"); anything else would be taken from
// the current folder.
bool IsRootedFolder(const std::string& folder, std::string& reason) {
    std::string rest;
    if (!WinappPathVariable(folder, rest).empty()) return true;
    if (!folder.empty() && folder[0] == '%') {
        reason = "unknown variable";
        return false;
    }
    if (folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) && folder[1] == ':' &&
        folder[2] == '\\')
        return true;
    reason = "the folder is not absolute";
    return false;
}

bool NamesClimb(const std::string& path) {
    for (std::string_view part : Split(path, '\\'))
        if (part == "." || part == "..") return true;
    return false;
}

std::optional<uint32_t> RootOf(std::string_view name) {
    const std::string n = AsciiLower(name);
    if (n == "hkcr" || n == "hkey_classes_root") return 0x80000000u;
    if (n == "hkcu" || n == "hkey_current_user") return 0x80000001u;
    if (n == "hklm" || n == "hkey_local_machine") return 0x80000002u;
    if (n == "hku" || n == "hkey_users") return 0x80000003u;
    if (n == "hkcc" || n == "hkey_current_config") return 0x80000005u;
    return std::nullopt;
}

const char* RootName(uint32_t root) {
    switch (root) {
    case 0x80000000u: return "HKCR";
    case 0x80000001u: return "HKCU";
    case 0x80000002u: return "HKLM";
    case 0x80000003u: return "HKU";
    default: return "HKCC";
    }
}

// "HKCU\Software\X" -> root and subkey; none for an unknown root or an empty subkey.
bool SplitKey(std::string_view text, uint32_t& root, std::string& key, std::string& reason) {
    const size_t slash = text.find('\\');
    auto r = RootOf(slash == std::string_view::npos ? text : text.substr(0, slash));
    if (!r) {
        reason = "unknown registry root";
        return false;
    }
    root = *r;
    key = slash == std::string_view::npos ? std::string() : std::string(text.substr(slash + 1));
    while (!key.empty() && key.back() == '\\') key.pop_back();
    if (key.empty()) {
        reason = "names a whole registry root";
        return false;
    }
    return true;
}

struct Group {
    int number;
    const char* name;
};
const Group kGroups[] = {{3021, "Applications"}, {3022, "Internet"}, {3023, "Multimedia"}, {3024, "Utilities"},
                         {3025, "Windows"},      {3026, "Firefox"},  {3027, "Opera"},      {3029, "Chrome"},
                         {3006, "Edge"},         {3033, "Vivaldi"},  {3034, "Brave"}};

std::string GroupOf(std::string_view number) {
    for (const Group& g : kGroups)
        if (number == std::to_string(g.number)) return g.name;
    return "Applications";
}

// "FileKey12" -> "filekey"; keys without a number give themselves.
std::string KeyStem(std::string_view key) {
    std::string k = AsciiLower(key);
    while (!k.empty() && std::isdigit(static_cast<unsigned char>(k.back()))) k.pop_back();
    return k;
}

class Reader {
public:
    explicit Reader(WinappReadResult& result) : result_(result) {}

    void Line(std::string_view line) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') return;
        if (line.front() == '[') {
            StartSection(line);
            return;
        }
        if (!current_) return;  // lines before the first section: the header comments
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) return Skip(line, "not a key");
        if (++keys_ > kMaxKeysPerSection) return Skip(line, "too many keys in the section");
        Key(line, Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }

    void Finish() {
        if (!current_) return;
        if (current_->files.empty() && current_->keys.empty()) {
            result_.skipped.push_back(current_->name + ": nothing to clean");
            result_.targets.pop_back();
        } else if (!hasGroup_) {
            current_->group = GroupOf(langSecRef_);
        }
        current_ = nullptr;
    }

private:
    void StartSection(std::string_view line) {
        Finish();
        const size_t close = line.find(']');
        std::string name(Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
        if (name.size() >= 2 && name.compare(name.size() - 2, 2, " *") == 0) name.resize(name.size() - 2);
        name = std::string(Trim(name));
        keys_ = 0;
        hasGroup_ = false;
        langSecRef_.clear();
        if (name.empty() || close == std::string_view::npos) {
            result_.skipped.push_back(std::string(line) + ": not a section name");
            return;
        }
        result_.targets.emplace_back();
        current_ = &result_.targets.back();
        current_->name = std::move(name);
    }

    void Skip(std::string_view line, const std::string& reason) {
        result_.skipped.push_back(current_->name + ": " + std::string(line) + ": " + reason);
    }

    void Key(std::string_view line, std::string_view key, std::string_view value) {
        const std::string stem = KeyStem(key);
        std::string reason;
        if (stem == "langsecref") {
            langSecRef_ = std::string(value);
        } else if (stem == "section") {
            if (!value.empty()) current_->group = std::string(value), hasGroup_ = true;
        } else if (stem == "warning") {
            current_->warning = std::string(value);
        } else if (stem == "detect") {
            TargetCondition c;
            if (!SplitKey(value, c.number, c.text, reason)) return Skip(line, reason);
            current_->conditions.push_back(std::move(c));
        } else if (stem == "detectfile") {
            TargetCondition c;
            c.kind = static_cast<uint32_t>(ConditionKind::PathExists);
            c.text = CleanFolder(value);
            if (!IsRootedFolder(c.text, reason) || NamesClimb(c.text)) return Skip(line, reason.empty() ? "climbs" : reason);
            const size_t last = c.text.find_last_of('\\');
            if (c.text.find_first_of("*?") < (last == std::string::npos ? 0 : last))
                return Skip(line, "a wildcard before the last part");
            current_->conditions.push_back(std::move(c));
        } else if (stem == "detectos") {
            TargetCondition c;
            c.kind = static_cast<uint32_t>(ConditionKind::WindowsRange);
            const auto parts = Split(value, '|');
            c.text = std::string(parts[0]);
            if (parts.size() > 1) c.secondText = std::string(parts[1]);
            current_->conditions.push_back(std::move(c));
        } else if (stem == "filekey") {
            if (auto k = ParseWinappFileKey(value, reason)) current_->files.emplace_back(std::string(line), std::move(*k));
            else Skip(line, reason);
        } else if (stem == "regkey") {
            if (auto k = ParseWinappRegKey(value, reason)) current_->keys.emplace_back(std::string(line), std::move(*k));
            else Skip(line, reason);
        } else if (stem == "excludekey") {
            if (auto k = ParseWinappExclude(value, reason)) current_->excludes.push_back(std::move(*k));
            else Skip(line, reason);
        } else if (stem != "default" && stem != "specialdetect") {
            Skip(line, "unknown key");
        }
    }

    WinappReadResult& result_;
    WinappTarget* current_ = nullptr;
    size_t keys_ = 0;
    bool hasGroup_ = false;
    std::string langSecRef_;
};

}  // namespace

const std::vector<std::string>& WinappVariables() {
    static const std::vector<std::string> names{
        "appdata", "localappdata", "locallowappdata", "programfiles", "programfiles(x86)", "programw6432",
        "commonprogramfiles", "commonprogramfiles(x86)", "commonprogramw6432", "commonappdata", "programdata",
        "allusersprofile", "userprofile", "documents", "windir", "systemroot", "systemdrive", "public",
        "music", "pictures", "video", "temp", "tmp", "homedrive"};
    return names;
}

std::string WinappPathVariable(const std::string& path, std::string& rest) {
    if (path.size() < 3 || path[0] != '%') return "";
    const size_t close = path.find('%', 1);
    if (close == std::string::npos) return "";
    const std::string name = AsciiLower(std::string_view(path).substr(1, close - 1));
    const auto& known = WinappVariables();
    if (std::find(known.begin(), known.end(), name) == known.end()) return "";
    rest = path.substr(close + 1);
    if (!rest.empty() && rest[0] != '\\') return "";  // "%AppData%x" names no folder
    return name;
}

std::optional<WinappFileKey> ParseWinappFileKey(std::string_view value, std::string& reason) {
    const auto parts = Split(value, '|');
    WinappFileKey k;
    k.folder = CleanFolder(parts[0]);
    if (k.folder.empty()) return reason = "no folder", std::nullopt;
    if (!IsRootedFolder(k.folder, reason)) return std::nullopt;
    if (NamesClimb(k.folder)) return reason = "the folder climbs with ..", std::nullopt;
    if (parts.size() < 2 || parts[1].empty()) return reason = "no file pattern", std::nullopt;
    for (std::string_view p : Split(parts[1], ';')) {
        if (p.empty()) continue;
        if (p.find_first_of("\\/:") != std::string_view::npos) return reason = "a pattern holds a path", std::nullopt;
        k.patterns.emplace_back(p);
    }
    if (k.patterns.empty()) return reason = "no file pattern", std::nullopt;
    for (size_t i = 2; i < parts.size(); ++i) {
        const std::string flag = AsciiLower(parts[i]);
        if (flag == "recurse") k.recurse = true;
        else if (flag == "removeself") k.recurse = k.removeSelf = true;
        else if (!flag.empty()) return reason = "unknown flag " + std::string(parts[i]), std::nullopt;
    }
    return k;
}

std::optional<WinappRegKey> ParseWinappRegKey(std::string_view value, std::string& reason) {
    const auto parts = Split(value, '|');
    WinappRegKey k;
    if (!SplitKey(parts[0], k.root, k.key, reason)) return std::nullopt;
    if (k.key.find_first_of("*?") != std::string::npos) return reason = "a wildcard in a registry key", std::nullopt;
    if (parts.size() > 1 && !parts[1].empty()) k.value = std::string(parts[1]);
    if (parts.size() > 2) return reason = "more than a key and a value", std::nullopt;
    return k;
}

std::optional<WinappExclude> ParseWinappExclude(std::string_view value, std::string& reason) {
    const auto parts = Split(value, '|');
    const std::string kind = AsciiLower(parts[0]);
    WinappExclude x;
    if (kind == "reg") {
        x.kind = WinappExclude::Kind::Reg;
        if (parts.size() < 2 || !SplitKey(parts[1], x.root, x.key, reason)) return reason = "no key", std::nullopt;
        if (parts.size() > 2 && !parts[2].empty()) x.value = std::string(parts[2]);
        return x;
    }
    if (kind != "file" && kind != "path") return reason = "unknown exclusion kind", std::nullopt;
    x.kind = kind == "file" ? WinappExclude::Kind::File : WinappExclude::Kind::Path;
    if (parts.size() < 2) return reason = "no folder", std::nullopt;
    x.folder = CleanFolder(parts[1]);
    if (!IsRootedFolder(x.folder, reason)) return std::nullopt;
    if (parts.size() > 2) x.pattern = std::string(parts[2]);
    if (x.kind == WinappExclude::Kind::File && x.pattern.empty()) {
        // FILE|folder\name.ext: the name is the last part of the folder text.
        const size_t slash = x.folder.find_last_of('\\');
        // Trimmed as the name of the explicit form "FILE|folder|name" is, which the stored import uses.
        if (slash != std::string::npos) x.pattern = std::string(Trim(std::string_view(x.folder).substr(slash + 1)));
        if (x.pattern.empty()) return reason = "no file name", std::nullopt;
        x.folder = CleanFolder(x.folder.substr(0, slash));  // "a\\b.log" leaves "a\" otherwise
        if (!IsRootedFolder(x.folder, reason)) return std::nullopt;
    }
    return x;
}

std::string WinappFileKeyText(const WinappFileKey& k) {
    std::string out = k.folder + "|";
    for (size_t i = 0; i < k.patterns.size(); ++i) out += (i ? ";" : "") + k.patterns[i];
    if (k.removeSelf) out += "|REMOVESELF";
    else if (k.recurse) out += "|RECURSE";
    return out;
}

std::string WinappRegKeyText(const WinappRegKey& k) {
    return std::string(RootName(k.root)) + "\\" + k.key + (k.value ? "|" + *k.value : std::string());
}

std::string WinappExcludeText(const WinappExclude& x) {
    switch (x.kind) {
    case WinappExclude::Kind::Reg:
        return "REG|" + std::string(RootName(x.root)) + "\\" + x.key + (x.value ? "|" + *x.value : std::string());
    case WinappExclude::Kind::File: return "FILE|" + x.folder + "\\|" + x.pattern;
    default: return "PATH|" + x.folder + "\\" + (x.pattern.empty() ? std::string() : "|" + x.pattern);
    }
}

WinappReadResult ReadWinappIni(std::string_view bytes, const AnsiToUtf8& ansi) {
    WinappReadResult result;
    if (bytes.size() > kMaxWinappFileBytes) {
        result.error = "the file is larger than 16 MiB";
        return result;
    }
    std::string converted;
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        if (!IsValidUtf8(bytes)) {
            result.error = "the file says it is UTF-8 but is not";
            return result;
        }
    } else if (!IsValidUtf8(bytes)) {
        if (!ansi || !ansi(bytes, converted)) {
            result.error = "the file is neither UTF-8 nor text of this system's code page";
            return result;
        }
        bytes = converted;
    }
    if (bytes.find('\0') != std::string_view::npos) {
        result.error = "the file holds zero bytes (UTF-16 files are not read)";
        return result;
    }
    Reader reader(result);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() <= kMaxLineBytes) reader.Line(line);
        start = end + 1;
    }
    reader.Finish();
    result.ok = true;
    return result;
}
