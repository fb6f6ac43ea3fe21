// Today's browsers through the real catalogue, against the profiles run-browsers.sh lays out in the
// user's own application-data folders of a throw-away Wine prefix. The script checks afterwards that
// exactly the browser traces are gone and every other file of the drive is unchanged.
#include "Cleaner.h"
#include "support/TempFolder.h"
#include "targets/BrowserTargets.h"
#include "targets/CatalogBuilder.h"
#include "targets/PluginFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

namespace {

// Holds a file open with no sharing from another process, as a running browser holds its lock.
class HeldFile {
public:
    explicit HeldFile(const std::string& path) {
        const std::string tag = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++count_);
        const std::string readyName = "tl-hold-ready-" + tag, releaseName = "tl-hold-release-" + tag;
        ready_ = ::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
        release_ = ::CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
        std::string command = "\"" + HelperPath() + "\" \"" + path + "\" " + readyName + " " + releaseName;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        process_ = info.hProcess;
        ::CloseHandle(info.hThread);
        HANDLE waits[] = {ready_, process_};
        held_ = ::WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
    }
    ~HeldFile() {
        ::SetEvent(release_);
        if (process_) {
            ::WaitForSingleObject(process_, 20000);
            ::CloseHandle(process_);
        }
        ::CloseHandle(ready_);
        ::CloseHandle(release_);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return held_; }

private:
    static std::string HelperPath() {
        char self[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string folder = self;
        return folder.substr(0, folder.find_last_of('\\') + 1) + "tl_hold.exe";
    }
    static inline int count_ = 0;
    HANDLE ready_ = nullptr, release_ = nullptr, process_ = nullptr;
    bool held_ = false;
};

class BrowsersOfToday : public ::testing::Test {
protected:
    void SetUp() override {
        folders_ = UserBrowserFolders();
        ASSERT_FALSE(folders_.localAppData.empty());
        // Edge registered through App Paths (quoted, as installers write it); Chrome only in its
        // standard per-user folder.
        const char* appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\msedge.exe";
        const char edge[] = "\"C:\\edge\\msedge.exe\"";
        ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, appPaths, nullptr, REG_SZ, edge, sizeof edge), ERROR_SUCCESS);
        CatalogSources sources = ThisMachine(program_.Path());  // no plug-ins: built-in and browser targets
        BuildTargets(catalog_, sources);
        for (size_t i = 0; i < catalog_.TargetCount(); ++i) catalog_.TargetAt(i).SetSelected(false);
    }

    int IndexOf(const std::string& name) const {
        for (size_t i = 0; i < catalog_.TargetCount(); ++i)
            if (catalog_.TargetAt(i).Name() == name) return static_cast<int>(i);
        ADD_FAILURE() << "no target " << name;
        return -1;
    }
    // Runs one target alone; its file count.
    uint32_t Run(const std::string& name, bool kill) {
        const int index = IndexOf(name);
        if (index < 0) return 0;
        Target& target = catalog_.TargetAt(static_cast<size_t>(index));
        target.SetSelected(true);
        catalog_.RunTarget(index, kill);
        target.SetSelected(false);
        return target.Counters().files;
    }
    const Target& Get(const std::string& name) const { return catalog_.TargetAt(static_cast<size_t>(IndexOf(name))); }
    std::string Local(const std::string& relative) const { return folders_.localAppData + "\\" + relative; }
    std::string Roaming(const std::string& relative) const { return folders_.appData + "\\" + relative; }

    TempFolder program_;
    BrowserFolders folders_;
    TargetCatalog catalog_;
};

// Files of the fixture each target takes, over every profile. The databases cleaned row by row
// (History, Cookies, Web Data, places.sqlite, ...) count rows as items, not files.
const std::map<std::string, uint32_t> kExpected = {
    {"Chrome Cache", 12},       {"Chrome Cookies", 0},        {"Chrome History", 11},
    {"Chrome Sessions", 4},     {"Chrome AutoComplete", 0},   {"Chrome Saved Passwords", 3},
    {"Edge Cache", 1},          {"Edge Cookies", 0},          {"Edge History", 0},
    {"Edge Sessions", 0},       {"Edge AutoComplete", 0},     {"Edge Saved Passwords", 0},
    {"Brave History", 0},       {"Brave Cache", 0},           {"Vivaldi History", 0},
    {"Chromium History", 0},    {"Opera Cache", 2},           {"Opera Cookies", 0},
    {"Opera History", 1},       {"Opera Typed URL", 0},       {"Opera Favorites", 0},
    {"Firefox Cache", 6},       {"Firefox Cookies", 0},       {"Firefox History", 0},
    {"Firefox AutoComplete", 2}, {"Firefox Saved Passwords", 3}, {"Firefox Download History", 0},
    {"Firefox Bookmarks", 0},   {"Firefox Sessions", 3},
    // With kept.test kept: the other sites' folders and the stores they alone are in.
    {"Chrome Site Data", 21},   {"Edge Site Data", 0},        {"Opera Site Data", 0},
    {"Firefox Site Data", 11},  // one of the two other sites is excluded
};
bool IsSiteData(const std::string& name) { return name.find(" Site Data") != std::string::npos; }

}  // namespace

TEST_F(BrowsersOfToday, EveryProfileCountedLockedBrowsersSkippedLiveLogsKept) {
    // Discovery: the listed profiles only, program files recorded for the last-browser rule.
    EXPECT_TRUE(catalog_.BrowserPresent(Browser::Chrome));
    EXPECT_TRUE(catalog_.BrowserPresent(Browser::Edge));
    EXPECT_TRUE(catalog_.BrowserPresent(Browser::Opera));
    EXPECT_TRUE(catalog_.BrowserPresent(Browser::Firefox));
    EXPECT_FALSE(catalog_.BrowserPresent(Browser::Vivaldi));
    EXPECT_EQ(catalog_.BrowserProgram(Browser::Chrome), Local("Google\\Chrome\\Application\\chrome.exe"));
    EXPECT_EQ(catalog_.BrowserProgram(Browser::Edge), "C:\\edge\\msedge.exe");
    EXPECT_EQ(catalog_.BrowserPrograms().size(), 2u);
    const BrowserProfileFound chrome = DiscoverBrowser(Browser::Chrome, folders_);
    ASSERT_EQ(chrome.profiles.size(), 3u);  // Default, Profile 1, Profile 3: no System Profile, no hostile name
    EXPECT_EQ(chrome.profiles[2].data, Local("Google\\Chrome\\User Data\\Profile 3\\"));
    EXPECT_EQ(DiscoverBrowser(Browser::Firefox, folders_).profiles.size(), 2u);  // relative and absolute only

    // No browser file is ever left for deletion at the next restart: the browser would write on
    // until then and lose all of it.
    for (int i = catalog_.CategoryStart(Category::Firefox); i < catalog_.CategoryStart(Category::Applications); ++i) {
        const Target& target = catalog_.TargetAt(static_cast<size_t>(i));
        for (size_t e = 0; e < target.EntryCount(); ++e)
            if (const EntryRecord* record = target.Entry(e).Record()) EXPECT_FALSE(record->removeAtReboot) << target.Name();
    }

    // Scan counts exactly the fixture's files and removes nothing.
    for (const auto& [name, files] : kExpected)
        if (!IsSiteData(name)) EXPECT_EQ(Run(name, false), files) << name;
    // No site is kept here: every site's data counts, never an extension's or a local page's.
    EXPECT_EQ(Run("Chrome Site Data", false), 56u);
    EXPECT_EQ(Run("Firefox Site Data", false), 30u);
    // Every profile's real databases have rows to take (a fixture database per profile).
    const std::map<std::string, uint32_t> kRowProfiles = {{"Chrome Cookies", 3}, {"Chrome History", 3},
        {"Edge Cookies", 1}, {"Edge History", 1}, {"Brave History", 1}, {"Opera Cookies", 1}, {"Opera History", 1},
        {"Firefox Cookies", 2}, {"Firefox History", 2}};
    for (const auto& [name, profiles] : kRowProfiles) {
        Run(name, false);
        EXPECT_GE(Get(name).Counters().items, 5u * profiles) << name;
        EXPECT_TRUE(Get(name).SkipNotice().empty()) << name << ": " << Get(name).SkipNotice();
    }

    {
        // Chrome runs: all seven Chrome targets are skipped, each with its line; Edge is not Chrome.
        HeldFile lock(Local("Google\\Chrome\\User Data\\lockfile"));
        ASSERT_TRUE(lock.Held());
        for (const char* name : {"Chrome Cache", "Chrome Cookies", "Chrome History", "Chrome Sessions",
                                 "Chrome AutoComplete", "Chrome Saved Passwords", "Chrome Site Data"}) {
            EXPECT_EQ(Run(name, true), 0u) << name;
            EXPECT_EQ(Get(name).SkipNotice(),
                      std::string(name) + " skipped: Google Chrome is running. Close Google Chrome and try again.");
        }
        Run("Edge Cookies", false);
        EXPECT_EQ(Get("Edge Cookies").Counters().items, 5u);
        EXPECT_TRUE(Get("Edge Cookies").SkipNotice().empty());
        EXPECT_TRUE(FileExists(Local("Google\\Chrome\\User Data\\Default\\History")));
    }

    {
        // A database whose write-ahead log another program holds is left as it is, and says so;
        // the other profile's cookies go row by row (no keep-list here: all five).
        const std::string profile = Roaming("Mozilla\\Firefox\\Profiles\\abcd.default-release\\");
        HeldFile wal(profile + "cookies.sqlite-wal");
        ASSERT_TRUE(wal.Held());
        EXPECT_EQ(Run("Firefox Cookies", false), 0u);
        EXPECT_EQ(Get("Firefox Cookies").Counters().items, 5u);
        EXPECT_EQ(Run("Firefox Cookies", true), 0u);
        EXPECT_EQ(Get("Firefox Cookies").Counters().items, 5u);
        EXPECT_EQ(Get("Firefox Cookies").SkipNotice(), "cookies.sqlite left as it was: it is in use by another program.");
        EXPECT_TRUE(FileExists(profile + "cookies.sqlite"));
        EXPECT_TRUE(FileExists(profile + "cookies.sqlite-shm"));
        EXPECT_TRUE(FileExists("C:\\ffprofiles\\work\\cookies.sqlite"));
    }

    // The real program removes the rest (the last case).
}

// The Windows 10 and 11 traces of the shipped plug-ins: each takes its own values and files and
// nothing beside them (the UserAssist GUID keys and their own values stay, like a value of
// TypedPaths that is no typed path and a note among the crash dumps).
TEST_F(BrowsersOfToday, WindowsTracesOfTodayTakeOnlyTheirOwn) {
#ifndef TL_SHIPPED_PLUGIN_BIN
    GTEST_SKIP() << "the build did not place the shipped plug-ins";
#else
    std::string bin = TL_SHIPPED_PLUGIN_BIN;
    if (bin[0] == '/') bin = "Z:" + bin;  // Wine shows the Linux root as drive Z:
    for (char& ch : bin) if (ch == '/') ch = '\\';
    const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
    const std::string guid = explorer + "UserAssist\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}";
    auto setText = [](const std::string& key, const char* name, const char* text) {
        return ::RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text,
                                 static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
    };
    ASSERT_TRUE(setText(explorer + "TypedPaths", "url1", "C:\\Users\\me\\Secret"));
    ASSERT_TRUE(setText(explorer + "TypedPaths", "url2", "D:\\Work"));
    ASSERT_TRUE(setText(explorer + "TypedPaths", "keep", "not a typed path"));
    ASSERT_TRUE(setText(guid + "\\Count", "HRZR_PGYFRFFVBA", "x"));
    ASSERT_TRUE(setText(guid + "\\Count", "{1NP14R77-02R7-4R5Q-O744-2RO1NR5198O7}\\abgrcnq.rkr", "y"));
    ASSERT_TRUE(setText(guid, "Version", "5"));
    // A GUID no plug-in names: the click history reaches its Count values through the wildcard key.
    const std::string other = explorer + "UserAssist\\{0D6D4F41-2994-4BA0-8FEF-620E43CD2812}";
    ASSERT_TRUE(setText(other + "\\Count", "P:\\Jvaqbjf\\abgrcnq.rkr", "z"));
    ASSERT_TRUE(setText(other, "Version", "5"));

    TargetCatalog windows;
    for (const char* file : {"TypedPaths.tlp", "UserAssist.tlp", "WerReports.tlp", "CrashDumps.tlp", "ShaderCache.tlp",
                             "StartClick.tlp"})
        ASSERT_TRUE(LoadStandardPlugin(windows, file, bin)) << file;
    ASSERT_EQ(windows.TargetCount(), 6u);
    // The click history sees every GUID's Count values; its Kill runs after the usage counts have
    // taken the named GUIDs, so only the other's is left then.
    const uint32_t scanItems[] = {2, 2, 0, 0, 0, 3}, killItems[] = {2, 2, 0, 0, 0, 1}, files[] = {0, 0, 2, 1, 1, 0};
    auto runAll = [&](bool kill, bool expectFound) {
        for (size_t i = 0; i < windows.TargetCount(); ++i) {
            Target& target = windows.TargetAt(i);
            target.SetSelected(true);
            windows.RunTarget(static_cast<int>(i), kill);
            EXPECT_EQ(target.Counters().items, expectFound ? (kill ? killItems : scanItems)[i] : 0u) << target.Name() << (kill ? " Kill" : " Scan");
            EXPECT_EQ(target.Counters().files, expectFound ? files[i] : 0u) << target.Name() << (kill ? " Kill" : " Scan");
        }
    };
    runAll(false, true);
    runAll(true, true);
    runAll(false, false);

    auto valueExists = [](const std::string& key, const char* name) {
        return ::RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    };
    EXPECT_FALSE(valueExists(explorer + "TypedPaths", "url1"));
    EXPECT_TRUE(valueExists(explorer + "TypedPaths", "keep"));
    EXPECT_FALSE(valueExists(guid + "\\Count", "HRZR_PGYFRFFVBA"));
    EXPECT_TRUE(valueExists(guid, "Version"));  // the GUID key and its own values stay
    EXPECT_FALSE(valueExists(other + "\\Count", "P:\\Jvaqbjf\\abgrcnq.rkr"));
    EXPECT_TRUE(valueExists(other, "Version"));
    HKEY count = nullptr;
    EXPECT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (guid + "\\Count").c_str(), 0, KEY_READ, &count), ERROR_SUCCESS);
    if (count) ::RegCloseKey(count);
#endif
}

// Through the real Tracelorn.exe: with Chrome running, a Scan and a Kill list every browser target
// with its count and, under each Chrome target, the line that says to close Chrome; once Chrome is
// closed a Kill takes what is left, exactly (run-browsers.sh compares the drive before and after).
TEST_F(BrowsersOfToday, TheProgramShowsTheCountsAndTheLineToCloseChrome) {
    TempFolder folder;
    const std::string exe = folder.Path() + "Tracelorn.exe";
    ASSERT_TRUE(::CopyFileA(e2e::BuiltCleaner().c_str(), exe.c_str(), FALSE));
    e2e::ResetSettings();
    {
        e2e::RunningCleaner first(exe);  // writes a selection for every target it has
        ASSERT_TRUE(first.WaitForWindow());
        first.Exit();
        ASSERT_TRUE(first.WaitForExit());
    }
    std::vector<std::string> names;
    for (const auto& entry : kExpected) names.push_back(entry.first);
    e2e::SelectOnly(names);
    e2e::SetSetting("ShowMainWnd", 1);
    // One site on the keep-list: its cookies stay in every browser (run-browsers.sh checks them).
    const std::string keep = std::string(e2e::kSettingsKey) + "\\CookiesToKeep";
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, keep.c_str(), "kept.test", REG_SZ, "", 1), ERROR_SUCCESS);
    // An excluded site folder is neither counted nor removed (run-browsers.sh expects it there).
    const std::string excluded =
        "PATH|" + Roaming("Mozilla\\Firefox\\Profiles\\abcd.default-release\\storage\\default\\http+++www.gone.test+18931");
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, (std::string(e2e::kSettingsKey) + "\\Excludes").c_str(), "site", REG_SZ,
                                excluded.c_str(), static_cast<DWORD>(excluded.size() + 1)),
              ERROR_SUCCESS);

    auto expected = [](const std::string& name) { return kExpected.at(name); };
    // Each selected target once with its count (0 where `gone`), and the line to close Chrome under
    // each Chrome target while Chrome runs, nowhere else.
    auto check = [&](const std::vector<e2e::Line>& lines, bool chromeRuns, const std::set<std::string>& gone) {
        size_t seen = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].kind != 4 || !kExpected.count(lines[i].name)) continue;
            ++seen;
            const std::string& name = lines[i].name;
            const bool chrome = name.rfind("Chrome ", 0) == 0;
            const bool skipped = chromeRuns && chrome;
            const bool none = skipped || gone.count(chrome ? "Chrome" : "others");
            EXPECT_EQ(lines[i].files, std::to_string(none ? 0u : expected(name))) << name;
            const bool noticed = i + 1 < lines.size() && lines[i + 1].kind == 1;
            EXPECT_EQ(noticed, skipped) << name;
            if (skipped && noticed)
                EXPECT_EQ(lines[i + 1].name, name + " skipped: Google Chrome is running. Close Google Chrome and try again.");
        }
        EXPECT_EQ(seen, kExpected.size());
    };

    e2e::RunningCleaner cleaner(exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    {
        HeldFile lock(Local("Google\\Chrome\\User Data\\lockfile"));
        ASSERT_TRUE(lock.Held());
        cleaner.Click(IDC_SCAN);
        ASSERT_TRUE(cleaner.WaitForIdle());
        check(cleaner.Lines(), true, {});
        cleaner.Click(IDC_KILL);
        ASSERT_TRUE(cleaner.WaitForIdle());
        check(cleaner.Lines(), true, {});  // Chrome skipped again; the others removed what Scan counted
        EXPECT_TRUE(FileExists(Local("Google\\Chrome\\User Data\\Default\\History")));
        EXPECT_TRUE(FileExists(Local("Microsoft\\Edge\\User Data\\Default\\History")));  // cleaned in place
    }
    cleaner.Click(IDC_KILL);
    ASSERT_TRUE(cleaner.WaitForIdle());
    check(cleaner.Lines(), false, {"others"});
    cleaner.Click(IDC_SCAN);
    ASSERT_TRUE(cleaner.WaitForIdle());
    check(cleaner.Lines(), false, {"Chrome", "others"});
    cleaner.Exit();
    EXPECT_TRUE(cleaner.WaitForExit());
}
