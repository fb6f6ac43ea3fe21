// The archive reader over memory: archives made by the Debian zip tool and by Python's zipfile
// (committed with the script that made them), and hand-built damaged ones.
#include "archive/Trailer.h"
#include "archive/ZipReader.h"
#include "config/InstallSettings.h"
#include "setup/SetupTestFiles.h"
#include "setup/ZipBuilder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using setup::ZipEntry;
using setup::ZipReader;
using setup::ZipResult;
using setup_test::ZipBuilder;
using setup_test::ZipItem;

std::unique_ptr<QV::MemoryStream> LoadArchive(const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(setup_test::ReadWholeFile(setup_test::ArchivePath(name), bytes)) << name;
    return std::make_unique<QV::MemoryStream>(bytes.data(), bytes.size());
}

std::string Extracted(const ZipReader& reader, const std::u16string& name) {
    auto data = reader.ExtractToMemory(name);
    if (!data) return "<none>";
    return data->Size() ? std::string(reinterpret_cast<const char*>(data->Data()), size_t(data->Size())) : "";
}

std::string DataBin() {
    std::string out;
    for (int i = 0; i < 20000; ++i) out += char((i * i) % 256);
    return out + out + out;
}

class RealArchives : public ::testing::TestWithParam<const char*> {};

TEST_P(RealArchives, OpenAndExtractWithTheRightContents) {
    auto file = LoadArchive(GetParam());
    ZipReader reader;
    ASSERT_TRUE(reader.Open(*file));
    EXPECT_EQ(reader.EntryCount(), 4u);
    EXPECT_EQ(Extracted(reader, u"hello.txt"), "Hello from the zip tool.\r\n");
    EXPECT_EQ(Extracted(reader, u"readonly.txt"), "read only\n");
    EXPECT_EQ(Extracted(reader, u"sub/data.bin"), DataBin());

    ZipEntry entry;
    ASSERT_TRUE(reader.Find(u"readonly.txt", false, entry));
    EXPECT_EQ(entry.attributes, unsigned(setup::kAttrArchive | setup::kAttrReadOnly));
    ASSERT_TRUE(reader.Find(u"hello.txt", false, entry));
    EXPECT_EQ(entry.attributes, unsigned(setup::kAttrArchive));
    // "UT" field: 2021-03-04 05:06:08 UTC as a Windows file time.
    EXPECT_TRUE(entry.unixTimes & 1);
    EXPECT_EQ(entry.modified, (uint64_t(1614834368) + 11644473600ULL) * 10000000ULL);
    ASSERT_TRUE(reader.Find(u"sub/", false, entry));
    EXPECT_TRUE(entry.IsDirectory());
    EXPECT_EQ(entry.name, u"sub/");
}

INSTANTIATE_TEST_SUITE_P(ZipTool, RealArchives,
                         ::testing::Values("zip_tool.zip", "zip_sfx_raw.bin", "zip_sfx_adjusted.bin",
                                           "zip_sfx_trailer.bin"));

TEST(ZipOpen, ShiftsOffsetsOfAPrependedArchiveOnlyWhenNotAdjusted) {
    auto raw = LoadArchive("zip_sfx_raw.bin");
    auto adjusted = LoadArchive("zip_sfx_adjusted.bin");
    ZipReader a, b;
    ASSERT_TRUE(a.Open(*raw));
    ASSERT_TRUE(b.Open(*adjusted));
    EXPECT_EQ(a.Shift(), 5000u);
    EXPECT_EQ(b.Shift(), 0u);
}

TEST(ZipOpen, FindsTheEndRecordTwelveBytesBeforeTheEnd) {
    auto file = LoadArchive("zip_sfx_trailer.bin");
    ZipReader reader;
    ASSERT_TRUE(reader.Open(*file));
    auto trailer = setup::ReadTrailer(*file);
    ASSERT_TRUE(trailer);
    EXPECT_EQ(trailer->archiveOffset, 5000);
    EXPECT_EQ(trailer->extensionOffset, 0);
    EXPECT_EQ(trailer->startMarker, setup::Trailer::kUninstaller);
    QV::TreeNode ext;
    EXPECT_FALSE(setup::ReadExtensionTree(*file, *trailer, ext));
}

TEST(ZipOpen, RefusesASecondOpenAndFilesWithoutAnArchive) {
    auto file = LoadArchive("zip_tool.zip");
    ZipReader reader;
    ASSERT_TRUE(reader.Open(*file));
    EXPECT_FALSE(reader.Open(*file));
    reader.Close();
    EXPECT_TRUE(reader.Open(*file));

    QV::MemoryStream empty;
    ZipReader none;
    EXPECT_FALSE(none.Open(empty));
    std::string junk(100000, 'x');
    QV::MemoryStream big(junk.data(), junk.size());
    EXPECT_FALSE(none.Open(big));
}

TEST(ZipOpen, EndRecordFurtherBackThanTheSearchSpanIsNotFound) {
    ZipBuilder zip;
    ZipItem item;
    item.name = "a.txt";
    item.data = "abc";
    zip.Add(item);
    const std::string near = zip.Finish(std::string(ZipReader::kEndSearchSpan - 22 - 100, '\0'));
    const std::string far = zip.Finish(std::string(ZipReader::kEndSearchSpan, '\0'));
    QV::MemoryStream a(near.data(), near.size()), b(far.data(), far.size());
    ZipReader ra, rb;
    EXPECT_TRUE(ra.Open(a));
    EXPECT_FALSE(rb.Open(b));
}

TEST(ZipOpen, TruncatedArchivesFailCleanly) {
    std::string bytes;
    ASSERT_TRUE(setup_test::ReadWholeFile(setup_test::ArchivePath("zip_tool.zip"), bytes));
    for (size_t cut = 1; cut < bytes.size(); cut += 7) {
        QV::MemoryStream s(bytes.data(), bytes.size() - cut);
        ZipReader reader;
        if (!reader.Open(s)) continue;
        // Whatever opened must still extract only intact members.
        for (uint32_t i = 0; i < reader.EntryCount(); ++i) {
            ZipEntry e;
            ASSERT_TRUE(reader.EntryAt(i, e));
            QV::MemoryStream out;
            (void)reader.ExtractToMemory(e, out);
        }
    }
}

TEST(ZipFind, FoldsAsciiCaseButNotSeparators) {
    auto file = LoadArchive("zip_tool.zip");
    ZipReader reader;
    ASSERT_TRUE(reader.Open(*file));
    ZipEntry entry;
    EXPECT_TRUE(reader.Find(u"HELLO.TXT", true, entry));
    EXPECT_EQ(entry.storedName, "hello.txt");
    EXPECT_FALSE(reader.Find(u"HELLO.TXT", false, entry));
    EXPECT_TRUE(reader.Find(u"SUB/Data.Bin", true, entry));
    EXPECT_FALSE(reader.Find(u"sub\\data.bin", true, entry));
    EXPECT_FALSE(reader.Find(std::u16string(300, u'a'), true, entry));
}

TEST(ZipFind, FoldsOnlyAsciiLetters) {
    ZipBuilder zip;
    ZipItem item;
    item.name = "\xD0\xB4\xD0\xB0.txt";  // "да.txt" in UTF-8
    item.data = "yes";
    zip.Add(item);
    const std::string bytes = zip.Finish();
    QV::MemoryStream s(bytes.data(), bytes.size());
    ZipReader reader;
    ASSERT_TRUE(reader.Open(s));
    ZipEntry entry;
    EXPECT_TRUE(reader.Find(u"\x0434\x0430.TXT", true, entry));
    EXPECT_EQ(entry.name, u"\x0434\x0430.txt");
    EXPECT_FALSE(reader.Find(u"\x0414\x0410.txt", true, entry));  // Cyrillic capitals do not fold
}

TEST(PythonArchive, HostsAttributesMethodsAndTheExtensionTree) {
    auto file = LoadArchive("python_sfx.bin");
    ZipReader reader;
    ASSERT_TRUE(reader.Open(*file));
    EXPECT_EQ(reader.EntryCount(), 4u);
    std::string readMe;
    for (int i = 0; i < 50; ++i) readMe += "Read me, from Python.\n";
    EXPECT_EQ(Extracted(reader, u"docs/readme.txt"), readMe);
    std::string all;
    for (int i = 0; i < 256; ++i) all += char(i);
    EXPECT_EQ(Extracted(reader, u"stored.dat"), all);
    EXPECT_EQ(Extracted(reader, u"unix/tool.sh"), "#!/bin/sh\necho tool\n");

    ZipEntry entry;
    ASSERT_TRUE(reader.Find(u"Docs/ReadMe.TXT", false, entry));
    EXPECT_EQ(entry.attributes, unsigned(setup::kAttrArchive | setup::kAttrReadOnly | setup::kAttrHidden));
    EXPECT_EQ(entry.unixTimes, 0);
    EXPECT_EQ(entry.dosDate, uint16_t(((2020 - 1980) << 9) | (1 << 5) | 2));
    EXPECT_EQ(entry.dosTime, uint16_t((3 << 11) | (4 << 5) | 3));
    ASSERT_TRUE(reader.Find(u"stored.dat", false, entry));
    EXPECT_EQ(entry.method, 0);
    EXPECT_EQ(entry.attributes, unsigned(setup::kAttrHidden | setup::kAttrSystem));
    ASSERT_TRUE(reader.Find(u"unix/tool.sh", false, entry));
    EXPECT_EQ(entry.attributes, unsigned(setup::kAttrArchive));  // owner may write: not read-only
    ASSERT_TRUE(reader.Find(u"unix/", false, entry));
    EXPECT_TRUE(entry.IsDirectory());

    auto trailer = setup::ReadTrailer(*file);
    ASSERT_TRUE(trailer);
    EXPECT_EQ(trailer->archiveOffset, 5000);
    EXPECT_EQ(trailer->startMarker, setup::Trailer::kUninstallerCopy);
    QV::TreeNode ext;
    ASSERT_TRUE(setup::ReadExtensionTree(*file, *trailer, ext));
    const auto keys = setup::ReadRegistryKeys(ext.Child("reg"));
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].key, u"SOFTWARE\\TracelornTest\\Ext");
    ASSERT_EQ(keys[0].values.size(), 1u);
    EXPECT_EQ(keys[0].values[0].text, u"extension");
}

TEST(ZipNames, MembersThatWouldLeaveTheFolderAreRefused) {
    auto file = LoadArchive("evil.zip");
    ZipReader reader;
    ASSERT_TRUE(reader.Open(*file));
    ZipEntry entry;
    ASSERT_TRUE(reader.Find(u"../evil.exe", false, entry));
    EXPECT_TRUE(entry.nameRefused);
    EXPECT_EQ(entry.name, u"");
    ASSERT_TRUE(reader.Find(u"good/..", false, entry));
    EXPECT_TRUE(entry.nameRefused);
    ASSERT_TRUE(reader.Find(u"C:\\dir\\..\\file.txt", false, entry));
    EXPECT_FALSE(entry.nameRefused);
    EXPECT_EQ(entry.name, u"file.txt");
    ASSERT_TRUE(reader.Find(u"/abs/ok.txt", false, entry));
    EXPECT_EQ(entry.name, u"abs/ok.txt");
}

std::string OneMember(ZipItem item) {
    ZipBuilder zip;
    zip.Add(item);
    return zip.Finish();
}

ZipResult ExtractOnly(const std::string& bytes, std::string* content = nullptr) {
    QV::MemoryStream s(bytes.data(), bytes.size());
    ZipReader reader;
    if (!reader.Open(s)) return ZipResult::BadArguments;
    ZipEntry entry;
    if (!reader.EntryAt(0, entry)) return ZipResult::NotFound;
    QV::MemoryStream out;
    const ZipResult r = reader.ExtractToMemory(entry, out);
    if (content && out.Size()) content->assign(reinterpret_cast<const char*>(out.Data()), size_t(out.Size()));
    return r;
}

TEST(ZipExtract, StoredAndDeflatedMembers) {
    ZipItem item;
    item.name = "x";
    item.data = std::string(5000, 'q') + "tail";
    std::string content;
    EXPECT_EQ(ExtractOnly(OneMember(item), &content), ZipResult::Ok);
    EXPECT_EQ(content, item.data);
    item.method = 0;
    content.clear();
    EXPECT_EQ(ExtractOnly(OneMember(item), &content), ZipResult::Ok);
    EXPECT_EQ(content, item.data);
}

TEST(ZipExtract, CrcMismatchFailsTheMember) {
    ZipItem item;
    item.name = "x";
    item.data = "some data";
    item.lieCrc = true;
    EXPECT_EQ(ExtractOnly(OneMember(item)), ZipResult::Corrupt);
    item.method = 0;
    EXPECT_EQ(ExtractOnly(OneMember(item)), ZipResult::Corrupt);
}

TEST(ZipExtract, OutputIsBoundedByTheDeclaredSize) {
    ZipItem item;
    item.name = "x";
    item.data = std::string(100000, 'a');
    item.declaredSize = 1000;  // the stream inflates to far more
    EXPECT_EQ(ExtractOnly(OneMember(item)), ZipResult::Corrupt);
    item.declaredSize = 200000;  // the stream ends early
    EXPECT_EQ(ExtractOnly(OneMember(item)), ZipResult::Corrupt);
    item.declaredSize = 0x7FFFFFFF;  // more than deflate could ever produce from these bytes
    EXPECT_EQ(ExtractOnly(OneMember(item)), ZipResult::Corrupt);
}

TEST(ZipExtract, EncryptedAndUnknownMethodsAreRefused) {
    ZipItem item;
    item.name = "x";
    item.data = "secret";
    item.flags = 1;
    EXPECT_EQ(ExtractOnly(OneMember(item)), ZipResult::Encrypted);
    item.flags = 0;
    item.method = 12;  // bzip2
    EXPECT_EQ(ExtractOnly(OneMember(item)), ZipResult::Corrupt);
}

TEST(ZipExtract, LocalHeaderMustAgreeWithTheDirectory) {
    ZipItem item;
    item.name = "x";
    item.data = "content";
    std::string bytes = OneMember(item);
    bytes[8] = 0;  // local method: stored, directory says deflated
    EXPECT_EQ(ExtractOnly(bytes), ZipResult::Corrupt);
    bytes = OneMember(item);
    bytes[0] = 'Q';  // local signature
    EXPECT_EQ(ExtractOnly(bytes), ZipResult::Corrupt);
}

TEST(ZipExtract, DamagedDeflateDataFails) {
    ZipItem item;
    item.name = "x";
    for (int i = 0; i < 3000; ++i) item.data += char('a' + (i * 7) % 26);
    std::string bytes = OneMember(item);
    for (size_t at = 31 + 1; at < 31 + 40; ++at) bytes[at] = char(~bytes[at]);
    EXPECT_NE(ExtractOnly(bytes), ZipResult::Ok);
}

TEST(ZipEntryInfo, UtExtraFieldReplacesTheDosTimes) {
    ZipItem item;
    item.name = "t";
    item.data = "t";
    // flags: modification, access and creation; three times.
    std::string ut = "UT";
    ut += char(13);
    ut += char(0);
    ut += char(7);
    const uint32_t times[3] = {1000000000u, 1100000000u, 1200000000u};
    for (uint32_t t : times) {
        for (int i = 0; i < 4; ++i) ut += char((t >> (8 * i)) & 0xFF);
    }
    item.localExtra = ut;
    const std::string bytes = OneMember(item);
    QV::MemoryStream s(bytes.data(), bytes.size());
    ZipReader reader;
    ASSERT_TRUE(reader.Open(s));
    ZipEntry entry;
    ASSERT_TRUE(reader.EntryAt(0, entry));
    EXPECT_EQ(entry.unixTimes, 7);
    EXPECT_EQ(entry.modified, (uint64_t(times[0]) + 11644473600ULL) * 10000000ULL);
    EXPECT_EQ(entry.accessed, (uint64_t(times[1]) + 11644473600ULL) * 10000000ULL);
    EXPECT_EQ(entry.created, (uint64_t(times[2]) + 11644473600ULL) * 10000000ULL);
}

TEST(ZipEntryInfo, AttributesByHost) {
    ZipItem item;
    item.name = "f";
    item.data = "f";
    item.madeBy = 0x0B14;  // NTFS host: low byte holds the attributes
    item.externalAttributes = 0xFFFFFF00u | 0x37;
    std::string bytes = OneMember(item);
    QV::MemoryStream s(bytes.data(), bytes.size());
    ZipReader reader;
    ASSERT_TRUE(reader.Open(s));
    ZipEntry entry;
    ASSERT_TRUE(reader.EntryAt(0, entry));
    EXPECT_EQ(entry.attributes, 0x37u);

    item.madeBy = 0x0314;
    item.externalAttributes = 0040555u << 16;  // Unix folder without owner write
    bytes = OneMember(item);
    QV::MemoryStream u(bytes.data(), bytes.size());
    ZipReader unix;
    ASSERT_TRUE(unix.Open(u));
    ASSERT_TRUE(unix.EntryAt(0, entry));
    EXPECT_EQ(entry.attributes, unsigned(setup::kAttrDirectory | setup::kAttrReadOnly | setup::kAttrArchive));
}

TEST(ZipTree, LoadsATreeMemberAndRejectsOthers) {
    QV::TreeNode tree("inside");
    tree.SetString("k", u"v");
    QV::MemoryStream encoded;
    ASSERT_TRUE(tree.Write(encoded));
    ZipBuilder zip;
    ZipItem item;
    item.name = "set.qvdt";
    item.data.assign(reinterpret_cast<const char*>(encoded.Data()), size_t(encoded.Size()));
    zip.Add(item);
    item.name = "plain.txt";
    item.data = "not a tree";
    zip.Add(item);
    const std::string bytes = zip.Finish();
    QV::MemoryStream s(bytes.data(), bytes.size());
    ZipReader reader;
    ASSERT_TRUE(reader.Open(s));
    QV::TreeNode back;
    ASSERT_TRUE(reader.LoadTree(u"SET.QVDT", back));
    EXPECT_EQ(back.Name(), "inside");
    EXPECT_EQ(back.GetString("k", u""), u"v");
    EXPECT_FALSE(reader.LoadTree(u"plain.txt", back));
    EXPECT_FALSE(reader.LoadTree(u"missing.qvdt", back));
}

TEST(ZipOpen, ArchiveCountedFromItsOwnStartIsShifted) {
    ZipBuilder zip(std::string(777, 'S'));
    zip.CountFromArchiveStart();
    ZipItem item;
    item.name = "m";
    item.data = "moved";
    zip.Add(item);
    const std::string bytes = zip.Finish();
    std::string content;
    EXPECT_EQ(ExtractOnly(bytes, &content), ZipResult::Ok);
    EXPECT_EQ(content, "moved");
}

}  // namespace
