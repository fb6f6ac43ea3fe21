// Row-level cleaning over databases that the real browsers wrote (tests/browsers/fixtures).
#include "engine/Checkpoint.h"
#include "engine/FoundItems.h"
#include "engine/RowCleaner.h"
#include "engine/RowEntry.h"
#include "targets/BookmarksFile.h"
#include "targets/BrowserRows.h"

#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path kFixtures = fs::path(TL_TESTS_DIR) / "browsers" / "fixtures";

// The file steps on this system: one rename replaces the original.
class PosixFiles : public DatabaseFiles {
public:
    bool failReplace = false;
    bool Exists(const std::string& p) override { return fs::is_regular_file(p); }
    uint64_t GroupSize(const std::string& p) override {
        uint64_t n = 0;
        for (const char* s : {"", "-wal", "-journal"})
            if (fs::is_regular_file(p + s)) n += fs::file_size(p + s);
        return n;
    }
    bool Copy(const std::string& from, const std::string& to) override {
        std::error_code e;
        return fs::copy_file(from, to, e);
    }
    void RemoveScratch(const std::string& p) override { fs::remove(p); }
    bool Replace(const std::string& original, const std::string& cleaned) override {
        if (failReplace) return false;
        for (const char* s : {"-wal", "-shm", "-journal"}) fs::remove(original + s);
        fs::rename(cleaned, original);
        return true;
    }
};

class BrowserRows : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tl-rows-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (const char* f : {"firefox/places.sqlite", "firefox/favicons.sqlite", "firefox/cookies.sqlite",
                              "chromium/History", "chromium/Favicons", "chromium/Web Data", "chromium/Cookies",
                              "chromium/Bookmarks"})
            fs::copy_file(kFixtures / f, dir_ / fs::path(f).filename());
        ClearStop();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string P(const char* name) const { return (dir_ / name).string(); }
    // The checks read through a writing connection, which takes its log and index away on closing.
    int64_t Int(const char* file, const std::string& sql) {
        SqliteDb db;
        int64_t v = -1;
        EXPECT_TRUE(db.Open(P(file), SqliteDb::Mode::ReadWrite));
        EXPECT_TRUE(db.QueryInt(sql, v)) << sql << ": " << db.LastError();
        return v;
    }
    std::string Schema(const char* file) {
        SqliteDb db;
        std::vector<std::string> rows;
        EXPECT_TRUE(db.Open(P(file), SqliteDb::Mode::ReadWrite));
        EXPECT_TRUE(db.QueryColumn("SELECT type||name||ifnull(sql,'') FROM sqlite_master ORDER BY 1", rows));
        std::string all;
        for (auto& r : rows) all += r + "\n";
        return all;
    }
    // Counts, then cleans, and checks the cleaned file against the count and its own schema.
    RowResult CountAndClean(const char* file, const RowPlan& plan) {
        const std::string schema = Schema(file), before = FileBytes(P(file));
        RowCleaner cleaner(plan, files_);
        const RowResult counted = cleaner.Count(P(file));
        EXPECT_EQ(counted.outcome, RowOutcome::Counted) << file << ": " << counted.detail;
        EXPECT_TRUE(FileBytes(P(file)) == before) << file << " changed by a Scan";
        EXPECT_FALSE(fs::exists(P(file) + "-wal") || fs::exists(P(file) + "-shm")) << file << " left a log by a Scan";
        const RowResult cleaned = cleaner.Clean(P(file), true);
        EXPECT_EQ(cleaned.outcome, RowOutcome::Cleaned) << file << ": " << cleaned.detail;
        EXPECT_EQ(cleaned.items, counted.items) << file;
        EXPECT_EQ(Schema(file), schema) << file;
        SqliteDb db;
        std::string check;
        EXPECT_TRUE(db.Open(P(file), SqliteDb::Mode::ReadOnly) && db.QueryText("PRAGMA integrity_check", check));
        EXPECT_EQ(check, "ok") << file;
        EXPECT_FALSE(fs::exists(RowCleaner::WorkPath(P(file))) || fs::exists(RowCleaner::ResultPath(P(file))));
        return cleaned;
    }

    fs::path dir_;
    PosixFiles files_;
};

std::optional<std::string> ReadFile(const std::string& p) {
    if (!fs::exists(p)) return std::string();
    return FileBytes(p);
}

TEST_F(BrowserRows, RealProfilesLoseHistoryAndCookiesButKeepBookmarksKeptSitesAndSearchEngines) {
    const std::string bookmarked = "http://www.kept.test:18931/page2";
    const auto keep = [] { return std::vector<std::string>{"Kept.Test"}; };

    CountAndClean("places.sqlite", *FirefoxHistoryPlan());
    EXPECT_EQ(Int("places.sqlite", "SELECT COUNT(*) FROM moz_historyvisits"), 0);
    EXPECT_EQ(Int("places.sqlite", "SELECT COUNT(*) FROM moz_places WHERE foreign_count = 0"), 0);
    EXPECT_EQ(Int("places.sqlite", "SELECT COUNT(*) FROM moz_places p JOIN moz_bookmarks b ON b.fk = p.id WHERE url = '" +
                                       bookmarked + "' AND visit_count = 0"),
              1);
    EXPECT_EQ(Int("places.sqlite", "SELECT COUNT(*) FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk "
                                   "WHERE b.fk NOT NULL AND p.id IS NULL"),
              0);
    {
        SqliteDb db;
        std::string mode;
        EXPECT_TRUE(db.Open(P("places.sqlite"), SqliteDb::Mode::ReadOnly) && db.QueryText("PRAGMA journal_mode", mode));
        EXPECT_EQ(mode, "wal");
    }
    {
        // Headless Firefox stores no icons: a bookmarked page's, its site's and a visited page's.
        SqliteDb db;
        ASSERT_TRUE(db.Open(P("favicons.sqlite"), SqliteDb::Mode::ReadWrite));
        ASSERT_TRUE(db.Exec("INSERT INTO moz_icons(id, icon_url, fixed_icon_url_hash, root) VALUES "
                            "(1, 'http://www.kept.test:18931/a.png', 1, 0), (2, 'http://www.kept.test:18931/favicon.ico', 2, 1), "
                            "(3, 'http://gone.test:18931/favicon.ico', 3, 1), (4, 'http://gone.test:18931/b.png', 4, 0);"
                            "INSERT INTO moz_pages_w_icons VALUES (1, '" + bookmarked + "', 1), (2, 'http://gone.test:18931/', 2);"
                            "INSERT INTO moz_icons_to_pages(page_id, icon_id) VALUES (1, 1), (2, 4);"));
    }
    EXPECT_EQ(CountAndClean("favicons.sqlite", *FirefoxFaviconsPlan(P("places.sqlite"))).items, 4u);
    EXPECT_EQ(Int("favicons.sqlite", "SELECT SUM(id) + 10 * COUNT(*) FROM moz_icons"), 23) << "icons 1 and 2 stay";
    CountAndClean("Favicons", *ChromiumFaviconsPlan(P("Bookmarks"), ReadFile));
    EXPECT_EQ(Int("Favicons", "SELECT COUNT(*) FROM icon_mapping WHERE page_url = '" + bookmarked + "'"), 1);
    EXPECT_EQ(Int("Favicons", "SELECT COUNT(*) FROM favicons f JOIN icon_mapping m ON m.icon_id = f.id"), 1);
    EXPECT_EQ(Int("Favicons", "SELECT COUNT(*) FROM favicons"), 1);

    CountAndClean("cookies.sqlite", *FirefoxCookiesPlan(keep));
    EXPECT_EQ(Int("cookies.sqlite", "SELECT COUNT(*) FROM moz_cookies WHERE host NOT LIKE '%kept.test'"), 0);
    EXPECT_EQ(Int("cookies.sqlite", "SELECT COUNT(*) FROM moz_cookies"), 2);

    CountAndClean("History", *ChromiumHistoryPlan(P("Bookmarks"), ReadFile));
    EXPECT_EQ(Int("History", "SELECT COUNT(*) FROM visits"), 0);
    EXPECT_EQ(Int("History", "SELECT COUNT(*) FROM urls"), 1);
    EXPECT_EQ(Int("History", "SELECT COUNT(*) FROM urls WHERE url = '" + bookmarked + "' AND visit_count = 0"), 1);
    CountAndClean("Cookies", *ChromiumCookiesPlan(keep));
    EXPECT_EQ(Int("Cookies", "SELECT COUNT(*) FROM cookies WHERE host_key NOT LIKE '%kept.test'"), 0);
    EXPECT_EQ(Int("Cookies", "SELECT COUNT(*) FROM cookies"), 2);

    const int64_t engines = Int("Web Data", "SELECT COUNT(*) FROM keywords");
    {
        SqliteDb db;
        ASSERT_TRUE(db.Open(P("Web Data"), SqliteDb::Mode::ReadWrite));
        ASSERT_TRUE(db.Exec("INSERT INTO autofill(name, value, value_lower, date_created, date_last_used, count) "
                            "VALUES ('q', 'typed secret', 'typed secret', 1, 1, 1)"));
    }
    EXPECT_EQ(CountAndClean("Web Data", *ChromiumAutocompletePlan()).items, 1u);
    EXPECT_EQ(Int("Web Data", "SELECT COUNT(*) FROM autofill"), 0);
    EXPECT_EQ(Int("Web Data", "SELECT COUNT(*) FROM keywords"), engines);
    EXPECT_GT(engines, 0);
}

TEST_F(BrowserRows, TheDetailsNameEachTableWithItsRowsAndTheyAddUpToTheItems) {
    struct Sink : FoundItems {
        std::vector<FoundItem> found;
        void Add(const FoundItem& item) override { found.push_back(item); }
    };
    // Enough history that the Kill rebuilds the indexes of moz_places from the bookmarked places.
    const std::string stats = "SELECT group_concat(idx || stat) FROM (SELECT * FROM sqlite_stat1 ORDER BY idx)";
    {
        SqliteDb db;
        ASSERT_TRUE(db.Open(P("places.sqlite"), SqliteDb::Mode::ReadWrite));
        ASSERT_TRUE(db.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                            "INSERT INTO moz_places(url, guid, url_hash, visit_count) SELECT 'https://h.test/' || i, "
                            "printf('tl%010d', i), i, 1 FROM n;"
                            "INSERT INTO moz_historyvisits(place_id, visit_date) SELECT id, 1 FROM moz_places"));
    }
    std::string statsBefore;
    {
        SqliteDb db;
        ASSERT_TRUE(db.Open(P("places.sqlite"), SqliteDb::Mode::ReadWrite) && db.QueryText(stats, statsBefore));
    }
    RowEntry entry(P("places.sqlite"), "Firefox History", FirefoxHistoryPlan(), std::make_shared<PosixFiles>());
    for (bool kill : {false, true}) {
        Sink sink;
        entry.Reset();
        {
            FoundItemsScope scope(&sink);
            kill ? entry.Kill() : entry.Scan();
        }
        ASSERT_TRUE(entry.Notice().empty()) << entry.Notice();
        uint64_t rows = 0;
        std::set<std::string> tables;
        for (const FoundItem& item : sink.found) {
            EXPECT_EQ(item.kind, FoundItem::Kind::Rows);
            EXPECT_EQ(item.place, P("places.sqlite"));
            EXPECT_GT(item.size, 0u);
            EXPECT_TRUE(tables.insert(item.name).second) << item.name << " twice";
            rows += item.size;
        }
        EXPECT_GT(entry.Counters().items, 0u);
        EXPECT_EQ(rows, entry.Counters().items) << (kill ? "Kill" : "Scan");
        EXPECT_TRUE(tables.count("moz_historyvisits") && tables.count("moz_places"));
    }
    EXPECT_EQ(Int("places.sqlite", "SELECT COUNT(*) FROM moz_places WHERE url LIKE 'https://h.test/%'"), 0);
    EXPECT_EQ(Int("places.sqlite", "SELECT COUNT(*) FROM moz_places INDEXED BY moz_places_guid_uniqueindex "
                                   "WHERE guid > ''"),
              Int("places.sqlite", "SELECT COUNT(*) FROM moz_places"));
    SqliteDb db;
    std::string check, statsAfter;
    ASSERT_TRUE(db.Open(P("places.sqlite"), SqliteDb::Mode::ReadWrite) && db.QueryText("PRAGMA integrity_check", check) &&
                db.QueryText(stats, statsAfter));
    EXPECT_EQ(check, "ok");
    EXPECT_EQ(statsAfter, statsBefore);
}

TEST_F(BrowserRows, DamagedOrUnexpectedDatabasesAndAnUnreadableBookmarksFileLeaveTheFileByteForByte) {
    {
        SqliteDb db;
        ASSERT_TRUE(db.Open(P("places.sqlite"), SqliteDb::Mode::ReadWrite));
        ASSERT_TRUE(db.Exec("PRAGMA journal_mode=DELETE") && db.Exec("DROP TABLE moz_keywords"));
    }
    // The second page's b-tree header (the first table's root) overwritten.
    std::string damaged = FileBytes(P("cookies.sqlite"));
    const size_t page = (static_cast<unsigned char>(damaged[16]) << 8) | static_cast<unsigned char>(damaged[17]);
    ASSERT_GT(damaged.size(), page + 12);
    damaged.replace(page, 12, 12, 'Z');
    std::ofstream(P("cookies.sqlite"), std::ios::binary | std::ios::trunc) << damaged;
    std::ofstream(P("Bookmarks"), std::ios::trunc) << "{\"roots\": {\"url\": \"http://x/\"";
    std::ofstream(P("not.sqlite"), std::ios::trunc) << "plain text, no database";

    struct Case {
        const char* file;
        std::shared_ptr<const RowPlan> plan;
        RowOutcome outcome;
    };
    const Case cases[] = {{"places.sqlite", FirefoxHistoryPlan(), RowOutcome::Unexpected},
                          {"cookies.sqlite", FirefoxCookiesPlan(nullptr), RowOutcome::Damaged},
                          {"History", ChromiumHistoryPlan(P("Bookmarks"), ReadFile), RowOutcome::Failed},
                          {"Favicons", ChromiumCookiesPlan(nullptr), RowOutcome::Unexpected},
                          {"not.sqlite", ChromiumAutocompletePlan(), RowOutcome::Damaged}};
    for (const Case& c : cases) {
        const std::string before = FileBytes(P(c.file));
        RowCleaner cleaner(*c.plan, files_);
        EXPECT_EQ(cleaner.Clean(P(c.file), true).outcome, c.outcome) << c.file;
        EXPECT_TRUE(FileBytes(P(c.file)) == before) << c.file;
        EXPECT_FALSE(fs::exists(P(c.file) + "-journal") || fs::exists(RowCleaner::WorkPath(P(c.file))) ||
                     fs::exists(RowCleaner::ResultPath(P(c.file))))
            << c.file;
    }
    EXPECT_FALSE(BookmarkedUrls("{\"url\": \"\\ud800\"}"));
    EXPECT_EQ(*BookmarkedUrls("{\"a\":[{\"url\":\"http://\\u00e9/\"}],\"url\":1}"), std::vector<std::string>{"http://\xc3\xa9/"});
}

TEST_F(BrowserRows, AStopOrAFailedReplaceAtAnyPhaseLeavesTheOriginalAndNoScratchFile) {
    const auto plan = FirefoxHistoryPlan();
    const std::string before = FileBytes(P("places.sqlite"));
    for (RowPhase phase : {RowPhase::Checked, RowPhase::Copied, RowPhase::Deleted, RowPhase::Compacted, RowPhase::Verified}) {
        RowCleaner cleaner(*plan, files_);
        cleaner.SetPhaseObserver([phase](RowPhase now) {
            if (now == phase) RequestStop();
        });
        EXPECT_THROW((void)cleaner.Clean(P("places.sqlite"), false), RunStopped);
        EXPECT_TRUE(FileBytes(P("places.sqlite")) == before) << static_cast<int>(phase);
        for (const fs::directory_entry& e : fs::directory_iterator(dir_))
            EXPECT_EQ(e.path().string().find(".tl-"), std::string::npos) << e.path();
    }
    files_.failReplace = true;
    RowCleaner cleaner(*plan, files_);
    EXPECT_EQ(cleaner.Clean(P("places.sqlite"), false).outcome, RowOutcome::Failed);
    EXPECT_TRUE(FileBytes(P("places.sqlite")) == before);
    EXPECT_TRUE(IsKeptHost(".www.Kept.test", {"kept.test"}));
    EXPECT_FALSE(IsKeptHost("notkept.test", {"kept.test"}) || IsKeptHost("kept.test.evil", {"kept.test"}));
}

}  // namespace
