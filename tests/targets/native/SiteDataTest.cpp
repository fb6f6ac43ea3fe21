// What the site-data targets read of the browsers' stores: the origins in the leveldb stores the
// real Chromium wrote (tests/browsers/fixtures), and the sorted-table form it compacts them into.
#include "targets/LevelDbKeys.h"
#include "targets/SiteOrigins.h"

#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const std::filesystem::path kChromium = std::filesystem::path(TL_TESTS_DIR) / "browsers" / "fixtures" / "chromium";

std::string Varint(uint64_t v) {
    std::string out;
    for (; v >= 0x80; v >>= 7) out += static_cast<char>(v | 0x80);
    return out + static_cast<char>(v);
}

// A block of whole keys (no shared prefixes) with its one restart point.
std::string Block(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string b;
    for (const auto& [key, value] : entries) b += Varint(0) + Varint(key.size()) + Varint(value.size()) + key + value;
    return b + std::string("\0\0\0\0\1\0\0\0", 8);
}

// The block as Snappy writes it: literals around one copy of eight bytes seen before.
std::string Snappy(const std::string& b) {
    size_t at = 1, from = std::string::npos;
    for (; at + 8 <= b.size() && (from = b.substr(0, at).find(b.substr(at, 8))) == std::string::npos; ++at) {}
    auto literal = [](const std::string& s) { return std::string(1, static_cast<char>(60 << 2)) + static_cast<char>(s.size() - 1) + s; };
    const size_t offset = at - from;
    return Varint(b.size()) + literal(b.substr(0, at)) + static_cast<char>(((8 - 4) << 2) | 1 | ((offset >> 8) << 5)) +
           static_cast<char>(offset & 0xff) + literal(b.substr(at + 8));
}

// A table of one data block holding the keys (stored with their 8-byte sequence trailer).
std::string Table(const std::vector<std::string>& keys, bool compressed) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& k : keys) entries.push_back({k + std::string(8, '\1'), "v"});
    const std::string data = compressed ? Snappy(Block(entries)) : Block(entries);
    std::string file = data + static_cast<char>(compressed ? 1 : 0) + std::string(4, '\0');
    const std::string index = Block({{"~", Varint(0) + Varint(data.size())}});
    const std::string footer = Varint(0) + Varint(0) + Varint(file.size()) + Varint(index.size());
    file += index + std::string(5, '\0');
    return file + footer + std::string(40 - footer.size(), '\0') + "\x57\xfb\x80\x8b\x24\x75\x47\xdb";
}

std::vector<std::string> Keys(const std::string& bytes, LevelDbFileKind kind, bool* whole = nullptr) {
    std::vector<std::string> keys;
    const bool ok = ReadLevelDbFile(bytes, kind, [&](std::string_view k, std::string_view) { keys.emplace_back(k); });
    if (whole) *whole = ok;
    return keys;
}

}  // namespace

TEST(SiteData, StoresOfTheRealBrowserNameTheirOrigins) {
    const std::vector<std::string> kept = {"kept.test"};
    MixedStoreVerdict local, session;
    bool whole = false;
    for (const std::string& key : Keys(FileBytes(kChromium / "Local Storage" / "leveldb" / "000003.log"), LevelDbFileKind::Log, &whole))
        local.AddText(key);
    EXPECT_TRUE(whole);
    EXPECT_TRUE(local.MustStay(kept));
    EXPECT_FALSE(local.MustStay({"other.test"}));
    // Session keys put a name with hyphens right before the scheme ("namespace-<id>-http://").
    for (const std::string& key : Keys(FileBytes(kChromium / "Session Storage" / "000003.log"), LevelDbFileKind::Log)) session.AddText(key);
    EXPECT_TRUE(session.MustStay({"www.gone.test"}));
    EXPECT_FALSE(session.MustStay(kept));
    // A cut-off log reads up to its last whole record; a store with an extension's data stays.
    const std::string log = FileBytes(kChromium / "Local Storage" / "leveldb" / "000003.log");
    EXPECT_FALSE(Keys(log.substr(0, log.size() - 3), LevelDbFileKind::Log, &whole).empty());
    EXPECT_TRUE(whole);
    MixedStoreVerdict extension;
    extension.AddText("_chrome-extension://abcdefghijklmnop\0key");
    EXPECT_TRUE(extension.MustStay({}));
}

TEST(SiteData, SortedTablesRawAndCompressed) {
    const std::vector<std::string> keys = {"META:https://www.kept.test", "META:https://www.kept.test:8080", "VERSION"};
    for (bool compressed : {false, true}) {
        bool whole = false;
        EXPECT_EQ(Keys(Table(keys, compressed), LevelDbFileKind::Table, &whole), keys) << compressed;
        EXPECT_TRUE(whole);
        std::string damaged = Table(keys, compressed);
        damaged[compressed ? 3 : 1] = '\x7f';  // a length past the block
        Keys(damaged, LevelDbFileKind::Table, &whole);
        EXPECT_FALSE(whole) << compressed;
    }
}

TEST(SiteData, FolderNamesOfOrigins) {
    const std::vector<std::string> kept = {"kept.test"};
    auto taken = [&](std::optional<SiteOrigin> o) { return o && IsTakenOrigin(*o, kept); };
    EXPECT_FALSE(taken(FirefoxOriginFolder("http+++www.kept.test+18931")));
    EXPECT_FALSE(taken(FirefoxOriginFolder("https+++kept.test^userContextId=2")));
    EXPECT_TRUE(taken(FirefoxOriginFolder("https+++notkept.test")));
    EXPECT_FALSE(taken(FirefoxOriginFolder("moz-extension+++0b1c2d3e-aaaa")));
    EXPECT_FALSE(taken(FirefoxOriginFolder("file++++C++x.html")));
    EXPECT_FALSE(taken(ChromiumIndexedDbFolder("http_www.kept.test_18931.indexeddb.leveldb")));
    EXPECT_TRUE(taken(ChromiumIndexedDbFolder("https_kept.test.evil_0.indexeddb.blob")));
    EXPECT_FALSE(taken(ChromiumIndexedDbFolder("chrome-extension_abcdefghijklmnop_0.indexeddb.leveldb")));
    EXPECT_FALSE(taken(ChromiumIndexedDbFolder("https_example.com_0.indexeddb")));
}
