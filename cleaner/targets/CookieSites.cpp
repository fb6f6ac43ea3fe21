#include "targets/CookieSites.h"

#include "targets/BrowserRows.h"

#include <algorithm>

namespace {

const char* HostQuery(CookieStore store) {
    return store == CookieStore::Firefox ? "SELECT DISTINCT host FROM moz_cookies"
                                         : "SELECT DISTINCT host_key FROM cookies";
}

// Reading a database in write-ahead-log mode makes SQLite create an empty log and its index when
// they are missing, even read-only; the listing takes away what it made, as a Scan does.
class CompanionTidy {
public:
    CompanionTidy(DatabaseFiles& files, const std::string& path)
        : files_(files), wal_(path + "-wal"), shm_(path + "-shm"), hadWal_(files.Exists(wal_)),
          hadShm_(files.Exists(shm_)) {}
    ~CompanionTidy() {
        if (!hadWal_ && files_.Exists(wal_) && files_.GroupSize(wal_) == 0) files_.RemoveScratch(wal_);
        if (!hadShm_ && !files_.Exists(wal_)) files_.RemoveScratch(shm_);
    }
    CompanionTidy(const CompanionTidy&) = delete;
    CompanionTidy& operator=(const CompanionTidy&) = delete;

private:
    DatabaseFiles& files_;
    const std::string wal_, shm_;
    const bool hadWal_, hadShm_;
};

bool IsLabelChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'; }

}  // namespace

std::optional<std::vector<std::string>> ReadDatabaseColumn(const std::string& path, const std::string& query,
                                                           DatabaseFiles& files) {
    if (!files.Exists(path)) return std::nullopt;
    std::vector<std::string> column;
    {
        CompanionTidy tidy(files, path);
        SqliteDb db;
        // A connection that cannot read (held, a hot journal only a writer may roll back) lists
        // nothing: the browser's own next start sorts the file out.
        // A damaged file may still answer the query in part, with what the damage left: the same
        // check a Scan makes first decides, and a damaged database lists nothing.
        std::vector<std::string> check;
        if (!db.Open(path, SqliteDb::Mode::ReadOnly) || !db.QueryColumn("PRAGMA quick_check", check) ||
            check != std::vector<std::string>{"ok"} || !db.QueryColumn(query, column))
            return std::nullopt;
    }
    return column;
}

std::optional<std::vector<std::string>> ReadCookieHosts(const std::string& path, CookieStore store,
                                                        DatabaseFiles& files) {
    return ReadDatabaseColumn(path, HostQuery(store), files);
}

std::vector<std::string> FoldedSites(const std::vector<std::string>& hosts) {
    std::vector<std::string> sites;
    sites.reserve(hosts.size());
    for (const std::string& host : hosts) {
        std::string site = NormalizedSite(host);
        if (!site.empty()) sites.push_back(std::move(site));
    }
    std::sort(sites.begin(), sites.end());
    sites.erase(std::unique(sites.begin(), sites.end()), sites.end());
    return sites;
}

std::optional<std::string> TypedSite(std::string_view text) {
    std::string site = NormalizedSite(text);
    if (site.empty() || site.size() > 253) return std::nullopt;
    size_t label = 0;
    for (char c : site) {
        if (c == '.') {
            if (label == 0) return std::nullopt;
            label = 0;
            continue;
        }
        if (!IsLabelChar(c) || ++label > 63) return std::nullopt;
    }
    return site;
}
