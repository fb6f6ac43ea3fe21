// The tree-data format and the memory stream under it.
#include "qv/MemoryStream.h"
#include "qv/TreeNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Contents(const QV::MemoryStream& s) {
    return s.Size() ? Bytes(s.Data(), s.Data() + s.Size()) : Bytes();
}

Bytes LengthBytes(uint32_t n) {
    QV::MemoryStream s;
    EXPECT_TRUE(s.WriteLength(n));
    return Contents(s);
}

QV::MemoryStream StreamOf(const Bytes& b) { return QV::MemoryStream(b.data(), b.size()); }

const Bytes kWorkedExample = {
    0x51, 0x56, 0x44, 0x54, 0x00, 0x02, 0x00, 0x00, 0x00,
    0x08, 0x66, 0x69, 0x78, 0x65, 0x64, 0x6C, 0x6F, 0x63, 0x02, 0x01, 0x00, 0x00, 0x00,
    0x03, 0x76, 0x65, 0x72, 0x07, 0x03, 0x32, 0x00, 0x2E, 0x00, 0x33, 0x00,
    0x01, 0x00, 0x00, 0x00,
    0x51, 0x56, 0x44, 0x54, 0x08, 0x6C, 0x6F, 0x63, 0x61, 0x74, 0x69, 0x6F, 0x6E,
    0x02, 0x00, 0x00, 0x00,
    0x04, 0x63, 0x73, 0x69, 0x64, 0x00, 0x1A, 0x00, 0x00, 0x00,
    0x04, 0x70, 0x61, 0x74, 0x68, 0x07, 0x08, 0x51, 0x00, 0x75, 0x00, 0x6F, 0x00, 0x72, 0x00, 0x76, 0x00,
    0x61, 0x00, 0x6E, 0x00, 0x65, 0x00,
    0x00, 0x00, 0x00, 0x00,
};

// A node's bytes by hand: magic, name, properties (already encoded), children (already encoded).
Bytes NodeBytes(const std::string& name, uint32_t propertyCount, const Bytes& properties, uint32_t childCount,
                const Bytes& children) {
    Bytes out = {'Q', 'V', 'D', 'T', uint8_t(name.size())};
    out.insert(out.end(), name.begin(), name.end());
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(propertyCount >> (8 * i)));
    out.insert(out.end(), properties.begin(), properties.end());
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(childCount >> (8 * i)));
    out.insert(out.end(), children.begin(), children.end());
    return out;
}

Bytes DwordProperty(const std::string& name, uint8_t type, uint32_t value) {
    Bytes out = {uint8_t(name.size())};
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(type);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
    return out;
}

TEST(LengthField, UsesOneThreeOrSevenBytes) {
    EXPECT_EQ(LengthBytes(0), Bytes({0x00}));
    EXPECT_EQ(LengthBytes(254), Bytes({0xFE}));
    EXPECT_EQ(LengthBytes(255), Bytes({0xFF, 0xFF, 0x00}));
    EXPECT_EQ(LengthBytes(300), Bytes({0xFF, 0x2C, 0x01}));
    EXPECT_EQ(LengthBytes(65534), Bytes({0xFF, 0xFE, 0xFF}));
    EXPECT_EQ(LengthBytes(65535), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(LengthBytes(70000), Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
}

TEST(LengthField, ReadsBackWhatWasWritten) {
    for (uint32_t n : {0u, 1u, 254u, 255u, 300u, 65534u, 65535u, 70000u, 0xFFFFFFFEu}) {
        QV::MemoryStream s;
        ASSERT_TRUE(s.WriteLength(n));
        s.Seek(0, QV::SeekBegin);
        uint32_t back = 0;
        ASSERT_TRUE(s.ReadLength(back));
        EXPECT_EQ(back, n);
    }
}

TEST(LengthField, StringsOf254And255Characters) {
    QV::TreeNode node(std::string(254, 'a'));
    node.SetString(std::string(255, 'b'), u"x");
    QV::MemoryStream s;
    ASSERT_TRUE(node.Write(s));
    const Bytes b = Contents(s);
    EXPECT_EQ(b[4], 0xFE);                 // name length, one byte
    EXPECT_EQ(b[4 + 1 + 254 + 4], 0xFF);   // property name length, three bytes
    EXPECT_EQ(b[4 + 1 + 254 + 5], 0xFF);
    EXPECT_EQ(b[4 + 1 + 254 + 6], 0x00);
    s.Seek(0, QV::SeekBegin);
    QV::TreeNode back;
    ASSERT_TRUE(back.Read(s));
    EXPECT_EQ(back.Name(), std::string(254, 'a'));
    EXPECT_EQ(back.GetString(std::string(255, 'b'), u""), u"x");
}

TEST(TreeFormat, WritesTheWorkedExample) {
    QV::TreeNode root;
    auto fixed = std::make_unique<QV::TreeProperty>("fixedloc", QV::TypeBool);
    fixed->SetInteger(QV::TypeBool, 1);
    root.AddProperty(std::move(fixed));
    root.SetString("ver", u"2.3");
    QV::TreeNode* location = root.Child("location", true);
    auto csid = std::make_unique<QV::TreeProperty>("csid", QV::TypeDword);
    csid->SetInteger(QV::TypeDword, 26);
    location->AddProperty(std::move(csid));
    location->SetString("path", u"Quorvane");

    QV::MemoryStream s;
    ASSERT_TRUE(root.Write(s));
    EXPECT_EQ(s.Size(), 93u);
    EXPECT_EQ(Contents(s), kWorkedExample);
}

TEST(TreeFormat, ReadsTheWorkedExample) {
    QV::MemoryStream s = StreamOf(kWorkedExample);
    QV::TreeNode root;
    ASSERT_TRUE(root.Read(s));
    EXPECT_EQ(s.Tell(), 93u);
    EXPECT_EQ(root.Name(), "");
    EXPECT_EQ(root.GetBool("fixedloc", 0), 1);
    EXPECT_EQ(root.GetString("ver", u""), u"2.3");
    const QV::TreeNode* location = root.Child("location");
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(location->GetDword("csid", 0), 26u);
    EXPECT_EQ(location->GetString("path", u""), u"Quorvane");
    EXPECT_TRUE(location->Children().empty());
}

TEST(TreeFormat, BoolCountsOnlyTheLowByte) {
    const Bytes b = NodeBytes("", 2, [] {
        Bytes p = DwordProperty("high", QV::TypeBool, 0x00000100);
        Bytes q = DwordProperty("low", QV::TypeBool, 0x00000201);
        p.insert(p.end(), q.begin(), q.end());
        return p;
    }(), 0, {});
    QV::MemoryStream s = StreamOf(b);
    QV::TreeNode root;
    ASSERT_TRUE(root.Read(s));
    EXPECT_EQ(root.GetBool("high", 7), 0);
    EXPECT_EQ(root.GetBool("low", 7), 1);
}

TEST(TreeFormat, GettersAcceptOnlyTheirOwnType) {
    const Bytes b = NodeBytes("", 2, [] {
        Bytes p = DwordProperty("root", QV::TypeInt, 2);
        Bytes q = DwordProperty("raw", QV::TypeRaw32, 5);
        p.insert(p.end(), q.begin(), q.end());
        return p;
    }(), 0, {});
    QV::MemoryStream s = StreamOf(b);
    QV::TreeNode root;
    ASSERT_TRUE(root.Read(s));
    EXPECT_EQ(root.GetDword("root", 99), 99u);
    EXPECT_EQ(root.GetInt("root", 99), 2);
    EXPECT_EQ(root.GetColour("root", 99), 99u);
    EXPECT_EQ(root.GetString("root", u"def"), u"def");
    EXPECT_EQ(root.GetBlob("root"), nullptr);
    EXPECT_EQ(root.GetDword("raw", 1), 1u);
    EXPECT_EQ(root.GetInt("raw", 1), 1);
    EXPECT_EQ(root.RequiredString("root"), u"");
    EXPECT_EQ(root.RequiredString("missing"), u"");
}

TEST(TreeFormat, FirstOfTwoNamesWins) {
    Bytes props = DwordProperty("n", QV::TypeDword, 1);
    Bytes second = DwordProperty("n", QV::TypeDword, 2);
    props.insert(props.end(), second.begin(), second.end());
    Bytes children = NodeBytes("c", 1, DwordProperty("v", QV::TypeDword, 10), 0, {});
    Bytes other = NodeBytes("c", 1, DwordProperty("v", QV::TypeDword, 20), 0, {});
    children.insert(children.end(), other.begin(), other.end());
    QV::MemoryStream s = StreamOf(NodeBytes("", 2, props, 2, children));
    QV::TreeNode root;
    ASSERT_TRUE(root.Read(s));
    EXPECT_EQ(root.Properties().size(), 1u);
    EXPECT_EQ(root.GetDword("n", 0), 1u);
    EXPECT_EQ(root.Children().size(), 1u);
    EXPECT_EQ(root.Child("c")->GetDword("v", 0), 10u);
}

TEST(TreeFormat, ChildWithWrongMagicIsInsertedEmpty) {
    Bytes children = {'X', 'X', 'X', 'X'};
    Bytes good = NodeBytes("good", 0, {}, 0, {});
    children.insert(children.end(), good.begin(), good.end());
    QV::MemoryStream s = StreamOf(NodeBytes("r", 0, {}, 2, children));
    QV::TreeNode root;
    ASSERT_TRUE(root.Read(s));
    ASSERT_EQ(root.Children().size(), 2u);
    ASSERT_NE(root.Child(""), nullptr);
    EXPECT_TRUE(root.Child("")->Properties().empty());
    EXPECT_NE(root.Child("good"), nullptr);
}

TEST(TreeFormat, WrongRootMagicLeavesTheNodeEmpty) {
    Bytes b = kWorkedExample;
    b[0] = 'X';
    QV::MemoryStream s = StreamOf(b);
    QV::TreeNode root("old");
    root.SetString("stale", u"x");
    EXPECT_FALSE(root.Read(s));
    EXPECT_TRUE(root.Properties().empty());
    EXPECT_TRUE(root.Children().empty());
    EXPECT_EQ(root.Name(), "");
}

TEST(TreeFormat, EveryTruncationFailsCleanly) {
    for (size_t n = 0; n < kWorkedExample.size(); ++n) {
        QV::MemoryStream s(kWorkedExample.data(), n);
        QV::TreeNode root;
        EXPECT_FALSE(root.Read(s)) << "prefix of " << n << " bytes";
        EXPECT_TRUE(root.Properties().empty());
        EXPECT_TRUE(root.Children().empty());
    }
}

TEST(TreeFormat, CountsAndSizesBeyondTheDataAreCorruption) {
    // A property count of four billion in a tiny file.
    QV::MemoryStream many = StreamOf(NodeBytes("", 0xFFFFFFFF, {}, 0, {}));
    QV::TreeNode root;
    EXPECT_FALSE(root.Read(many));
    // A blob that claims more bytes than the file holds.
    Bytes blob = {1, 'b', QV::TypeBlob, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
    QV::MemoryStream big = StreamOf(NodeBytes("", 1, blob, 0, {}));
    EXPECT_FALSE(root.Read(big));
    // A string length beyond the end.
    Bytes text = {1, 's', QV::TypeAnsiString, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00, 'a'};
    QV::MemoryStream str = StreamOf(NodeBytes("", 1, text, 0, {}));
    EXPECT_FALSE(root.Read(str));
}

TEST(TreeFormat, NestingTooDeepFailsInsteadOfExhaustingTheStack) {
    const int depth = QV::TreeNode::kMaxDepth + 50;
    Bytes b;
    for (int i = 0; i < depth; ++i) {
        const Bytes head = {'Q', 'V', 'D', 'T', 0, 0, 0, 0, 0, 1, 0, 0, 0};
        b.insert(b.end(), head.begin(), head.end());
    }
    const Bytes leaf = {'Q', 'V', 'D', 'T', 0, 0, 0, 0, 0, 0, 0, 0, 0};
    b.insert(b.end(), leaf.begin(), leaf.end());
    QV::MemoryStream s = StreamOf(b);
    QV::TreeNode root;
    EXPECT_FALSE(root.Read(s));
}

TEST(TreeFormat, EveryTypeRoundTrips) {
    QV::TreeNode root("all");
    const int integerTypes[] = {QV::TypeDword, QV::TypeInt, QV::TypeBool, QV::TypeRaw32, QV::TypeColour};
    for (int t : integerTypes) {
        auto p = std::make_unique<QV::TreeProperty>("i" + std::to_string(t), t);
        p->SetInteger(t, 0x80000000u + uint32_t(t));
        root.AddProperty(std::move(p));
    }
    auto d = std::make_unique<QV::TreeProperty>("d", QV::TypeDouble);
    d->SetDouble(-1.25e300);
    root.AddProperty(std::move(d));
    auto a = std::make_unique<QV::TreeProperty>("a", QV::TypeAnsiString);
    a->SetAnsi(std::string(300, 'z'));
    root.AddProperty(std::move(a));
    root.SetString("w", u"\x0416\xD83D\xDE00 text");
    root.SetString("empty", u"");
    auto blob = std::make_unique<QV::TreeProperty>("b", QV::TypeBlob);
    blob->SetBlob("\0\1\2\3", 4);
    root.AddProperty(std::move(blob));
    auto none = std::make_unique<QV::TreeProperty>("e", 200);
    none->SetEmpty(200);
    root.AddProperty(std::move(none));
    root.Child("kid", true)->SetString("x", u"y");

    QV::MemoryStream s;
    ASSERT_TRUE(root.Write(s));
    s.Seek(0, QV::SeekBegin);
    QV::TreeNode back;
    ASSERT_TRUE(back.Read(s));
    EXPECT_EQ(s.Tell(), s.Size());
    for (int t : integerTypes) {
        const QV::TreeProperty* p = back.Property("i" + std::to_string(t));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Type(), t);
        EXPECT_EQ(p->Integer(), 0x80000000u + uint32_t(t));
    }
    EXPECT_EQ(back.Property("d")->Double(), -1.25e300);
    EXPECT_EQ(back.Property("a")->Ansi(), std::string(300, 'z'));
    EXPECT_EQ(back.GetString("w", u""), u"\x0416\xD83D\xDE00 text");
    EXPECT_EQ(back.GetString("empty", u"def"), u"");
    ASSERT_NE(back.GetBlob("b"), nullptr);
    EXPECT_EQ(back.GetBlob("b")->Size(), 4u);
    EXPECT_EQ(back.GetBlob("b")->Data()[3], 3);
    EXPECT_EQ(back.Property("e")->Type(), 200);
    EXPECT_EQ(back.Child("kid")->GetString("x", u""), u"y");
}

TEST(TreeNodeOps, ChildCreatesOnlyWhenAsked) {
    QV::TreeNode root;
    EXPECT_EQ(root.Child("a", false), nullptr);
    QV::TreeNode* a = root.Child("a", true);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Name(), "a");
    EXPECT_EQ(root.Child("a", true), a);
}

TEST(TreeNodeOps, SetStringReplacesValueAndType) {
    QV::TreeNode root;
    auto p = std::make_unique<QV::TreeProperty>("v", QV::TypeDword);
    p->SetInteger(QV::TypeDword, 5);
    root.AddProperty(std::move(p));
    root.SetString("v", u"now text");
    EXPECT_EQ(root.Property("v")->Type(), QV::TypeWideString);
    EXPECT_EQ(root.GetDword("v", 0), 0u);
    EXPECT_EQ(root.GetString("v", u""), u"now text");
}

TEST(TreeNodeOps, CopyIsDeepAndClearEmpties) {
    QV::TreeNode root("r");
    auto blob = std::make_unique<QV::TreeProperty>("b", QV::TypeBlob);
    blob->SetBlob("abc", 3);
    root.AddProperty(std::move(blob));
    root.Child("c", true)->Child("d", true)->SetString("s", u"deep");
    QV::TreeNode copy;
    copy.CopyFrom(root);
    root.Clear();
    EXPECT_TRUE(root.Properties().empty());
    EXPECT_TRUE(root.Children().empty());
    EXPECT_EQ(copy.Name(), "r");
    ASSERT_NE(copy.GetBlob("b"), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy.GetBlob("b")->Data()), 3), "abc");
    EXPECT_EQ(copy.Child("c")->Child("d")->GetString("s", u""), u"deep");
}

TEST(MemoryStreamOps, WriteGrowsReadStopsAtTheEnd) {
    QV::MemoryStream s;
    uint8_t buf[8];
    EXPECT_EQ(s.Read(buf, 8), 0u);
    EXPECT_EQ(s.Data(), nullptr);
    EXPECT_EQ(s.Write("abcdef", 6), 6u);
    EXPECT_EQ(s.Size(), 6u);
    s.Seek(4, QV::SeekBegin);
    EXPECT_EQ(s.Write("XYZ", 3), 3u);
    EXPECT_EQ(s.Size(), 7u);
    s.Seek(0, QV::SeekBegin);
    EXPECT_EQ(s.Read(buf, 8), 7u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 7), "abcdXYZ");
    EXPECT_EQ(s.Read(buf, 8), 0u);
}

TEST(MemoryStreamOps, SeekClampsAndCountsBackFromTheEnd) {
    QV::MemoryStream s("0123456789", 10);
    EXPECT_EQ(s.Seek(50, QV::SeekBegin), 10);
    EXPECT_EQ(s.Seek(-3, QV::SeekCurrent), 7);
    EXPECT_EQ(s.Seek(-30, QV::SeekCurrent), 0);
    EXPECT_EQ(s.Seek(4, QV::SeekEnd), 6);
    EXPECT_EQ(s.Seek(40, QV::SeekEnd), 0);
    ASSERT_TRUE(s.Resize(0));
    EXPECT_EQ(s.Data(), nullptr);
    EXPECT_EQ(s.Size(), 0u);
}

}  // namespace
