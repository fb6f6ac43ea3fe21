#include "engine/Checkpoint.h"
#include "engine/ExcludeStore.h"
#include "engine/FileEntry.h"
#include "engine/KillSettings.h"
#include "engine/RegistryEntry.h"
#include "support/TempFolder.h"
#include "targets/Target.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kHkcu = 0x80000001u;

std::string Unique(const char* what) { return std::string("TracelornTest\\") + what + std::to_string(::GetCurrentProcessId()); }

bool KeyHasValue(const std::string& key, const char* name) {
    DWORD type = 0;
    return ::SHGetValueA(HKEY_CURRENT_USER, key.c_str(), name, &type, nullptr, nullptr) == ERROR_SUCCESS;
}

void SetValue(const std::string& key, const char* name) {
    const DWORD v = 1;
    ASSERT_EQ(::SHSetValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &v, sizeof(v)), ERROR_SUCCESS);
}

class ExcludeRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearStop();
        kill_settings::SetSecureDelete(true);
        kill_settings::SetPasses(1);
    }
    void TearDown() override {
        run_excludes::Set(ExcludeList());
        ::SHDeleteKeyA(HKEY_CURRENT_USER, ("software\\" + settings).c_str());
        ::SHDeleteKeyA(HKEY_CURRENT_USER, ("Software\\" + keys).c_str());
    }
    std::string settings = Unique("ExcludeSettings");
    std::string keys = Unique("ExcludeKeys");
    TempFolder dir;
};

}  // namespace

TEST_F(ExcludeRunTest, ScanAndKillKeepExactlyTheStoredExcludes) {
    dir.MakeFile("walk\\keep.log", 100);
    dir.MakeFile("walk\\gone.log", 10);
    dir.MakeFile("walk\\project\\a.tmp", 20);
    dir.MakeFile("walk\\project\\deep\\b.tmp", 30);
    dir.MakeFile("walk\\other\\c.tmp", 40);
    const std::string reg = "Software\\" + keys;
    SetValue(reg + "\\Keep", "kept");
    SetValue(reg + "\\Drop", "dropped");
    SetValue(reg, "top");

    // Stored as the Options page and the details window store them, the folder in another case.
    ASSERT_TRUE(exclude_store::Add(settings, Exclude{ExcludeKind::File, dir / "walk\\KEEP.log"}));
    ASSERT_TRUE(exclude_store::Add(settings, Exclude{ExcludeKind::Folder, dir / "WALK\\Project\\"}));
    ASSERT_TRUE(exclude_store::Add(settings, Exclude{ExcludeKind::Key, "HKCU\\" + reg + "\\Keep"}));
    ASSERT_TRUE(exclude_store::Add(settings, Exclude{ExcludeKind::File, dir / "walk\\keep.log"}));  // once only
    ASSERT_EQ(exclude_store::Read(settings).size(), 3u);
    exclude_store::InstallLoader();
    run_excludes::Begin(settings);

    Target target("Excluded", "");
    target.AddEntry(std::make_unique<FileEntry>(FileEntry::FolderRecord(RemKind::FolderFiles, 0, dir / "walk", "", true)));
    target.AddEntry(std::make_unique<RegistryEntry>(kHkcu, reg, std::nullopt, true));
    target.Scan();
    EXPECT_EQ(target.Counters(), (RunCounters{2, 2, 50}));  // gone.log, c.tmp; "top", "dropped"
    target.Reset();
    target.Kill();
    EXPECT_EQ(target.Counters(), (RunCounters{2, 2, 50}));

    EXPECT_TRUE(FileExists(dir / "walk\\keep.log"));
    EXPECT_TRUE(FileExists(dir / "walk\\project\\a.tmp"));
    EXPECT_TRUE(FileExists(dir / "walk\\project\\deep\\b.tmp"));
    EXPECT_FALSE(FileExists(dir / "walk\\gone.log"));
    EXPECT_FALSE(FolderExists(dir / "walk\\other"));
    EXPECT_TRUE(KeyHasValue(reg + "\\Keep", "kept"));
    EXPECT_FALSE(KeyHasValue(reg + "\\Drop", "dropped"));
    EXPECT_FALSE(KeyHasValue(reg, "top"));

    // Removed from the store, the folder is cleaned by the next run.
    for (const auto& e : exclude_store::Read(settings)) {
        if (e.exclude.kind == ExcludeKind::Folder) {
            ASSERT_TRUE(exclude_store::Remove(settings, e.valueName));
        }
    }
    run_excludes::Begin(settings);
    target.Reset();
    target.Kill();
    EXPECT_EQ(target.Counters().files, 2u);
    EXPECT_FALSE(FolderExists(dir / "walk\\project"));
    EXPECT_TRUE(FileExists(dir / "walk\\keep.log"));
}
