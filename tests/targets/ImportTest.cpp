// A hostile winapp2.ini imported for real: each refused entry is listed with its reason, what is
// accepted is stored, offered only where its program is present, and cleans exactly its files;
// a re-import replaces the import and removing it leaves nothing.
#include "support/TempFolder.h"
#include "engine/FolderGuard.h"
#include "targets/ImportedTargets.h"
#include "targets/WinappIni.h"

#include <gtest/gtest.h>

#include <cstring>
#include <windows.h>

namespace {

std::string WinePath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) if (c == '/') c = '\\';
    return path;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
    return text;
}

bool SetText(const std::string& key, const char* name, const char* text) {
    return ::RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text,
                             static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

bool ValueExists(const std::string& key, const char* name) {
    return ::RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

size_t Load(const std::string& program) {
    TargetCatalog catalog;
    return LoadImportedTargets(catalog, program, Win32ConditionProbe());
}

}  // namespace

TEST(WinappImport, HostileFileIsRefusedEntryByEntryAndTheRestCleansExactlyItsFiles) {
    TempFolder work, program;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string relative = work.Path().substr(std::strlen(temp));
    relative.pop_back();
    const std::string ini = Replace(ReadFileBytes(WinePath(TL_SOURCE_DIR "/tests/targets/winapp/hostile.ini")),
                                    "TLIMPORT", relative);
    ASSERT_FALSE(ini.empty());
    const std::string iniPath = work.MakeFileWith("import\\winapp2.ini", ini);
    const std::string app = work / "app\\";
    work.MakeFile("app\\Profiles\\a1\\cache\\x.tmp", 10);
    work.MakeFile("app\\Profiles\\a1\\cache\\y.log", 20);
    const std::string kept = work.MakeFile("app\\Profiles\\a1\\cache\\keep.dat", 5);
    work.MakeFile("app\\Profiles\\b2\\cache\\sub\\z.tmp", 30);
    const std::string oldLog = work.MakeFile("app\\logs\\old.log", 1);
    const std::string keepLog = work.MakeFile("app\\logs\\keep.log", 1);
    work.MakeFile("mixed\\a.bak", 2);
    const std::string text = work.MakeFile("mixed\\a.txt", 2);
    const std::string absent = work.MakeFile("absent\\x.dat", 2);
    const std::string key = "Software\\TlImportTest";
    ASSERT_TRUE(SetText(key + "\\Recent\\Sub", "File1", "C:\\secret.doc"));
    ASSERT_TRUE(SetText(key + "\\Settings", "LastFile", "C:\\secret.doc"));
    ASSERT_TRUE(SetText(key + "\\Settings", "Other", "stays"));

    const ImportResult result = ImportWinappFile(iniPath, program.Path().substr(0, program.Path().size() - 1));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.targets, 3u);  // Accepted Cache, Absent Program, Mixed
    EXPECT_EQ(result.refused, 15u);
    const std::string report = ReadFileBytes(result.reportPath);
    for (const char* refused :
         {"Documents Wiper: FileKey1=", "Documents Wiper: FileKey2=",
          "Desktop Installer Leftovers: FileKey1=", "Profile Root: FileKey1=", "Profile Root: FileKey2=",
          "Key Material: FileKey1=", "Key Material: FileKey2=", "Key Material: FileKey3=", "Sync Folders: FileKey1=",
          "Sync Folders: FileKey2=", "Windows Settings: RegKey1=", "Windows Settings: RegKey2=",
          "Windows Settings: RegKey3=", "Root Wildcard: FileKey1=", "Mixed: FileKey2="}) {
        const size_t at = report.find(refused);
        ASSERT_NE(at, std::string::npos) << refused << "\n" << report;
        const size_t end = report.find("\r\n", at);
        const std::string line = report.substr(at, end - at);
        EXPECT_GT(line.rfind(": "), line.find('=')) << "no reason: " << line;  // "...=value: reason"
    }
    for (const char* dropped : {"Documents Wiper", "Profile Root", "Key Material", "Windows Settings"})
        EXPECT_NE(report.find(std::string(dropped) + ": dropped"), std::string::npos) << dropped;
    EXPECT_EQ(report.find("Accepted Cache: FileKey"), std::string::npos);
    EXPECT_EQ(report.find("Mixed: FileKey1="), std::string::npos);

    // The absent program is stored but not offered; the others are, unselected, with the warning.
    TargetCatalog catalog;
    ASSERT_EQ(LoadImportedTargets(catalog, program.Path().substr(0, program.Path().size() - 1), Win32ConditionProbe()), 2u);
    Target& accepted = catalog.TargetAt(0);
    EXPECT_EQ(accepted.Name(), "Accepted Cache");
    EXPECT_EQ(accepted.Group(), "Applications");
    EXPECT_EQ(accepted.Warning(), "Sessions go too");
    EXPECT_EQ(catalog.TargetAt(1).Name(), "Mixed");
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_FALSE(catalog.TargetAt(i).Selected());
        catalog.TargetAt(i).SetSelected(true);
        catalog.RunTarget(static_cast<int>(i), false);
    }
    EXPECT_EQ(accepted.Counters().files, 4u);  // x.tmp, y.log, z.tmp, old.log (keep.log is excluded)
    EXPECT_EQ(accepted.Counters().items, 2u);  // File1 below Recent, LastFile
    for (size_t i = 0; i < 2; ++i) catalog.RunTarget(static_cast<int>(i), true);
    EXPECT_EQ(accepted.Counters().files, 4u);
    EXPECT_EQ(catalog.TargetAt(1).Counters().files, 1u);

    // Exactly these remain: the unmatched file keeps its folder, the emptied folders are gone.
    EXPECT_TRUE(FileExists(kept));
    EXPECT_FALSE(FolderExists(app + "Profiles\\b2\\cache"));
    EXPECT_TRUE(FolderExists(app + "Profiles\\b2"));
    EXPECT_FALSE(FileExists(oldLog));
    EXPECT_TRUE(FileExists(keepLog) && FileExists(text) && FileExists(absent));
    EXPECT_EQ(ListFolder(work / "app\\Profiles\\a1\\cache"), std::vector<std::string>{"keep.dat"});
    EXPECT_EQ(ListFolder(work / "mixed"), std::vector<std::string>{"a.txt"});
    HKEY recent = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, (key + "\\Recent").c_str(), 0, KEY_READ, &recent), ERROR_SUCCESS);
    if (recent) ::RegCloseKey(recent);
    EXPECT_FALSE(ValueExists(key + "\\Settings", "LastFile"));
    EXPECT_TRUE(ValueExists(key + "\\Settings", "Other"));

    // A re-import replaces the previous one; removing it leaves nothing to load.
    const std::string folder = program.Path().substr(0, program.Path().size() - 1);
    // A name already listed keeps its target: the import's "zzz" stays out, and its second "Only".
    const std::string entry = "FileKey1=%Temp%\\" + relative + "\\mixed|*.bak\n";
    const std::string smaller = work.MakeFileWith("import\\small.ini", "[Only *]\n" + entry + "[ZZZ *]\n" + entry +
                                                                         "[only *]\n" + entry);
    ASSERT_TRUE(ImportWinappFile(smaller, folder).ok);
    TargetCatalog again;
    again.AddTarget(std::make_unique<Target>("zzz", ""));
    ASSERT_EQ(LoadImportedTargets(again, folder, Win32ConditionProbe()), 1u);
    EXPECT_EQ(again.TargetAt(1).Name(), "Only");
    EXPECT_TRUE(RemoveImportedTargets(folder));
    EXPECT_EQ(Load(folder), 0u);
    EXPECT_FALSE(FileExists(folder + "\\ImportReport.txt"));
    ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

// A target's excludes keep their files, folders, name patterns and keys; the entries take the rest,
// and Scan counts exactly what Kill removes.
TEST(WinappImport, ExcludesKeepTheirOwnAndTheEntriesCleanTheRest) {
    TempFolder work, program;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string dir = "%Temp%\\" + work.Path().substr(std::strlen(temp)) + "ex";
    for (const char* gone : {"ex\\a.tmp", "ex\\sub\\b.tmp"}) work.MakeFile(gone, 3);
    const char* kept[] = {"ex\\keep.tmp", "ex\\Saved\\c.tmp", "ex\\e.log", "ex\\sub\\d.log", "ex\\sub\\keep2.tmp"};
    for (const char* k : kept) work.MakeFile(k, 5);
    const std::string key = "Software\\TlImportExcl\\App";
    for (const char* sub : {"", "\\Sub", "\\Pinned"}) ASSERT_TRUE(SetText(key + sub, "v", "x"));
    ASSERT_TRUE(SetText(key, "Keep", "y"));  // a value excluded by name keeps itself and its key
    const std::string ini = "[Keeper *]\nFileKey1=" + dir + "|*.*|REMOVESELF\nRegKey1=HKCU\\" + key +
                            "\nExcludeKey1=FILE|" + dir + "\\keep.tmp\nExcludeKey2=PATH|" + dir +
                            "\\Saved\\\nExcludeKey3=PATH|" + dir + "\\|*.log\nExcludeKey4=FILE|" + dir +
                            "\\*\\|keep*\nExcludeKey5=REG|HKCU\\" + key + "\\Pinned\nExcludeKey6=REG|HKCU\\" + key + "|keep\n";
    const std::string folder = program.Path().substr(0, program.Path().size() - 1);
    const ImportResult result = ImportWinappFile(work.MakeFileWith("winapp2.ini", ini), folder);
    ASSERT_TRUE(result.ok && result.targets == 1u && result.refused == 0u) << ReadFileBytes(result.reportPath);
    TargetCatalog catalog;
    ASSERT_EQ(LoadImportedTargets(catalog, folder, Win32ConditionProbe()), 1u);
    catalog.TargetAt(0).SetSelected(true);
    for (bool kill : {false, true}) {
        catalog.RunTarget(0, kill);
        EXPECT_EQ(catalog.TargetAt(0).Counters().files, 2u) << kill;  // a.tmp, sub\b.tmp
        EXPECT_EQ(catalog.TargetAt(0).Counters().items, 2u) << kill;  // the key's value and Sub's
    }
    for (const char* k : kept) EXPECT_TRUE(FileExists(work / k)) << k;
    EXPECT_FALSE(FileExists(work / "ex\\a.tmp") || FileExists(work / "ex\\sub\\b.tmp"));
    EXPECT_TRUE(ValueExists(key + "\\Pinned", "v"));
    EXPECT_FALSE(ValueExists(key, "v") || ValueExists(key + "\\Sub", "v"));
    EXPECT_TRUE(ValueExists(key, "Keep"));
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TlImportExcl");
}

TEST(WinappImport, EveryVariableExpandsToAnAbsoluteFolder) {
    for (const std::string& name : WinappVariables()) {
        const std::vector<std::string> folders = ExpandWinappPath("%" + name + "%\\x");
        ASSERT_FALSE(folders.empty()) << name;
        for (const std::string& f : folders) EXPECT_TRUE(f.size() >= 4 && f[1] == ':' && f.substr(f.size() - 2) == "\\x") << name << " " << f;
    }
    EXPECT_EQ(ExpandWinappPath("%ProgramFiles%\\x").size(), 2u);  // both program-files folders
    EXPECT_TRUE(ExpandWinappPath("%Nope%\\x").empty());
}

// Thousands of conditions cost few lookups, and every answer is still the machine's: keys and
// folders that are here among many that are not, a wildcard in the last part, a folder below an
// absent one; and the import's places resolve folders as the machine's own do.
TEST(WinappImport, ConditionsAndPlacesAnswerAsTheMachineFromFewLookups) {
    TempFolder work;
    const std::string key = "Software\\TlProbeTest";
    const std::string folder = work.Path().substr(0, work.Path().size() - 1);
    for (int i : {3, 17, 38}) {
        ASSERT_TRUE(SetText(key + "\\Vendor" + std::to_string(i) + "\\Sub", "v", "1"));
        work.MakeFile("Vendor" + std::to_string(i) + "\\app.exe", 1);
    }
    const Win32ConditionProbe probe;
    size_t asked = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 40; ++i) {
            const std::string v = "Vendor" + std::to_string(i);
            const bool here = i == 3 || i == 17 || i == 38;
            EXPECT_EQ(probe.KeyExists(0x80000001u, key + "\\" + v), here) << v;
            EXPECT_EQ(probe.KeyExists(0x80000001u, key + "\\" + (i % 2 ? "vendor" : "VENDOR") + std::to_string(i) + "\\Sub"), here) << v;
            EXPECT_FALSE(probe.KeyExists(0x80000001u, key + "\\" + v + "\\Other"));
            EXPECT_EQ(probe.PathExists(folder + "\\" + v + "\\app.exe"), here) << v;
            EXPECT_EQ(probe.PathExists(folder + "\\" + v + "\\*.exe"), here) << v;
            EXPECT_FALSE(probe.PathExists(folder + "\\" + v + "\\*.dll"));
            asked += 6;
        }
    }
    EXPECT_LT(probe.SystemLookups(), asked / 8) << "most absent names were answered from a list";

    const ImportPlaces places;
    for (const std::string& path : {folder + "\\Vendor3\\", folder + "\\Vendor4\\Cache\\", folder + "\\Vendor3\\Cache\\",
                                    folder + "\\Vendor17\\app.exe"}) {
        EntryRecord r;
        r.SetKind(RemKind::FolderWildcard);
        r.path = path;
        r.mask = "*.*";
        EXPECT_EQ(places.ResolvedPath(r), ThisMachinePlaces().ResolvedPath(r)) << path;
    }
    ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}
