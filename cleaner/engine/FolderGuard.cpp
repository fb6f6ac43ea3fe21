#include "engine/FolderGuard.h"

#include "engine/EntryPath.h"
#include "engine/ProtectedPlaces.h"
#include "platform/FileByHandle.h"
#include "platform/Handles.h"
#include "platform/Text.h"

#include <windows.h>
#include <shlobj.h>
#include <knownfolders.h>

#include <mutex>
#include <utility>
#include <vector>

namespace {

std::string SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return Utf8FromWide(path);
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
    CoTaskWideString path;
    if (FAILED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, path.Receive())) || !path) return {};
    return Utf8FromWide(path.Get());
}

std::string Canonical(const std::string& path) {
    if (!IsAbsolutePath(path)) return {};
    // Opening the folder itself (backup semantics) and asking for its final name resolves links,
    // junctions, 8.3 names and "." / "..", the way the file system will when the walk runs.
    FileHandle handle(::CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return {};
    return FinalPathOf(handle.Get());
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// A path in its resolved form; a file or folder that does not exist (yet) is placed by its
// resolved parent folder.
std::string ResolvedForm(const std::string& path) {
    std::string full = FullPathName(path);
    while (full.size() > 3 && (full.back() == '\\' || full.back() == '/')) full.pop_back();
    if (full.empty()) return {};
    const std::string canonical = Canonical(full);
    if (!canonical.empty()) return canonical;
    const std::string parent = Canonical(ParentFolder(full));
    return parent.empty() ? full : parent + full.substr(full.find_last_of('\\'));
}

std::vector<std::string> OtherForms(const std::string& folder) {
    const std::string canonical = Canonical(folder);
    if (canonical.empty() || NormaliseFolderForCompare(canonical) == NormaliseFolderForCompare(folder)) return {};
    return {canonical};
}

// A text value, with its environment references expanded (RegGetValueW refuses to expand unasked).
std::string RegistryText(HKEY root, const wchar_t* subkey, const wchar_t* value) {
    DWORD size = 0;
    const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    if (::RegGetValueW(root, subkey, value, flags, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegGetValueW(root, subkey, value, flags, nullptr, &text[0], &size) != ERROR_SUCCESS) return {};
    const std::wstring raw(TrimNul(text));
    const DWORD needed = ::ExpandEnvironmentStringsW(raw.c_str(), nullptr, 0);
    if (needed == 0) return {};
    std::wstring expanded(needed, L'\0');
    if (::ExpandEnvironmentStringsW(raw.c_str(), &expanded[0], needed) == 0) return {};
    return Utf8FromWide(TrimNul(expanded));
}

// Every OneDrive account names its folder; a business account's folder needs no "OneDrive" prefix.
std::vector<std::string> OneDriveAccountFolders() {
    std::vector<std::string> folders;
    RegKey accounts;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\OneDrive\\Accounts", 0, KEY_READ,
                        accounts.Receive()) != ERROR_SUCCESS)
        return folders;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (::RegEnumKeyExW(accounts.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::string folder = RegistryText(accounts.Get(), name, L"UserFolder");
        if (!folder.empty()) folders.push_back(folder);
    }
    return folders;
}

// Folders of `parent` whose names match `pattern`.
std::vector<std::string> FoldersMatching(const std::string& parent, const char* pattern) {
    std::vector<std::string> found;
    if (parent.empty()) return found;
    WIN32_FIND_DATAW fd;
    FindHandle find(::FindFirstFileW(SystemPath(parent + "\\" + pattern).c_str(), &fd));
    if (!find) return found;
    do {
        const std::string name = Utf8FromWide(fd.cFileName);
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            found.push_back(parent + "\\" + name);
    } while (::FindNextFileW(find.Get(), &fd));
    return found;
}

PlaceLayout MachineLayout() {
    PlaceLayout layout;
    for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
                      CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA,
                      CSIDL_PROFILE, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY,
                      CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO, CSIDL_FAVORITES, CSIDL_STARTMENU,
                      CSIDL_PROGRAMS, CSIDL_STARTUP, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_DESKTOPDIRECTORY,
                      CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_FAVORITES,
                      CSIDL_COMMON_PICTURES, CSIDL_COMMON_MUSIC, CSIDL_COMMON_VIDEO, CSIDL_TEMPLATES,
                      CSIDL_SENDTO, CSIDL_FONTS})
        layout.special[csidl] = SpecialFolder(csidl);
    const struct {
        const KNOWNFOLDERID* id;
        const char* label;
    } libraries[] = {{&FOLDERID_Documents, "your Documents folder"},
                     {&FOLDERID_Desktop, "your Desktop"},
                     {&FOLDERID_Pictures, "your Pictures folder"},
                     {&FOLDERID_Music, "your Music folder"},
                     {&FOLDERID_Videos, "your Videos folder"},
                     {&FOLDERID_Downloads, "your Downloads folder"},
                     {&FOLDERID_PublicDocuments, "the Documents every user of this computer shares"},
                     {&FOLDERID_PublicDesktop, "the Desktop every user of this computer shares"},
                     {&FOLDERID_PublicPictures, "the Pictures every user of this computer shares"},
                     {&FOLDERID_PublicMusic, "the Music every user of this computer shares"},
                     {&FOLDERID_PublicVideos, "the Videos every user of this computer shares"},
                     {&FOLDERID_PublicDownloads, "the Downloads every user of this computer shares"}};
    for (const auto& library : libraries) {
        const std::string folder = KnownFolder(*library.id);
        if (!folder.empty()) layout.libraries.emplace_back(folder, library.label);
    }
    const std::string profiles = RegistryText(
        HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", L"ProfilesDirectory");
    layout.profilesDirectory = profiles;
    layout.syncFolders = OneDriveAccountFolders();
    for (const std::string& folder : FoldersMatching(layout.special[CSIDL_PROFILE], "OneDrive*"))
        layout.syncFolders.push_back(folder);
    layout.mailProfiles = FoldersMatching(layout.special[CSIDL_APPDATA] + "\\Thunderbird\\Profiles", "*");
    return layout;
}

const WalkRootGuard& MachineGuard() {
    static const WalkRootGuard guard = BuildProtectedSet(MachineLayout(), OtherForms);
    return guard;
}

// The user's own file or folder a UserFilesPermit lets through, normalised; empty for none. One
// entry runs at a time, but the kill tests of its Scan run on helper threads, which must see it.
std::mutex permitLock;
std::string permittedPath;
bool permittedSingleFile = false;

bool IsSameOrBelow(const std::string& inner, const std::string& folder) {
    if (folder.empty() || inner.size() < folder.size() || inner.compare(0, folder.size(), folder) != 0) return false;
    return inner.size() == folder.size() || inner[folder.size()] == '\\';
}

bool Permitted(const std::string& path, bool file) {
    const std::lock_guard<std::mutex> hold(permitLock);
    if (permittedPath.empty()) return false;
    const std::string n = NormaliseFolderForCompare(path);
    if (permittedSingleFile) return file && n == permittedPath;
    return IsSameOrBelow(n, permittedPath);
}

// A folder the walk may be in: not at or above a protected folder, and inside no protected place
// unless the user's own confirmed walk lies there.
bool MayWalkIn(const std::string& folder) {
    const WalkRootGuard& guard = MachineGuard();
    if (guard.IsAtOrAboveProtected(folder)) return false;
    const PlaceVerdict place = guard.PlaceOf(folder);
    return place.kind == PlaceKind::Open || (place.kind == PlaceKind::UserFiles && Permitted(folder, false));
}

class MachinePlaces : public EntryPlaces {
public:
    std::string ResolvedPath(const EntryRecord& record) const override {
        const std::string path = ResolveEntryPath(record);
        if (path.empty() || !IsAbsolutePath(path)) return path;
        return ResolvedForm(path);
    }
    const WalkRootGuard& Guard() const override { return MachineGuard(); }
    bool IsNetworkDrive(char letter) const override {
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
        return ::GetDriveTypeW(root) == DRIVE_REMOTE;
    }
};

}  // namespace

std::string CanonicalPath(const std::string& path) { return Canonical(path); }

bool MayWalkFolder(const std::string& folder) {
    if (!IsAbsolutePath(folder)) return false;
    const std::string full = FullPathName(folder);
    const std::string canonical = Canonical(folder);
    if (full.empty() || canonical.empty()) return false;
    // Both the name as given and the folder it leads to must be allowed.
    return MayWalkIn(full) && MayWalkIn(canonical);
}

bool MayWalkOpenedFolder(const std::string& fullPath, const std::string& finalPath) {
    if (!IsAbsolutePath(fullPath) || finalPath.empty()) return false;
    return MayWalkIn(fullPath) && MayWalkIn(finalPath);
}

bool MayRemoveFile(const std::string& finalPath) {
    if (finalPath.empty()) return false;
    const PlaceVerdict place = MachineGuard().PlaceOf(finalPath);
    return place.kind == PlaceKind::Open || (place.kind == PlaceKind::UserFiles && Permitted(finalPath, true));
}

bool MayLoadFolderEntry(const std::string& folder) {
    if (!IsAbsolutePath(folder)) return false;
    const std::string full = FullPathName(folder);
    if (full.empty() || !MayWalkIn(full)) return false;
    const std::string canonical = Canonical(folder);
    return canonical.empty() || MayWalkIn(canonical);
}

bool IsInsideFolder(const std::string& path, const std::string& folder) {
    const std::string full = FullPathName(path);
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

const WalkRootGuard& MachineProtectedSet() { return MachineGuard(); }

const EntryPlaces& ThisMachinePlaces() {
    static const MachinePlaces places;
    return places;
}

UserFilesPermit::UserFilesPermit(const std::string& path, bool singleFile) : previousSingleFile_(false) {
    const std::string resolved = NormaliseFolderForCompare(path.empty() ? std::string() : ResolvedForm(path));
    const std::lock_guard<std::mutex> hold(permitLock);
    previousPath_ = std::exchange(permittedPath, resolved);
    previousSingleFile_ = std::exchange(permittedSingleFile, singleFile);
}

UserFilesPermit::~UserFilesPermit() {
    const std::lock_guard<std::mutex> hold(permitLock);
    permittedPath = std::move(previousPath_);
    permittedSingleFile = previousSingleFile_;
}
