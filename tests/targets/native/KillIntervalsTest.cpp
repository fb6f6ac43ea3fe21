#include "targets/KillIntervals.h"
#include "targets/TargetCatalog.h"

#include <gtest/gtest.h>

TEST(KillIntervals, IndexIsClampedIntoTheTable) {
    TargetCatalog catalog;
    catalog.SetAutoKillIntervalIndex(-5);
    EXPECT_EQ(catalog.Settings().akEveryTimeTime, 0);
    catalog.SetAutoKillIntervalIndex(20);
    EXPECT_EQ(catalog.Settings().akEveryTimeTime, 11);
    catalog.SetAutoKillIntervalIndex(4);
    EXPECT_EQ(catalog.Settings().akEveryTimeTime, 4);
}

TEST(KillIntervals, AutoKillIsDueAfterWholeMinutesOfTheInterval) {
    TargetCatalog catalog;
    catalog.SetAutoKillIntervalIndex(0);  // 5 minutes
    catalog.SetLastKillTime(1000000);
    EXPECT_FALSE(catalog.AutoKillDueAt(1000000 + 299));
    EXPECT_TRUE(catalog.AutoKillDueAt(1000000 + 300));
    catalog.SetAutoKillIntervalIndex(11);  // 30 days
    EXPECT_FALSE(catalog.AutoKillDueAt(1000000 + 43200 * 60 - 1));
    EXPECT_TRUE(catalog.AutoKillDueAt(1000000 + 43200 * 60));
    // A clock set back never makes a kill due.
    EXPECT_FALSE(catalog.AutoKillDueAt(1000000 - 10 * 86400));
}

TEST(KillIntervals, TableMatchesTheOfferedChoices) {
    const int32_t expected[] = {5, 10, 20, 30, 60, 120, 300, 480, 720, 1440, 10080, 43200};
    for (int i = 0; i < kill_intervals::kCount; ++i) EXPECT_EQ(kill_intervals::kMinutes[i], expected[i]);
}

TEST(KillIntervals, UpdateCheckIsDueAfterSixHours) {
    TargetCatalog catalog;
    catalog.SetLastUpdateTime(5000);
    EXPECT_FALSE(catalog.UpdateCheckDueAt(5000 + 360 * 60 - 1));
    EXPECT_TRUE(catalog.UpdateCheckDueAt(5000 + 360 * 60));
}

TEST(KillIntervals, ConstructionStampsBothTimesWithNow) {
    const int64_t before = TargetCatalog::Now();
    TargetCatalog catalog;
    EXPECT_GE(catalog.LastKillTime(), before);
    EXPECT_GE(catalog.LastUpdateTime(), before);
    EXPECT_EQ(catalog.Settings().akEveryTimeTime, 2);
}
