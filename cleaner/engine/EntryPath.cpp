#include "engine/EntryPath.h"

#include "engine/WalkRootGuard.h"
#include "platform/RegistryRoot.h"
#include "platform/Text.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

std::string RegistryFolder(const EntryRecord& entry) {
    if (!IsPredefinedRootKey(entry.rootKey)) return {};
    std::wstring key, value;
    if (!WideFromUtf8(entry.path, key) || !WideFromUtf8(entry.valueName, value)) return {};
    wchar_t folder[MAX_PATH] = {};
    if (::SHRegGetPathW(RootKeyHandle(entry.rootKey), key.c_str(), value.c_str(), folder, 0) != ERROR_SUCCESS)
        return {};
    std::string text;
    if (!Utf8FromWide(folder, text) || !IsAbsolutePath(text)) return {};
    // The walk appends names directly, so a folder read without its separator finds nothing useful.
    if (!text.empty() && text.back() != '\\') text += '\\';
    return text;
}

}  // namespace

std::string ResolveEntryPath(const EntryRecord& entry) {
    if (entry.Kind() == RemKind::RegistryFolderFiles) return RegistryFolder(entry);
    // A relative path would be taken from the current folder, which for a program started by the
    // Run key is System32: it names nothing.
    if (entry.folderId == 0) return IsAbsolutePath(entry.path) ? entry.path : std::string();
    // Folder ids are 1..255; the bits above are call flags (create, no verify), never a folder.
    if (entry.folderId < 0 || entry.folderId > 0xFF) return {};

    wchar_t folder[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, folder, entry.folderId, FALSE) || folder[0] == 0) return {};
    std::string text;
    if (!Utf8FromWide(folder, text)) return {};
    if (entry.path.empty() || entry.path.front() != '\\') text += '\\';
    text += entry.path;
    return text;
}
