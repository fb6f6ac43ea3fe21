#include "engine/ExcludeList.h"

#include <gtest/gtest.h>

TEST(ExcludeList, ReadsTheThreeStoredFormsAndRefusesTheRest) {
    EXPECT_EQ(ParseExclude("FILE|C:\\t\\a.log")->kind, ExcludeKind::File);
    EXPECT_EQ(ParseExclude("path|C:\\t\\keep\\")->kind, ExcludeKind::Folder);
    EXPECT_EQ(ParseExclude("REG|HKCU\\Software\\X")->kind, ExcludeKind::Key);
    EXPECT_EQ(StoredExclude(*ParseExclude("PATH|C:\\t\\keep")), "PATH|C:\\t\\keep");
    // No kind, an unknown kind, nothing named, or a whole drive or hive.
    for (const char* bad : {"", "C:\\t\\a.log", "DIR|C:\\t", "FILE|", "PATH|C:\\", "PATH|\\\\srv\\share", "REG|HKCU",
                            "REG|HKEY_LOCAL_MACHINE\\"})
        EXPECT_FALSE(ParseExclude(bad)) << bad;
    EXPECT_EQ(RegistryKeyName(0x80000001u, "\\Software\\X"), "HKEY_CURRENT_USER\\Software\\X");
    EXPECT_EQ(RegistryKeyName(0x12345678u, "Software"), "");
}

TEST(ExcludeList, FileFolderAndKeyCoverWhatTheyNameCaseInsensitively) {
    ExcludeList list;
    EXPECT_FALSE(list.ExcludesFile("C:\\t\\a.log"));
    list.Add(*ParseExclude("FILE|C:\\Temp\\Keep.LOG"));
    list.Add(*ParseExclude("PATH|C:\\Temp\\Project\\"));
    list.Add(*ParseExclude("REG|HKCU\\Software\\Keep"));

    EXPECT_TRUE(list.ExcludesFile("c:\\temp\\keep.log"));
    EXPECT_TRUE(list.ExcludesFile("\\\\?\\C:\\TEMP\\KEEP.log"));  // the long-path form of a final path
    EXPECT_FALSE(list.ExcludesFile("C:\\Temp\\Keep.log.bak"));
    EXPECT_FALSE(list.ExcludesFile("C:\\Temp\\Other\\Keep.log"));
    EXPECT_TRUE(list.ExcludesFileItself("C:\\Temp\\keep.log"));
    EXPECT_FALSE(list.ExcludesFileItself("C:\\Temp\\Project\\x.tmp"));  // the walk checked the folder

    EXPECT_TRUE(list.ExcludesFolder("C:\\temp\\project"));
    EXPECT_TRUE(list.ExcludesFolder("C:\\Temp\\Project\\deep\\er\\"));
    EXPECT_TRUE(list.ExcludesFile("C:\\Temp\\Project\\deep\\x.tmp"));
    EXPECT_FALSE(list.ExcludesFolder("C:\\Temp\\Projects"));  // a sibling that shares the prefix
    EXPECT_FALSE(list.ExcludesFolder("C:\\Temp"));

    EXPECT_TRUE(list.ExcludesKey("HKEY_CURRENT_USER\\software\\keep"));
    EXPECT_TRUE(list.ExcludesKey("HKCU\\Software\\Keep\\Sub"));
    EXPECT_FALSE(list.ExcludesKey("HKEY_CURRENT_USER\\Software\\Keeper"));
    EXPECT_FALSE(list.ExcludesKey("HKEY_LOCAL_MACHINE\\Software\\Keep"));
    EXPECT_FALSE(list.ExcludesKey("HKEY_CURRENT_USER\\Software"));
}
