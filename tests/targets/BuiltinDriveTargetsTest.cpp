#include "targets/DriveTargets.h"

#include "support/FakeMachine.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>

namespace {

bool IsFolder(const std::string& path) {
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Drive roots stand in as folders of the test's own TempFolder: A removable, C and D fixed.
class DriveTargetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"A", "C", "D"}) {
            const std::string root = temp_.MakeFolder(name) + "\\";
            drives_.roots.push_back(root);
        }
        drives_.types[drives_.roots[0]] = DriveType::Removable;
        drives_.types[drives_.roots[1]] = DriveType::Fixed;
        drives_.types[drives_.roots[2]] = DriveType::Fixed;
    }
    TempFolder temp_;
    FakeDrives drives_;
};

}  // namespace

TEST_F(DriveTargetsTest, RecycleBinCoversTheFixedDrives) {
    temp_.MakeFolder("D\\RECYCLER");
    // C's RECYCLED is the system's: hidden, with its INFO2 index.
    temp_.MakeFile("C\\RECYCLED\\INFO2", 20);
    ASSERT_TRUE(::SetFileAttributesA((temp_ / "C\\RECYCLED").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY));
    RecycleBinTarget target(drives_, std::make_shared<FakeRecycleBinShell>(), "S-1-5-21-1", IsFolder);
    EXPECT_EQ(target.Name(), "Recycle Bin");
    EXPECT_EQ(target.Description(), "Kills all Files and Folders in Recycle bin");
    EXPECT_TRUE(target.Selected());
    ASSERT_EQ(target.EntryCount(), 2u);
    auto& c = static_cast<RecycleFolderEntry&>(target.Entry(0));
    auto& d = static_cast<RecycleFolderEntry&>(target.Entry(1));
    EXPECT_EQ(c.Root(), drives_.roots[1]);
    EXPECT_EQ(c.Folder(), drives_.roots[1] + "RECYCLED\\");
    EXPECT_EQ(d.Folder(), drives_.roots[2] + "RECYCLER\\");
}

TEST_F(DriveTargetsTest, AUsersOwnRecycledFolderIsNoRecycleFolder) {
    // Plain, or hidden but holding no recycle index or class: the user's, never walked.
    temp_.MakeFile("C\\Recycled\\photo.jpg", 100);
    temp_.MakeFile("D\\Recycled\\desktop.ini", 20);
    ASSERT_TRUE(::SetFileAttributesA((temp_ / "D\\Recycled").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY));
    auto shell = std::make_shared<FakeRecycleBinShell>();
    shell->hasItems = true;
    RecycleBinTarget target(drives_, shell, "S-1-5-21-1", IsFolder);
    ASSERT_EQ(target.EntryCount(), 2u);
    EXPECT_EQ(static_cast<RecycleFolderEntry&>(target.Entry(0)).Folder(), "");
    EXPECT_EQ(static_cast<RecycleFolderEntry&>(target.Entry(1)).Folder(), "");
    target.Reset();
    target.Kill();
    EXPECT_EQ(target.Counters(), RunCounters{});
    EXPECT_TRUE(FileExists(temp_ / "C\\Recycled\\photo.jpg"));
    // Once its desktop.ini gives it the recycle bin's class, D's folder is the system's.
    temp_.MakeFileWith("D\\Recycled\\desktop.ini", "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n");
    RecycleBinTarget marked(drives_, shell, "S-1-5-21-1", IsFolder);
    EXPECT_EQ(static_cast<RecycleFolderEntry&>(marked.Entry(1)).Folder(), drives_.roots[2] + "RECYCLED\\");
}

TEST_F(DriveTargetsTest, ChkFilesMatchOnlyTheRootsOfFixedDrives) {
    temp_.MakeFile("C\\FILE0000.CHK", 100);
    temp_.MakeFile("C\\sub\\FILE0001.CHK", 100);
    temp_.MakeFile("A\\FILE0002.CHK", 100);
    temp_.MakeFile("D\\keep.txt", 100);
    ChkFilesTarget target(drives_);
    EXPECT_EQ(target.Name(), "Scandisk File Fragments (*.CHK)");
    EXPECT_EQ(target.Description(), "Kills .CHK files at the root directory of drives");
    EXPECT_TRUE(target.Selected());
    ASSERT_EQ(target.EntryCount(), 2u);
    const EntryRecord* record = target.Entry(0).Record();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, static_cast<uint32_t>(RemKind::FolderWildcard));
    EXPECT_EQ(record->mask, "*.CHK");
    EXPECT_FALSE(record->recurse);
    target.Reset();
    target.Scan();
    EXPECT_EQ(target.Counters().files, 1u);
    EXPECT_EQ(target.Counters().bytes, 100u);
}

TEST_F(DriveTargetsTest, NoFixedDrivesGiveNoEntries) {
    drives_.types[drives_.roots[1]] = DriveType::Remote;
    drives_.types[drives_.roots[2]] = DriveType::CdRom;
    ChkFilesTarget chk(drives_);
    RecycleBinTarget bin(drives_, std::make_shared<FakeRecycleBinShell>(), "S-1-5-21-1", IsFolder);
    EXPECT_EQ(chk.EntryCount(), 0u);
    EXPECT_EQ(bin.EntryCount(), 0u);
}
