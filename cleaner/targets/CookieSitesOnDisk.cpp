#include "targets/CookieSitesOnDisk.h"

#include "platform/Text.h"
#include "targets/BrowserFamilies.h"
#include "targets/CookieSites.h"

#include <windows.h>

namespace {

// The file steps of a listing: it removes only the empty log and index SQLite made for its own
// read, so a plain delete does (no overwrite, and nothing a run's stop request could reach).
class ListingFiles : public DatabaseFiles {
public:
    bool Exists(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    uint64_t GroupSize(const std::string& path) override {
        uint64_t total = 0;
        for (const char* suffix : {"", "-wal", "-journal"}) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (::GetFileAttributesExW(SystemPath(path + suffix).c_str(), GetFileExInfoStandard, &data))
                total += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
        return total;
    }
    void RemoveScratch(const std::string& path) override { (void)::DeleteFileW(SystemPath(path).c_str()); }
    // A listing changes nothing.
    bool Copy(const std::string&, const std::string&) override { return false; }
    bool Replace(const std::string&, const std::string&) override { return false; }
};

struct CookieDatabase {
    std::string path;
    CookieStore store;
};

std::vector<CookieDatabase> CookieDatabases(const BrowserFolders& folders) {
    std::vector<CookieDatabase> databases;
    for (int b = 0; b < kBrowserCount; ++b) {
        const Browser browser = static_cast<Browser>(b);
        const bool chromiumStyle = browser == Browser::Opera || browser_families::ChromiumFamilyOf(browser);
        if (browser != Browser::Firefox && !chromiumStyle) continue;
        const BrowserProfileFound found = DiscoverBrowser(browser, folders);
        if (!found.present) continue;
        for (const ProfileFolders& profile : found.profiles) {
            if (browser == Browser::Firefox) {
                databases.push_back({profile.data + "cookies.sqlite", CookieStore::Firefox});
                continue;
            }
            databases.push_back({profile.data + "Network\\Cookies", CookieStore::Chromium});
            databases.push_back({profile.data + "Cookies", CookieStore::Chromium});
        }
    }
    return databases;
}

}  // namespace

std::vector<std::string> ListCookieSites(const BrowserFolders& folders, const std::atomic<bool>* stop) {
    ListingFiles files;
    std::vector<std::string> hosts;
    for (const CookieDatabase& database : CookieDatabases(folders)) {
        if (stop && stop->load()) break;
        if (auto read = ReadCookieHosts(database.path, database.store, files))
            hosts.insert(hosts.end(), read->begin(), read->end());
    }
    return FoldedSites(hosts);
}
