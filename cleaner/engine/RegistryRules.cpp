#include "engine/RegistryRules.h"

#include "engine/ValueNameMatch.h"

#include <vector>

namespace {

constexpr uint32_t kClassesRoot = 0x80000000u;
constexpr uint32_t kCurrentUser = 0x80000001u;
constexpr uint32_t kLocalMachine = 0x80000002u;
constexpr uint32_t kUsers = 0x80000003u;
constexpr uint32_t kCurrentConfig = 0x80000005u;
constexpr size_t kLeastDepth = 3;
constexpr size_t kMicrosoftDepth = 4;

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

bool StartsWithParts(const std::vector<std::string>& parts, std::initializer_list<const char*> head) {
    if (parts.size() < head.size()) return false;
    size_t i = 0;
    for (const char* h : head)
        if (parts[i++] != h) return false;
    return true;
}

}  // namespace

bool PatternMatchesEveryValue(const std::string& pattern) {
    const ValueMatch match = DeriveValueMatch(pattern);
    return match.mode == ValueMatchMode::All || (match.mode == ValueMatchMode::Exact && match.text.empty());
}

namespace {

// Keys Windows is built on: autostart, the shell's folder map, policies, installed programs, the
// environment and logon. Emptying one, anything above one, or anything inside one is refused
// wherever it sits (the 32-bit view, another vendor's copy of the name, a user's or the machine's
// hive alike): nothing there is a trace.
const char* const kStructuralNames[] = {"run",      "runonce",     "runonceex",   "shell folders", "user shell folders",
                                        "policies", "uninstall",   "app paths",   "environment",   "winlogon",
                                        "services", "shellex"};

bool IsStructural(const std::vector<std::string>& parts) {
    for (const std::string& p : parts)
        for (const char* name : kStructuralNames)
            if (p == name) return true;
    return false;
}

// Inside a classes root: CLSID (and the interface tables beside it) and every class's shell verbs.
// "Local Settings" keeps the shell's per-folder view state there, which is a trace.
bool IsStructuralClass(const std::vector<std::string>& classes) {
    if (classes.empty()) return true;
    if (classes[0] == "local settings") return false;
    for (const char* table : {"clsid", "interface", "typelib", "appid"})
        if (classes[0] == table) return true;
    for (size_t i = 1; i < classes.size() && i <= 2; ++i)
        if (classes[i] == "shell" || classes[i] == "shellex") return true;
    return false;
}
}  // namespace

const char* RegistryEmptyRefusal(uint32_t rootKey, const std::string& subkey) {
    static const char* const kShallow = "empties a hive or a key too close to it";
    static const char* const kStructural = "empties a key Windows is built on";
    std::vector<std::string> parts = Components(subkey);
    // A "*" component reaches every subkey at its level: the key above the first one must be a key
    // that could be emptied itself, so "Software\*\*" cannot reach every vendor's tree.
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i] != "*") continue;
        std::string above;
        for (size_t j = 0; j < i; ++j) above += (j ? "\\" : "") + parts[j];
        if (i == 0 || RegistryEmptyRefusal(rootKey, above)) return "names every key below a key that may not be emptied";
        break;
    }
    // The 32-bit view mirrors the same trees one level down.
    if (parts.size() >= 2 && parts[0] == "software" && parts[1] == "wow6432node") parts.erase(parts.begin() + 1);
    if (rootKey == kLocalMachine &&
        (StartsWithParts(parts, {"system"}) || StartsWithParts(parts, {"software", "microsoft", "windows nt"})))
        return kStructural;
    // HKEY_CURRENT_CONFIG is the current hardware profile inside HKLM\SYSTEM: only the Software
    // branch it keeps for programs is theirs.
    if (rootKey == kCurrentConfig && !StartsWithParts(parts, {"software"})) return kStructural;
    // HKEY_USERS starts with the account; the depth counts from that account's root.
    if (rootKey == kUsers) {
        if (parts.empty()) return kShallow;
        parts.erase(parts.begin());
    }
    if (rootKey == kClassesRoot || ((rootKey == kCurrentUser || rootKey == kLocalMachine || rootKey == kUsers) &&
                                    StartsWithParts(parts, {"software", "classes"}))) {
        std::vector<std::string> classes(parts.begin() + (rootKey == kClassesRoot ? 0 : 2), parts.end());
        if (!classes.empty() && classes[0] == "wow6432node") classes.erase(classes.begin());
        if (IsStructuralClass(classes)) return kStructural;
        return classes.size() >= kLeastDepth ? nullptr : kShallow;
    }
    if (IsStructural(parts)) return kStructural;
    // Microsoft's own tree holds the system's settings in its first levels; the lists that are
    // traces (Explorer\RecentDocs, Office\16.0\Word\File MRU) sit four levels down or more.
    if (StartsWithParts(parts, {"software", "microsoft"}) && parts.size() < 2 + kMicrosoftDepth)
        return "empties a key in the first levels of Microsoft's own tree";
    return parts.size() >= kLeastDepth ? nullptr : kShallow;
}

bool MayEmptyRegistryKey(uint32_t rootKey, const std::string& subkey) {
    return RegistryEmptyRefusal(rootKey, subkey) == nullptr;
}

const char* RegistryRecordRefusal(const EntryRecord& record) {
    const bool wholeKey = record.kind == static_cast<uint32_t>(RemKind::RegistryKey);
    const bool everyValue =
        record.kind == static_cast<uint32_t>(RemKind::RegistryValues) && PatternMatchesEveryValue(record.valueName);
    if (!wholeKey && !everyValue) return nullptr;
    return RegistryEmptyRefusal(record.rootKey, record.key);
}

bool RegistryRecordIsSafe(const EntryRecord& record) { return RegistryRecordRefusal(record) == nullptr; }
