#include "targets/PluginRecord.h"
#include "targets/PropertyTree.h"

#include <gtest/gtest.h>

namespace {
std::vector<uint8_t> Bytes(const PropertyTree& tree) {
    MemoryStream s;
    tree.Write(s);
    return s.Bytes();
}

PropertyTree PluginTree() {
    PropertyTree t;
    t.SetMagic(PropertyTree::kPluginMagic);
    t.SetCheck(true);
    return t;
}

PropertyTree ReadBack(const std::vector<uint8_t>& bytes, bool& ok) {
    MemoryStream in(bytes);
    PropertyTree t;
    ok = t.Read(in);
    return t;
}

TargetRecord TwelveEntries() {
    TargetRecord r;
    r.name = "Twelve";
    r.description = "Kills twelve things";
    for (int i = 0; i < 12; ++i) {
        EntryRecord e;
        e.kind = 1;
        e.path = "file" + std::to_string(i) + ".txt";
        e.folderId = 0x1c;
        r.entries.push_back(e);
    }
    r.conditions.resize(2);
    return r;
}
}  // namespace

TEST(ScrambledString, AbcShiftsByThirteen) {
    PropertyNode n("Info", 0);
    n.SetString("Name", Scramble("abc"));
    MemoryStream s;
    n.Write(s);
    // tag, "Info", one property, "Name", type 4, then the string
    const std::vector<uint8_t>& b = s.Bytes();
    std::vector<uint8_t> tail(b.end() - 5, b.end());
    EXPECT_EQ(tail, (std::vector<uint8_t>{0x03, 0x00, 0x54, 0x55, 0x56}));
    EXPECT_EQ(Unscramble(Scramble("abc")), "abc");
}

TEST(ScrambledString, EmptyAndTenByteStringsAreUnshifted) {
    EXPECT_EQ(Scramble(""), "");
    EXPECT_EQ(Scramble("0123456789"), "0123456789");
    EXPECT_EQ(Unscramble("0123456789"), "0123456789");
    EXPECT_NE(Scramble("012345678"), "012345678");
}

TEST(PropertyTree, TwelveEntriesStoredInNameOrderAndAllFound) {
    PropertyTree tree;
    ASSERT_EQ(TreeFromRecord(TwelveEntries(), tree), RecordWriteResult::Ok);
    std::vector<std::string> expected{"Info", "Rem0", "Rem1", "Rem10", "Rem11", "Rem2", "Rem3", "Rem4",
                                      "Rem5", "Rem6", "Rem7", "Rem8", "Rem9", "Valid0", "Valid1"};
    ASSERT_EQ(tree.NodeCount(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(tree.Node(i).Name(), expected[i]);
    bool ok = false;
    PropertyTree back = ReadBack(Bytes(tree), ok);
    ASSERT_TRUE(ok);
    for (const std::string& name : expected) {
        const PropertyNode* n = back.FindNode(name);
        ASSERT_NE(n, nullptr) << name;
        EXPECT_EQ(n->Name(), name);
    }
    EXPECT_EQ(back.FindNode("Rem12"), nullptr);
    auto record = RecordFromTree(back);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->entries.size(), 12u);
    EXPECT_EQ(record->entries[11].path, "file11.txt");
    EXPECT_EQ(record->conditions.size(), 2u);
}

TEST(PropertyTree, LookupsIgnoreCase) {
    PropertyTree tree;
    tree.AddNode("Rem0", 0, true).SetBoolean("Active", true);
    tree.AddNode("Info", 0, true);
    ASSERT_NE(tree.FindNode("rem0"), nullptr);
    EXPECT_EQ(tree.FindNode("rem0")->Name(), "Rem0");
    EXPECT_NE(tree.FindNode("INFO"), nullptr);
    EXPECT_TRUE(tree.FindNode("REM0")->GetBoolean("active", false));
    tree.FindNode("Rem0")->SetInteger("ACTIVE", 5);
    EXPECT_EQ(tree.FindNode("Rem0")->Properties().size(), 1u);  // same property, retyped
    EXPECT_EQ(tree.FindNode("Rem0")->GetBoolean("Active", false), false);  // wrong type: default
    EXPECT_EQ(tree.FindNode("Rem0")->GetInteger("Active", 0), 5u);
}

TEST(PropertyTree, WrittenTreeReadsBackEqual) {
    PropertyTree tree = PluginTree();
    PropertyNode& a = tree.AddNode("Beta", 0, true);
    a.SetInteger("I", 0xDEADBEEF);
    a.SetBoolean("B", true);
    a.SetString("S", std::string("x\0y", 3));
    a.SetStamp("D", 1, 2, 3, 4);
    tree.AddNode("alpha", 0, true).SetString("Empty", "");
    bool ok = false;
    PropertyTree back = ReadBack(Bytes(tree), ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(back == tree);
    EXPECT_EQ(back.Magic(), PropertyTree::kPluginMagic);
    EXPECT_EQ(back.Node(0).Name(), "alpha");
    EXPECT_EQ(back.FindNode("beta")->GetString("S", ""), std::string("x\0y", 3));
}

TEST(PropertyTree, UnknownTypeKeptAsFourBytes) {
    std::vector<uint8_t> bytes{'P', 'R', 'T', '2', 1, 0, 0, 0,   0, 0, 0, 0, 1, 0, 'N', 1, 0, 0, 0,
                               1, 0, 'p', 9, 0x11, 0x22, 0x33, 0x44};
    bool ok = false;
    PropertyTree t = ReadBack(bytes, ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(t.Node(0).Properties().size(), 1u);
    EXPECT_EQ(t.Node(0).Properties()[0].type, 9);
    EXPECT_EQ(t.Node(0).Properties()[0].number, 0x44332211u);
    EXPECT_EQ(Bytes(t), bytes);
}

TEST(PropertyTree, MagicCheckedOnlyWithCheckFlag) {
    PropertyTree other;
    other.SetMagic({'X', 'Y', 'Z', 'W'});
    other.AddNode("Info", 0, false);
    bool ok = false;
    MemoryStream in(Bytes(other));
    PropertyTree strict = PluginTree();
    EXPECT_FALSE(strict.Read(in));
    PropertyTree lax = ReadBack(Bytes(other), ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(lax.Magic(), other.Magic());
}

TEST(PropertyTree, CountsBeyondTheBytesLeftFail) {
    std::vector<uint8_t> huge{'P', 'R', 'T', '2', 0xFF, 0xFF, 0xFF, 0xFF};
    bool ok = true;
    ReadBack(huge, ok);
    EXPECT_FALSE(ok);
    std::vector<uint8_t> props{'P', 'R', 'T', '2', 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F};
    ReadBack(props, ok);
    EXPECT_FALSE(ok);
    std::vector<uint8_t> name{'P', 'R', 'T', '2', 1, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 'a'};
    ReadBack(name, ok);
    EXPECT_FALSE(ok);
}

TEST(PropertyTree, EveryTruncationFails) {
    PropertyTree tree;
    ASSERT_EQ(TreeFromRecord(TwelveEntries(), tree), RecordWriteResult::Ok);
    std::vector<uint8_t> bytes = Bytes(tree);
    for (size_t n = 0; n < bytes.size(); ++n) {
        MemoryStream in(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
        EXPECT_FALSE(ReadTargetRecord(in)) << "cut at " << n;
    }
    MemoryStream whole(bytes);
    EXPECT_TRUE(ReadTargetRecord(whole));
}

TEST(MemoryStream, SeekClampsAndReadStopsAtEnd) {
    MemoryStream s;
    ASSERT_EQ(s.Write("abcdef", 6), 6u);
    s.Seek(2, ByteStream::Origin::End);
    EXPECT_EQ(s.Position(), 4u);
    s.Seek(100, ByteStream::Origin::End);
    EXPECT_EQ(s.Position(), 0u);
    s.Seek(100, ByteStream::Origin::Begin);
    EXPECT_EQ(s.Position(), 6u);
    s.Seek(-2, ByteStream::Origin::Current);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2u);
    EXPECT_EQ(std::string(buf), "ef");
    s.Seek(1, ByteStream::Origin::Begin);
    ASSERT_EQ(s.Write("XYZWVUT", 7), 7u);
    EXPECT_EQ(s.Size(), 8u);
}

TEST(PluginRecord, DateDefaultsAndFourthByteZero) {
    PropertyTree t = PluginTree();
    t.AddNode("Info", 0, true);
    auto r = RecordFromTree(t);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->stamp, (std::array<uint8_t, 4>{1, 1, 0, 0}));
    t.FindNode("Info")->SetStamp("Date", 7, 3, 9, 200);
    r = RecordFromTree(t);
    EXPECT_EQ(r->stamp, (std::array<uint8_t, 4>{7, 3, 9, 0}));
}

TEST(PluginRecord, GapHidesLaterEntries) {
    PropertyTree t = PluginTree();
    t.AddNode("Info", 0, true);
    for (const char* n : {"Rem0", "Rem1", "Rem3"}) t.AddNode(n, 0, true).SetInteger("Type", 1);
    auto r = RecordFromTree(t);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->entries.size(), 2u);
}

TEST(PluginRecord, HundredAndOneEntryNodesGiveHundred) {
    PropertyTree t = PluginTree();
    t.AddNode("Info", 0, false);
    for (int i = 0; i <= 100; ++i) t.AddNode("Rem" + std::to_string(i), 0, false).SetInteger("Type", 2);
    t.SortNodes();
    auto r = RecordFromTree(t);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->entries.size(), 100u);
}

TEST(PluginRecord, NoInfoGivesNone) {
    PropertyTree t = PluginTree();
    t.AddNode("Rem0", 0, true);
    EXPECT_FALSE(RecordFromTree(t));
}

TEST(PluginRecord, EntryKindsConvertBothWays) {
    TargetRecord r;
    r.name = "Kinds";
    r.description = "Kills every kind";
    r.active = true;
    r.stamp = {5, 6, 7, 0};
    EntryRecord f1; f1.kind = 1; f1.path = "a.log"; f1.folderId = 0x1a; f1.recurse = false; f1.removeAtReboot = true;
    EntryRecord f3; f3.kind = 3; f3.path = "C:\\x"; f3.mask = "*.CHK";
    EntryRecord f4; f4.kind = 4; f4.path = "Software\\X"; f4.rootKey = 0x80000001u; f4.valueName = "Cache";
    EntryRecord r5; r5.kind = 5; r5.rootKey = 0x80000001u; r5.key = "Software\\X\\MRU"; r5.valueName = "*";
    EntryRecord r6; r6.kind = 6; r6.rootKey = 0x80000001u; r6.key = "Software\\X\\History"; r6.recurse = false;
    r.entries = {f1, f3, f4, r5, r6};
    PropertyTree t;
    ASSERT_EQ(TreeFromRecord(r, t), RecordWriteResult::Ok);
    // stated property order of a kind 4 entry
    const auto& props = t.FindNode("Rem2")->Properties();
    std::vector<std::string> names;
    for (const auto& p : props) names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Type", "Path", "Recurs", "CSID", "RemReboot", "RootKey", "Value"}));
    MemoryStream s;
    ASSERT_EQ(WriteTargetRecord(r, s), RecordWriteResult::Ok);
    s.Seek(0, ByteStream::Origin::Begin);
    auto back = ReadTargetRecord(s);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name, r.name);
    EXPECT_EQ(back->description, r.description);
    EXPECT_TRUE(back->active);
    EXPECT_EQ(back->stamp, r.stamp);
    ASSERT_EQ(back->entries.size(), r.entries.size());
    for (size_t i = 0; i < r.entries.size(); ++i) EXPECT_TRUE(back->entries[i] == r.entries[i]) << i;
}

TEST(PluginRecord, WriterRefusesWhatTheReaderRefuses) {
    TargetRecord r;
    r.name = std::string(260, 'a');
    PropertyTree t;
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::StringTooLong);
    r.name = "ok";
    r.description = "tab\there";
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::BadString);
    r.description = "";
    EntryRecord one;
    one.kind = 1;
    r.entries.assign(101, one);
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::TooManyEntries);
    r.entries.assign(1, EntryRecord{});
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::BadKind);
    r.entries.clear();
    r.conditions.resize(101);
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::TooManyConditions);
    r.conditions.resize(100);
    r.name = std::string(259, 'a');
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::Ok);
}

TEST(PluginRecord, ReaderRejectsOverlongScrambledString) {
    PropertyTree t = PluginTree();
    t.AddNode("Info", 0, true).SetString("Name", std::string(260, 'a'));
    EXPECT_FALSE(RecordFromTree(t));
    t.FindNode("Info")->SetString("Name", std::string(259, 'a'));
    EXPECT_TRUE(RecordFromTree(t));
}

// A stored string that does not convert to the program's text refuses its record, wherever it
// stands; the neutral build knows no code page, so any byte above 0x7F is such a string.
TEST(PluginRecord, StringWithoutAProgramFormRefusesTheRecord) {
    PropertyTree t = PluginTree();
    PropertyNode& info = t.AddNode("Info", 0, true);
    info.SetString("Name", Scramble("Caf\xE9"));
    EXPECT_FALSE(RecordFromTree(t));
    info.SetString("Name", Scramble("Cafe"));
    ASSERT_TRUE(RecordFromTree(t));
    PropertyNode& rem = t.AddNode("Rem0", 0, true);
    rem.SetInteger("Type", 1);
    rem.SetString("Path", Scramble("C:\\Caf\xE9.log"));
    EXPECT_FALSE(RecordFromTree(t));
    TargetRecord r;
    r.name = "Caf\xC3\xA9";
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::NoStoredForm);
}

TEST(PropertyTree, SortAndSearchShareOneCaseInsensitiveOrder) {
    // ASCII order would put "Beta" before "alpha" and "Rem2" before "rem10".
    EXPECT_LT(CompareNames("alpha", "Beta"), 0);
    EXPECT_LT(CompareNames("rem10", "Rem2"), 0);
    EXPECT_EQ(CompareNames("VALID7", "valid7"), 0);
    EXPECT_LT(CompareNames("Rem", "rem0"), 0);
    PropertyTree t;
    for (const char* n : {"Valid0", "rem10", "Beta", "Rem2", "alpha", "INFO"}) t.AddNode(n, 0, true);
    std::vector<std::string> order;
    for (size_t i = 0; i < t.NodeCount(); ++i) order.push_back(t.Node(i).Name());
    EXPECT_EQ(order, (std::vector<std::string>{"alpha", "Beta", "INFO", "rem10", "Rem2", "Valid0"}));
    for (const char* n : {"ALPHA", "beta", "Info", "REM10", "rem2", "valid0"}) EXPECT_NE(t.FindNode(n), nullptr) << n;
    EXPECT_EQ(t.FindNode("Rem1"), nullptr);
}

TEST(PropertyTree, PropertiesKeepInsertionOrderAndSettersCreate) {
    PropertyNode n("Info", 0);
    n.SetString("Zed", "z");
    n.SetStamp("Date", 1, 2, 3, 4);
    n.SetInteger("alpha", 7);
    n.SetString("ZED", "again");  // same property, not a new one
    ASSERT_EQ(n.Properties().size(), 3u);
    EXPECT_EQ(n.Properties()[0].name, "Zed");
    EXPECT_EQ(n.Properties()[1].name, "Date");
    EXPECT_EQ(n.Properties()[2].name, "alpha");
    EXPECT_EQ(n.GetString("zed", ""), "again");
    EXPECT_EQ(n.GetString("missing", "dflt"), "dflt");
    EXPECT_EQ(n.GetInteger("Zed", 42), 42u);  // a String is not an Integer
    EXPECT_EQ(n.GetStamp("date", 9, 9, 9, 9), (std::array<uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(n.GetStamp("alpha", 9, 8, 7, 6), (std::array<uint8_t, 4>{9, 8, 7, 6}));
    EXPECT_TRUE(n.GetBoolean("none", true));
}

TEST(PropertyTree, OneNodeReadsAndWritesWithoutAHeader) {
    PropertyNode n("Banner", 0);
    n.SetString("Url", "http://example.invalid/");
    n.SetInteger("Width", 468);
    n.SetStamp("When", 1, 2, 3, 4);
    MemoryStream s;
    n.Write(s);
    EXPECT_EQ(std::vector<uint8_t>(s.Bytes().begin(), s.Bytes().begin() + 6),
              (std::vector<uint8_t>{0, 0, 0, 0, 6, 0}));  // tag 0, then the name's count
    s.Seek(0, ByteStream::Origin::Begin);
    PropertyNode back;
    ASSERT_TRUE(back.Read(s));
    EXPECT_TRUE(back == n);
    for (size_t cut = 0; cut < s.Bytes().size(); ++cut) {
        MemoryStream part(std::vector<uint8_t>(s.Bytes().begin(), s.Bytes().begin() + cut));
        PropertyNode p("Kept", 0);
        EXPECT_FALSE(p.Read(part)) << cut;
        EXPECT_EQ(p.Name(), "Kept");
    }
}

TEST(PropertyTree, FailedReadKeepsThePreviousNodes) {
    PropertyTree t;
    t.AddNode("Info", 0, true);
    std::vector<uint8_t> bad{'P', 'R', 'T', '2', 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    MemoryStream in(bad);
    EXPECT_FALSE(t.Read(in));
    ASSERT_EQ(t.NodeCount(), 1u);
    EXPECT_EQ(t.Node(0).Name(), "Info");
    EXPECT_EQ(t.Magic(), PropertyTree::kDefaultMagic);
}

TEST(PluginRecord, UnknownTypeCountsAsMissing) {
    std::vector<uint8_t> bytes{'P', 'R', 'T', '2', 1, 0, 0, 0,   0, 0, 0, 0, 1, 0, 'N', 1, 0, 0, 0,
                               1, 0, 'p', 9, 0x11, 0x22, 0x33, 0x44};
    bool ok = false;
    PropertyTree t = ReadBack(bytes, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(t.Node(0).GetInteger("p", 3), 3u);
    EXPECT_FALSE(t.Node(0).GetBoolean("p", false));
}

TEST(PluginRecord, WriterKeepsTheStatedPropertyOrdersAndTypes) {
    TargetRecord r;
    r.name = "Orders";
    r.description = "Kills in order";
    r.stamp = {4, 5, 6, 77};  // the fourth byte is never written
    EntryRecord f1; f1.kind = 1; f1.path = "a";
    EntryRecord f2; f2.kind = 2; f2.path = "b";
    EntryRecord f3; f3.kind = 3; f3.path = "c"; f3.mask = "*.tmp";
    EntryRecord r5; r5.kind = 5; r5.rootKey = 0x80000001u; r5.key = "Software\\X"; r5.valueName = "MRU*";
    EntryRecord r6; r6.kind = 6; r6.rootKey = 0x80000001u; r6.key = "Software\\Y";
    r.entries = {f1, f2, f3, r5, r6};
    PropertyTree t;
    ASSERT_EQ(TreeFromRecord(r, t), RecordWriteResult::Ok);
    EXPECT_EQ(t.Magic(), PropertyTree::kPluginMagic);
    EXPECT_TRUE(t.Check());
    auto layout = [&](const char* node) {
        std::vector<std::pair<std::string, int>> out;
        for (const Property& p : t.FindNode(node)->Properties()) out.emplace_back(p.name, p.type);
        return out;
    };
    using L = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(layout("Info"), (L{{"Name", 4}, {"Desc", 4}, {"Active", 1}, {"Date", 5}}));
    const L file{{"Type", 0}, {"Path", 4}, {"Recurs", 1}, {"CSID", 0}, {"RemReboot", 1}};
    EXPECT_EQ(layout("Rem0"), file);
    EXPECT_EQ(layout("Rem1"), file);
    L wildcard = file;
    wildcard.emplace_back("Tpl", 4);
    EXPECT_EQ(layout("Rem2"), wildcard);
    EXPECT_EQ(layout("Rem3"), (L{{"Type", 0}, {"RootKey", 0}, {"Key", 4}, {"Recurs", 1}, {"Value", 4}}));
    EXPECT_EQ(layout("Rem4"), (L{{"Type", 0}, {"RootKey", 0}, {"Key", 4}, {"Recurs", 1}}));
    EXPECT_EQ(t.FindNode("Info")->GetStamp("Date", 0, 0, 0, 0), (std::array<uint8_t, 4>{4, 5, 6, 0}));
    EXPECT_EQ(t.FindNode("Info")->GetString("Name", ""), Scramble("Orders"));
    EXPECT_EQ(t.FindNode("Rem3")->GetString("Value", ""), Scramble("MRU*"));
}

TEST(PluginRecord, EntryKindsZeroAndAboveSixKeepTheirFields) {
    PropertyTree t = PluginTree();
    t.AddNode("Info", 0, true);
    PropertyNode& zero = t.AddNode("Rem0", 0, true);
    zero.SetInteger("Type", 0);
    zero.SetString("Path", Scramble("x.log"));
    zero.SetInteger("CSID", 0x1c);
    zero.SetBoolean("RemReboot", true);
    zero.SetString("Key", Scramble("Software\\Ignored"));
    PropertyNode& seven = t.AddNode("Rem1", 0, true);
    seven.SetInteger("Type", 7);
    seven.SetInteger("RootKey", 0x80000001u);
    seven.SetString("Key", Scramble("Software\\Z"));
    seven.SetBoolean("Recurs", true);
    seven.SetString("Path", Scramble("ignored"));
    seven.SetString("Value", Scramble("ignored"));
    auto r = RecordFromTree(t);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->entries.size(), 2u);
    const EntryRecord& e0 = r->entries[0];
    EXPECT_EQ(e0.kind, 0u);
    EXPECT_EQ(e0.path, "x.log");
    EXPECT_EQ(e0.folderId, 0x1c);
    EXPECT_TRUE(e0.removeAtReboot);
    EXPECT_FALSE(e0.recurse);  // the file entry's own default of 1 is replaced by 0
    EXPECT_EQ(e0.key, "");
    const EntryRecord& e7 = r->entries[1];
    EXPECT_EQ(e7.kind, 7u);
    EXPECT_EQ(e7.rootKey, 0x80000001u);
    EXPECT_EQ(e7.key, "Software\\Z");
    EXPECT_TRUE(e7.recurse);
    EXPECT_EQ(e7.path, "");
    EXPECT_EQ(e7.valueName, "");
    PropertyTree out;
    EXPECT_EQ(TreeFromRecord(*r, out), RecordWriteResult::BadKind);  // never written back
}

TEST(PluginRecord, KindFiveValueOfAnotherTypeCountsAsMissing) {
    auto readWith = [](auto setValue) {
        PropertyTree t = PluginTree();
        t.AddNode("Info", 0, true);
        PropertyNode& n = t.AddNode("Rem0", 0, true);
        n.SetInteger("Type", 5);
        n.SetInteger("RootKey", 0x80000001u);
        n.SetString("Key", Scramble("Software\\X\\MRU"));
        setValue(n);
        auto r = RecordFromTree(t);
        EXPECT_TRUE(r);
        return r ? r->entries.at(0) : EntryRecord{};
    };
    EXPECT_FALSE(readWith([](PropertyNode&) {}).hasPattern);
    EXPECT_FALSE(readWith([](PropertyNode& n) { n.SetInteger("Value", 0); }).hasPattern);
    EntryRecord empty = readWith([](PropertyNode& n) { n.SetString("value", ""); });
    EXPECT_TRUE(empty.hasPattern);
    EXPECT_EQ(empty.valueName, "");
    EntryRecord typed = readWith([](PropertyNode& n) { n.SetString("Value", Scramble("url*")); });
    EXPECT_TRUE(typed.hasPattern);
    EXPECT_EQ(typed.valueName, "url*");
}

TEST(PluginRecord, ConditionNodesStopAtAHundredAndAtTheFirstGap) {
    PropertyTree t = PluginTree();
    t.AddNode("Info", 0, false);
    for (int i = 0; i <= 100; ++i) t.AddNode("Valid" + std::to_string(i), 0, false).SetInteger("Type", 3);
    t.SortNodes();
    auto r = RecordFromTree(t);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->conditions.size(), 100u);
    PropertyTree gap = PluginTree();
    gap.AddNode("Info", 0, true);
    for (const char* n : {"Valid0", "Valid2", "Valid3"}) gap.AddNode(n, 0, true);
    r = RecordFromTree(gap);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->conditions.size(), 1u);
    PropertyTree written;
    ASSERT_EQ(TreeFromRecord(*r, written), RecordWriteResult::Ok);
    EXPECT_TRUE(written.FindNode("Valid0")->Properties().empty());
}

TEST(PluginRecord, OverlongScrambledEntryStringRejectsTheRecord) {
    PropertyTree t = PluginTree();
    t.AddNode("Info", 0, true);
    PropertyNode& n = t.AddNode("Rem0", 0, true);
    n.SetInteger("Type", 3);
    n.SetString("Path", Scramble("ok"));
    n.SetString("Tpl", std::string(260, 'a'));
    EXPECT_FALSE(RecordFromTree(t));
    n.SetString("Tpl", std::string(259, 'a'));
    EXPECT_TRUE(RecordFromTree(t));
    n.SetInteger("Type", 1);  // kind 1 never reads "Tpl"
    n.SetString("Tpl", std::string(300, 'a'));
    EXPECT_TRUE(RecordFromTree(t));
}

TEST(PluginRecord, WriterBoundsOnlyTheStringsAKindWrites) {
    TargetRecord r;
    r.name = "Bounds";
    EntryRecord file;
    file.kind = 1;
    file.path = "a.log";
    file.key = std::string(300, 'k');  // unused by a file entry: never written
    file.mask = "\t";
    r.entries = {file};
    PropertyTree t;
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::Ok);
    r.entries[0].path = std::string(260, 'p');
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::StringTooLong);
    EntryRecord key;
    key.kind = 6;
    key.rootKey = 0x80000001u;
    key.key = std::string(260, 'k');
    r.entries = {key};
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::StringTooLong);
    key.kind = 5;
    key.key = "Software\\X";
    key.valueName = "bad\x01name";
    r.entries = {key};
    EXPECT_EQ(TreeFromRecord(r, t), RecordWriteResult::BadString);
    // a refused record leaves the output tree as the last accepted one made it
    ASSERT_NE(t.FindNode("Rem0"), nullptr);
    EXPECT_EQ(t.FindNode("Rem0")->GetInteger("Type", 0), 1u);
}
