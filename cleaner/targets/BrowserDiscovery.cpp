#include "targets/BrowserDiscovery.h"

#include "engine/AsciiCase.h"
#include "engine/FolderGuard.h"
#include "platform/Handles.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"
#include "targets/BrowserProfile.h"
#include "targets/BrowserFamilies.h"
#include "targets/ProfileLists.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <set>
#include <string>

using namespace browser_families;

namespace {


// Room a profile folder must leave for the longest name the targets append to it
// ("formhistory.sqlite-journal", "Network Action Predictor-journal").
constexpr size_t kLongestModernName = 40;

// The whole of a small file the browser writes; empty when it is missing, unreadable or larger
// than `limit` (a file that large is not the browser's). profiles.ini and Local State are UTF-8
// (JSON, and what today's Firefox writes), so the bytes are the program's text as they are.
std::string ReadSmallFile(const std::string& path, size_t limit) {
    std::string text;
    (void)ReadWholeFile(path, limit, text);
    return text;
}

const char* RootSubfolder(Browser browser) {
    switch (browser) {
        case Browser::Netscape: return "\\Netscape\\NSB\\";
        case Browser::Flock: return "\\Flock\\Browser\\";
        default: return "";
    }
}


bool AddProfile(std::vector<ProfileFolders>& profiles, std::set<std::string>& seen, const std::string& data,
                const std::string& local) {
    if (data.size() + kLongestModernName > kMaxComposedPath || local.size() + kLongestModernName > kMaxComposedPath)
        return false;
    if (!seen.insert(AsciiLower(data)).second) return false;
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
    WIN32_FIND_DATAW fd;
    FindHandle find(::FindFirstFileW(SystemPath(root + "*").c_str(), &fd));
    if (!find) return profiles;
    std::vector<std::string> names;
    do {
        // A name without a UTF-8 form comes back empty and is not a standard profile folder.
        const std::string name = Utf8FromWide(TrimNul(fd.cFileName));
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsStandardChromiumProfileFolder(name))
            names.push_back(name);
    } while (::FindNextFileW(find.Get(), &fd));
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string folder = root + name + "\\";
        if (IsPlainFolder(folder) && IsFile(folder + "Preferences")) AddProfile(profiles, seen, folder, folder);
    }
    return profiles;
}

BrowserProfileFound DiscoverChromium(const ChromiumFamily& family, const BrowserFolders& folders) {
    BrowserProfileFound found;
    if (folders.localAppData.empty()) return found;
    const std::string root = folders.localAppData + UserDataSubfolder(family);
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
}  // namespace

BrowserProfileFound DiscoverBrowser(Browser browser, const BrowserFolders& folders) {
    if (const ChromiumFamily* family = ChromiumFamilyOf(browser)) return DiscoverChromium(*family, folders);
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

BrowserFolders UserBrowserFolders() {
    BrowserFolders folders;
    folders.appData = SpecialFolder(CSIDL_APPDATA);
    folders.localAppData = SpecialFolder(CSIDL_LOCAL_APPDATA);
    for (std::string* folder : {&folders.appData, &folders.localAppData}) {
        while (!folder->empty() && folder->back() == '\\') folder->pop_back();
    }
    return folders;
}
