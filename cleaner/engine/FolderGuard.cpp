#include "engine/FolderGuard.h"

#include "engine/WalkRootGuard.h"
#include "platform/Text.h"
#include "platform/Handles.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace {

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    return ::SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? std::string(path) : std::string();
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD n = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return (n == 0 || n >= MAX_PATH) ? std::string() : std::string(full, n);
}

std::string Canonical(const std::string& path) {
    if (!IsAbsolutePath(path)) return {};
    // Opening the folder itself (backup semantics) and asking for its final name resolves links,
    // junctions, 8.3 names and "." / "..", the way the file system will when the walk runs.
    FileHandle handle(::CreateFileW(WideFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return {};
    std::wstring name(512, L'\0');
    for (;;) {
        const DWORD n = ::GetFinalPathNameByHandleW(handle.Get(), &name[0], static_cast<DWORD>(name.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return {};
        if (n < name.size()) {
            name.resize(n);
            break;
        }
        name.resize(n + 1);
    }
    if (name.rfind(L"\\\\?\\UNC\\", 0) == 0) name.erase(2, 6);
    else if (name.rfind(L"\\\\?\\", 0) == 0) name.erase(0, 4);
    return Utf8FromWide(name);
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void AddBothForms(std::vector<std::string>& folders, const std::string& folder) {
    if (folder.empty()) return;
    folders.push_back(folder);
    const std::string canonical = Canonical(folder);
    if (!canonical.empty()) folders.push_back(canonical);
}

std::string ProfilesDirectory() {
    char raw[MAX_PATH] = {};
    DWORD size = sizeof(raw);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                       "ProfilesDirectory", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, raw,
                       &size) != ERROR_SUCCESS)
        return {};
    char expanded[MAX_PATH] = {};
    const DWORD n = ::ExpandEnvironmentStringsA(raw, expanded, MAX_PATH);
    return (n == 0 || n > MAX_PATH) ? std::string() : std::string(expanded);
}

WalkRootGuard BuildMachineGuard() {
    std::vector<std::string> folders;
    for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
                      CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA,
                      CSIDL_PROFILE, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY,
                      CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO, CSIDL_FAVORITES, CSIDL_STARTMENU,
                      CSIDL_PROGRAMS, CSIDL_STARTUP, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_DESKTOPDIRECTORY,
                      CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_FAVORITES,
                      CSIDL_COMMON_PICTURES, CSIDL_COMMON_MUSIC, CSIDL_COMMON_VIDEO, CSIDL_TEMPLATES,
                      CSIDL_SENDTO, CSIDL_FONTS})
        AddBothForms(folders, SpecialFolder(csidl));
    const std::string profile = SpecialFolder(CSIDL_PROFILE);
    if (!profile.empty()) AddBothForms(folders, profile + "\\Downloads");
    const std::string local = SpecialFolder(CSIDL_LOCAL_APPDATA);
    if (!local.empty()) AddBothForms(folders, ParentFolder(local) + "\\LocalLow");

    std::vector<std::string> containers;
    AddBothForms(containers, ParentFolder(profile));
    AddBothForms(containers, ProfilesDirectory());
    return WalkRootGuard(std::move(folders), std::move(containers));
}

const WalkRootGuard& MachineGuard() {
    static const WalkRootGuard guard = BuildMachineGuard();
    return guard;
}

}  // namespace

std::string CanonicalPath(const std::string& path) { return Canonical(path); }

bool MayWalkFolder(const std::string& folder) {
    if (!IsAbsolutePath(folder)) return false;
    const std::string full = FullPath(folder);
    const std::string canonical = Canonical(folder);
    if (full.empty() || canonical.empty()) return false;
    // Both the name as given and the folder it leads to must be allowed.
    return MachineGuard().MayWalk(full) && MachineGuard().MayWalk(canonical);
}

bool MayWalkOpenedFolder(const std::string& fullPath, const std::string& finalPath) {
    if (!IsAbsolutePath(fullPath) || finalPath.empty()) return false;
    return MachineGuard().MayWalk(fullPath) && MachineGuard().MayWalk(finalPath);
}

bool MayRemoveFile(const std::string& finalPath) { return !finalPath.empty(); }

bool MayLoadFolderEntry(const std::string& folder) {
    if (!IsAbsolutePath(folder)) return false;
    const std::string full = FullPath(folder);
    if (full.empty() || !MachineGuard().MayWalk(full)) return false;
    const std::string canonical = Canonical(folder);
    return canonical.empty() || MachineGuard().MayWalk(canonical);
}

bool IsInsideFolder(const std::string& path, const std::string& folder) {
    const std::string full = FullPath(path);
    std::string resolved = Canonical(full);
    if (resolved.empty() && !full.empty()) {
        // A file that is gone already: its folder decides.
        const std::string parent = Canonical(ParentFolder(full));
        if (!parent.empty()) resolved = parent + full.substr(full.find_last_of('\\'));
    }
    const std::string inner = NormaliseFolderForCompare(resolved);
    const std::string outer = NormaliseFolderForCompare(Canonical(folder));
    if (inner.empty() || outer.empty() || inner.size() <= outer.size()) return false;
    return inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == '\\';
}
