#include "engine/RecycleFolderEntry.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

class FakeShell : public RecycleBinShell {
public:
    bool items = true;
    int empties = 0;
    std::string lastRoot;
    bool HasItems(const std::string& root) override { lastRoot = root; return items; }
    void Empty(const std::string& root) override { lastRoot = root; ++empties; }
};

void Write(const std::string& path, size_t size) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    const std::string data(size, 'r');
    DWORD written = 0;
    ::WriteFile(h, data.data(), static_cast<DWORD>(size), &written, nullptr);
    ::CloseHandle(h);
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

const char kSid[] = "S-1-5-21-100-200-300-1000";
const char kOtherSid[] = "S-1-5-21-100-200-300-1001";

class RecycleFolderTest : public ::testing::Test {
protected:
    std::string Make(const std::string& name) {
        const std::string folder = temp_ / name;
        ::CreateDirectoryA(folder.c_str(), nullptr);
        return folder + "\\";
    }
    TempFolder temp_;
    std::shared_ptr<FakeShell> shell_ = std::make_shared<FakeShell>();
};

}  // namespace

TEST_F(RecycleFolderTest, OnlyBookkeepingScansNothing) {
    const std::string folder = Make("RECYCLED");
    Write(folder + "INFO2", 820);
    Write(folder + "desktop.ini", 65);
    RecycleFolderEntry entry("C:\\", folder, kSid, shell_);
    entry.Scan();
    EXPECT_TRUE(entry.Scanned());
    EXPECT_EQ(entry.Counters(), RunCounters{});
    EXPECT_EQ(entry.Kind(), RemKind::FolderFiles);
}

TEST_F(RecycleFolderTest, FiveFilesScanAsThree) {
    const std::string folder = Make("RECYCLED");
    for (int i = 0; i < 5; ++i) Write(folder + "D" + std::to_string(i) + ".txt", 100);
    RecycleFolderEntry entry("C:\\", folder, kSid, shell_);
    entry.Scan();
    EXPECT_EQ(entry.Counters().files, 3u);
    EXPECT_EQ(entry.Counters().bytes, 500u);
}

TEST_F(RecycleFolderTest, EmptyBinIsNotTouchedByKill) {
    const std::string folder = Make("RECYCLED");
    for (int i = 0; i < 5; ++i) Write(folder + "D" + std::to_string(i) + ".txt", 100);
    shell_->items = false;
    RecycleFolderEntry entry("D:\\", folder, kSid, shell_);
    entry.Kill();
    EXPECT_FALSE(entry.Killed());
    EXPECT_EQ(shell_->empties, 0);
    EXPECT_EQ(shell_->lastRoot, "D:\\");
    EXPECT_TRUE(Exists(folder + "D0.txt"));
}

TEST_F(RecycleFolderTest, KillRemovesFilesAndEmptiesTheBin) {
    const std::string folder = Make("RECYCLED");
    for (int i = 0; i < 5; ++i) Write(folder + "D" + std::to_string(i) + ".txt", 100);
    RecycleFolderEntry entry("D:\\", folder, kSid, shell_);
    entry.Kill();
    EXPECT_TRUE(entry.Killed());
    EXPECT_EQ(shell_->empties, 1);
    EXPECT_EQ(entry.Counters().files, 3u);
    EXPECT_EQ(entry.Counters().bytes, 500u);
    EXPECT_FALSE(Exists(folder + "D0.txt"));
}

TEST_F(RecycleFolderTest, PerUserBinCoversOnlyTheOwnSubfolder) {
    const std::string bin = Make("$Recycle.Bin");
    const std::string own = Make(std::string("$Recycle.Bin\\") + kSid);
    const std::string other = Make(std::string("$Recycle.Bin\\") + kOtherSid);
    Write(own + "desktop.ini", 129);
    Write(own + "$RABC.txt", 100);
    Write(own + "$IABC.txt", 544);
    Write(other + "$RXYZ.txt", 100);
    RecycleFolderEntry entry("C:\\", bin, kSid, shell_);
    EXPECT_EQ(entry.Folder(), bin);
    entry.Scan();
    EXPECT_EQ(entry.Counters().files, 2u);
    EXPECT_EQ(entry.Counters().bytes, 644u);
    entry.Reset();
    entry.Kill();
    EXPECT_EQ(entry.Counters().files, 2u);
    EXPECT_EQ(entry.Counters().bytes, 644u);
    EXPECT_FALSE(Exists(own + "$RABC.txt"));
    EXPECT_TRUE(Exists(other + "$RXYZ.txt"));
}

TEST_F(RecycleFolderTest, PerUserFolderWithoutOwnSubfolderCountsNothing) {
    const std::string bin = Make("RECYCLER");
    const std::string other = Make(std::string("RECYCLER\\") + kOtherSid);
    for (int i = 0; i < 5; ++i) Write(other + "D" + std::to_string(i) + ".txt", 100);
    RecycleFolderEntry entry("C:\\", bin, kSid, shell_);
    entry.Scan();
    EXPECT_EQ(entry.Counters(), RunCounters{});
    entry.Kill();
    EXPECT_TRUE(Exists(other + "D0.txt"));
}
