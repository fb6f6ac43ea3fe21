// What the Options pages show for stored settings and store back, and the About texts.
#include "dialogs/OptionsRules.h"

#include <gtest/gtest.h>

using namespace options_rules;

namespace {

TEST(OptionsRules, SpeedsOpenAndSave) {
    EXPECT_EQ(SpeedIndex(0), kFast);
    EXPECT_EQ(SpeedIndex(4000), kSlow);
    EXPECT_EQ(SpeedIndex(2000), kNormal);
    // Any other pause opens as Normal and becomes 2000 on OK.
    EXPECT_EQ(SpeedIndex(1500), kNormal);
    EXPECT_EQ(PauseFor(SpeedIndex(1500)), 2000);
    EXPECT_EQ(PauseFor(kSlow), 4000);
    EXPECT_EQ(PauseFor(kFast), 0);
    for (int pause : {0, 2000, 4000}) EXPECT_EQ(PauseFor(SpeedIndex(pause)), pause) << "a stored choice survives";
}

TEST(OptionsRules, SecurityLevelsOpenAndSave) {
    const int levels[10] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4};  // passes 0..9 divided by 2
    for (int passes = 0; passes <= 9; ++passes) EXPECT_EQ(SecurityLevel(passes), levels[passes]) << passes;
    EXPECT_EQ(SecurityLevel(2), 1) << "2 passes open as Medium";
    EXPECT_EQ(PassesFor(SecurityLevel(2)), 3) << "and save as 3";
    EXPECT_EQ(PassesFor(SecurityLevel(9)), 9) << "Extreme stays 9";
    EXPECT_EQ(SecurityLevel(12), 4);
    EXPECT_EQ(SecurityLevel(-5), 0);
    const int stored[5] = {1, 3, 5, 7, 9};
    for (int level = 0; level < 5; ++level) EXPECT_EQ(PassesFor(level), stored[level]);
    EXPECT_EQ(PassesFor(7), 9) << "through the engine's clamp";
    EXPECT_EQ(PassesFor(-3), 1);
}

TEST(OptionsRules, IntervalAndProgramPath) {
    EXPECT_STREQ(kIntervalTexts[0], "5 minutes");
    EXPECT_STREQ(kIntervalTexts[4], "Hour");
    EXPECT_STREQ(kIntervalTexts[11], "Month");
    EXPECT_EQ(StoredInterval(-1), 0) << "no selection stores 0";
    EXPECT_EQ(StoredInterval(7), 7);
    EXPECT_EQ(StoredInterval(12), 11);
    EXPECT_EQ(StoredAppPath("C:\\x.exe"), "C:\\x.exe");
    EXPECT_EQ(StoredAppPath(std::string(300, 'a')).size(), 255u);
}

TEST(OptionsRules, AboutTexts) {
    EXPECT_EQ(StatisticsText(0, 0, 0),
              "Tracelorn has killed 0 Files, 0 Items\nand freed 0,00 KB disk space since installation!");
    EXPECT_EQ(StatisticsText(4000000000u, 2147483648u, 3u * 1024 * 1024 * 1024),
              "Tracelorn has killed 4000000000 Files, 2147483648 Items\nand freed 3,00 GB disk space since "
              "installation!");
    const int frames[16] = {3, 2, 1, 0, 0, 1, 2, 3, 3, 2, 1, 0, 0, 1, 2, 3};
    for (unsigned c = 0; c < 16; ++c) EXPECT_EQ(LogoFrame(c), frames[c]) << c;
    EXPECT_EQ(LogoFrame(0xFFFFFFFFu), 3) << "the counter may wrap";
    EXPECT_EQ(LinkAddress("http://www.quorvane.com/"), "http://www.quorvane.com/?&from=tl23");
}

}  // namespace
