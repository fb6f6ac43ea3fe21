// The Win32 layer of the setup program under Wine: file streams, whole tree files, unzip to disk
// with attributes and times, the install-time extraction, the skin and the installation folder.
#include "config/InstallSettings.h"
#include "config/LanguageSet.h"
#include "setup/SetupTestFiles.h"
#include "support/TempFolder.h"
#include "win/InstallFolder.h"
#include "win/Skin.h"
#include "win/TreeFile.h"
#include "win/WideText.h"
#include "win/ZipArchive.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <vector>

namespace {


// Linux paths of the committed archives as Wine sees them (Z: is the whole file system).
std::u16string WinePath(const std::string& linuxPath) {
    std::string p = "Z:" + linuxPath;
    for (char& c : p) {
        if (c == '/') c = '\\';
    }
    return setup::FromAnsiCodePage(p);
}

class RecordingReport : public setup::ExtractReport {
public:
    void Status(const std::u16string& text, bool step) override {
        lines.push_back(text);
        if (step) ++steps;
    }
    void LogFolder(const std::u16string& folder) override { folders.push_back(folder); }
    void LogFile(const std::u16string& file) override { files.push_back(file); }
    void Failed(const std::u16string& what) override { failed.push_back(what); }
    std::vector<std::u16string> lines, folders, files, failed;
    int steps = 0;
};

class OpenArchive {
public:
    explicit OpenArchive(const std::string& name) {
        const std::wstring path = setup::ToWide(WinePath(setup_test::ArchivePath(name)));
        file.Reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ok = file.Valid() && archive.Open(file.Get());
    }
    ~OpenArchive() { archive.Close(); }
    setup::FileHandle file;
    setup::ZipArchive archive;
    bool ok = false;
};

void ClearAttributes(const std::string& path) { ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); }

TEST(FileStreamWin, WritesReadsSeeksAndPatchesInPlace) {
    TempFolder temp;
    const std::u16string path = setup::FromAnsiCodePage(temp / "s.bin");
    {
        QV::FileStream out;
        ASSERT_TRUE(out.OpenWrite(path));
        EXPECT_TRUE(out.WriteDword(0x11223344));
        EXPECT_TRUE(out.WriteString("abc"));
    }
    {
        QV::FileStream patch;
        ASSERT_TRUE(patch.Open(path, QV::FileStream::AccessReadWrite | QV::FileStream::ShareNone |
                                         QV::FileStream::OpenExisting));
        EXPECT_EQ(patch.Seek(1, QV::SeekEnd), 7);
        EXPECT_TRUE(patch.WriteByte('Z'));
    }
    QV::FileStream in;
    ASSERT_TRUE(in.OpenRead(path));
    EXPECT_EQ(in.Size(), 8u);
    uint32_t v = 0;
    ASSERT_TRUE(in.ReadDword(v));
    EXPECT_EQ(v, 0x11223344u);
    std::string s;
    ASSERT_TRUE(in.ReadString(s));
    EXPECT_EQ(s, "abZ");
    QV::FileStream missing;
    EXPECT_FALSE(missing.OpenRead(setup::FromAnsiCodePage(temp / "none.bin")));
}

TEST(TreeFileWin, SaveAndLoadWholeFiles) {
    TempFolder temp;
    QV::TreeNode tree("t");
    tree.SetString("k", u"\x0416");
    const std::u16string path = setup::FromAnsiCodePage(temp / "t.qvdt");
    ASSERT_TRUE(setup::SaveTreeFile(tree, path));
    QV::TreeNode back;
    ASSERT_TRUE(setup::LoadTreeFile(path, back));
    EXPECT_EQ(back.GetString("k", u""), u"\x0416");
    EXPECT_FALSE(setup::LoadTreeFile(setup::FromAnsiCodePage(temp / "none.qvdt"), back));
    EXPECT_TRUE(back.Properties().empty());
    EXPECT_FALSE(setup::SaveTreeFile(tree, setup::FromAnsiCodePage(temp / "no\\such\\folder\\t.qvdt")));
}

TEST(ZipArchiveWin, UnzipsZipToolMembersWithAttributesAndTimes) {
    OpenArchive a("zip_sfx_trailer.bin");
    ASSERT_TRUE(a.ok);
    TempFolder temp;
    a.archive.SetBaseFolder(setup::FromAnsiCodePage(temp.Path()));
    setup::ZipEntry entry;
    ASSERT_TRUE(a.archive.Find(u"readonly.txt", false, entry));
    ASSERT_EQ(a.archive.UnzipEntry(entry), setup::ZipResult::Ok);
    ASSERT_TRUE(a.archive.Find(u"sub/data.bin", false, entry));
    ASSERT_EQ(a.archive.UnzipToFile(entry, u"deep\\er\\data.bin"), setup::ZipResult::Ok);
    ASSERT_TRUE(a.archive.Find(u"hello.txt", false, entry));
    ASSERT_EQ(a.archive.UnzipEntry(entry), setup::ZipResult::Ok);

    EXPECT_EQ(ReadFileBytes(temp / "readonly.txt"), "read only\n");
    EXPECT_EQ(ReadFileBytes(temp / "deep\\er\\data.bin").size(), 60000u);
    const DWORD attributes = ::GetFileAttributesA((temp / "readonly.txt").c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(::GetFileAttributesExA((temp / "hello.txt").c_str(), GetFileExInfoStandard, &data));
    const uint64_t written = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(written, (uint64_t(1614834368) + 11644473600ULL) * 10000000ULL);
    ClearAttributes(temp / "readonly.txt");
}

TEST(ZipArchiveWin, PythonMembersTakeDosTimesAndHostAttributes) {
    OpenArchive a("python_sfx.bin");
    ASSERT_TRUE(a.ok);
    TempFolder temp;
    a.archive.SetBaseFolder(setup::FromAnsiCodePage(temp.Path()));
    setup::ZipEntry entry;
    ASSERT_TRUE(a.archive.Find(u"stored.dat", false, entry));
    ASSERT_EQ(a.archive.UnzipEntry(entry), setup::ZipResult::Ok);
    const DWORD attributes = ::GetFileAttributesA((temp / "stored.dat").c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_SYSTEM);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(::GetFileAttributesExA((temp / "stored.dat").c_str(), GetFileExInfoStandard, &data));
    SYSTEMTIME local{};
    FILETIME utcWrite = data.ftLastWriteTime, localWrite;
    ASSERT_TRUE(::FileTimeToLocalFileTime(&utcWrite, &localWrite));
    ASSERT_TRUE(::FileTimeToSystemTime(&localWrite, &local));
    EXPECT_EQ(local.wYear, 2018);
    EXPECT_EQ(local.wMonth, 7);
    EXPECT_EQ(local.wDay, 8);
    EXPECT_EQ(local.wHour, 9);
    EXPECT_EQ(local.wMinute, 10);
    ASSERT_TRUE(a.archive.Find(u"unix/", false, entry));
    ASSERT_EQ(a.archive.UnzipEntry(entry), setup::ZipResult::Ok);
    EXPECT_TRUE(FolderExists(temp / "unix"));
    ClearAttributes(temp / "stored.dat");
}

TEST(ZipArchiveWin, RefusedNamesAreNotWrittenAnywhere) {
    OpenArchive a("evil.zip");
    ASSERT_TRUE(a.ok);
    TempFolder temp;
    a.archive.SetBaseFolder(setup::FromAnsiCodePage(temp / "inner"));
    setup::ZipEntry entry;
    ASSERT_TRUE(a.archive.Find(u"../evil.exe", false, entry));
    EXPECT_EQ(a.archive.UnzipEntry(entry), setup::ZipResult::NameRefused);
    EXPECT_FALSE(FileExists(temp / "evil.exe"));
}

TEST(ZipArchiveWin, ExtractFolderReportsLogsAndRefusesEscapingNames) {
    OpenArchive a("python_sfx.bin");
    ASSERT_TRUE(a.ok);
    TempFolder temp;
    const std::u16string target = setup::FromAnsiCodePage(temp / "App");
    QV::TreeNode list("files");
    list.SetString("readme.txt", u"DOCS/README.TXT");
    list.SetString("raw.dat", u"stored.dat");
    list.SetString("missing.txt", u"not-there.txt");
    list.SetString("..\\escape.txt", u"stored.dat");
    list.Child("bin", true)->SetString("tool.sh", u"unix/tool.sh");
    list.Child("..", true)->SetString("up.txt", u"stored.dat");
    RecordingReport report;
    ASSERT_TRUE(a.archive.ExtractFolder(target, list, {u"Output folder:", u"Extract:"}, {u".DAT"}, report));

    EXPECT_EQ(report.steps, 4);
    ASSERT_FALSE(report.lines.empty());
    EXPECT_EQ(report.lines[0], u"Output folder: " + target);
    ASSERT_EQ(report.folders.size(), 2u);
    // Only what was written is logged; the missing member and the two escaping names failed.
    EXPECT_EQ(report.files.size(), 3u);
    EXPECT_EQ(report.failed.size(), 3u);
    EXPECT_FALSE(FileExists(temp / "escape.txt"));
    EXPECT_FALSE(FileExists(temp / "up.txt"));
    EXPECT_FALSE(FileExists(temp / "App\\missing.txt"));
    EXPECT_EQ(ReadFileBytes(temp / "App\\bin\\tool.sh"), "#!/bin/sh\necho tool\n");
    // Listed as descrambled: bytes 0 and n-2 swapped among others.
    const std::string raw = ReadFileBytes(temp / "App\\raw.dat");
    ASSERT_EQ(raw.size(), 256u);
    EXPECT_EQ(uint8_t(raw[0]), 254);
    EXPECT_EQ(uint8_t(raw[254]), 0);
    EXPECT_EQ(uint8_t(raw[1]), 1);
    ClearAttributes(temp / "App\\raw.dat");

    setup::ZipArchive closed;
    EXPECT_FALSE(closed.ExtractFolder(target, list, {}, {}, report));
}

TEST(SkinWin, LoadsTheShippedSkinAndIgnoresADwordHeight) {
    setup::GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());
    QV::TreeNode tree;
    ASSERT_TRUE(setup::LoadTreeFile(setup::FromAnsiCodePage(setup_test::ShippedDataPath("res.qvdt")), tree));
    auto dword = std::make_unique<QV::TreeProperty>("Height", QV::TypeDword);
    dword->SetInteger(QV::TypeDword, 40);
    tree.Child("fonts")->Child("odd", true)->AddProperty(std::move(dword));
    auto broken = std::make_unique<QV::TreeProperty>("broken", QV::TypeBlob);
    broken->SetBlob("not a picture", 13);
    tree.Child("images")->AddProperty(std::move(broken));
    setup::Skin skin;
    skin.Load(tree);
    const setup::SkinImage* bg = skin.Image("bg");
    ASSERT_NE(bg, nullptr);
    EXPECT_EQ(bg->width, 164);
    EXPECT_EQ(bg->height, 314);
    EXPECT_FALSE(bg->alpha);
    EXPECT_EQ(skin.Image("broken"), nullptr);
    ASSERT_NE(skin.Font("welcome"), nullptr);
    ASSERT_NE(skin.Font("header"), nullptr);
    LOGFONTW font{};
    ASSERT_TRUE(::GetObjectW(skin.Font("odd"), sizeof font, &font));
    EXPECT_EQ(font.lfHeight, 10);
    ASSERT_TRUE(::GetObjectW(skin.Font("welcome"), sizeof font, &font));
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(skin.Colour("missing"), 0xFFFFFFu);
    EXPECT_NE(skin.WhiteBrush(), nullptr);
}

TEST(InstallFolderWin, ShellFolderJoinedWithPathAndDefaultFolder) {
    QV::TreeNode tree;
    tree.SetString("deffolder", u"Tracelorn");
    QV::TreeNode* location = tree.Child("location", true);
    auto csid = std::make_unique<QV::TreeProperty>("csid", QV::TypeDword);
    csid->SetInteger(QV::TypeDword, CSIDL_APPDATA);
    location->AddProperty(std::move(csid));
    location->SetString("path", u"#pub#");
    tree.Child("macros", true)->SetString("#pub#", u"Quorvane");
    setup::InstallSettings settings;
    settings.Load(tree);
    setup::LanguageSet languages;
    settings.ApplyTo(languages);
    wchar_t appData[MAX_PATH];
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData), S_OK);
    const std::u16string folder = setup::ApplyInstallFolder(settings, languages);
    EXPECT_EQ(folder, setup::FromWide(appData) + u"\\Quorvane\\Tracelorn");
    EXPECT_EQ(*languages.Macros().Find(u"#InstallDir#"), folder);

    QV::TreeNode none;
    none.SetString("deffolder", u"X");
    setup::InstallSettings without;
    without.Load(none);
    EXPECT_EQ(setup::ProposedInstallFolder(without, languages.Macros()), u"");
}

}  // namespace
