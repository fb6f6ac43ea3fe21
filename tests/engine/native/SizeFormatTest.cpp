#include "engine/SizeFormat.h"

#include <gtest/gtest.h>

TEST(FormatSize, KilobytesBelowOneMebibyte) {
    EXPECT_EQ(FormatSize(0), "0,00 KB");
    EXPECT_EQ(FormatSize(1023), "0,99 KB");
    EXPECT_EQ(FormatSize(1536), "1,50 KB");
    EXPECT_EQ(FormatSize(1048575), "1023,99 KB");
}

TEST(FormatSize, MegabytesBelowOneGibibyte) {
    EXPECT_EQ(FormatSize(1048576), "1,00 MB");
    EXPECT_EQ(FormatSize(1572864), "1,50 MB");
    EXPECT_EQ(FormatSize(1073741823), "1023,99 MB");
}

TEST(FormatSize, GigabytesGrowWithoutALargerUnit) {
    EXPECT_EQ(FormatSize(1073741824), "1,00 GB");
    EXPECT_EQ(FormatSize(5368709120ull), "5,00 GB");
    EXPECT_EQ(FormatSize(2048ull * 1073741824ull), "2048,00 GB");
    EXPECT_EQ(FormatSize(UINT64_MAX), "17179869183,99 GB");
}

TEST(FormatSize, EachCallOwnsItsText) {
    const std::string a = FormatSize(1536);
    const std::string b = FormatSize(1048576);
    EXPECT_EQ(a, "1,50 KB");
    EXPECT_EQ(b, "1,00 MB");
}

TEST(CountText, UnsignedDecimalWithoutSeparators) {
    EXPECT_EQ(CountText(0), "0");
    EXPECT_EQ(CountText(1234567), "1234567");
    EXPECT_EQ(CountText(2147483648u), "2147483648");
    EXPECT_EQ(CountText(4294967295u), "4294967295");
}
