#include "engine/Checkpoint.h"
#include "engine/FileRemoval.h"
#include "engine/KillSettings.h"
#include "engine/OverwritePattern.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A scripted random sequence, so the exact bytes of every write can be predicted.
std::vector<int> g_sequence;
size_t g_draws = 0;
size_t g_stopAtDraw = SIZE_MAX;
int Scripted() {
    const size_t n = g_draws++;
    if (n == g_stopAtDraw) RequestStop();
    return g_sequence.empty() ? static_cast<int>(n) : g_sequence[n % g_sequence.size()];
}

class KillFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_sequence.clear();
        g_draws = 0;
        g_stopAtDraw = SIZE_MAX;
        overwrite::SetRandomSource(Scripted);
        kill_settings::SetSecureDelete(true);
        kill_settings::SetPasses(1);
        ClearStop();
        SetStoppedHandler([this] { ++stopped; });
    }
    void TearDown() override {
        overwrite::SetRandomSource(nullptr);
        SetStoppedHandler(nullptr);
        ClearStop();
        kill_settings::SetPasses(1);
        kill_settings::SetSecureDelete(true);
    }
    std::string Window(int random, size_t count) {
        return std::string(reinterpret_cast<const char*>(overwrite::TableBytes()) + overwrite::WindowOffset(random), count);
    }
    TempFolder dir;
    int stopped = 0;
};

}  // namespace

TEST_F(KillFileTest, EachPassWritesTheHeadThenWholeBlocksFromTableWindows) {
    const std::string f = dir.MakeFile("data.bin", 1300);
    g_sequence = {3, 130, 127, 9, 10, 11, 20, 21, 22};
    ASSERT_TRUE(OverwriteFile(f, 3));
    EXPECT_EQ(g_draws, 9u);  // three passes of one head write and two blocks
    // The last pass is what stays on disk: 276 bytes from entry 20, then blocks from 21 and 22.
    const std::string bytes = ReadFileBytes(f);
    ASSERT_EQ(bytes.size(), 1300u);
    EXPECT_EQ(bytes.substr(0, 276), Window(20, 276));
    EXPECT_EQ(bytes.substr(276, 512), Window(21, 512));
    EXPECT_EQ(bytes.substr(788, 512), Window(22, 512));
}

TEST_F(KillFileTest, SecureKillOverwritesRenamesAndDeletes) {
    kill_settings::SetPasses(3);
    const std::string f = dir.MakeFile("report.txt", 1300);
    ASSERT_TRUE(KillFile(f));
    EXPECT_FALSE(FileExists(f));
    EXPECT_TRUE(ListFolder(dir.Path()).empty());
    EXPECT_EQ(g_draws, 9u + 10u);  // nine windows, then ten letters for "report.txt"
}

TEST_F(KillFileTest, EmptyFileIsOpenedButNothingIsWritten) {
    const std::string f = dir.MakeFile("empty", 0);
    ASSERT_TRUE(KillFile(f));
    EXPECT_FALSE(FileExists(f));
    EXPECT_EQ(g_draws, 5u);  // only the new name: five letters
}

TEST_F(KillFileTest, NewNameKeepsLengthAndFolderWithLettersAToX) {
    g_sequence = {0, 23, 24, 47, 5, 100, 7, 8, 9, 10};
    const std::string renamed = RandomizedFileName("C:\\some folder\\report.txt");
    EXPECT_EQ(renamed, "C:\\some folder\\axaxfehijk");
    overwrite::SetRandomSource(nullptr);
    const std::string real = RandomizedFileName("C:\\x.y\\ab.c");
    ASSERT_EQ(real.size(), std::string("C:\\x.y\\ab.c").size());
    EXPECT_EQ(real.substr(0, 7), "C:\\x.y\\");
    for (size_t i = 7; i < real.size(); ++i) EXPECT_TRUE(real[i] >= 'a' && real[i] <= 'x') << real;
}

TEST_F(KillFileTest, WithoutSecureDeleteTheFileIsDeletedUnchangedName) {
    kill_settings::SetSecureDelete(false);
    const std::string f = dir.MakeFile("plain.txt", 700);
    ASSERT_TRUE(KillFile(f));
    EXPECT_FALSE(FileExists(f));
    EXPECT_EQ(g_draws, 0u);
}

TEST_F(KillFileTest, ReadOnlyFileIsCountedWithoutOpeningAndKilled) {
    const std::string f = dir.MakeFile("ro.txt", 10);
    ASSERT_TRUE(::SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(CanKillFile(f));
    EXPECT_EQ(::GetFileAttributesA(f.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(KillFile(f));
    EXPECT_FALSE(FileExists(f));

    kill_settings::SetSecureDelete(false);
    const std::string g = dir.MakeFile("ro2.txt", 10);
    ASSERT_TRUE(::SetFileAttributesA(g.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(KillFile(g));
    EXPECT_FALSE(FileExists(g));
}

TEST_F(KillFileTest, FileHeldOpenIsNotKillableAndStaysUnderItsName) {
    const std::string f = dir.MakeFile("held.txt", 600);
    HANDLE held = ::CreateFileA(f.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CanKillFile(f));
    std::string remaining;
    EXPECT_FALSE(KillFile(f, &remaining));
    EXPECT_EQ(remaining, f);
    ::CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(f).substr(0, 3), "ABC");
}

TEST_F(KillFileTest, MissingFileFailsCleanly) {
    EXPECT_FALSE(KillFile(dir / "nothing.txt"));
    EXPECT_FALSE(CanKillFile(dir / "nothing.txt"));
    EXPECT_FALSE(KillFile(""));
}

TEST_F(KillFileTest, StopDuringAPassLeavesThePartlyOverwrittenFileAndNoHandle) {
    const std::string f = dir.MakeFile("big.bin", 512 * 10);
    const std::string original = ReadFileBytes(f);
    g_sequence = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    g_stopAtDraw = 3;  // while choosing the window of block 3; the checkpoint before block 4 stops
    EXPECT_THROW((void)KillFile(f), RunStopped);
    EXPECT_EQ(stopped, 1);
    ASSERT_TRUE(FileExists(f));
    const std::string now = ReadFileBytes(f);
    ASSERT_EQ(now.size(), original.size());
    for (int block = 0; block < 4; ++block)
        EXPECT_EQ(now.substr(block * 512, 512), Window(block + 1, 512)) << block;
    EXPECT_EQ(now.substr(4 * 512), original.substr(4 * 512));
    // Nothing of the stopped run still holds the file.
    HANDLE h = ::CreateFileA(f.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    ::CloseHandle(h);
}

TEST_F(KillFileTest, AHardLinkedNameIsDeletedWithoutTouchingTheSharedData) {
    const std::string f = dir.MakeFile("original.txt", 100);
    const std::string link = dir / "second.txt";
    if (!::CreateHardLinkA(link.c_str(), f.c_str(), nullptr)) GTEST_SKIP() << "no hard links here";
    const std::string before = ReadFileBytes(f);
    ASSERT_TRUE(KillFile(link));
    EXPECT_FALSE(FileExists(link));
    EXPECT_EQ(ReadFileBytes(f), before);
    EXPECT_EQ(g_draws, 0u);
}

TEST_F(KillFileTest, AReadOnlyHardLinkedFileKeepsItsFlagOnEveryName) {
    const std::string f = dir.MakeFile("held.txt", 100);
    const std::string link = dir / "other-name.txt";
    if (!::CreateHardLinkA(link.c_str(), f.c_str(), nullptr)) GTEST_SKIP() << "no hard links here";
    ASSERT_TRUE(::SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string before = ReadFileBytes(f);
    // Clearing the flag for one name would clear it for the other: the file is left alone.
    EXPECT_FALSE(CanKillFile(link));
    EXPECT_FALSE(KillFile(link));
    for (const std::string& name : {f, link}) {
        EXPECT_TRUE(::GetFileAttributesA(name.c_str()) & FILE_ATTRIBUTE_READONLY) << name;
        EXPECT_EQ(ReadFileBytes(name), before);
    }
    EXPECT_EQ(g_draws, 0u);
    ::SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
}
