#include "engine/UrlCacheEntry.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

namespace {

// Cache records made through WinINet in the test prefix, removed again afterwards.
class UrlCacheTest : public ::testing::Test {
protected:
    void SetUp() override { ClearCache(); }
    void TearDown() override { ClearCache(); }

    static void ClearCache() {
        UrlHistoryEntry history;
        history.Kill();
        UrlCacheContentEntry content;
        content.Kill();
    }

    // A content record whose local file holds `size` bytes; returns the local file name.
    std::string AddContent(const std::string& url, size_t size) {
        char file[MAX_PATH] = {};
        if (!::CreateUrlCacheEntryA(url.c_str(), static_cast<DWORD>(size), "htm", file, 0)) return std::string();
        HANDLE h = ::CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return std::string();
        const std::vector<char> data(size, 'x');
        DWORD written = 0;
        ::WriteFile(h, data.data(), static_cast<DWORD>(size), &written, nullptr);
        ::CloseHandle(h);
        FILETIME zero = {};
        if (!::CommitUrlCacheEntryA(url.c_str(), file, zero, zero, NORMAL_CACHE_ENTRY, nullptr, 0, "htm", nullptr)) return std::string();
        return file;
    }

    static bool AddHistory(const std::string& url) {
        FILETIME zero = {};
        return ::CommitUrlCacheEntryA(url.c_str(), nullptr, zero, zero, URLHISTORY_CACHE_ENTRY, nullptr, 0, nullptr, nullptr) != FALSE;
    }

    static bool HasRecord(const std::string& url) {
        DWORD size = 0;
        ::GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size);
        return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    }

    static bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    void MakeCache() {
        files_.push_back(AddContent("http://tracelorn.test/one.htm", 1000));
        files_.push_back(AddContent("http://tracelorn.test/two.htm", 2000));
        files_.push_back(AddContent("http://tracelorn.test/three.htm", 3000));
        for (const auto& file : files_) ASSERT_FALSE(file.empty());
        ASSERT_TRUE(AddHistory("Visited: tester@http://tracelorn.test/one.htm"));
        ASSERT_TRUE(AddHistory("Visited: tester@http://tracelorn.test/two.htm"));
    }

    std::vector<std::string> files_;
};

}  // namespace

TEST_F(UrlCacheTest, ScanSplitsContentAndHistory) {
    MakeCache();
    UrlCacheContentEntry content;
    content.Scan();
    EXPECT_TRUE(content.Scanned());
    EXPECT_EQ(content.Counters().files, 3u);
    EXPECT_EQ(content.Counters().bytes, 6000u);
    EXPECT_EQ(content.Counters().items, 0u);
    UrlHistoryEntry history;
    history.Scan();
    EXPECT_EQ(history.Counters().items, 2u);
    EXPECT_EQ(history.Counters().files, 0u);
    EXPECT_EQ(content.Kind(), RemKind::Special);
    EXPECT_EQ(history.Record(), nullptr);
}

TEST_F(UrlCacheTest, ContentKillLeavesHistory) {
    MakeCache();
    UrlCacheContentEntry content;
    content.Kill();
    EXPECT_TRUE(content.Killed());
    EXPECT_EQ(content.Counters().files, 3u);
    EXPECT_EQ(content.Counters().bytes, 6000u);
    for (const auto& file : files_) EXPECT_FALSE(FileExists(file)) << file;
    EXPECT_FALSE(HasRecord("http://tracelorn.test/one.htm"));
    EXPECT_TRUE(HasRecord("Visited: tester@http://tracelorn.test/one.htm"));
    UrlHistoryEntry history;
    history.Scan();
    EXPECT_EQ(history.Counters().items, 2u);
}

TEST_F(UrlCacheTest, HistoryKillLeavesContent) {
    MakeCache();
    UrlHistoryEntry history;
    history.Kill();
    EXPECT_TRUE(history.Killed());
    EXPECT_EQ(history.Counters().items, 2u);
    EXPECT_FALSE(HasRecord("Visited: tester@http://tracelorn.test/two.htm"));
    for (const auto& file : files_) EXPECT_TRUE(FileExists(file)) << file;
    UrlCacheContentEntry content;
    content.Scan();
    EXPECT_EQ(content.Counters().files, 3u);
}

TEST_F(UrlCacheTest, RecordWithoutLocalFileIsStillDeletedAndCounted) {
    const std::string file = AddContent("http://tracelorn.test/gone.htm", 1000);
    ASSERT_FALSE(file.empty());
    ASSERT_TRUE(::DeleteFileA(file.c_str()));
    UrlCacheContentEntry content;
    content.Kill();
    EXPECT_EQ(content.Counters().files, 1u);
    EXPECT_EQ(content.Counters().bytes, 1000u);
    EXPECT_FALSE(HasRecord("http://tracelorn.test/gone.htm"));
}

TEST_F(UrlCacheTest, EmptyCacheGivesZeroCounts) {
    UrlCacheContentEntry content;
    content.Scan();
    EXPECT_TRUE(content.Scanned());
    EXPECT_EQ(content.Counters(), RunCounters{});
    UrlHistoryEntry history;
    history.Kill();
    EXPECT_TRUE(history.Killed());
    EXPECT_EQ(history.Counters().items, 0u);
}
