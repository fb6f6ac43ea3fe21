#include "targets/CustomTargetsFormat.h"

#include <gtest/gtest.h>

namespace {
TargetRecord Named(const std::string& name) {
    TargetRecord r;
    r.name = name;
    EntryRecord e;
    e.kind = 2;
    e.path = "C:\\cache";
    r.entries.push_back(e);
    return r;
}
}  // namespace

TEST(CustomTargetsFormat, EmptySetIsFourZeroBytes) {
    std::vector<uint8_t> out;
    ASSERT_EQ(EncodeCustomTargets({}, out), RecordWriteResult::Ok);
    EXPECT_EQ(out, std::vector<uint8_t>(4, 0));
    auto d = DecodeCustomTargets(out);
    EXPECT_TRUE(d.complete);
    EXPECT_TRUE(d.records.empty());
}

TEST(CustomTargetsFormat, ShortCountIsIncomplete) {
    auto d = DecodeCustomTargets({1, 0});
    EXPECT_FALSE(d.complete);
    EXPECT_TRUE(DecodeCustomTargets({}).records.empty());
}

TEST(CustomTargetsFormat, StopsAtFirstBadRecordKeepingEarlierOnes) {
    std::vector<uint8_t> bytes;
    ASSERT_EQ(EncodeCustomTargets({Named("a"), Named("b"), Named("c")}, bytes), RecordWriteResult::Ok);
    auto whole = DecodeCustomTargets(bytes);
    ASSERT_EQ(whole.records.size(), 3u);
    EXPECT_TRUE(whole.complete);
    EXPECT_EQ(whole.records[2].name, "c");
    for (size_t cut = 5; cut < bytes.size(); ++cut) {
        auto d = DecodeCustomTargets(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
        EXPECT_FALSE(d.complete) << cut;
        EXPECT_LT(d.records.size(), 3u);
    }
}

TEST(CustomTargetsFormat, CountLargerThanRecordsIsIncomplete) {
    std::vector<uint8_t> bytes;
    ASSERT_EQ(EncodeCustomTargets({Named("a")}, bytes), RecordWriteResult::Ok);
    bytes[0] = 0xFF;
    bytes[3] = 0xFF;
    auto d = DecodeCustomTargets(bytes);
    EXPECT_EQ(d.records.size(), 1u);
    EXPECT_FALSE(d.complete);
}

TEST(CustomTargetsFormat, RefusesARecordTheReaderWouldRefuse) {
    std::vector<uint8_t> out{9};
    TargetRecord r = Named(std::string(260, 'x'));
    EXPECT_EQ(EncodeCustomTargets({Named("ok"), r}, out), RecordWriteResult::StringTooLong);
    EXPECT_EQ(out, std::vector<uint8_t>{9});  // untouched
}

// A record the writer could not store back (a control byte in its name) stops the load like any
// refused record, so what was read can always be saved again.
TEST(CustomTargetsFormat, ReadsNoRecordTheWriterWouldRefuse) {
    std::vector<uint8_t> bytes;
    ASSERT_EQ(EncodeCustomTargets({Named("a")}, bytes), RecordWriteResult::Ok);
    bytes[0] = 2;
    PropertyTree tree;
    ASSERT_EQ(TreeFromRecord(Named("b"), tree), RecordWriteResult::Ok);
    tree.FindNode("Info")->SetString("Name", Scramble(std::string("b\x01", 2)));
    MemoryStream s;
    tree.Write(s);
    bytes.insert(bytes.end(), s.Bytes().begin(), s.Bytes().end());

    auto d = DecodeCustomTargets(bytes);
    ASSERT_EQ(d.records.size(), 1u);
    EXPECT_FALSE(d.complete);
    std::vector<uint8_t> again;
    EXPECT_EQ(EncodeCustomTargets(d.records, again), RecordWriteResult::Ok);
}
