#include "targets/BrowserRowTargets.h"

#include "engine/DatabaseSwap.h"
#include "engine/FileEntry.h"
#include "engine/RowEntry.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"
#include "targets/KeepListStore.h"
#include "targets/PolicyReader.h"

#include <windows.h>

#include <memory>

namespace {

constexpr size_t kMaxProfileFile = 64 * 1024 * 1024;

// A file of the profile, whole: empty text when it does not exist, nothing when it exists and
// cannot be read or is larger than any the browser writes.
std::optional<std::string> ReadProfileFile(const std::string& path) {
    std::string bytes;
    switch (ReadWholeFile(path, kMaxProfileFile, bytes)) {
        case WholeFileRead::Read: return bytes;
        case WholeFileRead::Missing: return std::string();
        default: return std::nullopt;
    }
}

std::shared_ptr<DatabaseFiles> Files() {
    static const std::shared_ptr<DatabaseFiles> files = MakeWin32DatabaseFiles();
    return files;
}

std::string& KeepListPath() {
    static std::string path;
    return path;
}

void AddRows(Target& target, const std::string& path, const char* label, std::shared_ptr<const RowPlan> plan) {
    target.AddEntry(std::make_unique<RowEntry>(path, label, std::move(plan), Files()));
}

}  // namespace

void SetKeepListSettingsPath(std::string settingsPath) { KeepListPath() = std::move(settingsPath); }

KeepListSource CatalogKeepList() {
    return [] { return RegistryKeepList(KeepListPath())(); };
}

KeepListSource RegistryKeepList(std::string settingsPath) {
    return [settingsPath = std::move(settingsPath)] {
        std::vector<std::string> sites = KeepListStore(settingsPath).Sites();
        // The administrator's sites add to the user's: keeping one more never removes anything.
        for (std::string& site : ReadMachinePolicy().cookiesToKeep) sites.push_back(std::move(site));
        return sites;
    };
}

void AddFirefoxHistoryRows(Target& target, const std::string& profile) {
    AddRows(target, profile + "places.sqlite", "places.sqlite", FirefoxHistoryPlan());
    AddRows(target, profile + "favicons.sqlite", "favicons.sqlite", FirefoxFaviconsPlan(profile + "places.sqlite"));
}

void AddFirefoxCookieRows(Target& target, const std::string& profile) {
    AddRows(target, profile + "cookies.sqlite", "cookies.sqlite", FirefoxCookiesPlan(CatalogKeepList()));
}

void AddChromiumHistoryRows(Target& target, const std::string& profile) {
    AddRows(target, profile + "History", "History", ChromiumHistoryPlan(profile + "Bookmarks", ReadProfileFile));
    AddRows(target, profile + "Favicons", "Favicons", ChromiumFaviconsPlan(profile + "Bookmarks", ReadProfileFile));
}

void AddChromiumCookieRows(Target& target, const std::string& profile) {
    const auto plan = ChromiumCookiesPlan(CatalogKeepList());
    AddRows(target, profile + "Network\\Cookies", "Cookies", plan);
    AddRows(target, profile + "Cookies", "Cookies", plan);
}

void AddChromiumAutocompleteRows(Target& target, const std::string& profile) {
    AddRows(target, profile + "Web Data", "Web Data", ChromiumAutocompletePlan());
}

void AddChromiumQuotaRows(Target& target, const std::string& profile) {
    AddRows(target, profile + "WebStorage\\QuotaManager", "QuotaManager", ChromiumQuotaPlan(CatalogKeepList()));
}

void AddChromiumNewCaches(Target& target, const std::string& profile) {
    for (const char* cache : {"DawnWebGPUCache\\", "DawnGraphiteCache\\"})
        target.AddEntry(std::make_unique<FileEntry>(
            FileEntry::FolderRecord(RemKind::FolderFiles, 0, profile + cache, std::string(), true)));
}
