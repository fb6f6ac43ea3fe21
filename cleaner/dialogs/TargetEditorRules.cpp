#include "dialogs/TargetEditorRules.h"

#include <utility>

namespace target_editor {

const char* const kNameEmpty = "Please enter the name of target!";
const char* const kNameTooLong = "The name can contains maximum 32 characters!";
const char* const kFieldsEmpty = "Please fill all fields!";

namespace {
constexpr uint32_t kRoots[kRootCount] = {0x80000000u, 0x80000001u, 0x80000002u, 0x80000005u, 0x80000003u};

bool HasControlCharacter(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
    return false;
}

// "X:\..." or "\\server\share\...": anything else would be taken from the current folder.
bool IsAbsolute(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) {
        const char d = path[0];
        return (d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z');
    }
    if (path.size() < 5 || path[0] != '\\' || path[1] != '\\') return false;
    const size_t share = path.find('\\', 2);
    return share != std::string::npos && share > 2 && share + 1 < path.size();
}

bool IsRegistryKind(int kind) { return kind >= 4 && kind <= 6; }

// Characters of UTF-8 text: every byte that does not continue a sequence.
size_t CharacterCount(const std::string& text) {
    size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

// One field: bounded, no control characters; an absolute path where it names a file or folder.
std::string CheckField(const std::string& value, const char* what, bool path) {
    if (value.size() > kMaxFieldLength)
        return std::string("The ") + what + " can contain at most 259 characters!";
    if (HasControlCharacter(value)) return std::string("The ") + what + " must not contain control characters!";
    if (path && !IsAbsolute(value))
        return std::string("The ") + what +
               " must be a full path that starts with a drive (C:\\...) or a share (\\\\server\\share\\...)!";
    return {};
}
}  // namespace

uint32_t RootKeyOfIndex(int index) { return index >= 0 && index < kRootCount ? kRoots[index] : 0; }

int IndexOfRootKey(uint32_t rootKey) {
    for (int i = 0; i < kRootCount; ++i)
        if (kRoots[i] == rootKey) return i;
    return -1;
}

std::string Check(const Fields& f) {
    if (f.name.empty()) return kNameEmpty;
    if (CharacterCount(f.name) > kMaxNameLength) return kNameTooLong;
    if (HasControlCharacter(f.name)) return "The name must not contain control characters!";

    // Required fields first, as the editor always asked for them.
    switch (f.kind) {
    case 1: if (f.file.empty()) return kFieldsEmpty; break;
    case 2: if (f.folder.empty()) return kFieldsEmpty; break;
    case 3: if (f.folder.empty() || f.wildcard.empty()) return kFieldsEmpty; break;
    case 4: if (f.subKey.empty() || f.valueName.empty()) return kFieldsEmpty; break;
    case 5: if (f.subKey.empty() || f.valueName.empty()) return kFieldsEmpty; break;
    case 6: if (f.subKey.empty()) return kFieldsEmpty; break;
    default: return kFieldsEmpty;
    }
    // A registry kind without a root names no key at all.
    if (IsRegistryKind(f.kind) && RootKeyOfIndex(f.root) == 0) return kFieldsEmpty;

    std::string problem;
    switch (f.kind) {
    case 1: problem = CheckField(f.file, "file path", true); break;
    case 2: problem = CheckField(f.folder, "folder", true); break;
    case 3:
        problem = CheckField(f.folder, "folder", true);
        if (problem.empty()) problem = CheckField(f.wildcard, "wildcard", false);
        if (problem.empty() && f.wildcard.find('\\') != std::string::npos)
            problem = "The wildcard must not contain a backslash!";
        break;
    default:
        problem = CheckField(f.subKey, "sub-key path", false);
        if (problem.empty() && f.kind != 6) problem = CheckField(f.valueName, "value name", false);
        break;
    }
    if (!problem.empty()) return problem;
    // A folder path with its added backslash must still fit a stored record.
    if ((f.kind == 2 || f.kind == 3) && f.folder.back() != '\\' && f.folder.size() + 1 > kMaxFieldLength)
        return "The folder can contain at most 258 characters!";
    // The engine reads value names of up to 127 characters: a longer prefix, suffix or part could
    // never match one.
    if (f.kind == 5 && f.valueName.size() > kMaxPatternLength &&
        (f.valueName.front() == '*' || f.valueName.back() == '*'))
        return "A value name that starts or ends with \"*\" can contain at most 127 characters!";
    return {};
}

std::string CheckStoredForm(const Fields& f, const std::function<bool(const std::string&)>& storable) {
    const std::pair<const char*, const std::string*> texts[] = {
        {"name", &f.name},
        {"file path", f.kind == 1 ? &f.file : nullptr},
        {"folder", f.kind == 2 || f.kind == 3 ? &f.folder : nullptr},
        {"wildcard", f.kind == 3 ? &f.wildcard : nullptr},
        {"sub-key path", IsRegistryKind(f.kind) ? &f.subKey : nullptr},
        {"value name", f.kind == 4 || f.kind == 5 ? &f.valueName : nullptr},
    };
    for (const auto& [what, text] : texts) {
        if (!text || storable(*text)) continue;
        return std::string("The ") + what + " \"" + *text +
               "\" holds characters that Tracelorn cannot store in its custom targets file on this "
               "system (it keeps them in the system's ANSI code page). Choose a " + what +
               " without them; the target is not saved.";
    }
    return {};
}

EntryRecord BuildEntry(const Fields& f) {
    EntryRecord e;
    e.kind = static_cast<uint32_t>(f.kind);
    switch (f.kind) {
    case 1:
        e.path = f.file;
        e.recurse = false;
        break;
    case 2:
    case 3:
        e.path = f.folder;
        if (e.path.empty() || e.path.back() != '\\') e.path += '\\';
        e.recurse = f.recurse;
        if (f.kind == 3) e.mask = f.wildcard;
        break;
    case 4:
        e.rootKey = RootKeyOfIndex(f.root);
        e.path = f.subKey;
        e.valueName = f.valueName;
        e.recurse = f.recurse;
        break;
    case 5:
        e.rootKey = RootKeyOfIndex(f.root);
        e.key = f.subKey;
        e.valueName = f.valueName;
        e.hasPattern = true;
        e.recurse = false;
        break;
    default:
        e.rootKey = RootKeyOfIndex(f.root);
        e.key = f.subKey;
        e.recurse = true;
        break;
    }
    return e;
}

void FillFrom(const EntryRecord& e, Fields& f) {
    f.kind = static_cast<int>(e.kind);
    switch (f.kind) {
    case 1: f.file = e.path; break;
    case 2:
    case 3:
        f.folder = e.path;
        f.recurse = e.recurse;
        if (f.kind == 3) f.wildcard = e.mask;
        break;
    case 4:
        f.root = IndexOfRootKey(e.rootKey);
        f.subKey = e.path;
        f.valueName = e.valueName;
        f.recurse = e.recurse;
        break;
    case 5:
    case 6:
        f.root = IndexOfRootKey(e.rootKey);
        f.subKey = e.key;
        if (f.kind == 5) f.valueName = e.valueName;
        break;
    default: f.kind = 1; break;
    }
}

std::string RefusedFolderMessage(const std::string& folder, bool driveRoot) {
    if (driveRoot)
        return "\"" + folder + "\" is the root of a drive. Tracelorn never empties a whole drive, so this "
               "target would clean nothing.";
    return "\"" + folder + "\" is a protected folder: the Windows folder, a program folder, a user's "
           "profile, Documents or another folder of the system, or a folder that holds one. Tracelorn "
           "never empties it, so this target would clean nothing.";
}

std::string RefusedRegistryMessage(const EntryRecord& e) {
    const std::string& key = e.Kind() == RemKind::RegistryFolderFiles ? e.path : e.key;
    bool root = true;
    for (const char c : key)
        if (c != '\\' && c != ' ') root = false;
    if (root)
        return "This is the root of a registry hive. Tracelorn never empties a whole hive, so this target "
               "would clean nothing.";
    return "The key \"" + key + "\" is too close to the root of the registry or is a key Windows is "
           "built on (Run, Shell Folders, Policies, Uninstall, Services, the classes and their verbs, or the "
           "first levels of Software\\Microsoft): a key Tracelorn empties whole, or of all its values, must "
           "lie at least three levels below its root (as Software\\Vendor\\Product). Tracelorn never empties "
           "it, so this target would clean nothing. To remove single values there, name them.";
}

std::string RefusedPlaceMessage(const std::string& path, const std::string& place, bool keyMaterial) {
    if (keyMaterial)
        return "\"" + path + "\" lies among " + place + ". Without them every password, certificate and "
               "encrypted file they guard becomes unreadable, so Tracelorn never removes anything there.";
    return "\"" + path + "\" lies in " + place + ", among your own files. Tracelorn never empties it or "
           "anything above it; a target may name a single file there, or a folder below it.";
}

std::string ConfirmUserFilesMessage(const EntryRecord& e, const std::string& folder, const std::string& place) {
    const std::string what =
        e.Kind() == RemKind::FolderWildcard ? "every file matching \"" + e.mask + "\" in it" : "every file in it";
    return "\"" + folder + "\" lies in " + place +
           ". What is there are your own files, not traces that programs leave behind.\n\n"
           "With this target selected, every Kill deletes " + what +
           (e.recurse ? " and in all of its subfolders" : "") +
           ", including files you put there later. Deleted files do not go to the Recycle Bin and cannot be "
           "recovered.\n\nDelete these files on every Kill?";
}

}  // namespace target_editor
