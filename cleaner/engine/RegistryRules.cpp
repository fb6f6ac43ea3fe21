#include "engine/RegistryRules.h"

#include "engine/ValueNameMatch.h"
#include "engine/WalkRootGuard.h"

#include <vector>

namespace {

constexpr uint32_t kCurrentUser = 0x80000001u;
constexpr uint32_t kLocalMachine = 0x80000002u;
constexpr uint32_t kUsers = 0x80000003u;
constexpr uint32_t kCurrentConfig = 0x80000005u;
constexpr size_t kLeastDepth = 3;

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

bool MayEmptyRegistryKey(uint32_t rootKey, const std::string& subkey) {
    std::vector<std::string> parts = Components(subkey);
    // The 32-bit view mirrors the same trees one level down.
    if (parts.size() >= 2 && parts[0] == "software" && parts[1] == "wow6432node") parts.erase(parts.begin() + 1);
    if (rootKey == kLocalMachine &&
        (StartsWithParts(parts, {"system"}) || StartsWithParts(parts, {"software", "microsoft", "windows nt"})))
        return false;
    // HKEY_CURRENT_CONFIG is the current hardware profile inside HKLM\SYSTEM: only the Software
    // branch it keeps for programs is theirs.
    if (rootKey == kCurrentConfig && !StartsWithParts(parts, {"software"})) return false;
    // HKEY_USERS starts with the account; the depth counts from that account's root.
    if (rootKey == kUsers) {
        if (parts.empty()) return false;
        parts.erase(parts.begin());
    }
    size_t classesStart = 0;
    if ((rootKey == kCurrentUser || rootKey == kLocalMachine || rootKey == kUsers) &&
             StartsWithParts(parts, {"software", "classes"}))
        classesStart = 2;
    return parts.size() >= classesStart + kLeastDepth;
}

bool RegistryRecordIsSafe(const EntryRecord& record) {
    const bool wholeKey = record.kind == static_cast<uint32_t>(RemKind::RegistryKey);
    const bool everyValue =
        record.kind == static_cast<uint32_t>(RemKind::RegistryValues) && PatternMatchesEveryValue(record.valueName);
    if (!wholeKey && !everyValue) return true;
    return MayEmptyRegistryKey(record.rootKey, record.key);
}

bool PassesStoredEntryRules(const EntryRecord& record) {
    if (!IsTrustedEntryRecord(record) || !RegistryRecordIsSafe(record)) return false;
    if (!record.IsFileKind() || record.Kind() == RemKind::RegistryFolderFiles) return true;
    return record.folderId != 0 || IsAbsolutePath(record.path);
}
