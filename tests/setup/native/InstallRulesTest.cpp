// The install engine's decisions apart from Windows: version order, the uninstall log's rules,
// path and key containment, what an uninstallation may remove, and the self-delete batch text.
#include "config/InstallSettings.h"
#include "config/Text.h"
#include "install/CommandLine.h"
#include "install/FolderOwnership.h"
#include "install/UpdateJournal.h"
#include "install/InstalledPaths.h"
#include "install/PathRules.h"
#include "install/SizeText.h"
#include "install/SelfDeleteBatch.h"
#include "install/UninstallLog.h"
#include "install/UninstallPlan.h"
#include "install/Version.h"
#include "setup/SetupTestFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace setup;

TEST(Version, ComparesUpToFourNumericParts) {
    EXPECT_EQ(CompareVersions(u"2.3", u"2.3"), 0);
    EXPECT_EQ(CompareVersions(u"2.3", u"2.3.0.0"), 0);
    EXPECT_EQ(CompareVersions(u"2.3.0.1", u"2.3"), 4);
    EXPECT_EQ(CompareVersions(u"2.10", u"2.9"), 2);
    EXPECT_EQ(CompareVersions(u"2.9", u"2.10"), -2);
    EXPECT_EQ(CompareVersions(u"0.0.0.0", u"2.3"), -1);
    EXPECT_EQ(CompareVersions(u"2.3", u"0.0.0.0"), 1);
    EXPECT_EQ(CompareVersions(u"a.b", u"0"), 0);        // no number is 0
    EXPECT_EQ(CompareVersions(u"1..2", u"1.2"), 0);     // empty parts are skipped
    EXPECT_EQ(CompareVersions(u"1.2.3.4.9", u"1.2.3.4"), 0);
    EXPECT_EQ(CompareVersions(u"3x", u"3"), 0);         // trailing text ignored
}

TEST(UninstallLog, AddsOncePerExactPathAndRoundTrips) {
    UninstallLog log;
    EXPECT_TRUE(log.AddFile(u"C:\\A\\x.exe"));
    EXPECT_FALSE(log.AddFile(u"C:\\A\\x.exe"));
    EXPECT_TRUE(log.AddFile(u"C:\\A\\X.EXE"));  // case-sensitive
    EXPECT_TRUE(log.AddFolder(u"C:\\A"));
    EXPECT_FALSE(log.AddFolder(u"C:\\A"));
    EXPECT_TRUE(log.AddCreatedKey(1, u"Software\\Q"));
    EXPECT_FALSE(log.AddCreatedKey(1, u"Software\\Q"));
    EXPECT_TRUE(log.AddWrittenValue(1, u"Software\\Run", u"TL21"));
    EXPECT_FALSE(log.AddWrittenValue(1, u"Software\\Run", u"TL21"));
    EXPECT_TRUE(log.AddWrittenValue(1, u"Software\\Run", u""));
    EXPECT_TRUE(log.HasCreatedKey(1, u"Software\\Q"));
    EXPECT_FALSE(log.HasCreatedKey(1, u"Software\\Run"));
    EXPECT_EQ(log.Files(), (std::vector<std::u16string>{u"C:\\A\\x.exe", u"C:\\A\\X.EXE"}));
    ASSERT_NE(log.Tree().Child("f")->Property("1"), nullptr);

    QV::MemoryStream stream;
    ASSERT_TRUE(log.Write(stream));
    stream.Seek(0, QV::SeekBegin);
    UninstallLog back;
    ASSERT_TRUE(back.Read(stream));
    EXPECT_EQ(back.Tree().Name(), "Quorvane Setup Uninstall Log");
    EXPECT_EQ(back.Files(), log.Files());
    EXPECT_EQ(back.Folders(), (std::vector<std::u16string>{u"C:\\A"}));
    const auto registry = back.Registry();
    ASSERT_EQ(registry.size(), 3u);
    EXPECT_FALSE(registry[0].isValue);
    EXPECT_TRUE(registry[2].isValue);
    EXPECT_EQ(registry[2].value, u"");
    // An update extends it: new entries get the next numbers, known ones are not repeated.
    EXPECT_FALSE(back.AddFile(u"C:\\A\\x.exe"));
    EXPECT_TRUE(back.AddFile(u"C:\\A\\new.dll"));
    EXPECT_EQ(back.Files().back(), u"C:\\A\\new.dll");
    ASSERT_NE(back.Tree().Child("f")->Property("2"), nullptr);

    // Another root name, a truncated file: not a log, and nothing of it is kept.
    QV::TreeNode other("Something Else");
    QV::MemoryStream otherStream;
    ASSERT_TRUE(other.Write(otherStream));
    otherStream.Seek(0, QV::SeekBegin);
    EXPECT_FALSE(back.Read(otherStream));
    EXPECT_TRUE(back.Files().empty());
    QV::MemoryStream cut(stream.Data(), size_t(stream.Size()) - 3);
    EXPECT_FALSE(back.Read(cut));
    EXPECT_TRUE(back.Files().empty());
}

TEST(UninstallLog, DamagedEntriesArePassedOverAndNamesStayUnique) {
    UninstallLog log;
    QV::TreeNode tree(UninstallLog::kRootName);
    QV::TreeNode* files = tree.Child("f", true);
    files->SetString("0", u"C:\\A\\a");
    files->SetString("2", u"C:\\A\\c");  // "1" is missing
    auto number = std::make_unique<QV::TreeProperty>("3", QV::TypeDword);
    files->AddProperty(std::move(number));
    QV::MemoryStream stream;
    ASSERT_TRUE(tree.Write(stream));
    stream.Seek(0, QV::SeekBegin);
    ASSERT_TRUE(log.Read(stream));
    EXPECT_EQ(log.Files(), (std::vector<std::u16string>{u"C:\\A\\a", u"C:\\A\\c"}));
    EXPECT_TRUE(log.AddFile(u"C:\\A\\d"));  // count 3 is taken: the next free name
    EXPECT_EQ(log.Tree().Child("f")->Properties().size(), 4u);
    EXPECT_NE(log.Tree().Child("f")->Property("4"), nullptr);
}

TEST(PathRules, JoinsBoundedAndTellsFoldersApart) {
    EXPECT_EQ(JoinPath(u"C:\\A\\", u"b.txt").value_or(u""), u"C:\\A\\b.txt");
    EXPECT_EQ(JoinPath(u"C:\\A", u"").value_or(u""), u"C:\\A");
    const std::u16string folder = u"C:\\" + std::u16string(250, u'x');
    EXPECT_TRUE(JoinPath(folder, u"12345"));           // 259 characters
    EXPECT_FALSE(JoinPath(folder, u"123456"));         // 260 leave no room for the terminator
    EXPECT_TRUE(IsAbsoluteFolder(u"C:\\Program Files\\Tracelorn"));
    EXPECT_TRUE(IsAbsoluteFolder(u"\\\\server\\share\\app"));
    EXPECT_FALSE(IsAbsoluteFolder(u"C:foo"));
    EXPECT_FALSE(IsAbsoluteFolder(u"foo\\bar"));
    EXPECT_FALSE(IsAbsoluteFolder(u"\\foo"));
    EXPECT_FALSE(IsAbsoluteFolder(u"C:\\a\\..\\Windows"));
    EXPECT_FALSE(IsAbsoluteFolder(u"C:\\a\\b:c"));
    EXPECT_TRUE(IsDriveRoot(u"D:\\"));
    EXPECT_TRUE(IsInsideFolder(u"C:\\App\\x.exe", u"c:\\app\\"));
    EXPECT_FALSE(IsInsideFolder(u"C:\\AppData\\x.exe", u"C:\\App"));
    EXPECT_FALSE(IsInsideFolder(u"C:\\App\\..\\Windows\\x", u"C:\\App"));
    EXPECT_FALSE(IsInsideFolder(u"C:\\App", u"C:\\App"));
    EXPECT_TRUE(IsSameOrInsideFolder(u"C:\\App", u"C:\\App\\"));
    EXPECT_TRUE(IsUsableSubkey(u"Software\\Q"));
    EXPECT_FALSE(IsUsableSubkey(u"Software"));
    EXPECT_FALSE(IsUsableSubkey(u"Software\\\\Q"));
    EXPECT_TRUE(IsKeyAncestor(u"software\\quorvane", u"Software\\Quorvane\\Tracelorn"));
    EXPECT_FALSE(IsKeyAncestor(u"Software\\Quor", u"Software\\Quorvane\\Tracelorn"));
}

TEST(SizeText, OneDecimalInTheLargestUnitExceeded) {
    const auto size = [](uint64_t bytes) { return SizeText(bytes, u"KB", u"MB", u"GB"); };
    EXPECT_EQ(size(1572864), u"1.5 MB");
    EXPECT_EQ(size(1048576), u"1024.0 KB");
    EXPECT_EQ(size(0), u"0.0 KB");
    EXPECT_EQ(size(1073741824), u"1024.0 MB");
    EXPECT_EQ(size(5ull << 30), u"5.0 GB");
}

TEST(InstalledPaths, RefuseAFolderWhoseLongestPathWouldNotFit) {
    QV::TreeNode root;
    QV::TreeNode* files = root.Child("files", true);
    files->SetString("Tracelorn.exe", u"Tracelorn.exe");
    files->Child("STDPLUGS", true)->SetString("PowerPoint.tlp", u"STDPLUGS/PowerPoint.tlp");
    InstallSettings settings;
    settings.Load(root);
    // Each file is written under its staged name first.
    EXPECT_EQ(LongestInstalledName(settings), std::string("STDPLUGS\\PowerPoint.tlp.tlnew").size());
    const size_t longest = LongestInstalledName(settings);
    const std::u16string fits = u"C:\\" + std::u16string(kMaxPath - 3 - 2 - longest, u'a');
    EXPECT_TRUE(FitsInstalledPaths(fits, longest));       // 259 characters with the longest name
    EXPECT_FALSE(FitsInstalledPaths(fits + u"a", longest));
    EXPECT_EQ(LongestInstalledName(InstallSettings()), 13u);  // the journal's temporary name at least
}

TEST(SelfDeleteBatch, RetriesBoundedAndDoublesPercentSigns) {
    const std::u16string text = SelfDeleteBatchText(u"C:\\Temp\\100%\\qvu1.exe", u"C:\\Temp\\qvu2.bat");
    EXPECT_NE(text.find(u"del /f /q \"C:\\Temp\\100%%\\qvu1.exe\""), std::u16string::npos);
    EXPECT_NE(text.find(u"if exist \"C:\\Temp\\100%%\\qvu1.exe\" goto Again"), std::u16string::npos);
    EXPECT_NE(text.find(u"geq 30 goto Done"), std::u16string::npos);
    EXPECT_NE(text.find(u"ping -n 2"), std::u16string::npos);
    const std::u16string last = u"del /f /q \"C:\\Temp\\qvu2.bat\" >nul 2>nul";
    ASSERT_GT(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last);  // the batch deletes itself last
    EXPECT_EQ(text.find(u"100%\\"), std::u16string::npos);
}

TEST(SetupCommand, SilentSwitchesAndTheWizardsOldReading) {
    const SetupCommand full = ParseSetupCommand(u"/S /nolaunch /LOG=\"C:\\a b\\s.log\" /NOSHORTCUTS /D=C:\\My Apps\\T /S ");
    EXPECT_TRUE(full.silent && full.valid && full.noLaunch && full.noShortcuts && !full.update);
    EXPECT_EQ(full.logPath, u"C:\\a b\\s.log");
    EXPECT_EQ(full.folder, u"C:\\My Apps\\T /S");  // the rest of the line, as it stands
    EXPECT_TRUE(ParseSetupCommand(u"update /S").update);
    EXPECT_FALSE(ParseSetupCommand(u"/S /X").valid);
    EXPECT_FALSE(ParseSetupCommand(u"/S /LOG=\"open").valid);
    // Without "/S" the wizard: "update" exactly, anything else an installation.
    EXPECT_TRUE(ParseSetupCommand(u"update").update && !ParseSetupCommand(u"update").silent);
    EXPECT_FALSE(ParseSetupCommand(u"Update").update);
    EXPECT_TRUE(ParseSetupCommand(u"/D=C:\\x").valid && !ParseSetupCommand(u"/D=C:\\x").silent);
    // The uninstaller's copy: switches, then its folder.
    const SetupCommand copy = ParseSetupCommand(UninstallCopyTail(full, u"C:\\U x"), true);
    EXPECT_TRUE(copy.silent && copy.valid);
    EXPECT_EQ(copy.folder, u"C:\\U x");
    EXPECT_EQ(copy.logPath, full.logPath);
    EXPECT_EQ(ParseSetupCommand(u"C:\\U x", true).folder, u"C:\\U x");
}

TEST(FolderOwnership, OnlyALogMakesAFolderOurs) {
    UninstallLog earlier;
    earlier.AddFile(u"C:\\T\\Tracelorn.exe");
    OwnershipRules rules{u"C:\\T", nullptr, {u"config.cfg", u"STDPLUGS\\*.tlp"}, {u"Tracelorn.exe"}, false};
    EXPECT_FALSE(IsOurFile(rules, u"config.cfg"));  // no log: nothing there is ours
    EXPECT_FALSE(IsOurFile(rules, u"Tracelorn.exe.tlnew"));
    rules.hasJournal = true;  // but what a journal of ours staged is
    EXPECT_TRUE(IsOurFile(rules, u"Tracelorn.exe.tlnew") && IsOurFile(rules, u"setup.jnl"));
    EXPECT_FALSE(IsOurFile(rules, u"Tracelorn.exe"));
    rules.earlier = &earlier;
    for (const char16_t* ours : {u"tracelorn.EXE", u"uninst.dat", u"config.cfg", u"STDPLUGS\\x.tlp",
                                 u"STDPLUGS/x.tlp.tlnew", u"Tracelorn.exe.tlnew", u"setup.jnl"}) {
        EXPECT_TRUE(IsOurFile(rules, ours)) << U16ToUtf8(ours);
    }
    for (const char16_t* theirs : {u"notes.txt", u"STDPLUGS\\x.tlp\\y", u"STDPLUGS\\sub\\x.tlp", u"config.cfg.bak",
                                   u"notes.txt.tlnew"}) {
        EXPECT_FALSE(IsOurFile(rules, theirs)) << U16ToUtf8(theirs);
    }
}

TEST(UpdateJournal, RoundTripsExecutableLastAndRefusesNamesOutside) {
    UpdateJournal journal;
    journal.ready = true;
    journal.names = ReplacementOrder({u"Tracelorn.exe", u"Uninst.exe", u"STDPLUGS\\a.tlp"}, u"tracelorn.exe");
    EXPECT_EQ(journal.names.back(), u"Tracelorn.exe");
    QV::TreeNode tree;
    EncodeJournal(journal, tree);
    UpdateJournal read;
    ASSERT_TRUE(DecodeJournal(tree, read));
    EXPECT_TRUE(read.ready);
    EXPECT_EQ(read.names, journal.names);
    tree.Child("files", true)->SetString("3", u"..\\..\\evil.exe");
    EXPECT_FALSE(DecodeJournal(tree, read));
    EXPECT_TRUE(read.names.empty());
}

// A settings tree with the product key, the uninstall entry and what the product writes itself.
void MakeSettings(InstallSettings& settings) {
    QV::TreeNode root;
    QV::TreeNode* reg = root.Child("reg", true);
    for (const auto& [name, path] : {std::pair<const char*, const char16_t*>{"reg", u"Software\\Q\\#title#"},
                                     {"uninst", u"Software\\Uninstall\\T"},
                                     {"bad", u"Software"}}) {
        QV::TreeNode* key = reg->Child(name, true);
        auto rootValue = std::make_unique<QV::TreeProperty>("root", QV::TypeDword);
        rootValue->SetInteger(QV::TypeDword, 1);
        key->AddProperty(std::move(rootValue));
        key->SetString("key", path);
        key->Child("values", true)->SetString("Version", u"#ver#");
    }
    QV::TreeNode* uninst = root.Child("uninst", true);
    uninst->Child("files", true)->SetString("0", u"config.cfg");
    uninst->Child("files", true)->SetString("1", u"..\\outside.txt");
    QV::TreeNode* run = uninst->Child("values", true)->Child("run", true);
    auto runRoot = std::make_unique<QV::TreeProperty>("root", QV::TypeDword);
    runRoot->SetInteger(QV::TypeDword, 1);
    run->AddProperty(std::move(runRoot));
    run->SetString("key", u"Software\\Run");
    run->SetString("name", u"TL21");
    settings.Load(root);
}

TEST(UninstallPlan, TrustsLogEntriesOnlyWhereTheInstallationWrote) {
    InstallSettings settings;
    MakeSettings(settings);
    ASSERT_EQ(settings.RegistryKeys().size(), 2u);  // the one-component key is passed over
    MacroTable macros;
    macros.Set(u"#title#", u"Tracelorn");

    UninstallLog log;
    log.AddFolder(u"C:\\Data\\Quorvane");              // a parent the installation created
    log.AddFolder(u"C:\\Data\\Quorvane\\Tracelorn");
    log.AddFolder(u"C:\\Data\\Quorvane\\Tracelorn\\STDPLUGS");
    log.AddFolder(u"C:\\Users\\me\\Programs\\Tracelorn");
    log.AddFolder(u"C:\\Windows");                      // refused
    log.AddFolder(u"C:\\");                             // refused
    log.AddFolder(u"C:\\Data\\/");                      // refused: not a plain path
    log.AddFile(u"C:\\Data\\Quorvane\\Tracelorn\\Tracelorn.exe");
    log.AddFile(u"C:\\Users\\me\\Desktop\\Tracelorn.lnk");
    log.AddFile(u"C:\\Windows\\system32\\kernel32.dll");  // refused
    log.AddFile(u"C:\\Data\\Quorvane\\Tracelorn\\..\\..\\x");  // refused
    log.AddFile(u"C:\\Data\\Quorvane\\x");                // refused: a file above the folder
    log.AddCreatedKey(1, u"Software\\Q");
    log.AddCreatedKey(1, u"Software\\Q\\Tracelorn");
    log.AddCreatedKey(1, u"Software\\Uninstall\\T");
    log.AddCreatedKey(1, u"Software\\Other");            // refused
    log.AddWrittenValue(1, u"Software\\Q\\Tracelorn", u"Version");
    log.AddWrittenValue(1, u"Software\\Q\\Tracelorn", u"Foreign");  // refused

    const UninstallScope scope{u"C:\\Data\\Quorvane\\Tracelorn", u"C:\\Users\\me\\Desktop",
                               u"C:\\Users\\me\\Programs"};
    const UninstallPlan plan = PlanUninstall(log, scope, settings, macros);
    EXPECT_EQ(plan.files, (std::vector<std::u16string>{u"C:\\Data\\Quorvane\\Tracelorn\\Tracelorn.exe",
                                                       u"C:\\Users\\me\\Desktop\\Tracelorn.lnk"}));
    EXPECT_EQ(plan.folders, (std::vector<std::u16string>{u"C:\\Users\\me\\Programs\\Tracelorn",
                                                         u"C:\\Data\\Quorvane\\Tracelorn\\STDPLUGS",
                                                         u"C:\\Data\\Quorvane\\Tracelorn", u"C:\\Data\\Quorvane"}));
    EXPECT_EQ(plan.productFiles, (std::vector<std::u16string>{u"C:\\Data\\Quorvane\\Tracelorn\\config.cfg"}));
    ASSERT_EQ(plan.createdKeys.size(), 3u);
    // Deepest first: the product key before its parent, each with the values the settings write.
    EXPECT_EQ(plan.createdKeys[1].key, u"Software\\Q\\Tracelorn");
    EXPECT_EQ(plan.createdKeys[1].values, (std::vector<std::u16string>{u"Version"}));
    EXPECT_EQ(plan.createdKeys.back().key, u"Software\\Q");
    EXPECT_TRUE(plan.createdKeys.back().values.empty());
    ASSERT_EQ(plan.values.size(), 2u);
    EXPECT_EQ(plan.values[0].name, u"Version");
    EXPECT_EQ(plan.values[1].name, u"TL21");
    EXPECT_EQ(plan.refused, 8u);

    // Without a usable installation folder nothing at all is trusted.
    const UninstallPlan none = PlanUninstall(log, UninstallScope{u"C:\\", u"", u""}, settings, macros);
    EXPECT_TRUE(none.files.empty());
    EXPECT_TRUE(none.folders.empty());
    EXPECT_TRUE(none.createdKeys.empty());
}

TEST(ShippedSettings, NameWhatTheProductWritesItself) {
    std::string bytes;
    ASSERT_TRUE(setup_test::ReadWholeFile(setup_test::ShippedDataPath("set.qvdt"), bytes));
    QV::MemoryStream stream(bytes.data(), bytes.size());
    QV::TreeNode tree;
    ASSERT_TRUE(tree.Read(stream));
    InstallSettings settings;
    settings.Load(tree);
    const UninstSpec& uninst = settings.Uninst();
    EXPECT_EQ(uninst.files.size(), 6u);
    ASSERT_EQ(uninst.keys.size(), 1u);
    EXPECT_EQ(uninst.keys[0].key, u"Software\\Quorvane\\Tracelorn\\2.3");
    ASSERT_EQ(uninst.values.size(), 1u);
    EXPECT_EQ(uninst.values[0].name, u"TL21");
    ASSERT_NE(settings.UninstallEntryKey(), nullptr);
    bool quoted = false;
    for (const RegValueSpec& value : settings.UninstallEntryKey()->values) {
        if (value.name == u"UninstallString") quoted = value.text == u"\"#InstallDir#\\Uninst.exe\"";
    }
    EXPECT_TRUE(quoted);
}

}  // namespace
