#include "support/TempFolder.h"
#include "targets/PluginFiles.h"
#include "targets/PropertyTree.h"

#include <gtest/gtest.h>

namespace {
std::string Folder(const TempFolder& t) { return t.Path().substr(0, t.Path().size() - 1); }

void WritePlugin(const TempFolder& tmp, const std::string& relative, const std::string& name) {
    TargetRecord r;
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
    tmp.MakeFileWith("APPPLUGS\\c.tlp", "not a plug-in");
    tmp.MakeFolder("APPPLUGS\\d.tlp");
    TargetCatalog catalog;
    catalog.AddTarget(std::make_unique<Target>("zzz earlier", ""));
    EXPECT_EQ(LoadApplicationPlugins(catalog, Folder(tmp)), 2u);
    ASSERT_EQ(catalog.TargetCount(), 3u);
    EXPECT_EQ(catalog.TargetAt(0).Name(), "zzz earlier");
    EXPECT_EQ(catalog.TargetAt(1).Name(), "Alpha");
    EXPECT_EQ(catalog.TargetAt(2).Name(), "beta");
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
    auto t = TargetFromRecord(r);
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
    for (const char* sub : {"\\STDPLUGS", "\\APPPLUGS"}) {
        auto files = Tlps(winBin + sub);
        EXPECT_GE(files.size(), std::string(sub) == "\\STDPLUGS" ? 29u : 8u);
        for (const std::string& f : files) {
            auto t = ReadTargetFile(f);
            ASSERT_TRUE(t) << f;
            EXPECT_FALSE(t->Name().empty()) << f;
            EXPECT_GT(t->EntryCount(), 0u) << f;
        }
    }
}
#endif
