// The timer handler against the real process list and a catalogue, with the window replaced by a
// recording host; and the browser paths it watches.
#include "platform/ProcessList.h"
#include "platform/ProgramFolder.h"
#include "schedule/AutoKillScheduler.h"
#include "schedule/BrowserWatch.h"
#include "targets/TargetCatalog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

namespace {

struct RecordingHost : AutoKillScheduler::Host {
    bool ActionRunning() override { return running; }
    bool OtherDialogOpen() override { return dialog; }
    void StartAutoKill() override { ++autoKills; }
    void StartUpdate() override { ++updates; }
    bool UpdateRunning() override { return false; }
    bool StartedAtWindowsStart() override { return windowsStart; }
    void ClearStartedAtWindowsStart() override { windowsStart = false; }
    bool running = false, dialog = false, windowsStart = false;
    int autoKills = 0, updates = 0;
};

std::string ParentPattern(const std::string& path) {
    // C:\a\b\prog.exe -> C:\a\*\prog.exe
    const size_t file = path.find_last_of('\\');
    const size_t parent = path.find_last_of('\\', file - 1);
    return path.substr(0, parent + 1) + "*" + path.substr(file);
}

TEST(ProcessList, OneLookAnswersExactAndVersionFolderPaths) {
    const std::string self = ExecutablePath();
    const ProcessList list = ProcessList::Take();
    ASSERT_EQ(list.IdsOf(self).size(), 1u);
    EXPECT_EQ(list.IdsOf(self)[0], ::GetCurrentProcessId());
    EXPECT_EQ(list.Count(ParentPattern(self)), 1);
    EXPECT_EQ(list.Count(""), 0);

    EXPECT_TRUE(ProgramPathMatches("C:\\Opera\\*\\opera.exe", "c:\\opera\\105.0.1\\OPERA.EXE"));
    EXPECT_FALSE(ProgramPathMatches("C:\\Opera\\*\\opera.exe", "C:\\Opera\\opera.exe"));
    EXPECT_FALSE(ProgramPathMatches("C:\\Opera\\*\\opera.exe", "C:\\Opera\\a\\b\\opera.exe"));
    EXPECT_FALSE(ProgramPathMatches("C:\\Opera\\*\\opera.exe", "C:\\Operaa\\1\\opera.exe"));
    EXPECT_TRUE(ProgramPathMatches("C:\\Edge\\msedge.exe", "c:\\EDGE\\MSEDGE.exe"));
}

TEST(BrowserWatch, WatchesExplorerDiscoveredAndStandardPlaces) {
    TargetCatalog catalog;
    catalog.SetBrowser(Browser::Firefox, true, "D:\\Firefox\\firefox.exe");
    catalog.SetBrowser(Browser::Opera, false, "D:\\Opera\\opera.exe");  // no profile: not watched
    const BrowserWatch watch(catalog, {"C:\\Program Files", "C:\\Users\\u\\AppData\\Local"});
    const auto& paths = watch.Paths();
    auto has = [&paths](const std::string& p) { return std::find(paths.begin(), paths.end(), p) != paths.end(); };
    EXPECT_TRUE(has(BrowserWatch::kInternetExplorer));
    EXPECT_TRUE(has("D:\\Firefox\\firefox.exe"));
    EXPECT_FALSE(has("D:\\Opera\\opera.exe"));
    for (const char* root : {"C:\\Program Files\\", "C:\\Users\\u\\AppData\\Local\\"}) {
        const std::string r = root;
        EXPECT_TRUE(has(r + "Microsoft\\Edge\\Application\\msedge.exe"));
        EXPECT_TRUE(has(r + "Google\\Chrome\\Application\\chrome.exe"));
        EXPECT_TRUE(has(r + "Mozilla Firefox\\firefox.exe"));
        EXPECT_TRUE(has(r + "BraveSoftware\\Brave-Browser\\Application\\brave.exe"));
        EXPECT_TRUE(has(r + "Vivaldi\\Application\\vivaldi.exe"));
    }
    EXPECT_TRUE(has("C:\\Users\\u\\AppData\\Local\\Programs\\Opera\\*\\opera.exe"));

    // This test program at a watched path, without a window of its own: not a running browser.
    TargetCatalog self;
    self.SetBrowser(Browser::Firefox, true, ExecutablePath());
    EXPECT_FALSE(BrowserWatch(self, {}).Running(ProcessList::Take()));
}

TEST(AutoKillScheduler, TickActsOnTheRealProcessesAndTheCatalogue) {
    TargetCatalog catalog;
    RecordingHost host;
    AutoKillScheduler scheduler(catalog, host);

    // The watched program is this one: seen running at the first tick, never ending here.
    catalog.Settings().akAppExit = true;
    catalog.Settings().akAppExitName = ExecutablePath();
    scheduler.OnTick();
    EXPECT_TRUE(scheduler.State().appWasRunning);
    EXPECT_EQ(host.autoKills, 0);

    // A stamp a day ahead with a 5-minute interval is taken as now.
    catalog.Settings().akEveryTime = true;
    catalog.SetAutoKillIntervalIndex(0);
    catalog.SetLastKillTime(TargetCatalog::Now() + 24 * 3600);
    scheduler.OnTick();
    EXPECT_LE(catalog.LastKillTime(), TargetCatalog::Now());
    EXPECT_EQ(host.autoKills, 0);
    catalog.SetLastKillTime(TargetCatalog::Now() - 5 * 60);
    scheduler.OnTick();
    EXPECT_EQ(host.autoKills, 1);
    catalog.Settings().akEveryTime = false;

    // "-ws" with a dialog open at the fifth tick: held until it closes, then once.
    catalog.Settings().akWinStart = true;
    host.windowsStart = true;
    host.dialog = true;
    scheduler.OnTick();  // the fourth tick
    scheduler.OnTick();
    scheduler.OnTick();
    EXPECT_EQ(host.autoKills, 1);
    EXPECT_TRUE(host.windowsStart);
    host.dialog = false;
    scheduler.OnTick();
    EXPECT_EQ(host.autoKills, 2);
    EXPECT_FALSE(host.windowsStart);

    // During a run only the counter moves.
    host.running = true;
    catalog.Settings().akAppExitName = "C:\\no\\such\\program.exe";
    scheduler.OnTick();
    EXPECT_EQ(scheduler.State().elapsedMs, 8000u);
    EXPECT_TRUE(scheduler.State().appWasRunning);
    host.running = false;
    scheduler.OnTick();
    EXPECT_EQ(host.autoKills, 3) << "the watched program's end";
}

TEST(AutoKillScheduler, HourlyUpdateStartsAtOneHourOfRunningTime) {
    TargetCatalog catalog;
    RecordingHost host;
    AutoKillScheduler scheduler(catalog, host);
    catalog.Settings().autoUpdate = true;
    catalog.SetLastUpdateTime(TargetCatalog::Now() - 7 * 3600);
    for (int tick = 1; tick < 3600; ++tick) scheduler.OnTick();
    EXPECT_EQ(host.updates, 0) << "not at start, not before the hour";
    scheduler.OnTick();
    EXPECT_EQ(host.updates, 1);
    scheduler.OnTick();
    EXPECT_EQ(host.updates, 1);
}

}  // namespace
