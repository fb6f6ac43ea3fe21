#include "targets/SettingsStoreRules.h"
#include "targets/Statistics.h"

#include <gtest/gtest.h>

TEST(Statistics, EncodesSixteenLittleEndianBytes) {
    const std::string bytes = EncodeStatistics(RunCounters{3, 2, 100});
    const std::string expected("\x03\0\0\0\x02\0\0\0\x64\0\0\0\0\0\0\0", 16);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(EncodeStatistics(RunCounters{0x01020304u, 0xA0B0C0D0u, 0x1122334455667788ull}),
              std::string("\x04\x03\x02\x01\xD0\xC0\xB0\xA0\x88\x77\x66\x55\x44\x33\x22\x11", 16));
}

TEST(Statistics, DecodesWhatItEncodes) {
    const RunCounters in{0xFFFFFFFFu, 7, 0xFFFFFFFFFFFFFFFFull};
    RunCounters out;
    ASSERT_TRUE(DecodeStatistics(EncodeStatistics(in), out));
    EXPECT_EQ(out, in);
}

TEST(Statistics, ShortInputLeavesTheTotalsUntouched) {
    RunCounters totals{5, 6, 7};
    EXPECT_FALSE(DecodeStatistics(std::string(15, '\x01'), totals));
    EXPECT_FALSE(DecodeStatistics(std::string(), totals));
    EXPECT_EQ(totals, (RunCounters{5, 6, 7}));
}

TEST(Statistics, ExtraBytesAfterTheSixteenAreIgnored) {
    RunCounters totals;
    ASSERT_TRUE(DecodeStatistics(EncodeStatistics(RunCounters{1, 2, 3}) + "junk", totals));
    EXPECT_EQ(totals, (RunCounters{1, 2, 3}));
}

TEST(SettingsRules, PausesClampAsSigned) {
    EXPECT_EQ(settings_rules::ClampPause(0xFFFFFFFFu), 0);
    EXPECT_EQ(settings_rules::ClampPause(5000), 4000);
    EXPECT_EQ(settings_rules::ClampPause(4000), 4000);
    EXPECT_EQ(settings_rules::ClampPause(250), 250);
    EXPECT_EQ(settings_rules::ClampPause(0x80000000u), 0);
}

TEST(SettingsRules, StampBounds) {
    using settings_rules::StampFields;
    EXPECT_TRUE(settings_rules::IsValidStamp(StampFields{59, 23, 31, 12, 1900}));
    EXPECT_TRUE(settings_rules::IsValidStamp(StampFields{0, 0, 1, 1, 2008}));
    EXPECT_FALSE(settings_rules::IsValidStamp(StampFields{0, 0, 1, 13, 2008}));
    EXPECT_FALSE(settings_rules::IsValidStamp(StampFields{0, 0, 1, 0, 2008}));
    EXPECT_FALSE(settings_rules::IsValidStamp(StampFields{0, 0, 0, 1, 2008}));
    EXPECT_FALSE(settings_rules::IsValidStamp(StampFields{0, 0, 32, 1, 2008}));
    EXPECT_FALSE(settings_rules::IsValidStamp(StampFields{0, 24, 1, 1, 2008}));
    EXPECT_FALSE(settings_rules::IsValidStamp(StampFields{60, 0, 1, 1, 2008}));
    EXPECT_FALSE(settings_rules::IsValidStamp(StampFields{0, 0, 1, 1, 1899}));
    EXPECT_FALSE(settings_rules::IsValidStamp(StampFields{}));
    EXPECT_FALSE(settings_rules::IsValidStamp(settings_rules::UnconvertibleStamp()));
}

TEST(SettingsRules, NotAfterNow) {
    EXPECT_EQ(settings_rules::NotAfter(200, 100), 100);
    EXPECT_EQ(settings_rules::NotAfter(50, 100), 50);
}
