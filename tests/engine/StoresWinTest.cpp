#include "engine/Win32SystemStores.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

namespace {

const char kTestKey[] = "Software\\TracelornTest\\CatalogPageFile";

class PageFileSettingTest : public ::testing::Test {
protected:
    void TearDown() override { ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestKey); }
};

}  // namespace

TEST_F(PageFileSettingTest, KillWritesTheValue) {
    auto setting = std::make_shared<Win32PageFileSetting>(HKEY_CURRENT_USER, kTestKey);
    PageFileEntry entry(setting);
    entry.Scan();
    EXPECT_EQ(entry.Counters().files, 1u);
    DWORD value = 0, size = sizeof value, type = 0;
    EXPECT_NE(::SHGetValueA(HKEY_CURRENT_USER, kTestKey, "ClearPageFileAtShutdown", &type, &value, &size), ERROR_SUCCESS);
    entry.Reset();
    entry.Kill();
    EXPECT_EQ(entry.Counters().files, 1u);
    EXPECT_EQ(entry.Counters().bytes, 0u);
    ASSERT_EQ(::SHGetValueA(HKEY_CURRENT_USER, kTestKey, "ClearPageFileAtShutdown", &type, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 1u);
}

TEST_F(PageFileSettingTest, ProductionKeyIsMemoryManagement) {
    EXPECT_STREQ(Win32PageFileSetting::kMemoryManagementKey,
                 "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management");
}

TEST(DriveListWin, SystemDriveIsAFixedRoot) {
    Win32DriveList drives;
    const auto roots = drives.Roots();
    ASSERT_FALSE(roots.empty());
    EXPECT_NE(std::find(roots.begin(), roots.end(), "C:\\"), roots.end());
    EXPECT_EQ(drives.TypeOf("C:\\"), DriveType::Fixed);
    const auto fixed = FixedDriveRoots(drives);
    EXPECT_NE(std::find(fixed.begin(), fixed.end(), "C:\\"), fixed.end());
    EXPECT_LE(fixed.size(), kMaxDriveRoots);
}

TEST(RecycleWin, CurrentUserHasASid) {
    const std::string sid = CurrentUserSid();
    EXPECT_EQ(sid.rfind("S-1-", 0), 0u) << sid;
}
