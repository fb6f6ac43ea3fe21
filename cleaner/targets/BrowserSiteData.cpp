#include "targets/BrowserSiteData.h"

#include "engine/FolderWalk.h"
#include "engine/OpenedFolder.h"
#include "platform/DirectoryListing.h"
#include "platform/FileByHandle.h"
#include "platform/Handles.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"
#include "engine/AsciiCase.h"
#include "engine/DatabaseSwap.h"
#include "targets/BrowserRowTargets.h"
#include "targets/CookieSites.h"
#include "targets/LevelDbKeys.h"
#include "targets/SiteOrigins.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace {

// Far above any leveldb file a browser writes (2 MiB tables, 4 MiB logs): a larger one is not
// read, and its store stays.
constexpr uint64_t kMaxStoreFile = 64ull * 1024 * 1024;

using OriginOfName = std::optional<SiteOrigin> (*)(std::string_view name);

// How one store keeps its origins apart.
enum class Layout {
    PerOrigin,   // one folder per origin, named for it
    FileSystem,  // numbered folders, mapped to their origins by the leveldb store "Origins"
    Mixed,       // one store for every origin: all of it goes, or none
    Buckets,     // one folder per storage bucket, named for its id in the quota database
};

struct StoreShape {
    Layout layout;
    OriginOfName originOf = nullptr;  // PerOrigin
    // Mixed: the leveldb folders that name the origins ("" for the store itself), and the folder
    // whose every subfolder holds an index naming its origin.
    std::vector<std::string> keyFolders;
    std::string indexedFolder;
};

class FolderReader {
public:
    explicit FolderReader(const std::string& path) : folder_(OpenedFolder::OpenWalkRoot(path)) {}
    bool IsOpen() const { return folder_.IsOpen(); }
    const OpenedFolder& Folder() const { return folder_; }

    // The names in the folder; false when it cannot be listed.
    std::vector<ListedName> Names() const {
        std::vector<ListedName> names;
        DirectoryListing listing(folder_.Handle());
        ListedName name;
        while (listing.Next(name)) names.push_back(name);
        return names;
    }

    // A file of the folder, whole; nothing when it cannot be opened, is a link or is too large.
    std::optional<std::string> Read(const std::string& name) const {
        std::wstring wide;
        if (!WideFromUtf8(name, wide)) return std::nullopt;
        FileHandle file = OpenInFolder(folder_.Handle(), wide, GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OpenAs::File);
        std::string bytes;
        if (!file || ReadWholeFile(file.Get(), kMaxStoreFile, bytes) != WholeFileRead::Read) return std::nullopt;
        return bytes;
    }

private:
    OpenedFolder folder_;
};

bool IsFolder(const ListedName& name) { return (name.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool IsLink(const ListedName& name) { return (name.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

enum class Presence { Missing, Read, Unknown };

// Every record of the leveldb store in folder; Missing when there is no such folder.
Presence ReadLevelDbStore(const std::string& folder, const LevelDbRecord& record) {
    const DWORD attributes = ::GetFileAttributesW(SystemPath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Presence::Missing;
    const FolderReader reader(folder);
    if (!reader.IsOpen()) return Presence::Unknown;
    bool whole = true;
    for (const ListedName& name : reader.Names()) {
        LevelDbFileKind kind;
        if (IsFolder(name) || !LevelDbFileKindOf(name.name, kind)) continue;
        const std::optional<std::string> bytes = IsLink(name) ? std::nullopt : reader.Read(name.name);
        if (!bytes || !ReadLevelDbFile(*bytes, kind, record)) whole = false;
    }
    return whole ? Presence::Read : Presence::Unknown;
}

// The origins a mixed store holds, from its keys and its index files.
MixedStoreVerdict ReadMixedStore(const std::string& store, const StoreShape& shape) {
    MixedStoreVerdict verdict;
    for (const std::string& keys : shape.keyFolders) {
        const Presence read = ReadLevelDbStore(store + keys, [&](std::string_view key, std::string_view) { verdict.AddText(key); });
        if (read == Presence::Unknown) verdict.AddUnknown();
    }
    if (shape.indexedFolder.empty()) return verdict;
    const std::string indexed = store + shape.indexedFolder;
    if (::GetFileAttributesW(SystemPath(indexed).c_str()) == INVALID_FILE_ATTRIBUTES) return verdict;
    const FolderReader caches(indexed);
    if (!caches.IsOpen()) {
        verdict.AddUnknown();
        return verdict;
    }
    for (const ListedName& name : caches.Names()) {
        if (!IsFolder(name)) continue;
        const FolderReader cache(OpenedFolder::Joined(caches.Folder().Path(), name.name));
        const std::optional<std::string> index = cache.IsOpen() ? cache.Read("index.txt") : std::nullopt;
        if (index) verdict.AddText(*index);
        else verdict.AddUnknown();
    }
    return verdict;
}

// The File System store: its numbered folders by origin, as its "Origins" map gives them.
struct FileSystemMap {
    MixedStoreVerdict verdict;                           // every origin the map names
    std::map<std::string, std::vector<SiteOrigin>> folders;  // folder name (lower case) -> origins
};

FileSystemMap ReadFileSystemMap(const std::string& store) {
    FileSystemMap map;
    constexpr std::string_view kOrigin = "ORIGIN:";
    const Presence read = ReadLevelDbStore(store + "Origins\\", [&](std::string_view key, std::string_view value) {
        if (key.substr(0, kOrigin.size()) != kOrigin || value.empty()) return;
        const std::optional<SiteOrigin> origin = ChromiumOriginId(key.substr(kOrigin.size()));
        if (!origin) {
            map.verdict.AddUnknown();  // a folder whose owner cannot be told
            return;
        }
        map.verdict.AddText(origin->scheme + "://" + origin->host);
        map.folders[AsciiLower(value)].push_back(*origin);
    });
    if (read == Presence::Unknown) map.verdict.AddUnknown();
    return map;
}

// The bucket folders of taken origins, by the ids the store's quota database gives them;
// nothing when the database cannot be read.
std::optional<std::set<std::string>> TakenBuckets(const std::string& store, const std::vector<std::string>& kept) {
    static const std::shared_ptr<DatabaseFiles> files = MakeWin32DatabaseFiles();
    const auto rows = ReadDatabaseColumn(store + "QuotaManager", "SELECT id || ' ' || storage_key FROM buckets", *files);
    if (!rows) return std::nullopt;
    std::set<std::string> taken;
    for (const std::string& row : *rows) {
        const size_t space = row.find(' ');
        if (space == std::string::npos) continue;
        const std::optional<SiteOrigin> origin = StorageKeyOrigin(std::string_view(row).substr(space + 1));
        if (origin && IsTakenOrigin(*origin, kept)) taken.insert(row.substr(0, space));
    }
    return taken;
}

// One store of a profile for one run: which of its names the walk takes.
class SiteDataEntry : public RemEntry {
public:
    SiteDataEntry(std::string store, std::string label, StoreShape shape, KeepListSource keep)
        : RemEntry(RemKind::FolderFiles), store_(std::move(store)), label_(std::move(label)), shape_(std::move(shape)),
          keep_(std::move(keep)) {}

    void Scan() override {
        Run(false);
        MarkScanned();
    }
    void Kill() override {
        Run(true);
        MarkKilled();
    }
    std::string Notice() const override { return notice_; }

private:
    void Run(bool kill) {
        notice_.clear();
        if (::GetFileAttributesW(SystemPath(store_).c_str()) == INVALID_FILE_ATTRIBUTES) return;
        std::vector<std::string> kept;
        for (const std::string& site : keep_ ? keep_() : std::vector<std::string>()) {
            std::string normal = NormalizedSite(site);
            if (!normal.empty()) kept.push_back(std::move(normal));
        }
        WalkOptions options;
        if (!Choose(kept, options)) return;
        RunCounters counters;
        if (kill) KillFolder(store_, std::string(), options, counters);
        else ScanFolder(store_, std::string(), options, counters);
        AddFiles(counters.files, counters.bytes);
    }

    // Sets what the walk takes; false when nothing of the store may go.
    bool Choose(const std::vector<std::string>& kept, WalkOptions& options) {
        switch (shape_.layout) {
            case Layout::PerOrigin:
                options.topNames = [originOf = shape_.originOf, kept](const std::string& name) {
                    const std::optional<SiteOrigin> origin = originOf(name);
                    return origin && IsTakenOrigin(*origin, kept);
                };
                return true;
            case Layout::Mixed: {
                const MixedStoreVerdict verdict = ReadMixedStore(store_, shape_);
                if (verdict.Unknown()) notice_ = label_ + " left whole: it could not be read.";
                return !verdict.MustStay(kept);
            }
            case Layout::Buckets: {
                // Only the numbered folders: the quota database itself is cleaned by rows, after.
                std::optional<std::set<std::string>> taken = TakenBuckets(store_, kept);
                if (!taken) {
                    if (::GetFileAttributesW(SystemPath(store_ + "QuotaManager").c_str()) != INVALID_FILE_ATTRIBUTES)
                        notice_ = label_ + " left whole: it could not be read.";
                    return false;
                }
                if (taken->empty()) return false;
                options.topNames = [taken = std::move(*taken)](const std::string& name) { return taken.count(name) > 0; };
                return true;
            }
            case Layout::FileSystem: {
                FileSystemMap map = ReadFileSystemMap(store_);
                if (!map.verdict.MustStay(kept)) return true;  // no kept site in it: all of it
                if (map.verdict.Unknown()) {
                    notice_ = label_ + " left whole: it could not be read.";
                    return false;
                }
                // The map stays for the kept sites; the folders only other sites own go.
                std::set<std::string> taken;
                for (const auto& [folder, origins] : map.folders) {
                    bool all = true;
                    for (const SiteOrigin& origin : origins) all = all && IsTakenOrigin(origin, kept);
                    if (all) taken.insert(folder);
                }
                options.topNames = [taken = std::move(taken)](const std::string& name) {
                    return taken.count(AsciiLower(name)) > 0;
                };
                return true;
            }
        }
        return false;
    }

    std::string store_;
    std::string label_;
    StoreShape shape_;
    KeepListSource keep_;
    std::string notice_;
};

void AddStore(Target& target, const std::string& store, const char* label, StoreShape shape) {
    target.AddEntry(std::make_unique<SiteDataEntry>(store, label, std::move(shape), CatalogKeepList()));
}

}  // namespace

void AddFirefoxSiteData(Target& target, const std::string& profile) {
    AddStore(target, profile + "storage\\default\\", "storage\\default", {Layout::PerOrigin, FirefoxOriginFolder, {}, {}});
    AddStore(target, profile + "storage\\temporary\\", "storage\\temporary", {Layout::PerOrigin, FirefoxOriginFolder, {}, {}});
}

void AddChromiumSiteData(Target& target, const std::string& profile) {
    AddStore(target, profile + "IndexedDB\\", "IndexedDB", {Layout::PerOrigin, ChromiumIndexedDbFolder, {}, {}});
    AddStore(target, profile + "File System\\", "File System", {Layout::FileSystem, nullptr, {}, {}});
    AddStore(target, profile + "Local Storage\\", "Local Storage", {Layout::Mixed, nullptr, {"leveldb\\"}, {}});
    AddStore(target, profile + "Session Storage\\", "Session Storage", {Layout::Mixed, nullptr, {""}, {}});
    AddStore(target, profile + "Service Worker\\", "Service Worker",
             {Layout::Mixed, nullptr, {"Database\\"}, "CacheStorage\\"});
    // Blobs a page made, spilled to disk for the session that made them: nobody's to keep.
    AddStore(target, profile + "blob_storage\\", "blob_storage", {Layout::Mixed, nullptr, {}, {}});
    AddStore(target, profile + "WebStorage\\", "WebStorage", {Layout::Buckets, nullptr, {}, {}});
    AddChromiumQuotaRows(target, profile);
}
