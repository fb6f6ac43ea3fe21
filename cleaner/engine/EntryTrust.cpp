#include "engine/EntryTrust.h"

#include "engine/ProtectedPlaces.h"
#include "engine/RegistryRules.h"

#include <algorithm>
#include <cctype>

namespace {

EntryVerdict Refused(EntryVerdict v, const char* reason) {
    v.allowed = false;
    v.reason = reason;
    return v;
}

EntryVerdict Allowed(EntryVerdict v, bool reachesUserFiles) {
    v.allowed = true;
    v.reachesUserFiles = reachesUserFiles;
    v.reason = "";
    return v;
}

const char* UntrustedRefusal(const EntryRecord& record) {
    if (!record.IsFileKind() && !record.IsRegistryKind()) return "unknown entry kind";
    if (!IsPredefinedRootKey(record.rootKey)) return "unknown registry root";
    return "registry value entry without a value name";
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A component named like a DOS device (CON, NUL, COM1...; also with an extension or trailing
// spaces) opens that device in any folder, whatever the path around it says.
bool NamesDevice(const std::string& path) {
    static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        std::string name = path.substr(start, std::min(path.find('.', start), end) - start);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const bool numbered = name.size() == 4 && (name.compare(0, 3, "com") == 0 || name.compare(0, 3, "lpt") == 0) &&
                              name[3] >= '1' && name[3] <= '9';
        if (numbered || std::find(std::begin(kDevices), std::end(kDevices), name) != std::end(kDevices)) return true;
        start = end + 1;
    }
    return false;
}

// A standard installation: special folders by their default place, nothing resolved further.
class StandardEntryPlaces : public EntryPlaces {
public:
    StandardEntryPlaces() : guard_(BuildProtectedSet(StandardLayout())) {}

    std::string ResolvedPath(const EntryRecord& record) const override {
        if (record.Kind() == RemKind::RegistryFolderFiles) return {};
        if (record.folderId == 0) return record.path;
        const auto it = StandardLayout().special.find(record.folderId);
        if (it == StandardLayout().special.end()) return {};
        std::string path = it->second;
        if (!record.path.empty() && !IsSeparator(record.path[0])) path += '\\';
        return path + record.path;
    }
    const WalkRootGuard& Guard() const override { return guard_; }
    bool IsNetworkDrive(char) const override { return false; }

private:
    WalkRootGuard guard_;
};

}  // namespace

const char* StoredPathRefusal(const std::string& path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        if (path.size() >= 3 && (path[2] == '?' || path[2] == '.')) return "device or long-path prefix";
        return "network path";
    }
    if (path.size() >= 3 && IsSeparator(path[0]) && path[1] == '?' && path[2] == '?') return "device or long-path prefix";
    const size_t colon = path.find(':');
    if (colon != std::string::npos) {
        const bool drive = colon == 1 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z');
        if (!drive || path.find(':', colon + 1) != std::string::npos) return "alternate data stream or device name";
    }
    if (NamesDevice(path)) return "alternate data stream or device name";
    return nullptr;
}

EntryVerdict JudgeEntry(const EntryRecord& record, EntrySource source, const EntryPlaces& places) {
    EntryVerdict v;
    if (!IsTrustedEntryRecord(record)) return Refused(v, UntrustedRefusal(record));
    if (record.IsRegistryKind()) {
        if (const char* reason = RegistryRecordRefusal(record)) return Refused(v, reason);
        return Allowed(v, false);
    }

    const bool walk = record.Kind() != RemKind::SingleFile;
    if (record.Kind() != RemKind::RegistryFolderFiles) {
        if (record.folderId == 0 && record.path.empty()) return Refused(v, "no path");
        if (const char* reason = StoredPathRefusal(record.path)) return Refused(v, reason);
        if (record.folderId == 0 && !IsAbsolutePath(record.path)) return Refused(v, "relative path");
    }
    v.path = places.ResolvedPath(record);
    // Nothing to judge yet: the engine's guard judges the folder or file when the entry runs.
    if (v.path.empty()) return Allowed(v, false);
    if (const char* reason = StoredPathRefusal(v.path)) return Refused(v, reason);
    if (v.path.size() >= 2 && v.path[1] == ':' && places.IsNetworkDrive(v.path[0])) return Refused(v, "network path");

    const WalkRootGuard& guard = places.Guard();
    if (walk && guard.IsAtOrAboveProtected(v.path))
        return Refused(v, WalkRootGuard::IsVolumeRoot(v.path) ? "walks a drive or share root"
                                                               : "walks a system or profile folder, or one that holds one");
    const PlaceVerdict place = guard.PlaceOf(v.path);
    v.place = place.label;
    if (place.kind == PlaceKind::Open) return Allowed(v, false);
    if (place.kind == PlaceKind::KeyMaterial) return Refused(v, "reaches keys, certificates or credentials");
    // The user's own files: only the user's own target, and a walk only once confirmed.
    if (source != EntrySource::CustomTarget || record.Kind() == RemKind::RegistryFolderFiles)
        return Refused(v, "reaches the user's own files");
    if (walk && !record.confirmed) {
        v.needsConfirmation = true;
        return Refused(v, "walks the user's own files without the user's confirmation");
    }
    return Allowed(v, true);
}

const EntryPlaces& StandardPlaces() {
    static const StandardEntryPlaces places;
    return places;
}
