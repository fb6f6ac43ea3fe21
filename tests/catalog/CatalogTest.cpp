#include "targets/CleanerCatalog.h"

#include "engine/RecycleFolderEntry.h"
#include "engine/SystemStores.h"
#include "engine/UrlCacheEntry.h"
#include "support/FakeMachine.h"
#include "support/TempFolder.h"
#include "targets/ImportedTargets.h"
#include "targets/PluginFiles.h"
#include "targets/TargetConditions.h"

#include <gtest/gtest.h>

#include <set>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

namespace {

const char* const kWindowsPlugins1[] = {"WinTemp.tlp", "UserTemp.tlp"};
const char* const kWindowsPlugins2[] = {"DocHist.tlp", "RunHist.tlp", "FindFiles.tlp", "FindComps.tlp",
                                        "OpenSave.tlp", "StartClick.tlp", "StartOrder.tlp"};
const char* const kAppletPlugins[] = {"Paint.tlp", "WordPad.tlp", "MPlayer.tlp", "PhotoEditor.tlp", "RegEdit.tlp",
                                      "FreeCell.tlp"};
const char* const kOfficePlugins[] = {"Access.tlp", "Word.tlp", "Excel.tlp", "PowerPoint.tlp", "FrontPage.tlp",
                                      "Publisher.tlp", "InfoPath.tlp", "MSORecent.tlp"};

void CopyFolder(const std::string& from, const std::string& to) {
    ::CreateDirectoryA(to.c_str(), nullptr);
    for (const std::string& name : ListFolder(from)) {
        ASSERT_TRUE(::CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE)) << name;
    }
}

bool IsFolderPath(const std::string& path) { return ::PathIsDirectoryA(path.c_str()) != FALSE; }

// A catalogue over a program folder, settings path and Run key of the test's own, with drives that
// are folders of the test (A: removable, C: and D: fixed) and system stores in a known state.
using Names = std::vector<std::string>;

class CatalogTest : public ::testing::Test {
protected:
    CatalogTest()
        : base_("Software\\TracelornTest\\Catalog" + std::to_string(::GetCurrentProcessId())),
          settingsPath_(base_.substr(std::string("Software\\").size()) + "\\Settings") {}

    void SetUp() override {
        program_ = temp_.MakeFolder("Program");
        for (const char* drive : {"A", "C", "D"}) roots_.push_back(temp_.MakeFolder(std::string("Drives\\") + drive) + "\\");
        drives_->Add(roots_[0], DriveType::Removable);
        drives_->Add(roots_[1], DriveType::Fixed);
        drives_->Add(roots_[2], DriveType::Fixed);
        logs_->records = {{"Application", 250}, {"Security", 3}, {"System", 7}};
        folders_.appData = temp_.MakeFolder("AppData");
        folders_.localAppData = temp_.MakeFolder("LocalAppData");
    }
    void TearDown() override { ::SHDeleteKeyA(HKEY_CURRENT_USER, base_.c_str()); }

    CatalogSources Sources() const {
        CatalogSources s;
        s.pluginFolder = program_;
        s.drives = drives_;
        s.recycleBin = shell_;
        s.userSid = "S-1-5-21-7";
        s.isFolder = IsFolderPath;
        s.eventLogs = logs_;
        s.pageFile = pageFile_;
        s.protectedStore = store_;
        s.browserFolders = folders_;
        s.browserProgram = [](Browser b) { return b == Browser::Firefox ? std::string("C:\\ff\\firefox.exe") : std::string(); };
        return s;
    }
    std::unique_ptr<CleanerCatalog> Build(const std::string& settingsPath) const {
        return std::make_unique<CleanerCatalog>(settingsPath, Sources(),
                                                SettingsStore(base_ + "\\Run", "C:\\Tracelorn\\Tracelorn.exe"));
    }
    std::unique_ptr<CleanerCatalog> Build() const { return Build(settingsPath_); }

    void InstallShippedPlugins() {
#ifdef TL_SHIPPED_PLUGIN_BIN
        CopyFolder(std::string(TL_SHIPPED_PLUGIN_BIN) + "\\STDPLUGS", program_ + "\\STDPLUGS");
        CopyFolder(std::string(TL_SHIPPED_PLUGIN_BIN) + "\\APPPLUGS", program_ + "\\APPPLUGS");
#else
        GTEST_SKIP() << "the build did not place the shipped plug-ins";
#endif
    }
    std::string PluginName(const char* file) const {
        auto target = ReadTargetFile(program_ + "\\STDPLUGS\\" + file);
        return target ? target->Name() : std::string("<unreadable " + std::string(file) + ">");
    }
    static std::vector<std::string> NamesIn(const TargetCatalog& c, int category) {
        std::vector<std::string> names;
        for (int i = c.CategoryStart(category); i < c.CategoryStart(category) + c.CategoryCount(category); ++i) {
            names.push_back(c.TargetAt(static_cast<size_t>(i)).Name());
        }
        return names;
    }
    static Target* Find(const TargetCatalog& c, const std::string& name) {
        for (size_t i = 0; i < c.TargetCount(); ++i) {
            if (c.TargetAt(i).Name() == name) return &c.TargetAt(i);
        }
        return nullptr;
    }
    bool StoredSelection(const std::string& name, DWORD& value) const {
        DWORD size = sizeof value;
        const std::string key = "Software\\" + settingsPath_ + "\\Targets";
        return ::SHGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), nullptr, &value, &size) == ERROR_SUCCESS;
    }
    void MakeFirefoxProfile() {
        temp_.MakeFileWith("AppData\\Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nName=default\r\nPath=Profiles/abc.default\r\n");
        temp_.MakeFolder("AppData\\Mozilla\\Firefox\\Profiles\\abc.default");
        temp_.MakeFile("AppData\\Mozilla\\Firefox\\Profiles\\abc.default\\cookies.txt", 300);
    }

    TempFolder temp_;
    std::string base_;
    std::string settingsPath_;
    std::string program_;
    std::vector<std::string> roots_;
    std::shared_ptr<FakeDrives> drives_ = std::make_shared<FakeDrives>();
    std::shared_ptr<FakeRecycleBinShell> shell_ = std::make_shared<FakeRecycleBinShell>();
    std::shared_ptr<FakeEventLogs> logs_ = std::make_shared<FakeEventLogs>();
    std::shared_ptr<FakePageFileSetting> pageFile_ = std::make_shared<FakePageFileSetting>();
    std::shared_ptr<FakeProtectedStore> store_ = std::make_shared<FakeProtectedStore>(7);
    BrowserFolders folders_;
};



}  // namespace

TEST_F(CatalogTest, WithoutPluginFilesOnlyTheBuiltInTargetsRemain) {
    auto catalog = Build();
    const TargetCatalog& c = catalog->Get();
    EXPECT_EQ(NamesIn(c, 0), (Names{"Recycle Bin", "Scandisk File Fragments (*.CHK)", "Windows Page File",
                                 "Application Event Log", "Security Event Log", "System Event Log"}));
    EXPECT_EQ(c.CategoryCount(1), 0);
    EXPECT_EQ(c.CategoryCount(2), 0);
    EXPECT_EQ(NamesIn(c, 3), (Names{"Internet Explorer Cache", "Internet Explorer AutoComplete",
                                 "Internet Explorer Visited URLs"}));
    EXPECT_EQ(c.CategoryCount(4), 9);
    EXPECT_EQ(c.CategoryCount(5), 7);
    EXPECT_EQ(c.CategoryCount(6), 6);
    EXPECT_EQ(c.CategoryCount(7), 7);
    for (Category browser : {Category::Chrome, Category::Edge, Category::Brave, Category::Vivaldi, Category::Chromium})
        EXPECT_EQ(c.CategoryCount(browser), 7);
    EXPECT_EQ(c.CategoryCount(Category::Applications), 0);
    EXPECT_EQ(c.CustomStart(), 9 + 29 + 5 * 7);
    EXPECT_EQ(static_cast<int>(c.TargetCount()), c.CustomStart());
    EXPECT_EQ(TargetCatalog::Current(), &catalog->Get());
}

TEST_F(CatalogTest, BuiltInTargetsCarryTheirDescriptionsAndEntries) {
    auto catalog = Build();
    const TargetCatalog& c = catalog->Get();
    struct Expected { const char* name; const char* description; size_t entries; };
    const Expected expected[] = {
        {"Recycle Bin", "Kills all Files and Folders in Recycle bin", 2},
        {"Scandisk File Fragments (*.CHK)", "Kills .CHK files at the root directory of drives", 2},
        {"Windows Page File", "Clears Windows Page File at shutdown", 1},
        {"Application Event Log", "Kills Windows Application event log", 1},
        {"Security Event Log", "Kills Windows Security event log", 1},
        {"System Event Log", "Kills Windows System event log", 1},
        {"Internet Explorer Cache", "Kills Internet Explorer Cache (Temporary Internet Files)", 1},
        {"Internet Explorer AutoComplete", "Kills Internet Explorer AutoComplete Forms Data", 1},
        {"Internet Explorer Visited URLs", "Kills Internet Explorer Visited URLs", 1},
    };
    for (const Expected& e : expected) {
        Target* t = Find(c, e.name);
        ASSERT_NE(t, nullptr) << e.name;
        EXPECT_EQ(t->Description(), e.description);
        EXPECT_EQ(t->EntryCount(), e.entries) << e.name;
    }
    // The removable drive A: is left out; C: and D: are covered in list order.
    auto& recycleC = dynamic_cast<RecycleFolderEntry&>(Find(c, "Recycle Bin")->Entry(0));
    EXPECT_EQ(recycleC.Root(), roots_[1]);
    EXPECT_EQ(dynamic_cast<EventLogEntry&>(Find(c, "Security Event Log")->Entry(0)).LogName(), "Security");
    EXPECT_NE(dynamic_cast<UrlCacheContentEntry*>(&Find(c, "Internet Explorer Cache")->Entry(0)), nullptr);
    EXPECT_NE(dynamic_cast<UrlHistoryEntry*>(&Find(c, "Internet Explorer Visited URLs")->Entry(0)), nullptr);
}

TEST_F(CatalogTest, FirstStartSelections) {
    auto catalog = Build();
    const TargetCatalog& c = catalog->Get();
    for (const char* on : {"Recycle Bin", "Scandisk File Fragments (*.CHK)", "Internet Explorer Cache",
                           "Internet Explorer AutoComplete", "Internet Explorer Visited URLs"}) {
        EXPECT_TRUE(Find(c, on)->Selected()) << on;
    }
    for (const char* off : {"Windows Page File", "Application Event Log", "Security Event Log", "System Event Log"}) {
        EXPECT_FALSE(Find(c, off)->Selected()) << off;
    }
    for (int i = c.CategoryStart(Category::Firefox); i < c.CategoryStart(Category::Applications); ++i) {
        EXPECT_FALSE(c.TargetAt(static_cast<size_t>(i)).Selected()) << c.TargetAt(static_cast<size_t>(i)).Name();
    }
}

TEST_F(CatalogTest, ShippedLibraryTakesItsPlacesInTheCategories) {
    InstallShippedPlugins();
    if (IsSkipped()) return;
    auto catalog = Build();
    const TargetCatalog& c = catalog->Get();

    Names windows;
    for (const char* f : kWindowsPlugins1) windows.push_back(PluginName(f));
    windows.push_back("Recycle Bin");
    windows.push_back(PluginName("Prefetch.tlp"));
    windows.push_back("Scandisk File Fragments (*.CHK)");
    for (const char* f : kWindowsPlugins2) windows.push_back(PluginName(f));
    for (const char* n : {"Windows Page File", "Application Event Log", "Security Event Log", "System Event Log"}) {
        windows.push_back(n);
    }
    // The traces of Windows 10 and 11 come after everything older.
    for (const char* f : {"TypedPaths.tlp", "UserAssist.tlp", "WerReports.tlp", "CrashDumps.tlp", "ShaderCache.tlp",
                          "JumpLists.tlp", "ThumbCache.tlp", "ActivityHistory.tlp"})
        windows.push_back(PluginName(f));
    EXPECT_EQ(NamesIn(c, 0), windows);

    Names applets, office;
    for (const char* f : kAppletPlugins) applets.push_back(PluginName(f));
    for (const char* f : kOfficePlugins) office.push_back(PluginName(f));
    EXPECT_EQ(NamesIn(c, 1), applets);
    EXPECT_EQ(NamesIn(c, 2), office);
    EXPECT_EQ(NamesIn(c, 3), (Names{"Internet Explorer Cache", PluginName("IEHist.tlp"), PluginName("IECookies.tlp"),
                                 "Internet Explorer AutoComplete", "Internet Explorer Visited URLs",
                                 PluginName("IEAddrBar.tlp"), PluginName("IndexDat.tlp"),
                                 PluginName("DldPrgFiles.tlp")}));

    // Each Chromium-family browser: its seven targets, between the older browsers and Applications.
    EXPECT_EQ(NamesIn(c, static_cast<int>(Category::Edge)),
              (Names{"Edge Cache", "Edge Cookies", "Edge History", "Edge Sessions", "Edge AutoComplete",
                     "Edge Saved Passwords", "Edge Site Data"}));
    std::set<std::string> unique;
    for (size_t i = 0; i < static_cast<size_t>(c.CustomStart()); ++i)
        EXPECT_TRUE(unique.insert(c.TargetAt(i).Name()).second) << "two targets share a stored selection: " << c.TargetAt(i).Name();

    // Applications: every shipped plug-in whose program this machine has (its conditions say which).
    const Names apps = NamesIn(c, static_cast<int>(Category::Applications));
    Names offered;
    for (const std::string& file : ListFolder(program_ + "\\APPPLUGS")) {
        const std::unique_ptr<Target> t = ReadTargetFile(program_ + "\\APPPLUGS\\" + file);
        ASSERT_TRUE(t) << file;
        if (IsOffered(t->Conditions(), Win32ConditionProbe())) offered.push_back(t->Name());
    }
    std::sort(offered.begin(), offered.end(), [](const std::string& a, const std::string& b) {
        return ::lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    EXPECT_EQ(apps, offered);
    EXPECT_GE(apps.size(), 9u) << "the plug-ins without conditions are always offered";
    EXPECT_TRUE(std::is_sorted(apps.begin(), apps.end(), [](const std::string& a, const std::string& b) {
        return ::lstrcmpiA(a.c_str(), b.c_str()) < 0;
    }));
    EXPECT_EQ(c.CustomStart(), 24 + 6 + 8 + 8 + 29 + 5 * 7 + static_cast<int>(apps.size()));
}

// Every target runs; the drive-based targets look only at the test's own drive folders, the
// plug-ins at the prefix's folders, and nothing is removed by a Scan.
TEST_F(CatalogTest, ScanOverEverythingCompletesAndRemovesNothing) {
    InstallShippedPlugins();
    if (IsSkipped()) return;
    temp_.MakeFile("Drives\\C\\FILE0000.CHK", 100);
    temp_.MakeFile("Drives\\A\\FILE0001.CHK", 100);
    MakeFirefoxProfile();
    auto catalog = Build();
    TargetCatalog& c = catalog->Get();
    for (size_t i = 0; i < c.TargetCount(); ++i) c.TargetAt(i).SetSelected(true);
    c.ResetRunCounters();
    for (int i = 0; i < static_cast<int>(c.TargetCount()); ++i) {
        c.RunTarget(i, false);
        EXPECT_TRUE(c.TargetAt(static_cast<size_t>(i)).Scanned()) << c.TargetAt(static_cast<size_t>(i)).Name();
    }
    const Target& chk = *Find(c, "Scandisk File Fragments (*.CHK)");
    EXPECT_EQ(chk.Counters().files, 1u);  // C: only: A: is removable
    EXPECT_EQ(Find(c, "Application Event Log")->Counters().items, 250u);
    EXPECT_EQ(Find(c, "Internet Explorer AutoComplete")->Counters().items, 3u);
    EXPECT_EQ(Find(c, "Firefox Cookies")->Counters().files, 1u);
    EXPECT_TRUE(FileExists(temp_ / "Drives\\C\\FILE0000.CHK"));
    EXPECT_TRUE(FileExists(temp_ / "AppData\\Mozilla\\Firefox\\Profiles\\abc.default\\cookies.txt"));
    EXPECT_EQ(logs_->records["Application"], 250u);
    EXPECT_EQ(store_->Left(), 7u);
    EXPECT_EQ(pageFile_->writes, 0);
    EXPECT_EQ(c.Totals().files, 0u);
}

TEST_F(CatalogTest, BrowserDiscoveryIsRecorded) {
    MakeFirefoxProfile();
    temp_.MakeFolder("AppData\\Opera\\Opera\\Profile");
    auto catalog = Build();
    const TargetCatalog& c = catalog->Get();
    EXPECT_TRUE(c.BrowserPresent(Browser::Firefox));
    EXPECT_EQ(c.BrowserProgram(Browser::Firefox), "C:\\ff\\firefox.exe");
    EXPECT_FALSE(c.BrowserPresent(Browser::Netscape));
    EXPECT_TRUE(c.BrowserProgram(Browser::Netscape).empty());
    EXPECT_EQ(Find(c, "Firefox Cookies")->EntryCount(), 2u);  // cookies.txt and cookies.sqlite
    // Opera's profile folder exists but no program path is registered: present, path empty.
    EXPECT_TRUE(c.BrowserPresent(Browser::Opera));
    EXPECT_TRUE(c.BrowserProgram(Browser::Opera).empty());
    // The older Opera's five targets; its site data is today's Opera's alone.
    for (int i = c.CategoryStart(6); i < c.CategoryStart(6) + 5; ++i) {
        EXPECT_EQ(c.TargetAt(static_cast<size_t>(i)).EntryCount(), 1u);
    }
    for (int i = c.CategoryStart(5); i < c.CategoryStart(5) + c.CategoryCount(5); ++i) {
        EXPECT_EQ(c.TargetAt(static_cast<size_t>(i)).EntryCount(), 0u);
    }
}

TEST_F(CatalogTest, DestructionStoresWhatTheNextConstructionRestores) {
    InstallShippedPlugins();
    if (IsSkipped()) return;
    {
        auto catalog = Build();
        TargetCatalog& c = catalog->Get();
        Find(c, "Recycle Bin")->SetSelected(false);
        Find(c, "Windows Page File")->SetSelected(true);
        Find(c, "Opera Cookies")->SetSelected(true);
        c.Totals().files = 12;
        c.Totals().bytes = 4096;
        c.Settings().killTime = 250;
        std::vector<std::unique_ptr<Target>> custom;
        custom.push_back(ReadTargetFile(program_ + "\\STDPLUGS\\WinTemp.tlp"));
        ASSERT_NE(custom.back(), nullptr);
        custom.back()->SetName("My Own Temp");
        (void)c.ReplaceCustomTargets(std::move(custom));
        catalog->CustomTargetsChanged();
    }
    DWORD value = 7;
    ASSERT_TRUE(StoredSelection("Recycle Bin", value));
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(FileExists(program_ + "\\config.cfg"));
    EXPECT_TRUE(FileExists(program_ + "\\CustomTargets.tgs"));

    auto catalog = Build();
    const TargetCatalog& c = catalog->Get();
    EXPECT_FALSE(Find(c, "Recycle Bin")->Selected());
    EXPECT_TRUE(Find(c, "Windows Page File")->Selected());
    EXPECT_TRUE(Find(c, "Opera Cookies")->Selected());
    EXPECT_TRUE(Find(c, "Internet Explorer Cache")->Selected());
    EXPECT_EQ(c.Totals().files, 12u);
    EXPECT_EQ(c.Totals().bytes, 4096u);
    EXPECT_EQ(c.Settings().killTime, 250);
    ASSERT_EQ(c.TargetCount(), static_cast<size_t>(c.CustomStart()) + 1);
    EXPECT_EQ(c.TargetAt(c.TargetCount() - 1).Name(), "My Own Temp");
}

// Without a settings key no custom target is read, and that start's exit must not write an empty
// list over the user's file.
TEST_F(CatalogTest, StartWithoutSettingsKeyKeepsTheCustomTargetsFile) {
    InstallShippedPlugins();
    if (IsSkipped()) return;
    {
        auto catalog = Build();
        std::vector<std::unique_ptr<Target>> custom;
        custom.push_back(ReadTargetFile(program_ + "\\STDPLUGS\\UserTemp.tlp"));
        (void)catalog->Get().ReplaceCustomTargets(std::move(custom));
        catalog->CustomTargetsChanged();
    }
    const std::string stored = ReadFileBytes(program_ + "\\CustomTargets.tgs");
    ASSERT_FALSE(stored.empty());
    {
        auto catalog = Build("");
        EXPECT_EQ(catalog->Get().TargetCount(), static_cast<size_t>(catalog->Get().CustomStart()));
    }
    EXPECT_EQ(ReadFileBytes(program_ + "\\CustomTargets.tgs"), stored);
    auto catalog = Build();
    EXPECT_EQ(catalog->Get().TargetCount(), static_cast<size_t>(catalog->Get().CustomStart()) + 1);
}
