#include "engine/Checkpoint.h"
#include "engine/ExcludeList.h"
#include "engine/FileEntry.h"
#include "engine/FoundItems.h"
#include "engine/KillSettings.h"
#include "engine/RegistryEntry.h"
#include "support/TempFolder.h"
#include "targets/Target.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <mutex>
#include <set>

namespace {

constexpr uint32_t kHkcu = 0x80000001u;

class Collected : public FoundItems {
public:
    void Add(const FoundItem& item) override {
        std::lock_guard<std::mutex> guard(lock_);
        items.push_back(item);
        threads.insert(::GetCurrentThreadId());
    }
    // What the items add up to, counted as the counters count: a file is a file with its bytes, a
    // value one item, a key, table or store as many items as its size says.
    RunCounters Sum() const {
        RunCounters sum;
        for (const FoundItem& i : items) {
            if (i.kind == FoundItem::Kind::File) sum.Add(RunCounters{1, 0, i.size});
            else sum.items += i.kind == FoundItem::Kind::RegistryValue ? 1 : static_cast<uint32_t>(i.size);
        }
        return sum;
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const FoundItem& i : items) names.insert(i.name.empty() ? i.place : i.name);
        return names;
    }
    std::vector<FoundItem> items;
    std::set<DWORD> threads;

private:
    std::mutex lock_;
};

void SetValue(const std::string& key, const char* name) {
    const DWORD v = 1;
    ASSERT_EQ(::SHSetValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &v, sizeof(v)), ERROR_SUCCESS);
}

}  // namespace

// A target's collected items add up to its counters, for a Scan and for a Kill: a walk tested on
// worker threads, a single file, values matched by name and keys reached through a wildcard; an
// excluded file and a file held open are neither counted nor collected.
TEST(FoundItemsTest, CollectedItemsAddUpToTheCounters) {
    ClearStop();
    kill_settings::SetSecureDelete(false);
    TempFolder dir;
    std::set<std::string> expected;
    for (int i = 0; i < 90; ++i) {
        const std::string name = "f" + std::to_string(i) + ".log";
        dir.MakeFile((i % 3 ? "walk\\" : "walk\\sub\\") + name, static_cast<size_t>(i));
        expected.insert(name);
    }
    dir.MakeFile("walk\\keep.log", 7);
    const std::string locked = dir.MakeFile("walk\\locked.log", 9);
    dir.MakeFile("single.dat", 33);
    expected.insert("single.dat");
    ExcludeList excludes;
    excludes.Add(Exclude{ExcludeKind::File, dir / "walk\\keep.log"});
    run_excludes::Set(excludes);

    const std::string reg = "Software\\TracelornTest\\Found" + std::to_string(::GetCurrentProcessId());
    SetValue(reg + "\\Values", "MRU1");
    SetValue(reg + "\\Values", "MRU2");
    SetValue(reg + "\\Values", "Other");
    SetValue(reg + "\\Users\\{A}\\Count", "x");
    SetValue(reg + "\\Users\\{B}\\Count", "y");
    SetValue(reg + "\\Users\\{B}\\Count\\Deep", "z");
    expected.insert({"MRU1", "MRU2", "HKEY_CURRENT_USER\\" + reg + "\\Users\\{A}\\Count",
                     "HKEY_CURRENT_USER\\" + reg + "\\Users\\{B}\\Count"});

    Target target("Found", "");
    target.AddEntry(std::make_unique<FileEntry>(FileEntry::FolderRecord(RemKind::FolderFiles, 0, dir / "walk", "", true)));
    EntryRecord single;
    single.SetKind(RemKind::SingleFile);
    single.path = dir / "single.dat";
    target.AddEntry(std::make_unique<FileEntry>(single));
    target.AddEntry(std::make_unique<RegistryEntry>(kHkcu, reg + "\\Values", std::string("MRU*"), false));
    target.AddEntry(std::make_unique<RegistryEntry>(kHkcu, reg + "\\Users\\*\\Count", std::nullopt, true));

    HANDLE held = ::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    for (const bool kill : {false, true}) {
        SCOPED_TRACE(kill ? "Kill" : "Scan");
        Collected found;
        target.Reset();
        if (kill) target.Kill(&found);
        else target.Scan(&found);
        EXPECT_EQ(target.Counters(), (RunCounters{91, 5, 4038}));  // 0 to 89 bytes, and 33; MRU1, MRU2, x, y, z
        EXPECT_EQ(found.Sum(), target.Counters());
        EXPECT_EQ(found.Names(), expected);
        if (!kill) EXPECT_GT(found.threads.size(), 1u);  // a Scan tests and reports the walk's files on workers
        const std::string top = dir.Path().substr(0, dir.Path().size() - 1);
        for (const FoundItem& i : found.items) {
            if (i.kind != FoundItem::Kind::File) continue;
            EXPECT_NE(i.lastWrite, 0u) << i.name;
            const bool placed = ::lstrcmpiA(i.place.c_str(), (dir / "walk").c_str()) == 0 ||
                                ::lstrcmpiA(i.place.c_str(), (dir / "walk\\sub").c_str()) == 0 ||
                                ::lstrcmpiA(i.place.c_str(), top.c_str()) == 0;
            EXPECT_TRUE(placed) << i.place << " " << i.name;
        }
    }
    ::CloseHandle(held);
    EXPECT_TRUE(FileExists(dir / "walk\\keep.log"));
    EXPECT_TRUE(FileExists(locked));
    EXPECT_FALSE(FileExists(dir / "single.dat"));
    run_excludes::Set(ExcludeList());
    ::SHDeleteKeyA(HKEY_CURRENT_USER, reg.c_str());
}
