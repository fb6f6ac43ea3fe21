#include "engine/Checkpoint.h"
#include "engine/EntryFactory.h"
#include "engine/RegistryEntry.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

constexpr uint32_t kHkcu = 0x80000001u;

// A private key below HKCU\Software\TracelornTest, removed with everything in it afterwards.
class TestKey {
public:
    TestKey() {
        path_ = "Software\\TracelornTest\\Registry" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(counter_++);
        Create("");
    }
    ~TestKey() { ::SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str()); }
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& sub) const { return path_ + "\\" + sub; }

    void Create(const std::string& sub) const {
        HKEY k = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, Full(sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &k, nullptr), ERROR_SUCCESS);
        ::RegCloseKey(k);
    }
    void SetValue(const std::string& sub, const std::string& name) const {
        Create(sub);
        const DWORD v = 1;
        ASSERT_EQ(::SHSetValueA(HKEY_CURRENT_USER, Full(sub).c_str(), name.c_str(), REG_DWORD, &v, sizeof(v)),
                  ERROR_SUCCESS);
    }
    bool Exists(const std::string& sub = "") const {
        HKEY k = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, Full(sub).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(k);
        return true;
    }
    std::set<std::string> Values(const std::string& sub = "") const {
        std::set<std::string> names;
        HKEY k = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, Full(sub).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return names;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = sizeof(name);
            if (::RegEnumValueA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.insert(name);
        }
        ::RegCloseKey(k);
        return names;
    }

private:
    std::string Full(const std::string& sub) const { return sub.empty() ? path_ : path_ + "\\" + sub; }
    std::string path_;
    static inline int counter_ = 0;
};

class RegistryEntryTest : public ::testing::Test {
protected:
    void SetUp() override { ClearStop(); }
    void MruValues() {
        for (const char* n : {"MRUList", "mrulistex", "Other", "a*b", "axb"}) key.SetValue("", n);
    }
    uint32_t ScanItems(RegistryEntry& e) {
        e.Reset();
        e.Scan();
        EXPECT_TRUE(e.Scanned());
        EXPECT_EQ(e.Counters().files, 0u);
        EXPECT_EQ(e.Counters().bytes, 0u);
        return e.Counters().items;
    }
    uint32_t KillItems(RegistryEntry& e) {
        e.Reset();
        e.Kill();
        EXPECT_TRUE(e.Killed());
        EXPECT_EQ(e.Counters().files, 0u);
        return e.Counters().items;
    }
    TestKey key;
};

}  // namespace

TEST_F(RegistryEntryTest, ConstructionAndSetKeyAndPatternDeriveKindAndMode) {
    RegistryEntry e(kHkcu, "x", std::string("MRU*"), false);
    EXPECT_EQ(e.Kind(), RemKind::RegistryValues);
    EXPECT_EQ(e.MatchMode(), ValueMatchMode::Prefix);
    EXPECT_EQ(e.MatchText(), "MRU");
    EXPECT_EQ(e.Record()->kind, 5u);
    EXPECT_FALSE(e.Record()->recurse);
    e.SetKeyAndPattern(0x80000002u, "y", std::nullopt);
    EXPECT_EQ(e.Kind(), RemKind::RegistryKey);
    EXPECT_EQ(e.MatchMode(), ValueMatchMode::All);
    EXPECT_EQ(e.Record()->kind, 6u);
    EXPECT_EQ(e.Record()->rootKey, 0x80000002u);
    EXPECT_EQ(e.Record()->key, "y");
    e.SetKeyAndPattern(kHkcu, "z", std::string());
    EXPECT_EQ(e.Kind(), RemKind::RegistryValues);
    EXPECT_EQ(e.MatchMode(), ValueMatchMode::All);
}

TEST_F(RegistryEntryTest, PrefixPatternSelectsBothMruNames) {
    MruValues();
    RegistryEntry e(kHkcu, key.Path(), std::string("MRU*"), true);
    EXPECT_EQ(ScanItems(e), 2u);
    EXPECT_EQ(KillItems(e), 2u);
    EXPECT_EQ(key.Values(), (std::set<std::string>{"Other", "a*b", "axb"}));
}

TEST_F(RegistryEntryTest, SuffixPatternSelectsMruListOnly) {
    MruValues();
    RegistryEntry e(kHkcu, key.Path(), std::string("*List"), true);
    EXPECT_EQ(ScanItems(e), 1u);
    EXPECT_EQ(KillItems(e), 1u);
    EXPECT_EQ(key.Values().count("MRUList"), 0u);
    EXPECT_EQ(key.Values().count("mrulistex"), 1u);
}

TEST_F(RegistryEntryTest, ContainsPatternSelectsBoth) {
    MruValues();
    RegistryEntry e(kHkcu, key.Path(), std::string("*RU*"), true);
    EXPECT_EQ(ScanItems(e), 2u);
    EXPECT_EQ(KillItems(e), 2u);
    EXPECT_EQ(key.Values(), (std::set<std::string>{"Other", "a*b", "axb"}));
}

TEST_F(RegistryEntryTest, InnerStarMatchesOnlyTheLiteralName) {
    MruValues();
    RegistryEntry e(kHkcu, key.Path(), std::string("a*b"), true);
    EXPECT_EQ(ScanItems(e), 1u);
    EXPECT_EQ(KillItems(e), 1u);
    EXPECT_EQ(key.Values().count("a*b"), 0u);
    EXPECT_EQ(key.Values().count("axb"), 1u);
}

TEST_F(RegistryEntryTest, StarAndDoubleStarTakeEveryValueButKeepSubkeys) {
    for (const char* p : {"*", "**"}) {
        key.SetValue("", "v1");
        key.SetValue("", "v2");
        key.SetValue("sub", "inner");
        RegistryEntry e(kHkcu, key.Path(), std::string(p), true);
        EXPECT_EQ(ScanItems(e), 3u) << p;
        EXPECT_EQ(KillItems(e), 3u) << p;
        EXPECT_TRUE(key.Values().empty()) << p;
        EXPECT_TRUE(key.Values("sub").empty()) << p;
        EXPECT_TRUE(key.Exists("sub")) << p;
    }
}

TEST_F(RegistryEntryTest, EmptyPatternWithRecursionEmptiesTheSubtreeButKeepsTheKey) {
    key.SetValue("", "top");
    key.SetValue("a", "x");
    key.SetValue("a\\deep", "y");
    key.SetValue("a\\deep", "z");
    key.Create("b");
    RegistryEntry e(kHkcu, key.Path(), std::string(), true);
    EXPECT_EQ(ScanItems(e), 4u);
    EXPECT_EQ(KillItems(e), 4u);
    EXPECT_TRUE(key.Exists());
    EXPECT_TRUE(key.Values().empty());
    EXPECT_FALSE(key.Exists("a"));
    EXPECT_FALSE(key.Exists("b"));
}

TEST_F(RegistryEntryTest, PatternWithoutRecursionLeavesSubkeysAlone) {
    key.SetValue("", "MRUList");
    key.SetValue("s", "MRUList");
    RegistryEntry e(kHkcu, key.Path(), std::string("MRU*"), false);
    EXPECT_EQ(ScanItems(e), 1u);
    EXPECT_EQ(KillItems(e), 1u);
    EXPECT_EQ(key.Values("s").size(), 1u);
}

TEST_F(RegistryEntryTest, WholeKeyWithRecursionGoesEntirely) {
    for (const char* n : {"a", "b", "c"}) key.SetValue("k", n);
    key.SetValue("k\\s", "one");
    RegistryEntry e(kHkcu, key / "k", std::nullopt, true);
    EXPECT_EQ(ScanItems(e), 4u);
    EXPECT_TRUE(key.Exists("k"));
    EXPECT_EQ(KillItems(e), 4u);
    EXPECT_FALSE(key.Exists("k\\s"));
    EXPECT_FALSE(key.Exists("k"));
    EXPECT_TRUE(key.Exists());
}

TEST_F(RegistryEntryTest, WholeKeyWithoutRecursionKeepsKeyWithSubkeys) {
    for (const char* n : {"a", "b"}) key.SetValue("k", n);
    key.SetValue("k\\s", "one");
    RegistryEntry e(kHkcu, key / "k", std::nullopt, false);
    EXPECT_EQ(ScanItems(e), 2u);
    EXPECT_EQ(KillItems(e), 2u);
    EXPECT_TRUE(key.Exists("k"));
    EXPECT_TRUE(key.Values("k").empty());
    EXPECT_EQ(key.Values("k\\s").size(), 1u);
}

TEST_F(RegistryEntryTest, WholeKeyWithoutSubkeysIsDeletedEvenWithoutRecursion) {
    key.SetValue("k", "a");
    RegistryEntry e(kHkcu, key / "k", std::nullopt, false);
    EXPECT_EQ(KillItems(e), 1u);
    EXPECT_FALSE(key.Exists("k"));
}

TEST_F(RegistryEntryTest, AbsentKeyCountsNothingButMarksTheEntry) {
    RegistryEntry values(kHkcu, key / "missing", std::string("*"), true);
    RegistryEntry whole(kHkcu, key / "missing", std::nullopt, true);
    EXPECT_EQ(ScanItems(values), 0u);
    EXPECT_EQ(KillItems(values), 0u);
    EXPECT_EQ(ScanItems(whole), 0u);
    EXPECT_EQ(KillItems(whole), 0u);
    EXPECT_FALSE(key.Exists("missing"));
}

TEST_F(RegistryEntryTest, EmptyOrBackslashSubkeyTouchesNothing) {
    // A value of our own directly in HKCU would be counted by a walk of the root itself.
    const std::string probe = "TracelornTestProbe" + std::to_string(::GetCurrentProcessId());
    const DWORD one = 1;
    ASSERT_EQ(::RegSetValueExA(HKEY_CURRENT_USER, probe.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&one), sizeof(one)), ERROR_SUCCESS);
    for (const char* sub : {"", "\\", "\\\\\\"}) {
        // Scans are harmless even if the guard were gone, so they try the widest shapes.
        RegistryEntry values(kHkcu, sub, std::string(), true);
        EXPECT_EQ(ScanItems(values), 0u) << sub;
        RegistryEntry whole(kHkcu, sub, std::nullopt, true);
        EXPECT_EQ(ScanItems(whole), 0u) << sub;
        // A Kill that got past the guard could only take the probe value.
        RegistryEntry probeOnly(kHkcu, sub, probe + "*", false);
        EXPECT_EQ(ScanItems(probeOnly), 0u) << sub;
        EXPECT_EQ(KillItems(probeOnly), 0u) << sub;
    }
    DWORD type = 0;
    EXPECT_EQ(::RegQueryValueExA(HKEY_CURRENT_USER, probe.c_str(), nullptr, &type, nullptr, nullptr),
              ERROR_SUCCESS);
    ::RegDeleteValueA(HKEY_CURRENT_USER, probe.c_str());
    EXPECT_TRUE(key.Exists());
}

TEST_F(RegistryEntryTest, StopRequestEndsTheWalk) {
    for (int i = 0; i < 5; ++i) key.SetValue("", "MRU" + std::to_string(i));
    key.SetValue("s", "x");
    int stopped = 0;
    SetStoppedHandler([&] { ++stopped; });
    RegistryEntry e(kHkcu, key.Path(), std::string("MRU*"), true);
    RequestStop();
    EXPECT_THROW(e.Scan(), RunStopped);
    EXPECT_FALSE(e.Scanned());
    RequestStop();
    EXPECT_THROW(e.Kill(), RunStopped);
    EXPECT_FALSE(e.Killed());
    EXPECT_EQ(key.Values().size(), 5u);  // the checkpoint comes before the first deletion
    RequestStop();
    EXPECT_THROW((void)e.MatchesValueName("MRU0"), RunStopped);
    SetStoppedHandler(nullptr);
    EXPECT_EQ(stopped, 3);
    EXPECT_FALSE(IsStopRequested());
    // After the stop the key opens again: the walk released its handles.
    EXPECT_EQ(KillItems(e), 5u);
}

TEST_F(RegistryEntryTest, FactoryBuildsRegistryKindsAndRefusesBadRecords) {
    key.SetValue("", "MRUList");
    key.SetValue("", "Other");
    EntryRecord r;
    r.kind = 5;
    r.rootKey = kHkcu;
    r.key = key.Path();
    r.valueName = "MRU*";
    auto e = MakeEntry(r);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Kind(), RemKind::RegistryValues);
    e->Scan();
    EXPECT_EQ(e->Counters().items, 1u);

    EntryRecord empty = r;
    empty.valueName.clear();
    auto all = MakeEntry(empty);
    ASSERT_NE(all, nullptr);
    all->Scan();
    EXPECT_EQ(all->Counters().items, 2u);  // a present empty pattern means every value

    EntryRecord noValue = r;
    noValue.hasPattern = false;
    EXPECT_EQ(MakeEntry(noValue), nullptr);

    EntryRecord whole = r;
    whole.kind = 6;
    auto k = MakeEntry(whole);
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->Kind(), RemKind::RegistryKey);
    k->Scan();
    EXPECT_EQ(k->Counters().items, 2u);  // kind 6 ignores any stored pattern

    for (uint32_t kind : {0u, 7u, 100u}) {
        EntryRecord bad = r;
        bad.kind = kind;
        EXPECT_EQ(MakeEntry(bad), nullptr) << kind;
    }
    for (uint32_t root : {0u, 0x80000004u, 0x80000006u, 0x00000001u}) {
        EntryRecord bad = r;
        bad.rootKey = root;
        EXPECT_EQ(MakeEntry(bad), nullptr) << root;
        bad.kind = 6;
        EXPECT_EQ(MakeEntry(bad), nullptr) << root;
    }
    EXPECT_EQ(key.Values().size(), 2u);
}
