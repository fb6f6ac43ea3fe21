// The readers of Local State and profiles.ini, and the rules every listed profile name must pass.
#include "targets/ProfileLists.h"

#include <gtest/gtest.h>

namespace {
using Keys = std::vector<std::string>;
}

TEST(LocalState, KeysOfInfoCacheInFileOrderWhateverElseTheFileHolds) {
    const std::string text = "\xEF\xBB\xBF{\"browser\":{\"enabled_labs_experiments\":[],\"x\":[1,2.5e-3,-0,true,null]},\n"
                             " \"profile\": {\"last_used\":\"Profile 1\", \"info_cache\": {\n"
                             "   \"Default\": {\"name\":\"Person 1\",\"avatar_icon\":\"x\",\"nested\":{\"info_cache\":{\"no\":1}}},\n"
                             "   \"Profile 1\": {\"name\":\"W\\u00f6rk \\\"q\\\"\"},\n"
                             "   \"Profile 3\": {}, \"System Profile\": {}, \"..\": {}, \"C:\\\\x\": {}, \"a\\\\b\": {}},\n"
                             "  \"profiles_deleted\": [\"Profile 2\"]},\n"
                             " \"info_cache\": {\"top-level\": 1}}  \r\n";
    const auto keys = LocalStateProfileKeys(text);
    ASSERT_TRUE(keys);
    EXPECT_EQ(*keys, (Keys{"Default", "Profile 1", "Profile 3", "System Profile", "..", "C:\\x", "a\\b"}));
    // Escapes decode: a key written with \u escapes is the name it spells.
    EXPECT_EQ(*LocalStateProfileKeys(R"({"profile":{"info_cache":{"Pro\u0066ile 2":{},"\ud83d\ude00":{}}}})"),
              (Keys{"Profile 2", "\xF0\x9F\x98\x80"}));
    EXPECT_EQ(*LocalStateProfileKeys(R"({"profile":{"info_cache":{}}})"), Keys{});
}

TEST(LocalState, AnythingButWellFormedJsonWithTheObjectIsNothing) {
    for (const char* bad : {"", "not json at all", "{", "{\"profile\":{\"info_cache\":{\"Default\":{}}}",
                            "{\"profile\":{\"info_cache\":{\"Default\":{}}}} trailing",
                            "{\"profile\":{\"info_cache\":{\"Default\":{},}}}", "{\"profile\":{\"info_cache\":[]}}",
                            "{\"profile\":{}}", "[]", "{\"a\":01}", "{\"a\":1.}", "{\"a\":\"\\x\"}",
                            "{\"a\":\"tab\tinside\"}", "{\"a\":tru}", "{\"a\" 1}", "{'a':1}",
                            "{\"profile\":{\"info_cache\":{\"\\u12\":{}}}}"}) {
        EXPECT_FALSE(LocalStateProfileKeys(bad)) << bad;
    }
    // Nesting is bounded, so a crafted file cannot exhaust the stack.
    const std::string deep = "{\"a\":" + std::string(kMaxJsonDepth + 5, '[') + std::string(kMaxJsonDepth + 5, ']') + "}";
    EXPECT_FALSE(LocalStateProfileKeys(deep));
    const std::string fine = "{\"a\":" + std::string(10, '[') + std::string(10, ']') +
                             ",\"profile\":{\"info_cache\":{\"Default\":{}}}}";
    EXPECT_EQ(*LocalStateProfileKeys(fine), Keys{"Default"});
}

TEST(ProfileNames, OnlyOnePlainFolderBelowTheRoot) {
    for (const char* good : {"Default", "Profile 1", "Profile 12", "Guest Profile", "abc.default-release"})
        EXPECT_TRUE(IsChromiumProfileFolder(good)) << good;
    for (const char* bad : {"", ".", "..", "...", ". .", "C:\\x", "C:", "a\\b", "a/b", "\\\\server\\share",
                            "System Profile", "system profile", "nul", "CON.txt", "com1", "Default.", "Default ",
                            " Default", "a*b", "a?b", "a|b", "tab\there", "W\xC3\xB6rk"})
        EXPECT_FALSE(IsChromiumProfileFolder(bad)) << bad;
    EXPECT_FALSE(IsChromiumProfileFolder(std::string(kMaxProfileNameLength + 1, 'a')));
    EXPECT_TRUE(IsStandardChromiumProfileFolder("Default"));
    EXPECT_TRUE(IsStandardChromiumProfileFolder("Profile 3"));
    for (const char* other : {"System Profile", "Guest Profile", "Profile ", "Profile x", "profile 1", "Crashpad"})
        EXPECT_FALSE(IsStandardChromiumProfileFolder(other)) << other;
}

TEST(ProfilesIni, EveryProfileSectionWithRelativeAndAbsolutePaths) {
    const std::string ini =
        "[General]\r\nStartWithLastProfile=1\r\nPath=not/a/profile\r\n\r\n"
        "[Profile1]\r\nName=work\r\nIsRelative=0\r\nPath=D:\\Firefox\\work\r\nPath=ignored\r\n\r\n"
        "; a comment\r\n[profile0]\r\n  Name = default\r\n  Path = Profiles/abc.default-release \r\n  Default=1\r\n"
        "[Profile2]\r\nName=no path\r\n"
        "[ProfileX]\r\nPath=Profiles/x\r\n"
        "[Install308046B0AF4A39CB]\r\nDefault=Profiles/abc.default-release\r\nLocked=1\r\n"
        "[Profile3]\r\nIsRelative=1\r\nPath=..\r\n";
    const auto entries = ProfilesIniEntries(ini);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].path, "D:\\Firefox\\work");
    EXPECT_FALSE(entries[0].relative);
    EXPECT_EQ(entries[1].path, "Profiles/abc.default-release");
    EXPECT_TRUE(entries[1].relative);
    EXPECT_EQ(entries[2].path, "..");
    EXPECT_TRUE(ProfilesIniEntries("").empty());
    EXPECT_TRUE(ProfilesIniEntries("[Profile0\nPath=x\n").empty());

    EXPECT_EQ(*MozillaRelativeProfile("Profiles/abc.default-release"), "Profiles\\abc.default-release");
    EXPECT_EQ(*MozillaRelativeProfile("abc.default"), "abc.default");
    for (const char* bad : {"..", "C:\\x", "a\\b", "Profiles/../x", "Profiles/x/y", "/Profiles/x", "Profiles\\..",
                            "Profiles/", ""})
        EXPECT_FALSE(MozillaRelativeProfile(bad)) << bad;

    EXPECT_EQ(*MozillaAbsoluteProfile("D:\\Firefox\\work\\"), "D:\\Firefox\\work");
    EXPECT_EQ(*MozillaAbsoluteProfile("c:/Users/me/ff"), "c:\\Users\\me\\ff");
    for (const char* bad : {"C:\\", "C:x", "\\\\server\\share\\p", "C:\\a\\..\\..\\Windows", "C:\\a\\.\\b",
                            "C:\\a\\\\b", "relative\\p", "C:\\a*"})
        EXPECT_FALSE(MozillaAbsoluteProfile(bad)) << bad;
}
