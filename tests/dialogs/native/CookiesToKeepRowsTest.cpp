// The rows of the "Cookies to Keep" page and what its OK writes.
#include "dialogs/DlgCookiesToKeepRows.h"

#include <gtest/gtest.h>

TEST(CookiesToKeepRows, StoredPolicyAndListedSitesMergeAndOkWritesOnlyTheChanges) {
    KeepListRows rows({"Kept.test", ".old.test", "both.test"}, {"Policy.test", "both.test"});
    rows.AddListed({"www.new.test", ".kept.test", "policy.test"});
    std::vector<std::string> sites;
    for (size_t i = 0; i < rows.Count(); ++i) sites.push_back(rows.Row(i).site);
    EXPECT_EQ(sites, (std::vector<std::string>{"both.test", "kept.test", "old.test", "policy.test", "www.new.test"}));
    EXPECT_EQ(rows.KeptCount(), 4u);
    EXPECT_TRUE(rows.Row(0).locked && rows.Row(3).locked && !rows.Row(1).locked);
    EXPECT_FALSE(rows.Toggle(3)) << "the administrator's site stays kept";
    EXPECT_TRUE(rows.Row(3).kept);
    EXPECT_TRUE(rows.Toggle(2));  // old.test no longer kept
    EXPECT_TRUE(rows.Toggle(4));  // www.new.test kept
    const size_t typed = rows.AddTyped("typed.test");
    EXPECT_EQ(rows.Row(typed).site, "typed.test");
    EXPECT_EQ(rows.ToAdd(), (std::vector<std::string>{"typed.test", "www.new.test"}));
    EXPECT_EQ(rows.ToRemove(), std::vector<std::string>{"old.test"});
    EXPECT_EQ(rows.Matching(" .NEW"), std::vector<size_t>{5});
    EXPECT_EQ(rows.Matching("").size(), rows.Count());
}
