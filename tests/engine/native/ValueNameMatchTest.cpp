#include "engine/ValueNameMatch.h"

#include <gtest/gtest.h>

namespace {

bool Matches(const std::string& pattern, const std::string& name) {
    return MatchesValueName(DeriveValueMatch(pattern), name);
}

}  // namespace

TEST(DeriveValueMatch, EachPatternShapeGivesItsModeAndText) {
    struct Case { const char* pattern; ValueMatchMode mode; const char* text; };
    const Case cases[] = {
        {"", ValueMatchMode::All, ""},
        {"*", ValueMatchMode::Exact, ""},
        {"**", ValueMatchMode::Exact, ""},
        {"*.tmp", ValueMatchMode::Suffix, ".tmp"},
        {"*RU*", ValueMatchMode::Contains, "RU"},
        {"***", ValueMatchMode::Contains, "*"},
        {"MRU*", ValueMatchMode::Prefix, "MRU"},
        {"a*b", ValueMatchMode::Exact, "a*b"},
        {"Name", ValueMatchMode::Exact, "Name"},
        {"*a", ValueMatchMode::Suffix, "a"},
        {"a*", ValueMatchMode::Prefix, "a"},
    };
    for (const auto& c : cases) {
        const ValueMatch m = DeriveValueMatch(c.pattern);
        EXPECT_EQ(m.mode, c.mode) << c.pattern;
        EXPECT_EQ(m.text, c.text) << c.pattern;
    }
}

TEST(DeriveValueMatch, LongPatternsKeepTheirWholeText) {
    const std::string body(300, 'x');
    EXPECT_EQ(DeriveValueMatch("*" + body + "*").text, body);
    EXPECT_EQ(DeriveValueMatch(body + "*").text, body);
}

TEST(MatchesValueName, PrefixSuffixContainsIgnoreCase) {
    EXPECT_TRUE(Matches("MRU*", "MRUList"));
    EXPECT_TRUE(Matches("MRU*", "mrulistex"));
    EXPECT_FALSE(Matches("MRU*", "xMRU"));
    EXPECT_FALSE(Matches("MRU*", "MR"));
    EXPECT_TRUE(Matches("*List", "MRUList"));
    EXPECT_FALSE(Matches("*List", "mrulistex"));
    EXPECT_FALSE(Matches("*List", "ist"));
    EXPECT_TRUE(Matches("*RU*", "MRUList"));
    EXPECT_TRUE(Matches("*RU*", "mrulistex"));
    EXPECT_TRUE(Matches("*RU*", "ru"));
    EXPECT_FALSE(Matches("*RU*", "r"));
    EXPECT_FALSE(Matches("*RU*", "Other"));
}

TEST(MatchesValueName, InnerStarIsAnOrdinaryCharacter) {
    EXPECT_TRUE(Matches("a*b", "a*b"));
    EXPECT_TRUE(Matches("a*b", "A*B"));
    EXPECT_FALSE(Matches("a*b", "ab"));
    EXPECT_FALSE(Matches("a*b", "axb"));
}

TEST(MatchesValueName, SingleAndDoubleStarMatchEveryName) {
    for (const char* p : {"*", "**"}) {
        EXPECT_TRUE(Matches(p, "anything")) << p;
        EXPECT_TRUE(Matches(p, "")) << p;
    }
}

TEST(MatchesValueName, ModeAllIsNeverTestedByName) {
    EXPECT_FALSE(Matches("", "anything"));
    EXPECT_FALSE(MatchesValueName(ValueMatch{static_cast<ValueMatchMode>(9), "x"}, "x"));
}

TEST(MatchesValueName, UsesTheGivenFold) {
    const ValueMatch m = DeriveValueMatch("ABC");
    EXPECT_FALSE(MatchesValueName(m, "abc", [](char c) { return c; }));
    EXPECT_TRUE(MatchesValueName(m, "ABC", [](char c) { return c; }));
    EXPECT_TRUE(MatchesValueName(m, "abc"));
}
