// The packager's output read back with the program's own archive reader: a member of 65,540 zero
// bytes at the highest level (whose last output zlib still holds when all input is consumed),
// and the verify mode, which must reject every kind of damage.
#include "Packager.h"
#include "archive/Trailer.h"
#include "archive/ZipReader.h"
#include "setup/SetupTestFiles.h"

#include <gtest/gtest.h>

namespace {

std::string Shipped(const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(setup_test::ReadWholeFile(setup_test::ShippedDataPath(name), bytes)) << name;
    return bytes;
}

TEST(Inflate, ZerosAtLevelNineExtractWhole) {
    const std::string zeros(65540, '\0');
    const std::string file = packager::BuildSetupFile("MZ image", {{"zeros.bin", zeros}}, std::string(), 0);
    QV::MemoryStream stream(file.data(), file.size());
    setup::ZipReader reader;
    ASSERT_TRUE(reader.Open(stream));
    setup::ZipEntry entry;
    ASSERT_TRUE(reader.Find(u"zeros.bin", false, entry));
    EXPECT_EQ(entry.method, 8);
    EXPECT_LT(entry.compressedSize, 200u);
    QV::MemoryStream out;
    ASSERT_EQ(reader.ExtractToMemory(entry, out), setup::ZipResult::Ok);
    ASSERT_EQ(out.Size(), zeros.size());
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(out.Data()), zeros.size()) == zeros);

    // The same stream cut short still fails instead of waiting for input that never comes.
    std::string cut = file;
    const size_t dataStart = 8 + 30 + 9;
    cut.erase(dataStart + entry.compressedSize - 4, 4);
    cut.insert(dataStart + entry.compressedSize - 4, 4, '\0');
    QV::MemoryStream cutStream(cut.data(), cut.size());
    setup::ZipReader damaged;
    ASSERT_TRUE(damaged.Open(cutStream));
    QV::MemoryStream none;
    EXPECT_NE(damaged.ExtractToMemory(entry, none), setup::ZipResult::Ok);
}

class PackagerVerify : public ::testing::Test {
protected:
    void SetUp() override {
        files = {{"Tracelorn.exe", std::string(70000, 'x')}, {"Uninst.exe", "uninstaller"},
                 {"STDPLUGS/Cookies.tlp", "plug-in"}};
        QV::TreeNode settings;
        const std::string set = Shipped("set.qvdt");
        QV::MemoryStream in(set.data(), set.size());
        ASSERT_TRUE(settings.Read(in));
        packager::FillFileList(settings, files);
        QV::MemoryStream encoded;
        ASSERT_TRUE(settings.Write(encoded));
        members = {{"lng.lngp", Shipped("lng.lngp")}, {"res.qvdt", Shipped("res.qvdt")},
                   {"set.qvdt", std::string(reinterpret_cast<const char*>(encoded.Data()), size_t(encoded.Size()))}};
        for (const auto& f : files) members.push_back({f.relative, f.data});
    }
    std::string Build(int32_t marker = 0) const { return packager::BuildSetupFile("MZ image", members, "", marker); }

    std::vector<packager::ProductFile> files;
    std::vector<packager::Member> members;
};

TEST_F(PackagerVerify, AcceptsWhatItPackedAndIsReproducible) {
    const std::string file = Build();
    EXPECT_EQ(packager::Verify(file, 0, &files), "");
    EXPECT_EQ(Build(), file);
    QV::MemoryStream stream(file.data(), file.size());
    const auto trailer = setup::ReadTrailer(stream);
    ASSERT_TRUE(trailer);
    EXPECT_EQ(trailer->archiveOffset, 8);
    EXPECT_EQ(trailer->extensionOffset, 0);
    // The settings list the files in folders, count them and add their sizes.
    setup::ZipReader reader;
    ASSERT_TRUE(reader.Open(stream));
    QV::TreeNode settings;
    ASSERT_TRUE(reader.LoadTree(u"set.qvdt", settings));
    EXPECT_EQ(settings.GetDword("fcount", 0), 3u);
    EXPECT_EQ(settings.GetDword("fsize", 0), 70000u + 11u + 7u);
    EXPECT_EQ(settings.Child("files")->Child("STDPLUGS")->GetString("Cookies.tlp", u""), u"STDPLUGS/Cookies.tlp");

    // An extension tree sits between the archive and the trailer and is found again.
    QV::TreeNode extension("ext");
    QV::MemoryStream ext;
    ASSERT_TRUE(extension.Write(ext));
    const std::string withExtension = packager::BuildSetupFile(
        "MZ image", members, std::string(reinterpret_cast<const char*>(ext.Data()), size_t(ext.Size())), 0);
    EXPECT_EQ(packager::Verify(withExtension, 0, &files), "");
}

TEST_F(PackagerVerify, RejectsDamage) {
    EXPECT_EQ(packager::Verify(Build(1), 0, &files), "start marker 1");
    EXPECT_NE(packager::Verify("MZ image only", 0, nullptr), "");

    std::vector<packager::ProductFile> other = files;
    other[1].data = "changed";
    EXPECT_NE(packager::Verify(Build(), 0, &other), "");

    std::string flipped = Build();
    const size_t at = flipped.find("uninstaller");
    ASSERT_NE(at, std::string::npos);
    flipped[at] = 'U';  // the CRC no longer matches
    EXPECT_NE(packager::Verify(flipped, 0, &files), "");

    const auto without = [&](const std::string& name) {
        std::vector<packager::Member> fewer;
        for (const auto& m : members) {
            if (m.name != name) fewer.push_back(m);
        }
        return packager::BuildSetupFile("MZ image", fewer, "", 0);
    };
    EXPECT_NE(packager::Verify(without("Uninst.exe"), 0, &files), "");
    EXPECT_NE(packager::Verify(without("lng.lngp"), 0, &files), "");
    EXPECT_NE(packager::Verify(without("set.qvdt"), 0, &files), "");

    // A wrong count in the settings.
    QV::TreeNode settings;
    const std::string& set = members[2].data;
    QV::MemoryStream in(set.data(), set.size());
    ASSERT_TRUE(settings.Read(in));
    auto count = std::make_unique<QV::TreeProperty>("fcount", QV::TypeDword);
    count->SetInteger(QV::TypeDword, 9);
    settings.SetProperty(std::move(count));
    QV::MemoryStream encoded;
    ASSERT_TRUE(settings.Write(encoded));
    std::vector<packager::Member> miscounted = members;
    miscounted[2].data.assign(reinterpret_cast<const char*>(encoded.Data()), size_t(encoded.Size()));
    EXPECT_NE(packager::Verify(packager::BuildSetupFile("MZ image", miscounted, "", 0), 0, &files), "");
}

}  // namespace
