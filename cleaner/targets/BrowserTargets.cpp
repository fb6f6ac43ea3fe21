#include "targets/BrowserTargets.h"

#include "engine/DatabaseEntry.h"
#include "targets/BrowserRowTargets.h"
#include "engine/FileEntry.h"
#include "engine/FolderGuard.h"
#include "platform/Handles.h"
#include "targets/BrowserProfile.h"
#include "targets/ProfileLists.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <string>

namespace {

// Room a profile folder must leave for the longest name the targets append to it
// ("formhistory.sqlite-journal", "Network Action Predictor-journal").
constexpr size_t kLongestModernName = 40;

bool IsFolder(const std::string& path) {
    return !path.empty() && path.size() <= kMaxComposedPath && ::PathIsDirectoryA(path.c_str()) != FALSE;
}

// A profile folder is taken as itself only: one that is a link or junction could lead anywhere.
bool IsPlainFolder(const std::string& path) {
    if (!IsFolder(path)) return false;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsFile(const std::string& path) {
    if (path.empty() || path.size() >= MAX_PATH) return false;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The whole of a small file the browser writes; empty when it is missing, unreadable or larger
// than `limit` (a file that large is not the browser's).
std::string ReadSmallFile(const std::string& path, size_t limit) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > limit)
        return std::string();
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && !::ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr))
        return std::string();
    text.resize(read);
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const char* RootSubfolder(Browser browser) {
    switch (browser) {
        case Browser::Netscape: return "\\Netscape\\NSB\\";
        case Browser::Flock: return "\\Flock\\Browser\\";
        default: return "";
    }
}

// --- the Chromium family ---

enum class Base { ProgramFiles, ProgramFilesX86, LocalAppData };

struct InstallPlace {
    Base base;
    const char* path;
};

struct ChromiumSpec {
    Browser browser;
    const char* shortName;  // the prefix of every target name: "Chrome"
    const char* product;    // "Google Chrome"
    // "Google\\Chrome": below the local application-data folder it holds the user data ("User
    // Data"), below an install folder the program ("Application\\<program>").
    const char* folder;
    const char* program;  // "chrome.exe"
    bool ownAppPath;      // whether the "App Paths" entry of the program's name is the browser's alone
    Base places[3];       // the install folders, the browser's usual one first
};

const ChromiumSpec kChromium[] = {
    {Browser::Chrome, "Chrome", "Google Chrome", "Google\\Chrome", "chrome.exe", true,
     {Base::ProgramFiles, Base::ProgramFilesX86, Base::LocalAppData}},
    {Browser::Edge, "Edge", "Microsoft Edge", "Microsoft\\Edge", "msedge.exe", true,
     {Base::ProgramFilesX86, Base::ProgramFiles, Base::LocalAppData}},
    {Browser::Brave, "Brave", "Brave", "BraveSoftware\\Brave-Browser", "brave.exe", true,
     {Base::ProgramFiles, Base::ProgramFilesX86, Base::LocalAppData}},
    {Browser::Vivaldi, "Vivaldi", "Vivaldi", "Vivaldi", "vivaldi.exe", true,
     {Base::LocalAppData, Base::ProgramFiles, Base::ProgramFilesX86}},
    // Chromium's program has Chrome's file name, so its App Paths entry would be Chrome's.
    {Browser::Chromium, "Chromium", "Chromium", "Chromium", "chrome.exe", false,
     {Base::LocalAppData, Base::ProgramFiles, Base::ProgramFilesX86}},
};

// The user-data root below the local application-data folder, with backslashes around it.
std::string UserDataSubfolder(const ChromiumSpec& spec) { return std::string("\\") + spec.folder + "\\User Data\\"; }

// The program below an install folder.
std::string ProgramSubpath(const ChromiumSpec& spec) {
    return std::string(spec.folder) + "\\Application\\" + spec.program;
}

const ChromiumSpec* ChromiumSpecOf(Browser browser) {
    for (const ChromiumSpec& spec : kChromium)
        if (spec.browser == browser) return &spec;
    return nullptr;
}

// Caches in each profile folder and in the user-data root; all rebuilt by the browser.
const char* const kProfileCaches[] = {"Cache", "Code Cache", "GPUCache", "DawnCache", "Media Cache"};
const char* const kRootCaches[] = {"ShaderCache", "GrShaderCache", "GraphiteDawnCache"};
const char* const kHistoryFiles[] = {"Visited Links", "Top Sites", "History Provider Cache",
                                     "Shortcuts", "Network Action Predictor"};
const char* const kSessionFiles[] = {"Current Session", "Current Tabs", "Last Session", "Last Tabs"};

bool AddProfile(std::vector<ProfileFolders>& profiles, std::set<std::string>& seen, const std::string& data,
                const std::string& local) {
    if (data.size() + kLongestModernName > kMaxComposedPath || local.size() + kLongestModernName > kMaxComposedPath)
        return false;
    if (!seen.insert(Lower(data)).second) return false;
    profiles.push_back({data, local});
    return true;
}

// The profile folders of a Chromium-family user-data root: the keys of profile.info_cache in
// Local State; when Local State cannot be read, the "Default" and "Profile N" folders that hold a
// Preferences file. "System Profile" and names that are not one plain folder are never taken.
std::vector<ProfileFolders> ChromiumProfiles(const std::string& root) {
    std::vector<ProfileFolders> profiles;
    std::set<std::string> seen;
    const auto keys = LocalStateProfileKeys(ReadSmallFile(root + "Local State", kMaxLocalStateBytes));
    if (keys) {
        for (const std::string& key : *keys) {
            if (!IsChromiumProfileFolder(key)) continue;
            const std::string folder = root + key + "\\";
            if (IsPlainFolder(folder)) AddProfile(profiles, seen, folder, folder);
        }
        return profiles;
    }
    WIN32_FIND_DATAA fd;
    FindHandle find(::FindFirstFileA((root + "*").c_str(), &fd));
    if (!find) return profiles;
    std::vector<std::string> names;
    do {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsStandardChromiumProfileFolder(fd.cFileName))
            names.push_back(fd.cFileName);
    } while (::FindNextFileA(find.Get(), &fd));
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string folder = root + name + "\\";
        if (IsPlainFolder(folder) && IsFile(folder + "Preferences")) AddProfile(profiles, seen, folder, folder);
    }
    return profiles;
}

BrowserProfileFound DiscoverChromium(const ChromiumSpec& spec, const BrowserFolders& folders) {
    BrowserProfileFound found;
    if (folders.localAppData.empty()) return found;
    const std::string root = folders.localAppData + UserDataSubfolder(spec);
    if (!IsPlainFolder(root)) return found;
    found.profiles = ChromiumProfiles(root);
    if (found.profiles.empty()) return found;
    found.present = true;
    found.userData = root;
    found.lockFiles.push_back(root + "lockfile");
    return found;
}

// --- Firefox and Opera ---

BrowserProfileFound DiscoverFirefox(const BrowserFolders& folders) {
    BrowserProfileFound found;
    if (folders.appData.empty()) return found;
    const std::string root = folders.appData + "\\Mozilla\\Firefox\\";
    const std::string localRoot = folders.localAppData.empty() ? std::string() : folders.localAppData + "\\Mozilla\\Firefox\\";
    std::set<std::string> seen;
    for (const MozillaProfileEntry& entry : ProfilesIniEntries(ReadSmallFile(root + "profiles.ini", kMaxProfilesIniBytes))) {
        std::string data, local;
        if (entry.relative) {
            const auto relative = MozillaRelativeProfile(entry.path);
            if (!relative) continue;
            data = root + *relative + "\\";
            local = localRoot.empty() ? data : localRoot + *relative + "\\";
        } else {
            // A profile elsewhere keeps its caches inside itself. It must be a Firefox profile and
            // a folder a walk may enter, or a crafted profiles.ini could aim the targets anywhere.
            const auto absolute = MozillaAbsoluteProfile(entry.path);
            if (!absolute || !MayWalkFolder(*absolute)) continue;
            data = local = *absolute + "\\";
            if (!IsFile(data + "prefs.js")) continue;
        }
        if (!IsPlainFolder(data)) continue;
        if (!AddProfile(found.profiles, seen, data, local)) continue;
        found.lockFiles.push_back(data + "parent.lock");
    }
    if (found.profiles.empty()) return found;
    found.present = true;
    found.profile = found.profiles.front().data;
    return found;
}

BrowserProfileFound DiscoverOpera(const BrowserFolders& folders) {
    BrowserProfileFound found;
    if (folders.appData.empty()) return found;
    const std::string old = folders.appData + "\\Opera\\Opera\\Profile\\";
    if (old.size() + kLongestProfileFileName <= kMaxComposedPath && IsFolder(old)) found.profile = old;
    // Today's Opera keeps its one profile in the user-data folder itself, and its cache below the
    // local application-data folder.
    const std::string data = folders.appData + "\\Opera Software\\Opera Stable\\";
    if (IsPlainFolder(data)) {
        const std::string local =
            folders.localAppData.empty() ? data : folders.localAppData + "\\Opera Software\\Opera Stable\\";
        std::set<std::string> seen;
        if (AddProfile(found.profiles, seen, data, local)) {
            found.userData = data;
            found.lockFiles.push_back(data + "lockfile");
        }
    }
    found.present = !found.profile.empty() || !found.profiles.empty();
    return found;
}

// --- entries ---

std::unique_ptr<RemEntry> SingleFileEntry(const std::string& path) {
    EntryRecord record;
    record.SetKind(RemKind::SingleFile);
    record.path = path;
    record.recurse = false;
    return std::make_unique<FileEntry>(record);
}

std::unique_ptr<RemEntry> FolderFilesEntry(const std::string& path, bool recurse = true) {
    return std::make_unique<FileEntry>(FileEntry::FolderRecord(RemKind::FolderFiles, 0, path, std::string(), recurse));
}

std::unique_ptr<RemEntry> WildcardEntry(const std::string& folder, const std::string& mask) {
    return std::make_unique<FileEntry>(FileEntry::FolderRecord(RemKind::FolderWildcard, 0, folder, mask, false));
}

std::unique_ptr<RemEntry> Database(const std::string& path) { return std::make_unique<DatabaseEntry>(path); }

// The gate of a browser's targets: skipped while any lock file is held.
Target::RunGate LockGate(std::vector<std::string> lockFiles, std::string targetName, const char* product) {
    if (lockFiles.empty()) return nullptr;
    return [lockFiles = std::move(lockFiles), targetName = std::move(targetName), product] {
        for (const std::string& lock : lockFiles)
            if (IsFileHeldOpen(lock))
                return targetName + " skipped: " + product + " is running. Close " + product + " and try again.";
        return std::string();
    };
}

// The caches, cookies and history of a Chromium-style profile (also today's Opera).
void AddChromiumCaches(Target& target, const ProfileFolders& p) {
    for (const char* cache : kProfileCaches) {
        target.AddEntry(FolderFilesEntry(p.data + cache + "\\"));
        if (p.local != p.data) target.AddEntry(FolderFilesEntry(p.local + cache + "\\"));
    }
    AddChromiumNewCaches(target, p.data);
}

void AddChromiumRootCaches(Target& target, const std::string& root) {
    for (const char* cache : kRootCaches) target.AddEntry(FolderFilesEntry(root + cache + "\\"));
}

void AddChromiumCookies(Target& target, const ProfileFolders& p) {
    AddChromiumCookieRows(target, p.data);
}

void AddChromiumHistory(Target& target, const ProfileFolders& p) {
    AddChromiumHistoryRows(target, p.data);
    for (const char* file : kHistoryFiles) target.AddEntry(Database(p.data + file));
}

class TargetList {
public:
    TargetList(const BrowserProfileFound& found, const char* product) : found_(found), product_(product) {}

    Target& Add(const std::string& name, const std::string& description) {
        targets_.push_back(std::make_unique<Target>(name, description));
        Target& target = *targets_.back();
        target.SetSelected(false);
        if (found_.present) target.SetRunGate(LockGate(found_.lockFiles, name, product_));
        return target;
    }
    std::vector<std::unique_ptr<Target>> Take() { return std::move(targets_); }

private:
    const BrowserProfileFound& found_;
    const char* product_;
    std::vector<std::unique_ptr<Target>> targets_;
};

// A target of an older browser with one profile folder: its name, its description and at most one
// entry in that folder.
enum class Shape { None, File, Folder, Wildcard };
struct ProfileTarget {
    const char* name;
    const char* description;
    Shape shape;       // None: the browser's own code adds what the target removes
    const char* file;  // the file, the folder (ending with a backslash) or the mask in the profile
};

const ProfileTarget kNetscapeTargets[] = {
    {"Netscape Cache", "Kills Netscape saved web pages", Shape::Folder, "Cache\\"},
    {"Netscape Cookies", "Kills Netscape Cookies", Shape::File, "cookies.txt"},
    {"Netscape History", "Kills visited pages history", Shape::File, "history.dat"},
    {"Netscape AutoComplete", "Kills information entered in web page forms and the Search Bar", Shape::File,
     "formhistory.dat"},
    {"Netscape Saved Passwords", "Kills Netscape Passwords data", Shape::Wildcard, "*.r7u"},
    {"Netscape Download History", "Kills Download Manager history", Shape::File, "downloads.rdf"},
    {"Netscape Bookmarks", "Kills Netscape Bookmarks", Shape::Wildcard, "bookmarks.*"},
};

// The cache lies in the local profile; the bookmarks have more than the table says.
const ProfileTarget kFlockTargets[] = {
    {"Flock Cache", "Kills Flock saved web pages", Shape::None, nullptr},
    {"Flock Cookies", "Kills Flock Cookies", Shape::File, "cookies.txt"},
    {"Flock History", "Kills visited pages history", Shape::File, "history.dat"},
    {"Flock AutoComplete", "Kills information entered in web page forms", Shape::File, "formhistory.dat"},
    {"Flock Saved Passwords", "Kills the Passwords data stored by Flock", Shape::File, "signons.txt"},
    {"Flock Download History", "Kills Download Manager history", Shape::File, "downloads.rdf"},
    {"Flock Bookmarks", "Kills Flock Bookmarks", Shape::Wildcard, "bookmarks.*"},
};

// The old Opera's profile; today's Opera adds its Chromium-style data to the first three.
const ProfileTarget kOperaTargets[] = {
    {"Opera Cache", "Kills Opera Cache", Shape::Folder, "CACHE4\\"},
    {"Opera Cookies", "Kills Opera Cookies", Shape::File, "cookies4.dat"},
    {"Opera History", "Kills Opera History", Shape::File, "global.dat"},
    {"Opera Typed URL", "Kills Opera Typed URL", Shape::File, "vlink4.dat"},
    {"Opera Favorites", "Kills Opera Favorites", Shape::File, "opera6.adr"},
};

// Adds the table's targets in its order, with their entries in `profile` when `on`.
template <size_t N>
std::array<Target*, N> AddProfileTargets(TargetList& list, const ProfileTarget (&table)[N], const std::string& profile,
                                         bool on) {
    std::array<Target*, N> targets{};
    for (size_t i = 0; i < N; ++i) {
        const ProfileTarget& row = table[i];
        Target& target = list.Add(row.name, row.description);
        targets[i] = &target;
        if (!on) continue;
        switch (row.shape) {
            case Shape::None: break;
            case Shape::File: target.AddEntry(SingleFileEntry(profile + row.file)); break;
            case Shape::Folder: target.AddEntry(FolderFilesEntry(profile + row.file)); break;
            case Shape::Wildcard: target.AddEntry(WildcardEntry(profile, row.file)); break;
        }
    }
    return targets;
}

void AddChromiumTargets(TargetList& list, const ChromiumSpec& spec, const BrowserProfileFound& found) {
    const std::string b = spec.shortName;
    const bool on = found.present;
    Target& cache = list.Add(b + " Cache", "Kills " + b + " cached web pages and its code, GPU and shader caches, in every profile");
    Target& cookies = list.Add(b + " Cookies", "Kills " + b + " cookies of every profile but those of the sites kept in Options");
    Target& history = list.Add(b + " History",
                               "Kills " + b + " browsing history of every profile, also the download list and the "
                               "address-bar searches; bookmarks stay");
    Target& sessions = list.Add(b + " Sessions", "Kills " + b + " saved sessions of every profile: open tabs and windows are not restored");
    Target& forms = list.Add(b + " AutoComplete",
                             "Kills " + b + " autocomplete entries of web page forms in every profile; saved "
                             "addresses, payment cards and search engines stay");
    Target& passwords = list.Add(b + " Saved Passwords",
                                 "Kills " + b + " saved passwords of every profile, also the sites never to save "
                                 "passwords for");
    if (!on) return;
    for (const ProfileFolders& p : found.profiles) {
        AddChromiumCaches(cache, p);
        AddChromiumCookies(cookies, p);
        AddChromiumHistory(history, p);
        sessions.AddEntry(FolderFilesEntry(p.data + "Sessions\\", false));
        for (const char* file : kSessionFiles) sessions.AddEntry(SingleFileEntry(p.data + file));
        AddChromiumAutocompleteRows(forms, p.data);
        passwords.AddEntry(Database(p.data + "Login Data"));
        passwords.AddEntry(Database(p.data + "Login Data For Account"));
    }
    AddChromiumRootCaches(cache, found.userData);
}

void AddFirefoxTargets(TargetList& list, const BrowserProfileFound& found) {
    const bool on = found.present;
    Target& cache = list.Add("Firefox Cache", "Kills browser saved web pages");
    Target& cookies = list.Add("Firefox Cookies", "Kills Firefox Mozilla Cookies");
    Target& history = list.Add("Firefox History", "Kills visited pages history");
    Target& forms = list.Add("Firefox AutoComplete", "Kills information entered in web page forms and the Search Bar");
    Target& passwords = list.Add("Firefox Saved Passwords", "Kills Firefox Saved Passwords");
    Target& downloads = list.Add("Firefox Download History", "Kills Download Manager history");
    Target& bookmarks = list.Add("Firefox Bookmarks", "Kills Firefox Bookmarks");
    if (!on) return;
    for (const ProfileFolders& p : found.profiles) {
        for (const char* folder : {"Cache", "cache2", "startupCache", "thumbnails", "jumpListCache"})
            cache.AddEntry(FolderFilesEntry(p.local + folder + "\\"));
        cookies.AddEntry(SingleFileEntry(p.data + "cookies.txt"));
        AddFirefoxCookieRows(cookies, p.data);
        history.AddEntry(SingleFileEntry(p.data + "history.dat"));
        AddFirefoxHistoryRows(history, p.data);
        forms.AddEntry(SingleFileEntry(p.data + "formhistory.dat"));
        forms.AddEntry(Database(p.data + "formhistory.sqlite"));
        passwords.AddEntry(SingleFileEntry(p.data + "signons.txt"));
        // Never key4.db: it also holds the keys of the user's certificates.
        passwords.AddEntry(SingleFileEntry(p.data + "logins.json"));
        passwords.AddEntry(SingleFileEntry(p.data + "logins-backup.json"));
        downloads.AddEntry(SingleFileEntry(p.data + "downloads.rdf"));
        bookmarks.AddEntry(WildcardEntry(p.data, "bookmarks.*"));
    }
}

void AddOperaTargets(TargetList& list, const BrowserProfileFound& found) {
    const auto targets = AddProfileTargets(list, kOperaTargets, found.profile, found.present && !found.profile.empty());
    if (!found.present) return;
    Target& cache = *targets[0];
    Target& cookies = *targets[1];
    Target& history = *targets[2];
    for (const ProfileFolders& today : found.profiles) {
        AddChromiumCaches(cache, today);
        AddChromiumCookies(cookies, today);
        AddChromiumHistory(history, today);
    }
    if (!found.profiles.empty()) AddChromiumRootCaches(cache, found.userData);
}

void AddFlockTargets(TargetList& list, const BrowserProfileFound& found, const BrowserFolders& folders) {
    const std::string& p = found.profile;
    const auto targets = AddProfileTargets(list, kFlockTargets, p, found.present);
    if (!found.present) return;
    Target& cache = *targets.front();
    if (!folders.localAppData.empty()) {
        const auto local = ComposeProfilePath(folders.localAppData + "\\Flock\\Browser\\", found.profileValue, "Cache\\");
        if (local) cache.AddEntry(FolderFilesEntry(*local));
    }
    Target& bookmarks = *targets.back();
    bookmarks.AddEntry(SingleFileEntry(p + "flock_favorites.rdf"));
    bookmarks.AddEntry(FolderFilesEntry(p + "bookmarkbackups", false));
}

// --- program paths ---

// A path-valued registry string (environment strings expanded); empty when missing or too long.
std::string RegistryPath(HKEY root, const std::string& subkey, const char* value) {
    char path[MAX_PATH] = {};
    if (::SHRegGetPathA(root, subkey.c_str(), value, path, 0) != ERROR_SUCCESS) return std::string();
    path[MAX_PATH - 1] = 0;
    return path;
}

// HKLM\Software\<key> as this program sees it, then as 32-bit programs see it: a 64-bit cleaner
// must still find a 32-bit browser's installer entries.
std::string MachinePath(const std::string& softwareKey, const char* value) {
    std::string path = RegistryPath(HKEY_LOCAL_MACHINE, "Software\\" + softwareKey, value);
    if (path.empty()) path = RegistryPath(HKEY_LOCAL_MACHINE, "Software\\WOW6432Node\\" + softwareKey, value);
    return path;
}

// <key>\<CurrentVersion>\Main, value `value`.
std::string VersionedMachinePath(const std::string& softwareKey, const char* value) {
    const std::string version = MachinePath(softwareKey, "CurrentVersion");
    if (version.empty()) return std::string();
    return MachinePath(softwareKey + "\\" + version + "\\Main", value);
}

std::string Fitting(std::string path) { return path.size() <= kMaxComposedPath ? path : std::string(); }

std::string Unquoted(std::string path) {
    if (path.size() >= 2 && path.front() == '"') {
        const size_t close = path.find('"', 1);
        path = path.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return path;
}

// The program an "App Paths" entry names, per user first, when that program exists.
std::string AppPath(const char* exe) {
    const std::string key = std::string("Microsoft\\Windows\\CurrentVersion\\App Paths\\") + exe;
    for (const std::string& candidate : {RegistryPath(HKEY_CURRENT_USER, "Software\\" + key, ""), MachinePath(key, "")}) {
        const std::string path = Unquoted(candidate);
        if (IsFile(path)) return path;
    }
    return std::string();
}

std::string SpecialFolder(int id) {
    char path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathA(nullptr, path, id, FALSE)) return std::string();
    return path;
}

std::string InstalledAt(std::initializer_list<InstallPlace> places) {
    for (const InstallPlace& place : places) {
        const int id = place.base == Base::ProgramFiles      ? CSIDL_PROGRAM_FILES
                       : place.base == Base::ProgramFilesX86 ? CSIDL_PROGRAM_FILESX86
                                                             : CSIDL_LOCAL_APPDATA;
        const std::string folder = SpecialFolder(id);
        if (folder.empty()) continue;
        const std::string path = Fitting(folder + "\\" + place.path);
        if (IsFile(path)) return path;
    }
    return std::string();
}

}  // namespace

const char* BrowserProductName(Browser browser) {
    if (const ChromiumSpec* spec = ChromiumSpecOf(browser)) return spec->product;
    switch (browser) {
        case Browser::Firefox: return "Firefox";
        case Browser::Netscape: return "Netscape";
        case Browser::Opera: return "Opera";
        case Browser::Flock: return "Flock";
        default: return "";
    }
}

BrowserProfileFound DiscoverBrowser(Browser browser, const BrowserFolders& folders) {
    if (const ChromiumSpec* spec = ChromiumSpecOf(browser)) return DiscoverChromium(*spec, folders);
    if (browser == Browser::Firefox) return DiscoverFirefox(folders);
    if (browser == Browser::Opera) return DiscoverOpera(folders);
    BrowserProfileFound found;
    if (folders.appData.empty()) return found;
    const std::string root = folders.appData + RootSubfolder(browser);
    const std::string value = FirstProfileValue(ReadSmallFile(root + "profiles.ini", 64 * 1024));
    const auto profile = ComposeProfileFolder(root, value);
    if (!profile || !IsFolder(*profile)) return found;
    found.present = true;
    found.profile = *profile;
    found.profileValue = value;
    return found;
}

std::string FindBrowserProgram(Browser browser) {
    if (const ChromiumSpec* spec = ChromiumSpecOf(browser)) {
        std::string path = spec->ownAppPath ? AppPath(spec->program) : std::string();
        if (path.empty()) {
            const std::string program = ProgramSubpath(*spec);
            path = InstalledAt({{spec->places[0], program.c_str()},
                                {spec->places[1], program.c_str()},
                                {spec->places[2], program.c_str()}});
        }
        return path;
    }
    switch (browser) {
        case Browser::Firefox: {
            std::string path = VersionedMachinePath("Mozilla\\Mozilla Firefox", "PathToExe");
            if (path.empty()) path = AppPath("firefox.exe");
            if (path.empty())
                path = InstalledAt({{Base::ProgramFiles, "Mozilla Firefox\\firefox.exe"},
                                    {Base::ProgramFilesX86, "Mozilla Firefox\\firefox.exe"}});
            return path;
        }
        case Browser::Netscape: {
            const std::string folder = VersionedMachinePath("Netscape\\Netscape Browser", "Install Directory");
            return folder.empty() ? folder : Fitting(folder + "\\Netscape.exe");
        }
        case Browser::Opera: {
            std::string command = RegistryPath(HKEY_CURRENT_USER, "Software\\Opera Software", "Last CommandLine");
            if (!command.empty()) {
                ::PathRemoveFileSpecA(&command[0]);
                command.resize(std::char_traits<char>::length(command.c_str()));
                if (!command.empty()) return Fitting(command + "\\opera.exe");
            }
            std::string path = AppPath("opera.exe");
            if (path.empty())
                path = InstalledAt({{Base::LocalAppData, "Programs\\Opera\\opera.exe"},
                                    {Base::ProgramFiles, "Opera\\opera.exe"}});
            return path;
        }
        case Browser::Flock: return MachinePath("Mozilla\\Flock\\Bin", "PathToExe");
        default: return std::string();
    }
}

BrowserFolders UserBrowserFolders() {
    BrowserFolders folders;
    folders.appData = SpecialFolder(CSIDL_APPDATA);
    folders.localAppData = SpecialFolder(CSIDL_LOCAL_APPDATA);
    for (std::string* folder : {&folders.appData, &folders.localAppData}) {
        while (!folder->empty() && folder->back() == '\\') folder->pop_back();
    }
    return folders;
}

std::vector<std::unique_ptr<Target>> MakeBrowserTargets(Browser browser, const BrowserProfileFound& found,
                                                        const BrowserFolders& folders) {
    TargetList list(found, BrowserProductName(browser));
    if (const ChromiumSpec* spec = ChromiumSpecOf(browser)) {
        AddChromiumTargets(list, *spec, found);
    } else if (browser == Browser::Firefox) {
        AddFirefoxTargets(list, found);
    } else if (browser == Browser::Opera) {
        AddOperaTargets(list, found);
    } else if (browser == Browser::Netscape) {
        (void)AddProfileTargets(list, kNetscapeTargets, found.profile, found.present);
    } else {
        AddFlockTargets(list, found, folders);
    }
    return list.Take();
}
