#include "support/TempFolder.h"
#include "targets/AnsiStoredText.h"
#include "targets/BinaryFile.h"
#include "targets/PluginFiles.h"
#include "targets/PropertyTree.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
std::string Folder(const TempFolder& t) { return t.Path().substr(0, t.Path().size() - 1); }

void WritePlugin(const TempFolder& tmp, const std::string& relative, const std::string& name,
                 std::vector<TargetCondition> conditions = {}) {
    TargetRecord r;
    r.conditions = std::move(conditions);
    r.name = name;
    r.description = "Kills " + name;
    EntryRecord e;
    e.kind = 1;
    e.path = "C:\\nothing.here";
    r.entries.push_back(e);
    MemoryStream s;
    ASSERT_EQ(WriteTargetRecord(r, s), RecordWriteResult::Ok);
    tmp.MakeFileWith(relative, std::string(s.Bytes().begin(), s.Bytes().end()));
}

// Writes a record's strings byte for byte: the test says what the ANSI form is, not the program.
struct BytesAsStored final : StoredText {
    bool Load(std::string_view stored, std::string& text) const override { return text.assign(stored), true; }
    bool Store(std::string_view text, std::string& stored) const override { return stored.assign(text), true; }
};

std::vector<std::string> Tlps(const std::string& folder) {
    std::vector<std::string> out;
    for (const std::string& n : ListFolder(folder))
        if (n.size() > 4 && n.substr(n.size() - 4) == ".tlp") out.push_back(folder + "\\" + n);
    return out;
}
}  // namespace

TEST(PluginFiles, ApplicationPluginsSortedByNameWhateverTheFileOrder) {
    TempFolder tmp;
    WritePlugin(tmp, "APPPLUGS\\b.tlp", "Alpha");
    WritePlugin(tmp, "APPPLUGS\\a.tlp", "beta");
    WritePlugin(tmp, "APPPLUGS\\0.tlp", "Charlie");  // byte order would put it before "beta"
    tmp.MakeFileWith("APPPLUGS\\c.tlp", "not a plug-in");
    tmp.MakeFolder("APPPLUGS\\d.tlp");
    WritePlugin(tmp, "APPPLUGS\\e.txt", "Not a .tlp name");
    // Offered only when the program is here: a missing key and a missing folder hide the target;
    // one condition met among several offers it.
    const TargetCondition absentKey{1, "Software\\TlNoSuchVendor", 0x80000001u, ""};
    const TargetCondition absentPath{2, Folder(tmp) + "\\NoSuchProgram", 0, ""};
    WritePlugin(tmp, "APPPLUGS\\f.tlp", "Absent", {absentKey, absentPath});
    WritePlugin(tmp, "APPPLUGS\\g.tlp", "Delta", {absentKey, TargetCondition{2, Folder(tmp) + "\\APPPLUGS", 0, ""}});
    TargetCatalog catalog;
    EXPECT_EQ(LoadApplicationPlugins(catalog, Folder(tmp) + "\\absent"), 0u);
    catalog.AddTarget(std::make_unique<Target>("zzz earlier", ""));
    EXPECT_EQ(LoadApplicationPlugins(catalog, Folder(tmp)), 4u);
    ASSERT_EQ(catalog.TargetCount(), 5u);
    EXPECT_EQ(catalog.TargetAt(0).Name(), "zzz earlier");
    EXPECT_EQ(catalog.TargetAt(1).Name(), "Alpha");
    EXPECT_EQ(catalog.TargetAt(2).Name(), "beta");
    EXPECT_EQ(catalog.TargetAt(3).Name(), "Charlie");
    EXPECT_EQ(catalog.TargetAt(4).Name(), "Delta");
}

TEST(PluginFiles, AnsiStoredNamesLoadAsTheProgramsTextAndGoBackAsTheyWere) {
    TempFolder tmp;
    // Code page 1252: 0xE9 is "é". The program holds it as UTF-8 (C3 A9).
    TargetRecord r;
    r.name = "Caf\xE9 Cache";
    r.description = "Kills the caf\xE9's pages";
    EntryRecord e;
    e.kind = 2;
    e.path = "C:\\Caf\xE9\\";
    r.entries.push_back(e);
    MemoryStream stored;
    ASSERT_EQ(WriteTargetRecord(r, stored, BytesAsStored()), RecordWriteResult::Ok);
    tmp.MakeFileWith("APPPLUGS\\cafe.tlp", std::string(stored.Bytes().begin(), stored.Bytes().end()));
    TargetCatalog catalog;
    ASSERT_EQ(LoadApplicationPlugins(catalog, Folder(tmp)), 1u);
    const Target& target = catalog.TargetAt(0);
    EXPECT_EQ(target.Name(), "Caf\xC3\xA9 Cache");
    EXPECT_EQ(target.Description(), "Kills the caf\xC3\xA9's pages");
    ASSERT_EQ(target.EntryCount(), 1u);
    EXPECT_EQ(target.Entry(0).Record()->path, "C:\\Caf\xC3\xA9\\");
    // Written again, the file holds the same ANSI bytes.
    auto back = RecordFromTarget(target);
    ASSERT_TRUE(back);
    MemoryStream again;
    ASSERT_EQ(WriteTargetRecord(*back, again, AnsiCodePageText()), RecordWriteResult::Ok);
    EXPECT_EQ(again.Bytes(), stored.Bytes());
    // A name the code page cannot hold is refused, not written as another name ("Кэш").
    back->name = "\xD0\x9A\xD1\x8D\xD1\x88";
    MemoryStream refused;
    EXPECT_EQ(WriteTargetRecord(*back, refused, AnsiCodePageText()), RecordWriteResult::NoStoredForm);
    EXPECT_EQ(refused.Size(), 0u);
}

TEST(PluginFiles, StandardPluginByFileName) {
    TempFolder tmp;
    WritePlugin(tmp, "STDPLUGS\\WinTemp.tlp", "Windows Temp Files");
    TargetCatalog catalog;
    EXPECT_TRUE(LoadStandardPlugin(catalog, "WinTemp.tlp", Folder(tmp)));
    EXPECT_FALSE(LoadStandardPlugin(catalog, "Missing.tlp", Folder(tmp)));
    ASSERT_EQ(catalog.TargetCount(), 1u);
    EXPECT_EQ(catalog.TargetAt(0).EntryCount(), 1u);
    EXPECT_EQ(StandardPluginPath("x.tlp", "C:\\p"), "C:\\p\\STDPLUGS\\x.tlp");
}

TEST(PluginFiles, FolderPathNamesTheFolderWhenItIsMissing) {
    TempFolder tmp;
    EXPECT_EQ(PluginFolderPath(false, "a.tlp", Folder(tmp)), Folder(tmp) + "\\APPPLUGS");
    tmp.MakeFolder("APPPLUGS");
    EXPECT_EQ(PluginFolderPath(false, "a.tlp", Folder(tmp)), Folder(tmp) + "\\APPPLUGS\\a.tlp");
    EXPECT_EQ(PluginFolderPath(true, "a.tlp", Folder(tmp)), Folder(tmp) + "\\STDPLUGS");
}

TEST(PluginFiles, RefusedEntryIsSkippedOthersKept) {
    TargetRecord r;
    r.name = "Mixed";
    EntryRecord good;
    good.kind = 1;
    good.path = "C:\\a";
    EntryRecord bad;
    bad.kind = 6;
    bad.rootKey = 0x12345678u;  // not a predefined root
    bad.key = "Software\\X";
    r.entries = {good, bad, good};
    auto t = TargetFromRecord(r, EntrySource::UpdatedPlugin);
    EXPECT_EQ(t->EntryCount(), 2u);
    auto back = RecordFromTarget(*t);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->entries.size(), 2u);
}

#ifdef TL_SHIPPED_PLUGIN_BIN
TEST(PluginFiles, EveryShippedPluginLoadsAsATarget) {
    const std::string bin = std::string(TL_SHIPPED_PLUGIN_BIN);
    // The build folder is a Linux path; Wine shows the root file system as drive Z:.
    std::string winBin = bin[0] == '/' ? "Z:" + bin : bin;
    for (char& c : winBin) if (c == '/') c = '\\';
    std::vector<std::string> standard;
    for (const std::string& f : Tlps(winBin + "\\STDPLUGS")) standard.push_back(f.substr(f.find_last_of('\\') + 1));
    std::sort(standard.begin(), standard.end());
    std::vector<std::string> named;
    for (const char* n : {"WinTemp", "UserTemp", "Prefetch", "DocHist", "RunHist", "FindFiles", "FindComps",
                          "OpenSave", "StartClick", "StartOrder", "Paint", "WordPad", "MPlayer", "PhotoEditor",
                          "RegEdit", "FreeCell", "Access", "Word", "Excel", "PowerPoint", "FrontPage", "Publisher",
                          "InfoPath", "MSORecent", "IEHist", "IECookies", "IEAddrBar", "IndexDat", "DldPrgFiles",
                          "TypedPaths", "UserAssist", "WerReports", "CrashDumps", "ShaderCache", "JumpLists",
                          "ThumbCache", "ActivityHistory"})
        named.push_back(std::string(n) + ".tlp");
    std::sort(named.begin(), named.end());
    EXPECT_EQ(standard, named);  // the catalogue loads them by exactly these names
    EXPECT_GE(Tlps(winBin + "\\APPPLUGS").size(), 22u);
    for (const char* sub : {"\\STDPLUGS", "\\APPPLUGS"}) {
        for (const std::string& f : Tlps(winBin + sub)) {
            auto t = ReadTargetFile(f);
            ASSERT_TRUE(t) << f;
            EXPECT_FALSE(t->Name().empty()) << f;
            EXPECT_EQ(t->Description().rfind("Kills ", 0), 0u) << f;
            // every stored entry becomes an entry: none is refused on the way into the catalogue
            BinaryFile file;
            ASSERT_TRUE(file.Open(f, BinaryFile::Mode::Read)) << f;
            auto record = ReadTargetRecord(file);
            ASSERT_TRUE(record) << f;
            EXPECT_GT(t->EntryCount(), 0u) << f;
            EXPECT_EQ(t->EntryCount(), record->entries.size()) << f;
        }
    }
}
#endif

TEST(BinaryFile, OpenModesSharingAndSeek) {
    TempFolder tmp;
    const std::string path = tmp / "tree.bin";
    BinaryFile missing;
    EXPECT_FALSE(missing.Open(path, BinaryFile::Mode::Read));  // reading needs an existing file
    {
        BinaryFile out;
        ASSERT_TRUE(out.Open(path, BinaryFile::Mode::Write));
        BinaryFile other;
        EXPECT_FALSE(other.Open(path, BinaryFile::Mode::Read));  // a file being written is not shared
        PropertyTree tree;
        tree.AddNode("Info", 0, true).SetInteger("N", 7);
        tree.Write(out);
        EXPECT_EQ(out.Position(), out.Size());
    }
    BinaryFile in;
    ASSERT_TRUE(in.Open(path, BinaryFile::Mode::Read));
    BinaryFile second;
    EXPECT_TRUE(second.Open(path, BinaryFile::Mode::Read));  // readers share
    PropertyTree back;
    ASSERT_TRUE(back.Read(in));
    EXPECT_EQ(back.FindNode("info")->GetInteger("n", 0), 7u);
    const uint64_t size = in.Size();
    in.Seek(4, ByteStream::Origin::End);
    EXPECT_EQ(in.Position(), size - 4);
    in.Seek(size + 10, ByteStream::Origin::End);
    EXPECT_EQ(in.Position(), 0u);
    in.Seek(size + 10, ByteStream::Origin::Begin);
    EXPECT_EQ(in.Position(), size);
    in.Seek(-2, ByteStream::Origin::Current);
    char buf[8];
    EXPECT_EQ(in.Read(buf, sizeof buf), 2u);
    {
        BinaryFile again;
        ASSERT_FALSE(again.Open(path, BinaryFile::Mode::Write));  // still open for reading elsewhere
    }
}

TEST(BinaryFile, WriteTruncatesAnExistingFile) {
    TempFolder tmp;
    const std::string path = tmp.MakeFileWith("old.bin", std::string(100, 'x'));
    {
        BinaryFile out;
        ASSERT_TRUE(out.Open(path, BinaryFile::Mode::Write));
        EXPECT_EQ(out.Write("abc", 3), 3u);
    }
    EXPECT_EQ(ReadFileBytes(path), "abc");
}
