#include "targets/BrowserProfile.h"

#include <gtest/gtest.h>

TEST(ProfilesIni, ReadsPathOfTheFirstProfile) {
    const std::string ini =
        "[General]\r\nStartWithLastProfile=1\r\n\r\n"
        "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\n"
        "[Profile1]\r\nPath=Profiles/other.second\r\n";
    EXPECT_EQ(FirstProfileValue(ini), "Profiles/abc.default");
}

TEST(ProfilesIni, OnlyProfile0Counts) {
    EXPECT_EQ(FirstProfileValue("[Profile1]\nPath=Profiles/x.default\n"), "");
    EXPECT_EQ(FirstProfileValue("[General]\nPath=Profiles/x.default\n"), "");
    EXPECT_EQ(FirstProfileValue("Path=top\n[Profile0]\nName=a\n"), "");
    EXPECT_EQ(FirstProfileValue(""), "");
}

TEST(ProfilesIni, NamesAreCaseInsensitiveAndValuesTrimmed) {
    EXPECT_EQ(FirstProfileValue("[ profile0 ]\n  PATH =  p.default  \n"), "p.default");
    EXPECT_EQ(FirstProfileValue("[Profile0]\nPath=first\nPath=second\n"), "first");
    EXPECT_EQ(FirstProfileValue("[Profile0]\n;Path=commented\nPath=real"), "real");
}

TEST(ProfilesIni, BrokenLinesAreSkipped) {
    EXPECT_EQ(FirstProfileValue("[Profile0\nPath=a\n"), "");
    EXPECT_EQ(FirstProfileValue("[Profile0]\nno equals sign\nPath=b\n"), "b");
    EXPECT_EQ(FirstProfileValue(std::string("[Profile0]\nPath=c\0d\n", 20)), std::string("c\0d", 3));
}

TEST(ProfileValue, RelativeValuesAreSafe) {
    EXPECT_TRUE(IsSafeProfileValue("Profiles/abc.default"));
    EXPECT_TRUE(IsSafeProfileValue("abc.default"));
    EXPECT_TRUE(IsSafeProfileValue("Profiles\\.\\abc"));
    EXPECT_TRUE(IsSafeProfileValue("a..b"));
}

TEST(ProfileValue, AbsoluteAndParentValuesAreRefused) {
    EXPECT_FALSE(IsSafeProfileValue(""));
    EXPECT_FALSE(IsSafeProfileValue("C:\\Users\\me\\Documents"));
    EXPECT_FALSE(IsSafeProfileValue("C:Documents"));
    EXPECT_FALSE(IsSafeProfileValue("\\\\server\\share"));
    EXPECT_FALSE(IsSafeProfileValue("/Documents"));
    EXPECT_FALSE(IsSafeProfileValue(".."));
    EXPECT_FALSE(IsSafeProfileValue("Profiles/../../.."));
    EXPECT_FALSE(IsSafeProfileValue("Profiles\\..\\x"));
    EXPECT_FALSE(IsSafeProfileValue("Profiles\\...\\x"));
    EXPECT_FALSE(IsSafeProfileValue("Profiles\\. .\\x"));
}

TEST(ProfileFolder, ValueIsAppendedAsWritten) {
    const auto folder = ComposeProfileFolder("C:\\AppData\\Mozilla\\Firefox\\", "Profiles/abc.default");
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(*folder, "C:\\AppData\\Mozilla\\Firefox\\Profiles/abc.default\\");
    EXPECT_FALSE(ComposeProfileFolder("C:\\AppData\\Mozilla\\Firefox\\", "..\\..").has_value());
}

TEST(ProfileFolder, TooLongForTheLongestTargetFileIsNoProfile) {
    const std::string root = "C:\\" + std::string(200, 'r') + "\\";
    const size_t room = kMaxComposedPath - kLongestProfileFileName - root.size() - 1;
    EXPECT_TRUE(ComposeProfileFolder(root, std::string(room, 'v')).has_value());
    EXPECT_FALSE(ComposeProfileFolder(root, std::string(room + 1, 'v')).has_value());
}

TEST(ProfilePath, CachePathLimitedToTheLongestPath) {
    const auto path = ComposeProfilePath("L:\\Local\\Mozilla\\Firefox\\", "p.default", "Cache\\");
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, "L:\\Local\\Mozilla\\Firefox\\p.default\\Cache\\");
    const std::string root = "L:\\" + std::string(240, 'l') + "\\";
    EXPECT_FALSE(ComposeProfilePath(root, std::string(10, 'v'), "Cache\\").has_value());
    EXPECT_FALSE(ComposeProfilePath("L:\\", "../x", "Cache\\").has_value());
}
