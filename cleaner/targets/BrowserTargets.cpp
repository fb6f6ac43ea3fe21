#include "targets/BrowserTargets.h"

#include "engine/DatabaseEntry.h"
#include "targets/BrowserRowTargets.h"
#include "targets/BrowserSiteData.h"
#include "engine/FileEntry.h"
#include "targets/BrowserProfile.h"
#include "targets/BrowserFamilies.h"

#include <array>
#include <string>

using namespace browser_families;

namespace {

// Caches in each profile folder and in the user-data root; all rebuilt by the browser.
const char* const kProfileCaches[] = {"Cache", "Code Cache", "GPUCache", "DawnCache", "Media Cache"};
const char* const kRootCaches[] = {"ShaderCache", "GrShaderCache", "GraphiteDawnCache"};
// Beside History: files that list the sites visited. DIPS records the sites that bounced the
// browser on; Network Persistent State and Reporting and NEL, the servers it reached (in Network\
// since Chrome 96); Archived History and Thumbnails are left by older versions.
const char* const kHistoryFiles[] = {"Visited Links", "Top Sites", "History Provider Cache", "Shortcuts",
                                     "Network Action Predictor", "DIPS", "Network\\Network Persistent State",
                                     "Network Persistent State", "Network\\Reporting and NEL", "Reporting and NEL",
                                     "Archived History", "Thumbnails"};
// The icons of visited and closed pages that the taskbar's jump list shows.
const char* const kHistoryFolders[] = {"JumpListIconsMostVisited", "JumpListIconsRecentClosed"};
const char* const kSessionFiles[] = {"Current Session", "Current Tabs", "Last Session", "Last Tabs"};

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
    for (const char* folder : kHistoryFolders) target.AddEntry(FolderFilesEntry(p.data + folder + "\\", false));
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

// Last in each list of today's browsers, so the older targets keep their places.
Target& AddSiteDataTarget(TargetList& list, const std::string& browser) {
    return list.Add(browser + " Site Data",
                    "Kills what web sites store in " + browser + " beside their cookies (local storage, databases, "
                    "service workers) in every profile, but that of the sites kept in Options");
}

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

void AddChromiumTargets(TargetList& list, const ChromiumFamily& family, const BrowserProfileFound& found) {
    const std::string b = family.shortName;
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
    Target& siteData = AddSiteDataTarget(list, b);
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
        AddChromiumSiteData(siteData, p.data);
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
    Target& siteData = AddSiteDataTarget(list, "Firefox");
    Target& sessions = list.Add("Firefox Sessions",
                                "Kills Firefox saved sessions of every profile: open tabs and windows are not restored");
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
        AddFirefoxSiteData(siteData, p.data);
        sessions.AddEntry(SingleFileEntry(p.data + "sessionstore.jsonlz4"));
        sessions.AddEntry(FolderFilesEntry(p.data + "sessionstore-backups\\", false));
    }
}

void AddOperaTargets(TargetList& list, const BrowserProfileFound& found) {
    const auto targets = AddProfileTargets(list, kOperaTargets, found.profile, found.present && !found.profile.empty());
    Target& siteData = AddSiteDataTarget(list, "Opera");
    if (!found.present) return;
    Target& cache = *targets[0];
    Target& cookies = *targets[1];
    Target& history = *targets[2];
    for (const ProfileFolders& today : found.profiles) {
        AddChromiumCaches(cache, today);
        AddChromiumCookies(cookies, today);
        AddChromiumHistory(history, today);
        AddChromiumSiteData(siteData, today.data);
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
}  // namespace

const char* BrowserProductName(Browser browser) {
    if (const ChromiumFamily* family = ChromiumFamilyOf(browser)) return family->product;
    switch (browser) {
        case Browser::Firefox: return "Firefox";
        case Browser::Netscape: return "Netscape";
        case Browser::Opera: return "Opera";
        case Browser::Flock: return "Flock";
        default: return "";
    }
}

std::vector<std::unique_ptr<Target>> MakeBrowserTargets(Browser browser, const BrowserProfileFound& found,
                                                        const BrowserFolders& folders) {
    TargetList list(found, BrowserProductName(browser));
    if (const ChromiumFamily* family = ChromiumFamilyOf(browser)) {
        AddChromiumTargets(list, *family, found);
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
