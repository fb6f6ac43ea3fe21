#include "engine/RecycleRules.h"

#include "support/FakeMachine.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

TEST(DriveStrings, ParsesRootsInListOrder) {
    const char buffer[] = "A:\\\0C:\\\0D:\\\0\0";
    EXPECT_EQ(ParseDriveStrings(buffer, sizeof buffer), (std::vector<std::string>{"A:\\", "C:\\", "D:\\"}));
    EXPECT_TRUE(ParseDriveStrings("\0", 1).empty());
    EXPECT_TRUE(ParseDriveStrings(nullptr, 10).empty());
}

TEST(DriveStrings, AtMostFifteenRootsAndNoCutOffRoot) {
    std::string buffer;
    for (char d = 'C'; d <= 'Z'; ++d) buffer += std::string(1, d) + ":\\" + std::string(1, '\0');
    buffer += '\0';
    const auto roots = ParseDriveStrings(buffer.data(), buffer.size());
    ASSERT_EQ(roots.size(), kMaxDriveRoots);
    EXPECT_EQ(roots.front(), "C:\\");
    EXPECT_EQ(roots.back(), "Q:\\");
    const char cut[] = {'C', ':', '\\', '\0', 'D', ':'};
    EXPECT_EQ(ParseDriveStrings(cut, sizeof cut), (std::vector<std::string>{"C:\\"}));
}

TEST(DriveList, OnlyFixedDrivesInListOrder) {
    FakeDrives drives;
    drives.roots = {"A:\\", "C:\\", "D:\\", "E:\\"};
    drives.types = {{"A:\\", DriveType::Removable}, {"C:\\", DriveType::Fixed}, {"D:\\", DriveType::Fixed}, {"E:\\", DriveType::CdRom}};
    EXPECT_EQ(FixedDriveRoots(drives), (std::vector<std::string>{"C:\\", "D:\\"}));
}

TEST(DriveList, RootsBeyondFifteenAreNotCovered) {
    FakeDrives drives;
    for (int i = 0; i < 20; ++i) {
        const std::string root = std::string(1, static_cast<char>('D' + i)) + ":\\";
        drives.roots.push_back(root);
        drives.types[root] = DriveType::Fixed;
    }
    const auto fixed = FixedDriveRoots(drives);
    ASSERT_EQ(fixed.size(), kMaxDriveRoots);
    EXPECT_EQ(fixed.back(), "R:\\");
}

TEST(RecycleFolder, PrefersRecycleBinThenRecyclerAndTakesRecycledOnlyWhenMarked) {
    std::set<std::string> folders;
    std::set<std::string> marked;
    const auto isFolder = [&](const std::string& path) { return folders.count(path) == 1; };
    const auto isMarked = [&](const std::string& path) { return marked.count(path) == 1; };
    // A user's own "Recycled" folder is not a recycle folder: the drive has none.
    folders.insert("C:\\RECYCLED");
    EXPECT_EQ(ChooseRecycleFolder("C:\\", isFolder, isMarked), "");
    marked.insert("C:\\RECYCLED");
    EXPECT_EQ(ChooseRecycleFolder("C:\\", isFolder, isMarked), "C:\\RECYCLED\\");
    folders.insert("C:\\RECYCLER");
    EXPECT_EQ(ChooseRecycleFolder("C:\\", isFolder, isMarked), "C:\\RECYCLER\\");
    folders.insert("C:\\$Recycle.Bin");
    EXPECT_EQ(ChooseRecycleFolder("C:\\", isFolder, isMarked), "C:\\$Recycle.Bin\\");
}

TEST(RecycleFolder, DesktopIniMustNameTheRecycleBinClass) {
    EXPECT_TRUE(DesktopIniNamesRecycleBin("[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n"));
    EXPECT_TRUE(DesktopIniNamesRecycleBin("[.ShellClassInfo]\nCLSID={645ff040-5081-101b-9f08-00aa002f954e}"));
    EXPECT_FALSE(DesktopIniNamesRecycleBin("[.ShellClassInfo]\nIconResource=C:\\x.dll,3\n"));
    EXPECT_FALSE(DesktopIniNamesRecycleBin(""));
}

TEST(RecycleFolder, BookkeepingAdjustment) {
    RunCounters two{2, 0, 300};
    ApplyBookkeepingAdjustment(two);
    EXPECT_EQ(two, (RunCounters{0, 0, 0}));
    RunCounters five{5, 0, 500};
    ApplyBookkeepingAdjustment(five);
    EXPECT_EQ(five, (RunCounters{3, 0, 500}));
    RunCounters one{1, 4, 10};
    ApplyBookkeepingAdjustment(one);
    EXPECT_EQ(one, (RunCounters{0, 4, 0}));
}

TEST(RecycleFolder, OwnSubfolderAndBookkeepingNames) {
    EXPECT_TRUE(IsOwnRecycleSubfolder("S-1-5-21-1-2-3-1000", "s-1-5-21-1-2-3-1000"));
    EXPECT_FALSE(IsOwnRecycleSubfolder("S-1-5-21-1-2-3-1001", "S-1-5-21-1-2-3-1000"));
    EXPECT_FALSE(IsOwnRecycleSubfolder("S-1-5-21-1-2-3-10000", "S-1-5-21-1-2-3-1000"));
    EXPECT_FALSE(IsOwnRecycleSubfolder("", ""));
    EXPECT_TRUE(IsRecycleBookkeeping("desktop.ini"));
    EXPECT_TRUE(IsRecycleBookkeeping("DESKTOP.INI"));
    EXPECT_FALSE(IsRecycleBookkeeping("desktop.ini.txt"));
    EXPECT_FALSE(IsRecycleBookkeeping("$RABC.txt"));
}
