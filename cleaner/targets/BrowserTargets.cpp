#include "targets/BrowserTargets.h"

#include "engine/FileEntry.h"
#include "platform/Handles.h"
#include "targets/BrowserProfile.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

namespace {

bool IsFolder(const std::string& path) {
    return !path.empty() && path.size() <= kMaxComposedPath && ::PathIsDirectoryA(path.c_str()) != FALSE;
}

// profiles.ini is small; a larger file is no profile list.
std::string ReadIni(const std::string& path) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64 * 1024) return std::string();
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && !::ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr)) return std::string();
    text.resize(read);
    return text;
}

const char* RootSubfolder(Browser browser) {
    switch (browser) {
    case Browser::Firefox: return "\\Mozilla\\Firefox\\";
    case Browser::Netscape: return "\\Netscape\\NSB\\";
    case Browser::Flock: return "\\Flock\\Browser\\";
    case Browser::Opera: break;
    }
    return "";
}

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

struct Spec {
    const char* name;
    const char* description;
};

}  // namespace

BrowserProfileFound DiscoverBrowser(Browser browser, const BrowserFolders& folders) {
    BrowserProfileFound found;
    if (folders.appData.empty()) return found;
    if (browser == Browser::Opera) {
        const std::string profile = folders.appData + "\\Opera\\Opera\\Profile\\";
        if (profile.size() + kLongestProfileFileName > kMaxComposedPath || !IsFolder(profile)) return found;
        found.present = true;
        found.profile = profile;
        return found;
    }
    const std::string root = folders.appData + RootSubfolder(browser);
    const std::string value = FirstProfileValue(ReadIni(root + "profiles.ini"));
    const auto profile = ComposeProfileFolder(root, value);
    if (!profile || !IsFolder(*profile)) return found;
    found.present = true;
    found.profile = *profile;
    found.profileValue = value;
    return found;
}

std::string FindBrowserProgram(Browser browser) {
    switch (browser) {
    case Browser::Firefox: return VersionedMachinePath("Mozilla\\Mozilla Firefox", "PathToExe");
    case Browser::Netscape: {
        const std::string folder = VersionedMachinePath("Netscape\\Netscape Browser", "Install Directory");
        return folder.empty() ? folder : Fitting(folder + "\\Netscape.exe");
    }
    case Browser::Opera: {
        std::string command = RegistryPath(HKEY_CURRENT_USER, "Software\\Opera Software", "Last CommandLine");
        if (command.empty()) return command;
        ::PathRemoveFileSpecA(&command[0]);
        command.resize(std::char_traits<char>::length(command.c_str()));
        return command.empty() ? command : Fitting(command + "\\opera.exe");
    }
    case Browser::Flock: return MachinePath("Mozilla\\Flock\\Bin", "PathToExe");
    }
    return std::string();
}

BrowserFolders UserBrowserFolders() {
    BrowserFolders folders;
    char path[MAX_PATH] = {};
    if (::SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE)) folders.appData = path;
    path[0] = 0;
    if (::SHGetSpecialFolderPathA(nullptr, path, CSIDL_LOCAL_APPDATA, FALSE)) folders.localAppData = path;
    for (std::string* folder : {&folders.appData, &folders.localAppData}) {
        while (!folder->empty() && folder->back() == '\\') folder->pop_back();
    }
    return folders;
}

std::vector<std::unique_ptr<Target>> MakeBrowserTargets(Browser browser, const BrowserProfileFound& found,
                                                        const BrowserFolders& folders) {
    std::vector<std::unique_ptr<Target>> targets;
    const std::string& p = found.profile;
    auto add = [&](const Spec& spec) -> Target& {
        targets.push_back(std::make_unique<Target>(spec.name, spec.description));
        targets.back()->SetSelected(false);
        return *targets.back();
    };
    const bool on = found.present;
    switch (browser) {
    case Browser::Firefox: {
        Target& cache = add({"Firefox Cache", "Kills browser saved web pages"});
        if (on) {
            std::string folder = p + "Cache\\";
            if (!folders.localAppData.empty()) {
                const auto local = ComposeProfilePath(folders.localAppData + "\\Mozilla\\Firefox\\", found.profileValue, "Cache\\");
                folder = local ? *local : std::string();
            }
            if (!folder.empty()) cache.AddEntry(FolderFilesEntry(folder));
        }
        Target& cookies = add({"Firefox Cookies", "Kills Firefox Mozilla Cookies"});
        if (on) cookies.AddEntry(SingleFileEntry(p + "cookies.txt"));
        Target& history = add({"Firefox History", "Kills visited pages history"});
        if (on) history.AddEntry(SingleFileEntry(p + "history.dat"));
        Target& forms = add({"Firefox AutoComplete", "Kills information entered in web page forms and the Search Bar"});
        if (on) forms.AddEntry(SingleFileEntry(p + "formhistory.dat"));
        Target& passwords = add({"Firefox Saved Passwords", "Kills Firefox Saved Passwords"});
        if (on) passwords.AddEntry(SingleFileEntry(p + "signons.txt"));
        Target& downloads = add({"Firefox Download History", "Kills Download Manager history"});
        if (on) downloads.AddEntry(SingleFileEntry(p + "downloads.rdf"));
        Target& bookmarks = add({"Firefox Bookmarks", "Kills Firefox Bookmarks"});
        if (on) bookmarks.AddEntry(WildcardEntry(p, "bookmarks.*"));
        break;
    }
    case Browser::Netscape: {
        Target& cache = add({"Netscape Cache", "Kills Netscape saved web pages"});
        if (on) cache.AddEntry(FolderFilesEntry(p + "Cache\\"));
        Target& cookies = add({"Netscape Cookies", "Kills Netscape Cookies"});
        if (on) cookies.AddEntry(SingleFileEntry(p + "cookies.txt"));
        Target& history = add({"Netscape History", "Kills visited pages history"});
        if (on) history.AddEntry(SingleFileEntry(p + "history.dat"));
        Target& forms = add({"Netscape AutoComplete", "Kills information entered in web page forms and the Search Bar"});
        if (on) forms.AddEntry(SingleFileEntry(p + "formhistory.dat"));
        Target& passwords = add({"Netscape Saved Passwords", "Kills Netscape Passwords data"});
        if (on) passwords.AddEntry(WildcardEntry(p, "*.r7u"));
        Target& downloads = add({"Netscape Download History", "Kills Download Manager history"});
        if (on) downloads.AddEntry(SingleFileEntry(p + "downloads.rdf"));
        Target& bookmarks = add({"Netscape Bookmarks", "Kills Netscape Bookmarks"});
        if (on) bookmarks.AddEntry(WildcardEntry(p, "bookmarks.*"));
        break;
    }
    case Browser::Opera: {
        Target& cache = add({"Opera Cache", "Kills Opera Cache"});
        if (on) cache.AddEntry(FolderFilesEntry(p + "CACHE4\\"));
        Target& cookies = add({"Opera Cookies", "Kills Opera Cookies"});
        if (on) cookies.AddEntry(SingleFileEntry(p + "cookies4.dat"));
        Target& history = add({"Opera History", "Kills Opera History"});
        if (on) history.AddEntry(SingleFileEntry(p + "global.dat"));
        Target& typed = add({"Opera Typed URL", "Kills Opera Typed URL"});
        if (on) typed.AddEntry(SingleFileEntry(p + "vlink4.dat"));
        Target& favorites = add({"Opera Favorites", "Kills Opera Favorites"});
        if (on) favorites.AddEntry(SingleFileEntry(p + "opera6.adr"));
        break;
    }
    case Browser::Flock: {
        Target& cache = add({"Flock Cache", "Kills Flock saved web pages"});
        if (on && !folders.localAppData.empty()) {
            const auto local = ComposeProfilePath(folders.localAppData + "\\Flock\\Browser\\", found.profileValue, "Cache\\");
            if (local) cache.AddEntry(FolderFilesEntry(*local));
        }
        Target& cookies = add({"Flock Cookies", "Kills Flock Cookies"});
        if (on) cookies.AddEntry(SingleFileEntry(p + "cookies.txt"));
        Target& history = add({"Flock History", "Kills visited pages history"});
        if (on) history.AddEntry(SingleFileEntry(p + "history.dat"));
        Target& forms = add({"Flock AutoComplete", "Kills information entered in web page forms"});
        if (on) forms.AddEntry(SingleFileEntry(p + "formhistory.dat"));
        Target& passwords = add({"Flock Saved Passwords", "Kills the Passwords data stored by Flock"});
        if (on) passwords.AddEntry(SingleFileEntry(p + "signons.txt"));
        Target& downloads = add({"Flock Download History", "Kills Download Manager history"});
        if (on) downloads.AddEntry(SingleFileEntry(p + "downloads.rdf"));
        Target& bookmarks = add({"Flock Bookmarks", "Kills Flock Bookmarks"});
        if (on) {
            bookmarks.AddEntry(WildcardEntry(p, "bookmarks.*"));
            bookmarks.AddEntry(SingleFileEntry(p + "flock_favorites.rdf"));
            bookmarks.AddEntry(FolderFilesEntry(p + "bookmarkbackups", false));
        }
        break;
    }
    }
    return targets;
}
