#include "skin/ListLine.h"

#include <gtest/gtest.h>

namespace {
std::vector<int> HeaderOf(const std::string& stored) {
    std::vector<int> bytes;
    for (size_t i = 0; i < list_line::kHeaderSize && i < stored.size(); ++i)
        bytes.push_back(static_cast<unsigned char>(stored[i]));
    return bytes;
}
}  // namespace

TEST(ListLine, TargetLineExample) {
    const std::string stored = list_line::Encode(4, 0, "Recent Files", "3", "0", "1,50 KB");
    EXPECT_EQ(HeaderOf(stored), (std::vector<int>{5, 1, 13, 2, 2, 8}));
    EXPECT_EQ(stored.substr(6), "Recent Files301,50 KB");
}

TEST(ListLine, RoundTripsEveryKind) {
    for (LineKind kind : {LineKind::Plain, LineKind::Highlighted, LineKind::Heading, LineKind::Target,
                          LineKind::Summary}) {
        const ResultLine line = ResultLine::Make(kind, kind == LineKind::Target ? 2 : 0, "Name", "12", "", "3,00 MB");
        ResultLine back;
        ASSERT_TRUE(list_line::Decode(list_line::Encode(line), back));
        EXPECT_EQ(back, line);
        EXPECT_EQ(list_line::KindOf(list_line::Encode(line)), static_cast<int>(kind));
    }
}

TEST(ListLine, EmptyLineHasOnlyHeader) {
    const std::string stored = list_line::Encode(ResultLine{});
    EXPECT_EQ(HeaderOf(stored), (std::vector<int>{1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(stored.size(), 6u);
}

TEST(ListLine, LongNameIsCutSoNoHeaderByteIsZero) {
    const std::string name(300, 'x');
    const std::string stored = list_line::Encode(4, 1, name, std::string(255, '1'));
    EXPECT_EQ(static_cast<unsigned char>(stored[2]), 255);
    EXPECT_EQ(static_cast<unsigned char>(stored[3]), 255);
    for (size_t i = 0; i < list_line::kHeaderSize; ++i) EXPECT_NE(stored[i], '\0');
    ResultLine back;
    ASSERT_TRUE(list_line::Decode(stored, back));
    EXPECT_EQ(back.name, std::string(254, 'x'));
    EXPECT_EQ(back.files, std::string(254, '1'));
}

TEST(ListLine, NameOf254IsKept) {
    ResultLine back;
    ASSERT_TRUE(list_line::Decode(list_line::Encode(4, 0, std::string(254, 'a')), back));
    EXPECT_EQ(back.name.size(), 254u);
}

TEST(ListLine, OutOfRangeKindAndStateStoredAsZero) {
    const std::string stored = list_line::Encode(300, -1, "t");
    EXPECT_EQ(HeaderOf(stored)[0], 1);
    EXPECT_EQ(HeaderOf(stored)[1], 1);
}

TEST(ListLine, RejectsBrokenTexts) {
    ResultLine out = ResultLine::Make(LineKind::Heading, 0, "keep");
    const ResultLine before = out;
    EXPECT_FALSE(list_line::Decode("", out));
    EXPECT_FALSE(list_line::Decode("\x05\x01\x02", out));                          // short header
    EXPECT_FALSE(list_line::Decode(std::string("\x05\x00\x02\x01\x01\x01x", 7), out));  // zero byte
    EXPECT_FALSE(list_line::Decode("\x05\x01\x05\x01\x01\x01" "abc", out));        // too short
    EXPECT_FALSE(list_line::Decode("\x05\x01\x02\x01\x01\x01" "abc", out));        // too long
    EXPECT_EQ(out, before);
    EXPECT_EQ(list_line::KindOf("abc"), -1);
}
