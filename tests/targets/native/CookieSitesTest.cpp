// The sites the keep-list page lists, read from the databases the real browsers wrote
// (tests/browsers/fixtures), and the sites a user may type.
#include "targets/CookieSites.h"

#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Files : public DatabaseFiles {
public:
    bool Exists(const std::string& p) override { return fs::is_regular_file(p); }
    uint64_t GroupSize(const std::string& p) override { return fs::is_regular_file(p) ? fs::file_size(p) : 0; }
    void RemoveScratch(const std::string& p) override { fs::remove(p); }
    bool Replace(const std::string&, const std::string&) override { return false; }
    bool Copy(const std::string&, const std::string&) override { return false; }
};

TEST(CookieSites, EachBrowsersHostsFoldToSitesAndNoDatabaseChangesOrBreaksTheListing) {
    const fs::path dir = fs::temp_directory_path() / ("tl-cookie-sites-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path fixtures = fs::path(TL_TESTS_DIR) / "browsers" / "fixtures";
    fs::copy_file(fixtures / "firefox" / "cookies.sqlite", dir / "cookies.sqlite");  // write-ahead log mode
    fs::copy_file(fixtures / "chromium" / "Cookies", dir / "Cookies");
    Files files;
    const std::vector<std::string> sites{"gone.test", "kept.test", "www.gone.test", "www.kept.test"};
    for (auto [name, store] : {std::pair{"cookies.sqlite", CookieStore::Firefox}, {"Cookies", CookieStore::Chromium}}) {
        const std::string path = (dir / name).string(), before = FileBytes(path);
        const auto hosts = ReadCookieHosts(path, store, files);
        ASSERT_TRUE(hosts) << name;
        EXPECT_EQ(FoldedSites(*hosts), sites) << name;
        EXPECT_EQ(FileBytes(path), before) << name << " changed";
        EXPECT_FALSE(fs::exists(path + "-wal") || fs::exists(path + "-shm")) << name << " left a log";
    }
    EXPECT_FALSE(ReadCookieHosts((dir / "Cookies").string(), CookieStore::Firefox, files)) << "no moz_cookies";
    EXPECT_FALSE(ReadCookieHosts((dir / "missing").string(), CookieStore::Chromium, files));
    // The first table's root page overwritten, and a file that is no database at all.
    std::string damaged = FileBytes(dir / "cookies.sqlite");
    const size_t page = (static_cast<unsigned char>(damaged[16]) << 8) | static_cast<unsigned char>(damaged[17]);
    damaged.replace(page, 12, 12, 'Z');
    std::ofstream(dir / "cookies.sqlite", std::ios::binary | std::ios::trunc) << damaged;
    std::ofstream(dir / "text", std::ios::trunc) << "plain text, no database";
    for (auto [name, store] : {std::pair{"cookies.sqlite", CookieStore::Firefox}, {"text", CookieStore::Chromium}}) {
        const std::string path = (dir / name).string(), before = FileBytes(path);
        EXPECT_FALSE(ReadCookieHosts(path, store, files)) << name;
        EXPECT_EQ(FileBytes(path), before) << name;
    }
    fs::remove_all(dir);
    EXPECT_EQ(FoldedSites({".A.test", "a.TEST", "", ".", "b.test"}), (std::vector<std::string>{"a.test", "b.test"}));
}

TEST(CookieSites, ATypedSiteIsAHostNameInTheStoredForm) {
    EXPECT_EQ(TypedSite(" .Example.COM "), "example.com");
    EXPECT_EQ(TypedSite("my_host-1.example"), "my_host-1.example");
    EXPECT_EQ(TypedSite("localhost"), "localhost");
    for (const char* bad : {"", "  ", "...", "http://example.com", "example.com/path", "example.com:8080", "a..b",
                            "exa mple.com", "b\xc3\xbc" "cher.de", "*.example.com"})
        EXPECT_FALSE(TypedSite(bad)) << bad;
    EXPECT_TRUE(TypedSite(std::string(63, 'a') + ".test"));
    EXPECT_FALSE(TypedSite(std::string(64, 'a') + ".test"));
    EXPECT_FALSE(TypedSite(std::string(250, 'a').replace(60, 1, ".").replace(120, 1, ".").replace(180, 1, ".") + ".test"));
}

}  // namespace
