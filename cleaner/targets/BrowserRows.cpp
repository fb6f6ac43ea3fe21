#include "targets/BrowserRows.h"

#include "targets/BookmarksFile.h"

#include <sqlite3.h>

#include <set>

namespace {

const char kKeepUrls[] = "SELECT url FROM temp.tl_keep_urls";

// The addresses to keep, as a temporary table of the connection (never written into the file),
// and the origins ("scheme://host:port") of those addresses beside them.
bool StoreKeptUrls(SqliteDb& db, const std::vector<std::string>& urls) {
    if (!db.Exec("CREATE TEMP TABLE IF NOT EXISTS tl_keep_urls(url TEXT PRIMARY KEY) WITHOUT ROWID") ||
        !db.Exec("CREATE TEMP TABLE IF NOT EXISTS tl_keep_origins(origin TEXT PRIMARY KEY) WITHOUT ROWID") ||
        !db.Exec("DELETE FROM temp.tl_keep_urls") || !db.Exec("DELETE FROM temp.tl_keep_origins"))
        return false;
    std::set<std::string> origins;
    {
        SqliteStatement insert(db, "INSERT OR IGNORE INTO temp.tl_keep_urls(url) VALUES (?1)");
        for (const std::string& url : urls) {
            insert.Reset();
            insert.BindText(1, url);
            insert.Step();
            if (insert.Failed()) return false;
            const size_t scheme = url.find("://");
            if (scheme != std::string::npos) origins.insert(url.substr(0, url.find('/', scheme + 3)));
        }
    }
    SqliteStatement insert(db, "INSERT OR IGNORE INTO temp.tl_keep_origins(origin) VALUES (?1)");
    for (const std::string& origin : origins) {
        insert.Reset();
        insert.BindText(1, origin);
        insert.Step();
        if (insert.Failed()) return false;
    }
    return true;
}

bool StoreBookmarks(SqliteDb& db, const std::string& bookmarksPath, const ProfileFileReader& reader) {
    const std::optional<std::string> text = reader(bookmarksPath);
    if (!text) return false;
    std::vector<std::string> urls;
    if (!text->empty()) {
        auto read = BookmarkedUrls(*text);
        if (!read) return false;
        urls = std::move(*read);
    }
    return StoreKeptUrls(db, urls);
}

void KeptHostFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const auto* sites = static_cast<const std::vector<std::string>*>(sqlite3_user_data(context));
    const unsigned char* host = argc == 1 ? sqlite3_value_text(argv[0]) : nullptr;
    const bool kept = host && IsKeptHost(std::string_view(reinterpret_cast<const char*>(host),
                                                          static_cast<size_t>(sqlite3_value_bytes(argv[0]))),
                                         *sites);
    sqlite3_result_int(context, kept ? 1 : 0);
}

bool RegisterKeepList(SqliteDb& db, const KeepListSource& keep) {
    auto* sites = new std::vector<std::string>();
    for (const std::string& site : keep ? keep() : std::vector<std::string>()) {
        std::string normal = NormalizedSite(site);
        if (!normal.empty()) sites->push_back(std::move(normal));
    }
    return sqlite3_create_function_v2(db.Handle(), "tl_kept", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY,
                                      sites, KeptHostFunction, nullptr, nullptr,
                                      [](void* p) { delete static_cast<std::vector<std::string>*>(p); }) == SQLITE_OK;
}

RowDelete All(std::string table, bool optional = true) { return {std::move(table), std::string(), optional}; }

}  // namespace

std::string NormalizedSite(std::string_view site) {
    while (!site.empty() && (site.front() == ' ' || site.front() == '\t' || site.front() == '.')) site.remove_prefix(1);
    while (!site.empty() && (site.back() == ' ' || site.back() == '\t' || site.back() == '.')) site.remove_suffix(1);
    std::string out(site);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsKeptHost(std::string_view host, const std::vector<std::string>& sites) {
    const std::string h = NormalizedSite(host);
    if (h.empty()) return false;
    for (const std::string& site : sites) {
        if (site.empty() || h.size() < site.size()) continue;
        if (h.compare(h.size() - site.size(), site.size(), site) != 0) continue;
        if (h.size() == site.size() || h[h.size() - site.size() - 1] == '.') return true;
    }
    return false;
}

std::shared_ptr<const RowPlan> FirefoxHistoryPlan() {
    const std::string kept = "SELECT id FROM moz_places WHERE foreign_count > 0 OR id IN (SELECT fk FROM moz_bookmarks "
                             "WHERE fk NOT NULL) OR id IN (SELECT place_id FROM moz_keywords WHERE place_id NOT NULL)";
    auto plan = std::make_shared<RowPlan>();
    plan->required = {{"moz_places", {"id", "url", "visit_count", "last_visit_date", "typed", "foreign_count", "origin_id"}},
                      {"moz_historyvisits", {"place_id"}},
                      {"moz_bookmarks", {"fk"}},
                      {"moz_keywords", {"place_id"}},
                      {"moz_origins", {"id"}}};
    plan->deletes = {All("moz_historyvisits", false),
                     All("moz_historyvisits_extra"),
                     All("moz_inputhistory"),
                     All("moz_places_metadata_search_queries"),
                     All("moz_places_metadata"),
                     {"moz_annos", "place_id NOT IN (" + kept + ")", true},
                     {"moz_places_extra", "place_id NOT IN (" + kept + ")", true},
                     {"moz_places", "id NOT IN (" + kept + ")", false},
                     {"moz_origins", "id NOT IN (SELECT origin_id FROM moz_places WHERE origin_id NOT NULL AND id IN (" +
                                         kept + "))",
                      false}};
    plan->afterwards = {"UPDATE moz_places SET visit_count = 0, last_visit_date = NULL, typed = 0 "
                        "WHERE visit_count <> 0 OR last_visit_date NOT NULL OR typed <> 0"};
    return plan;
}

std::shared_ptr<const RowPlan> FirefoxFaviconsPlan(std::string placesPath) {
    const std::string pages = "SELECT id FROM moz_pages_w_icons WHERE page_url IN (" + std::string(kKeepUrls) + ")";
    auto plan = std::make_shared<RowPlan>();
    plan->required = {{"moz_icons", {"id", "icon_url", "root"}},
                      {"moz_pages_w_icons", {"id", "page_url"}},
                      {"moz_icons_to_pages", {"page_id", "icon_id"}}};
    plan->deletes = {
        {"moz_icons_to_pages", "page_id NOT IN (" + pages + ")", false},
        {"moz_pages_w_icons", "page_url NOT IN (" + std::string(kKeepUrls) + ")", false},
        // A site's own icon (root) serves every page of it: it stays with a bookmarked page there.
        {"moz_icons",
         "id NOT IN (SELECT icon_id FROM moz_icons_to_pages WHERE page_id IN (" + pages +
             ")) AND NOT (root = 1 AND EXISTS (SELECT 1 FROM temp.tl_keep_origins o WHERE "
             "substr(icon_url, 1, length(o.origin) + 1) = o.origin || '/'))",
         false}};
    plan->prepare = [placesPath = std::move(placesPath)](SqliteDb& db) {
        std::vector<std::string> urls;
        SqliteDb places;
        // Without places.sqlite no page is bookmarked; one that cannot be read stops the change.
        // A writing connection that only reads (query_only) takes away on closing the log and index
        // it had to create, where a read-only one would leave them in the profile.
        if (places.Open(placesPath, SqliteDb::Mode::ReadWrite) && places.Exec("PRAGMA query_only=1") &&
            !places.QueryColumn("SELECT url FROM moz_places WHERE id IN (SELECT fk FROM moz_bookmarks WHERE fk NOT NULL)",
                                urls))
            return false;
        return StoreKeptUrls(db, urls);
    };
    return plan;
}

std::shared_ptr<const RowPlan> ChromiumHistoryPlan(std::string bookmarksPath, ProfileFileReader reader) {
    auto plan = std::make_shared<RowPlan>();
    plan->required = {{"urls", {"id", "url", "visit_count", "typed_count", "last_visit_time"}},
                      {"visits", {"id", "url"}},
                      {"meta", {"key", "value"}}};
    plan->deletes = {All("visits", false), All("visit_source"), All("keyword_search_terms"),
                     All("downloads"), All("downloads_url_chains"), All("downloads_slices"),
                     All("segments"), All("segment_usage"), All("visited_links"),
                     All("clusters"), All("clusters_and_visits"), All("cluster_keywords"),
                     All("cluster_visit_duplicates"), All("content_annotations"), All("context_annotations"),
                     {"urls", "url NOT IN (" + std::string(kKeepUrls) + ")", false, kKeepUrls}};
    plan->afterwards = {"UPDATE urls SET visit_count = 0, typed_count = 0, last_visit_time = 0 "
                        "WHERE visit_count <> 0 OR typed_count <> 0 OR last_visit_time <> 0"};
    plan->prepare = [bookmarksPath = std::move(bookmarksPath), reader = std::move(reader)](SqliteDb& db) {
        return StoreBookmarks(db, bookmarksPath, reader);
    };
    return plan;
}

std::shared_ptr<const RowPlan> ChromiumFaviconsPlan(std::string bookmarksPath, ProfileFileReader reader) {
    const std::string icons = "SELECT icon_id FROM icon_mapping WHERE page_url IN (" + std::string(kKeepUrls) + ")";
    auto plan = std::make_shared<RowPlan>();
    plan->required = {{"icon_mapping", {"page_url", "icon_id"}}, {"favicons", {"id"}}, {"favicon_bitmaps", {"icon_id"}}};
    plan->deletes = {{"favicon_bitmaps", "icon_id NOT IN (" + icons + ")", false},
                     {"favicons", "id NOT IN (" + icons + ")", false},
                     {"icon_mapping", "page_url NOT IN (" + std::string(kKeepUrls) + ")", false}};
    plan->prepare = [bookmarksPath = std::move(bookmarksPath), reader = std::move(reader)](SqliteDb& db) {
        return StoreBookmarks(db, bookmarksPath, reader);
    };
    return plan;
}

std::shared_ptr<const RowPlan> ChromiumAutocompletePlan() {
    auto plan = std::make_shared<RowPlan>();
    // The search engines' table proves the file is Web Data; it is never touched.
    plan->required = {{"autofill", {"name", "value"}}, {"keywords", {"id"}}};
    plan->deletes = {All("autofill", false)};
    return plan;
}

std::shared_ptr<const RowPlan> FirefoxCookiesPlan(KeepListSource keep) {
    auto plan = std::make_shared<RowPlan>();
    plan->required = {{"moz_cookies", {"host", "name"}}};
    plan->deletes = {{"moz_cookies", "NOT tl_kept(host)", false}};
    plan->prepare = [keep = std::move(keep)](SqliteDb& db) { return RegisterKeepList(db, keep); };
    return plan;
}

std::shared_ptr<const RowPlan> ChromiumQuotaPlan(KeepListSource keep) {
    auto plan = std::make_shared<RowPlan>();
    plan->required = {{"buckets", {"id", "storage_key", "host"}}};
    plan->deletes = {{"buckets", "(storage_key LIKE 'http://%' OR storage_key LIKE 'https://%') AND NOT tl_kept(host)", false}};
    plan->prepare = [keep = std::move(keep)](SqliteDb& db) { return RegisterKeepList(db, keep); };
    return plan;
}

std::shared_ptr<const RowPlan> ChromiumCookiesPlan(KeepListSource keep) {
    auto plan = std::make_shared<RowPlan>();
    plan->required = {{"cookies", {"host_key", "name"}}};
    plan->deletes = {{"cookies", "NOT tl_kept(host_key)", false}};
    plan->prepare = [keep = std::move(keep)](SqliteDb& db) { return RegisterKeepList(db, keep); };
    return plan;
}
