#include "engine/RegistryRules.h"

#include <gtest/gtest.h>

namespace {
constexpr uint32_t kHKCR = 0x80000000u, kHKCU = 0x80000001u, kHKLM = 0x80000002u, kHKU = 0x80000003u;

EntryRecord Registry(uint32_t kind, uint32_t root, const std::string& key, const std::string& pattern = "") {
    EntryRecord r;
    r.kind = kind;
    r.rootKey = root;
    r.key = key;
    r.valueName = pattern;
    return r;
}
}  // namespace

TEST(RegistryRules, WholeKeysAtLeastThreeLevelsBelowTheirRoot) {
    EXPECT_FALSE(MayEmptyRegistryKey(kHKCU, ""));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKCU, "Software"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKCU, "Software\\Vendor"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKCU, "\\Software\\\\Vendor\\"));  // empty components do not count
    EXPECT_TRUE(MayEmptyRegistryKey(kHKCU, "Software\\Vendor\\Product"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKCU, "Software\\Wow6432Node\\Vendor"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKU, "S-1-5-21-1\\Software\\Vendor"));  // the account is the root
    EXPECT_TRUE(MayEmptyRegistryKey(kHKU, "S-1-5-21-1\\Software\\Vendor\\Product"));
}

TEST(RegistryRules, SystemTreesAndClassesRootsAreRefused) {
    EXPECT_FALSE(MayEmptyRegistryKey(kHKLM, "SYSTEM\\CurrentControlSet\\Services"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKLM, "system\\ControlSet001\\Control\\Session Manager"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKLM, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"));
    EXPECT_TRUE(MayEmptyRegistryKey(kHKLM, "SOFTWARE\\Vendor\\Product"));
    EXPECT_FALSE(MayEmptyRegistryKey(0x80000005u, "System\\CurrentControlSet\\Control"));
    EXPECT_FALSE(MayEmptyRegistryKey(0x80000005u, "Vendor\\Product\\Key"));
    EXPECT_TRUE(MayEmptyRegistryKey(0x80000005u, "Software\\Vendor\\Product"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKCR, "CLSID"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKCR, "CLSID\\{0}"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKCR, "CLSID\\{0}\\InprocServer32"));  // the whole CLSID subtree
    EXPECT_FALSE(MayEmptyRegistryKey(kHKCU, "Software\\Classes\\CLSID\\{0}"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKLM, "Software\\Classes\\.txt\\ShellNew"));
    EXPECT_FALSE(MayEmptyRegistryKey(kHKCU, "Software\\Classes\\Vendor.Doc\\shell\\open"));
    EXPECT_TRUE(MayEmptyRegistryKey(kHKCU, "Software\\Classes\\Vendor.Doc\\DefaultIcon\\Sizes"));
    // The shell's per-folder view state is a trace, though it lives among the classes.
    EXPECT_TRUE(MayEmptyRegistryKey(kHKCU, "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\BagMRU"));
}

// The keys Windows is built on, wherever they sit, and the first levels of Microsoft's own tree.
TEST(RegistryRules, StructuralKeysAndTheirParentsAndContentsAreRefused) {
    const std::string cv = "Software\\Microsoft\\Windows\\CurrentVersion\\";
    for (const std::string& key :
         {cv + "Run", cv + "RunOnce", cv + "Explorer\\Shell Folders", cv + "Explorer\\User Shell Folders",
          cv + "Policies\\Explorer", cv + "Uninstall\\App", cv + "App Paths\\app.exe",
          std::string("Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"), std::string("Environment"),
          std::string("Software\\Policies\\Vendor\\Product"), std::string("Software\\Microsoft\\Windows"),
          std::string("Software\\Microsoft\\Windows\\CurrentVersion"), cv + "Explorer",
          std::string("Software\\Microsoft\\Internet Explorer\\TypedURLs")}) {
        EXPECT_FALSE(MayEmptyRegistryKey(kHKCU, key)) << key;
        EXPECT_FALSE(MayEmptyRegistryKey(kHKLM, key)) << key;
    }
    EXPECT_FALSE(MayEmptyRegistryKey(kHKLM, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify"));
    EXPECT_STREQ(RegistryEmptyRefusal(kHKCU, cv + "Run"), "empties a key Windows is built on");
    EXPECT_TRUE(MayEmptyRegistryKey(kHKCU, cv + "Explorer\\RecentDocs"));
    EXPECT_TRUE(MayEmptyRegistryKey(kHKCU, "Software\\Microsoft\\Office\\16.0\\Word\\File MRU"));
    // A named value may go wherever it is: the MRU lists need it.
    EXPECT_TRUE(RegistryRecordIsSafe(Registry(5, kHKCU, cv + "Run", "MRUList")));
    EXPECT_TRUE(RegistryRecordIsSafe(Registry(5, kHKCU, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url*")));
    EXPECT_FALSE(RegistryRecordIsSafe(Registry(5, kHKCU, cv + "Explorer\\User Shell Folders", "*")));
}

TEST(RegistryRules, OnlyEntriesThatEmptyAKeyAreHeldToTheDepth) {
    EXPECT_FALSE(RegistryRecordIsSafe(Registry(6, kHKCU, "Software")));
    EXPECT_FALSE(RegistryRecordIsSafe(Registry(6, kHKCU, "Software\\Vendor")));
    EXPECT_TRUE(RegistryRecordIsSafe(Registry(6, kHKCU, "Software\\Vendor\\Product")));
    for (const char* every : {"", "*", "**"}) {
        EXPECT_TRUE(PatternMatchesEveryValue(every)) << every;
        EXPECT_FALSE(RegistryRecordIsSafe(Registry(5, kHKCU, "Software\\Vendor", every))) << every;
    }
    // A narrow pattern deletes only the values it names.
    for (const char* narrow : {"File.MostRecent.*", "MRU*", "*List", "a*b"}) {
        EXPECT_FALSE(PatternMatchesEveryValue(narrow)) << narrow;
        EXPECT_TRUE(RegistryRecordIsSafe(Registry(5, kHKCU, "Software\\Vendor", narrow))) << narrow;
    }
    EXPECT_TRUE(RegistryRecordIsSafe(Registry(2, kHKCU, "")));  // file kinds are judged elsewhere
}
