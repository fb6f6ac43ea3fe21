#include "engine/Checkpoint.h"
#include "engine/EntryFactory.h"
#include "engine/EntryPath.h"
#include "engine/FileEntry.h"
#include "engine/FileRemoval.h"
#include "engine/FolderWalk.h"
#include "engine/FolderGuard.h"
#include "engine/KillSettings.h"
#include "platform/Handles.h"
#include "support/TempFolder.h"
#include "targets/Target.h"

#include <shlobj.h>

#include <gtest/gtest.h>

namespace {

EntryRecord Record(RemKind kind, const std::string& path, bool recurse = true, const std::string& mask = {}) {
    EntryRecord r;
    r.kind = static_cast<uint32_t>(kind);
    r.path = path;
    r.mask = mask;
    r.recurse = recurse;
    return r;
}

RunCounters ScanOf(const EntryRecord& r) {
    FileEntry e(r);
    e.Scan();
    EXPECT_TRUE(e.Scanned());
    return e.Counters();
}

RunCounters KillOf(const EntryRecord& r) {
    FileEntry e(r);
    e.Kill();
    EXPECT_TRUE(e.Killed());
    return e.Counters();
}

// The test program's working folder, where the Linux-side fixture laid out links/.
std::string LinkFixture() {
    char cwd[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, cwd);
    return std::string(cwd) + "\\links\\";
}

class FileEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        kill_settings::SetSecureDelete(true);
        kill_settings::SetPasses(1);
        ClearStop();
    }
    TempFolder dir;
};

}  // namespace

TEST_F(FileEntryTest, SingleFileCountsAndRemovesOneFile) {
    const std::string f = dir.MakeFile("one.dat", 1234);
    const auto r = Record(RemKind::SingleFile, f);
    EXPECT_EQ(ScanOf(r), (RunCounters{1, 0, 1234}));
    EXPECT_TRUE(FileExists(f));
    EXPECT_EQ(KillOf(r), (RunCounters{1, 0, 1234}));
    EXPECT_FALSE(FileExists(f));
    EXPECT_EQ(ScanOf(r), RunCounters{});
    EXPECT_EQ(ScanOf(Record(RemKind::SingleFile, dir.Path())), RunCounters{});  // a folder is no file
}

TEST_F(FileEntryTest, EmptyFileCountsAsOneFileOfZeroBytes) {
    const std::string f = dir.MakeFile("zero", 0);
    EXPECT_EQ(KillOf(Record(RemKind::SingleFile, f)), (RunCounters{1, 0, 0}));
    EXPECT_FALSE(FileExists(f));
}

TEST_F(FileEntryTest, FolderKillEmptiesAndRemovesSubfoldersBottomUpButKeepsTheTop) {
    dir.MakeFile("top\\a.txt", 10);
    dir.MakeFile("top\\s1\\b.txt", 20);
    dir.MakeFile("top\\s1\\s2\\c.txt", 30);
    dir.MakeFolder("top\\emptysub");
    const auto r = Record(RemKind::FolderFiles, dir / "top\\");
    EXPECT_EQ(ScanOf(r), (RunCounters{3, 0, 60}));
    EXPECT_EQ(KillOf(r), (RunCounters{3, 0, 60}));
    EXPECT_TRUE(FolderExists(dir / "top"));
    EXPECT_TRUE(ListFolder(dir / "top").empty());
}

TEST_F(FileEntryTest, FolderWithoutRecursionTouchesOnlyItsOwnFiles) {
    dir.MakeFile("top\\a.txt", 10);
    dir.MakeFile("top\\s1\\b.txt", 20);
    const auto r = Record(RemKind::FolderFiles, dir / "top\\", false);
    EXPECT_EQ(KillOf(r), (RunCounters{1, 0, 10}));
    EXPECT_TRUE(FileExists(dir / "top\\s1\\b.txt"));
}

TEST_F(FileEntryTest, FolderPathWithoutSeparatorStillMeansThatFolder) {
    dir.MakeFile("top\\a.txt", 10);
    dir.MakeFile("topper.txt", 5);  // a sibling that "top*.*" would have matched
    EXPECT_EQ(KillOf(Record(RemKind::FolderFiles, dir / "top")), (RunCounters{1, 0, 10}));
    EXPECT_TRUE(FileExists(dir / "topper.txt"));
}

TEST_F(FileEntryTest, WildcardWithAndWithoutRecursionNeverRemovesSubfolders) {
    dir.MakeFile("w\\x.CHK", 1);
    dir.MakeFile("w\\keep.txt", 2);
    dir.MakeFile("w\\sub\\y.chk", 4);
    dir.MakeFile("w\\sub\\deeper\\z.CHK", 8);
    EXPECT_EQ(ScanOf(Record(RemKind::FolderWildcard, dir / "w\\", false, "*.CHK")), (RunCounters{1, 0, 1}));
    EXPECT_EQ(ScanOf(Record(RemKind::FolderWildcard, dir / "w\\", true, "*.CHK")), (RunCounters{3, 0, 13}));
    EXPECT_EQ(KillOf(Record(RemKind::FolderWildcard, dir / "w\\", true, "*.CHK")), (RunCounters{3, 0, 13}));
    EXPECT_TRUE(FileExists(dir / "w\\keep.txt"));
    EXPECT_TRUE(FolderExists(dir / "w\\sub\\deeper"));
    EXPECT_FALSE(FileExists(dir / "w\\sub\\y.chk"));
}

TEST_F(FileEntryTest, FileHeldOpenIsSkippedUnlessRemovalAtRestartIsAsked) {
    const std::string f = dir.MakeFile("busy\\held.log", 100);
    dir.MakeFile("busy\\free.log", 50);
    HANDLE held = ::CreateFileA(f.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    auto r = Record(RemKind::FolderFiles, dir / "busy\\");
    EXPECT_EQ(ScanOf(r), (RunCounters{1, 0, 50}));
    r.removeAtReboot = true;
    EXPECT_EQ(ScanOf(r), (RunCounters{2, 0, 150}));
    EXPECT_EQ(KillOf(r), (RunCounters{2, 0, 150}));  // the held one is scheduled for the restart
    EXPECT_TRUE(FileExists(f));

    auto single = Record(RemKind::SingleFile, f);
    EXPECT_EQ(KillOf(single), RunCounters{});
    single.removeAtReboot = true;
    EXPECT_EQ(KillOf(single), (RunCounters{1, 0, 100}));
    ::CloseHandle(held);
}

// Large walks test their files on worker threads: the counts must be those of testing each file in
// turn, and a stop must end the walk with every worker gone and no file left open.
TEST_F(FileEntryTest, LargeScanCountsExactlyTheFilesAKillCouldRemove) {
    RunCounters expected;
    std::vector<FileHandle> held;
    std::string readOnly;
    for (int i = 0; i < 400; ++i) {
        const std::string f = dir.MakeFile("large\\d" + std::to_string(i % 7) + "\\f" + std::to_string(i), 10 + i);
        if (i % 37 == 5) {
            held.emplace_back(::CreateFileA(f.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held.back());
            continue;
        }
        if (i % 53 == 7) {
            ::SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY);
            readOnly = f;
        }
        expected.Add(RunCounters{1, 0, static_cast<uint64_t>(10 + i)});
    }
    const auto r = Record(RemKind::FolderFiles, dir / "large\\");
    EXPECT_EQ(ScanOf(r), expected);
    EXPECT_TRUE(::GetFileAttributesA(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY);
    held.clear();
    EXPECT_EQ(ScanOf(r).files, 400u);

    // A stop from the window thread while the workers test.
    FileEntry e(r);
    SetStoppedHandler([] {});
    KernelHandle stopper(::CreateThread(nullptr, 0, [](void*) -> DWORD {
        ::Sleep(5);
        RequestStop();
        return 0;
    }, nullptr, 0, nullptr));
    EXPECT_THROW(for (;;) e.Scan(), RunStopped);
    ::WaitForSingleObject(stopper.Get(), INFINITE);
    SetStoppedHandler(nullptr);
    ClearStop();
    EXPECT_EQ(KillOf(r).files, 400u);  // nothing was left open by a worker
}

TEST_F(FileEntryTest, KillDoesNotFollowFolderLinks) {
    const std::string root = LinkFixture();
    ASSERT_TRUE(FolderExists(root + "walk")) << "fixture missing at " << root;
    const auto r = Record(RemKind::FolderFiles, root + "walk\\");
    KillOf(r);
    EXPECT_FALSE(FileExists(root + "walk\\a.txt"));
    EXPECT_FALSE(FileExists(root + "walk\\sub\\b.txt"));
    EXPECT_EQ(ReadFileBytes(root + "outside\\keep.txt"), "keep\n");
}

TEST_F(FileEntryTest, SizesBeyondFourGibibytesAreCountedWhole) {
    const std::string root = LinkFixture();
    ASSERT_TRUE(FileExists(root + "big\\huge.bin"));
    EXPECT_EQ(ScanOf(Record(RemKind::FolderFiles, root + "big\\", false)), (RunCounters{1, 0, 5ull << 30}));
    EXPECT_EQ(ScanOf(Record(RemKind::SingleFile, root + "big\\huge.bin")), (RunCounters{1, 0, 5ull << 30}));
}

TEST_F(FileEntryTest, NoWalkStartsAtADriveRootOrAProtectedFolderRecursiveOrNot) {
    for (const char* root : {"C:\\", "Z:\\", "C:"}) {
        for (bool recurse : {true, false}) {
            EXPECT_EQ(ScanOf(Record(RemKind::FolderFiles, root, recurse)), RunCounters{}) << root;
            EXPECT_EQ(ScanOf(Record(RemKind::FolderWildcard, root, recurse, "*.*")), RunCounters{}) << root;
        }
        EXPECT_FALSE(MayWalkFolder(root));
    }
    for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_PROFILE, CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY,
                      CSIDL_PROGRAM_FILES, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_STARTMENU}) {
        EntryRecord r = Record(RemKind::FolderWildcard, "", false, "*.*");
        r.folderId = csidl;
        EXPECT_FALSE(MayWalkFolder(ResolveEntryPath(r))) << csidl;
        EXPECT_FALSE(MakeEntry(r)) << csidl;  // the loader refuses it as well
        EXPECT_EQ(ScanOf(r), RunCounters{}) << csidl;
        // Climbing out of an allowed folder leads to the same refusal.
        r.folderId = CSIDL_LOCAL_APPDATA;
        r.path = "Temp\\..\\..\\";
        EXPECT_FALSE(MayWalkFolder(ResolveEntryPath(r)));
    }
    // Folders below them, and the test's own folder, are walked as usual.
    EXPECT_TRUE(MayWalkFolder(dir.Path()));
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    EXPECT_TRUE(MayWalkFolder(temp));
}

TEST_F(FileEntryTest, RelativePathsNameNothing) {
    // Whatever the current folder holds, a relative path is not resolved against it.
    dir.MakeFile("rel\\x.tmp", 10);
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(dir.Path().c_str()));
    for (const EntryRecord& r : {Record(RemKind::FolderFiles, "rel\\"), Record(RemKind::SingleFile, "rel\\x.tmp"),
                                 Record(RemKind::FolderWildcard, "rel\\", false, "*.tmp"), Record(RemKind::FolderFiles, "\\")}) {
        EXPECT_EQ(ResolveEntryPath(r), "") << r.path;
        EXPECT_FALSE(MakeEntry(r)) << r.path;
        EXPECT_EQ(KillOf(r), RunCounters{}) << r.path;
    }
    ::SetCurrentDirectoryA(previous);
    EXPECT_TRUE(FileExists(dir / "rel\\x.tmp"));
}

TEST_F(FileEntryTest, WildcardsMatchLongNamesOnly) {
    dir.MakeFile("m\\notes.chkdsk", 10);
    dir.MakeFile("m\\report.tmpl", 20);
    dir.MakeFile("m\\FILE0000.CHK", 30);
    dir.MakeFile("m\\x.tmp", 40);
    EXPECT_EQ(ScanOf(Record(RemKind::FolderWildcard, dir / "m\\", false, "*.CHK")), (RunCounters{1, 0, 30}));
    EXPECT_EQ(KillOf(Record(RemKind::FolderWildcard, dir / "m\\", false, "*.tmp")), (RunCounters{1, 0, 40}));
    EXPECT_EQ(KillOf(Record(RemKind::FolderWildcard, dir / "m\\", false, "*.CHK")), (RunCounters{1, 0, 30}));
    EXPECT_TRUE(FileExists(dir / "m\\notes.chkdsk"));
    EXPECT_TRUE(FileExists(dir / "m\\report.tmpl"));
}

TEST_F(FileEntryTest, OneTargetWalksAFolderReachedTwoWaysOnce) {
    // links/temp/alias leads to links/temp/real, as "Local Settings\Temp" leads to AppData\Local\Temp.
    const std::string root = LinkFixture() + "temp\\";
    ASSERT_TRUE(FileExists(root + "real\\one.tmp"));
    Target target("User Temp Files", "");
    EntryRecord real = Record(RemKind::FolderWildcard, root + "real\\", true, "*.*");
    real.removeAtReboot = true;
    EntryRecord alias = real;
    alias.path = root + "alias\\";
    target.AddEntry(MakeEntry(real));
    target.AddEntry(MakeEntry(alias));
    ASSERT_EQ(target.EntryCount(), 2u);
    target.Reset();
    target.Scan();
    EXPECT_EQ(target.Counters(), (RunCounters{2, 0, 4}));
    target.Reset();
    target.Scan();  // a new run walks it again
    EXPECT_EQ(target.Counters(), (RunCounters{2, 0, 4}));
}

TEST_F(FileEntryTest, SpecialFolderPathsAreJoinedWithOneSeparator) {
    char appData[MAX_PATH];
    ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE));
    EntryRecord r = Record(RemKind::FolderFiles, "Sub\\");
    r.folderId = CSIDL_APPDATA;
    EXPECT_EQ(ResolveEntryPath(r), std::string(appData) + "\\Sub\\");
    r.path = "\\Sub\\";
    EXPECT_EQ(ResolveEntryPath(r), std::string(appData) + "\\Sub\\");
    r.path.clear();
    EXPECT_EQ(ResolveEntryPath(r), std::string(appData) + "\\");
}

TEST_F(FileEntryTest, UnknownSpecialFolderResolvesToNothing) {
    EntryRecord r = Record(RemKind::FolderFiles, "Temp\\");
    r.folderId = 0xFE;  // no such folder
    EXPECT_EQ(ResolveEntryPath(r), "");
    r.folderId = 0x8000 | CSIDL_DESKTOPDIRECTORY;  // flag bits are not folder ids
    EXPECT_EQ(ResolveEntryPath(r), "");
    EXPECT_EQ(ScanOf(r), RunCounters{});
    EXPECT_EQ(ScanOf(Record(RemKind::FolderFiles, "")), RunCounters{});
}

TEST_F(FileEntryTest, RegistryFolderIsReadFromTheValue) {
    const char* key = "Software\\TracelornTest\\FileEntry";
    dir.MakeFile("viaReg\\x.tmp", 64);
    std::string folder = dir / "viaReg";  // stored without its separator
    HKEY h;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr), ERROR_SUCCESS);
    ::RegSetValueExA(h, "Cache", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                     static_cast<DWORD>(folder.size() + 1));
    ::RegCloseKey(h);

    EntryRecord r;
    r.kind = static_cast<uint32_t>(RemKind::RegistryFolderFiles);
    r.rootKey = 0x80000001u;
    r.path = key;
    r.valueName = "Cache";
    EXPECT_EQ(ResolveEntryPath(r), folder + "\\");
    EXPECT_EQ(KillOf(r), (RunCounters{1, 0, 64}));
    r.valueName = "Missing";
    EXPECT_EQ(ResolveEntryPath(r), "");
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TracelornTest\\FileEntry");
}

TEST_F(FileEntryTest, StopInsideAWalkEndsItAndReleasesTheSearch) {
    for (int i = 0; i < 5; ++i) dir.MakeFile("stopme\\f" + std::to_string(i), 10);
    FileEntry e(Record(RemKind::FolderFiles, dir / "stopme\\"));
    SetStoppedHandler([] {});
    RequestStop();
    EXPECT_THROW(e.Kill(), RunStopped);
    SetStoppedHandler(nullptr);
    EXPECT_EQ(ListFolder(dir / "stopme").size(), 5u);
    EXPECT_TRUE(::RemoveDirectoryA((dir / "stopme").c_str()) == FALSE);  // still full, but not locked
    RemoveTree(dir / "stopme");
    EXPECT_FALSE(FolderExists(dir / "stopme"));
}

TEST_F(FileEntryTest, FactoryRefusesUnknownKindsAndRoots) {
    EntryRecord r;
    r.kind = 0;
    EXPECT_EQ(MakeEntry(r), nullptr);
    r.kind = 7;
    EXPECT_EQ(MakeEntry(r), nullptr);
    r.kind = 2;
    EXPECT_EQ(MakeEntry(r), nullptr);  // neither special folder nor path: it could only mean the current folder
    r.path = "C:\\Tracelorn test\\absent\\";
    EXPECT_NE(MakeEntry(r), nullptr);  // judged again when it is walked
    r.kind = 4;
    r.rootKey = 0x12345678;
    EXPECT_EQ(MakeEntry(r), nullptr);
}
