#include "engine/SystemStores.h"
#include "engine/Win32SystemStores.h"
#include "targets/BrowserTargets.h"
#include "targets/CatalogBuilder.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>

namespace {

// Writes installer entries of the browsers into the test prefix's registry and removes them again.
// On a machine that has a real entry the case is skipped rather than touching it.
class BrowserProgramTest : public ::testing::Test {
protected:
    static bool KeyExists(HKEY root, const char* key) {
        HKEY k = nullptr;
        if (::RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        ::RegCloseKey(k);
        return true;
    }
    void SetUp() override {
        for (const auto& key : kKeys) {
            if (KeyExists(key.root, key.path)) GTEST_SKIP() << "this machine has " << key.path;
        }
    }
    void TearDown() override {
        if (IsSkipped()) return;
        for (const auto& key : kKeys) ::SHDeleteKeyA(key.root, key.path);
    }
    static void Set(HKEY root, const std::string& key, const char* value, const std::string& data) {
        ASSERT_EQ(::SHSetValueA(root, key.c_str(), value, REG_SZ, data.c_str(), static_cast<DWORD>(data.size() + 1)),
                  ERROR_SUCCESS);
    }
    struct Key { HKEY root; const char* path; };
    const Key kKeys[4] = {
        {HKEY_LOCAL_MACHINE, "Software\\Mozilla\\Mozilla Firefox"},
        {HKEY_LOCAL_MACHINE, "Software\\Netscape\\Netscape Browser"},
        {HKEY_LOCAL_MACHINE, "Software\\Mozilla\\Flock"},
        {HKEY_CURRENT_USER, "Software\\Opera Software"},
    };
};

}  // namespace

TEST_F(BrowserProgramTest, ProgramPathsComeFromTheInstallerEntries) {
    EXPECT_EQ(FindBrowserProgram(Browser::Firefox), "");
    EXPECT_EQ(FindBrowserProgram(Browser::Opera), "");

    Set(HKEY_LOCAL_MACHINE, "Software\\Mozilla\\Mozilla Firefox", "CurrentVersion", "99.0 (x64 en-US)");
    Set(HKEY_LOCAL_MACHINE, "Software\\Mozilla\\Mozilla Firefox\\99.0 (x64 en-US)\\Main", "PathToExe",
        "C:\\Program Files\\Mozilla Firefox\\firefox.exe");
    Set(HKEY_LOCAL_MACHINE, "Software\\Netscape\\Netscape Browser", "CurrentVersion", "8.1");
    Set(HKEY_LOCAL_MACHINE, "Software\\Netscape\\Netscape Browser\\8.1\\Main", "Install Directory", "C:\\NS");
    Set(HKEY_LOCAL_MACHINE, "Software\\Mozilla\\Flock\\Bin", "PathToExe", "C:\\Flock\\flock.exe");
    Set(HKEY_CURRENT_USER, "Software\\Opera Software", "Last CommandLine", "C:\\Opera\\Opera.exe");

    EXPECT_EQ(FindBrowserProgram(Browser::Firefox), "C:\\Program Files\\Mozilla Firefox\\firefox.exe");
    EXPECT_EQ(FindBrowserProgram(Browser::Netscape), "C:\\NS\\Netscape.exe");
    EXPECT_EQ(FindBrowserProgram(Browser::Flock), "C:\\Flock\\flock.exe");
    EXPECT_EQ(FindBrowserProgram(Browser::Opera), "C:\\Opera\\opera.exe");
}

TEST_F(BrowserProgramTest, AVersionWithoutItsMainKeyGivesNoPath) {
    Set(HKEY_LOCAL_MACHINE, "Software\\Mozilla\\Mozilla Firefox", "CurrentVersion", "12.0");
    EXPECT_EQ(FindBrowserProgram(Browser::Firefox), "");
}

TEST(UserFoldersWin, ApplicationDataFoldersHaveNoTrailingBackslash) {
    const BrowserFolders folders = UserBrowserFolders();
    ASSERT_FALSE(folders.appData.empty());
    EXPECT_NE(folders.appData.back(), '\\');
    EXPECT_TRUE(::PathIsDirectoryA(folders.appData.c_str()));
}

// The protected store is gone from current Windows and absent from the test prefix: the entry then
// finds nothing and a Kill does not claim to have run.
TEST(ProtectedStoreWin, UnavailableStoreFindsNothing) {
    auto store = std::make_shared<Win32ProtectedStoreItems>();
    PStoreAutoCompleteEntry entry(store);
    entry.Scan();
    EXPECT_TRUE(entry.Scanned());
    if (!store->Open()) {
        EXPECT_EQ(entry.Counters().items, 0u);
        entry.Kill();
        EXPECT_FALSE(entry.Killed());
        EXPECT_EQ(entry.Counters().items, 0u);
    } else {
        std::vector<std::wstring> names;
        EXPECT_TRUE(store->Enumerate(PStoreAutoCompleteEntry::kRound, names) || names.empty());
        store->Close();
    }
}

TEST(MachineSourcesWin, ThisMachineFillsEverySource) {
    const CatalogSources s = ThisMachine("C:\\Tracelorn");
    EXPECT_EQ(s.pluginFolder, "C:\\Tracelorn");
    EXPECT_TRUE(s.drives && s.recycleBin && s.eventLogs && s.pageFile && s.protectedStore);
    EXPECT_TRUE(s.isFolder && s.browserProgram);
    EXPECT_EQ(s.userSid.rfind("S-1-", 0), 0u);
    EXPECT_TRUE(s.isFolder(s.browserFolders.appData));
}
