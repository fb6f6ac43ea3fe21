#include "FakeActionWindow.h"

#include "engine/Checkpoint.h"
#include "engine/SizeFormat.h"
#include "engine/VolumeMedia.h"
#include "targets/TargetCatalog.h"

#include <gtest/gtest.h>

#include <memory>
#include <system_error>
#include <thread>

namespace {

// An entry that finds a fixed amount; optionally it asks for a stop while it works, so the
// checkpoint after it ends the run inside its target.
class FakeEntry : public RemEntry {
public:
    FakeEntry(uint32_t files, uint32_t items, uint64_t bytes, bool stopInside)
        : RemEntry(RemKind::SingleFile), files_(files), items_(items), bytes_(bytes), stopInside_(stopInside) {}
    void Scan() override { Work(); }
    void Kill() override {
        Work();
        if (notesSkip) volume_media::NoteOverwriteSkipped();
    }
    bool notesSkip = false;

private:
    void Work() {
        AddFiles(files_, bytes_);
        AddItems(items_);
        if (stopInside_) RequestStop();
    }
    uint32_t files_, items_;
    uint64_t bytes_;
    bool stopInside_;
};

class ActionDriverTest : public ::testing::Test {
protected:
    ActionDriverTest() : driver(catalog, window) {
        window.SetDriver(&driver);
        catalog.Settings().scanTime = 0;
        catalog.Settings().killTime = 0;
    }
    ~ActionDriverTest() override { ClearStop(); }

    Target& Add(const std::string& name, bool selected, uint32_t files = 0, uint32_t items = 0,
                uint64_t bytes = 0, bool stopInside = false) {
        auto t = std::make_unique<Target>(name, "desc");
        t->SetSelected(selected);
        t->AddEntry(std::make_unique<FakeEntry>(files, items, bytes, stopInside));
        return catalog.AddTarget(std::move(t));
    }
    void Finish() {
        driver.WaitForWorker();
        ASSERT_EQ(driver.RunState(), 0);
        ASSERT_FALSE(driver.Busy());
    }
    std::vector<std::string> BalloonTitles() const {
        std::vector<std::string> titles;
        for (const auto& b : window.balloons) titles.push_back(b.title);
        return titles;
    }

    TargetCatalog catalog;
    FakeActionWindow window;
    ActionDriver driver;
};

ResultLine Line(LineKind kind, int state, std::string name, std::string files = {},
                std::string items = {}, std::string size = {}) {
    return ResultLine::Make(kind, state, std::move(name), std::move(files), std::move(items),
                            std::move(size));
}

TEST_F(ActionDriverTest, ScanWritesHeadingTargetLinesAndSummary) {
    Add("Alpha", true, 3, 1, 1536);
    Add("Skipped", false, 9, 9, 9);
    Add("Beta", true, 2, 0, 0);
    driver.StartScan();
    EXPECT_EQ(window.stopCaption, "Stop Scan Action:");
    EXPECT_EQ(window.progressRange, 2);
    Finish();
    const std::vector<ResultLine> expected = {
        Line(LineKind::Heading, 0, "Start Scan Action:"),
        Line(LineKind::Target, 0, "Alpha", "3", "1", "1,50 KB"),
        Line(LineKind::Target, 0, "Beta", "2", "0", "0,00 KB"),
        Line(LineKind::Summary, 0, "Summary Scan Information:", "5", "1", "1,50 KB"),
    };
    EXPECT_EQ(window.lines, expected);
    // The provisional line carries the run state while the target is worked on.
    ASSERT_GE(window.history.size(), 2u);
    EXPECT_EQ(window.history[1], Line(LineKind::Target, 1, "Alpha"));
    EXPECT_EQ(window.progress, 2);
    EXPECT_EQ(window.idleForms, 1);
    EXPECT_FALSE(window.running);
    EXPECT_EQ(window.stateAtIdleForm, 0) << "run state must be idle before the buttons return";
    EXPECT_EQ(driver.CurrentIndex(), -1);
    EXPECT_TRUE(window.balloons.empty());
}

TEST_F(ActionDriverTest, HiddenWindowTitlesShowThirds) {
    Add("One", true, 1);
    Add("Two", true, 1);
    Add("Three", true, 1);
    window.shown = false;
    driver.StartScan();
    Finish();
    // Per target: progress balloon and result balloon under the same title, then the summary.
    ASSERT_EQ(window.balloons.size(), 7u);
    const std::vector<std::string> expected = {
        "Tracelorn (Scanning...33%)",  "Tracelorn (Scanning...33%)", "Tracelorn (Scanning...66%)",
        "Tracelorn (Scanning...66%)",  "Tracelorn (Scanning...100%)", "Tracelorn (Scanning...100%)",
        "Tracelorn"};
    EXPECT_EQ(BalloonTitles(), expected);
    const std::string blanks(81, ' ');
    EXPECT_EQ(window.balloons[0].text, "Scanning One...\n" + blanks + "\n\n\n");
    EXPECT_EQ(window.balloons[1].text,
              "One scanned:\nFiles scanned: 1\nItems scanned: 0\nDisk space to free: 0,00 KB\n" + blanks);
    EXPECT_EQ(window.balloons[6].text,
              "Summary Scan Information:\nFiles scanned: 3\nItems scanned: 0\nTotal Disk space to free: 0,00 KB\n" +
                  blanks);
    for (const auto& b : window.balloons) EXPECT_EQ(b.timeout, 10000u);
}

TEST_F(ActionDriverTest, AutoKillTitlesUseTheAutoKillWord) {
    Add("One", true);
    Add("Two", true);
    Add("Three", true);
    window.shown = false;
    driver.StartAutoKill();
    EXPECT_TRUE(driver.AutoMark());
    EXPECT_EQ(window.stopCaption, "Stop Auto-Kill Action:");
    Finish();
    ASSERT_GE(window.balloons.size(), 4u);
    EXPECT_EQ(window.balloons[2].title, "Tracelorn (Auto-Killing...66%)");
    EXPECT_EQ(window.balloons[2].text.rfind("Killing Two...\n", 0), 0u);
    EXPECT_EQ(window.balloons[3].text.rfind("Two Killed:\nFiles Killed: 0\nItems Killed: 0\nDisk space freed: ", 0), 0u);
    EXPECT_FALSE(driver.AutoMark());
    EXPECT_EQ(window.endSounds, 1);
}

TEST_F(ActionDriverTest, NoSelectedTargetStartsNoWorker) {
    Add("Off", false, 1);
    window.shown = false;
    driver.StartScan();
    EXPECT_EQ(driver.RunState(), 0);
    EXPECT_FALSE(driver.Busy());
    const std::vector<ResultLine> expected = {Line(LineKind::Heading, 0, "Start Scan Action:"),
                                              Line(LineKind::Highlighted, 0, "No selected Targets.")};
    EXPECT_EQ(window.lines, expected);
    EXPECT_EQ(window.progressRange, -1) << "the running form must not be shown";
    ASSERT_EQ(window.balloons.size(), 1u);
    EXPECT_EQ(window.balloons[0].text, "No selected Targets.");
    EXPECT_EQ(window.balloons[0].title, "Tracelorn");
    EXPECT_EQ(window.balloons[0].timeout, 10000u);
}

TEST_F(ActionDriverTest, AutoKillWithoutTargetsSetsLastKillAndLeavesNoMark) {
    catalog.SetLastKillTime(1000);
    driver.StartAutoKill();
    EXPECT_GE(catalog.LastKillTime(), TargetCatalog::Now() - 5);
    EXPECT_FALSE(driver.AutoMark());
    EXPECT_EQ(window.lines.at(0).name, "Start Auto-Kill Action:");
    EXPECT_EQ(window.lines.at(1).name, "No selected Targets.");
    // A following manual Kill is a plain Kill.
    driver.StartKill();
    EXPECT_EQ(window.lines.at(0).name, "Start Kill Action:");
}

TEST_F(ActionDriverTest, ScanDoesNotTouchLastKillTime) {
    Add("One", true);
    catalog.SetLastKillTime(1000);
    driver.StartScan();
    Finish();
    EXPECT_EQ(catalog.LastKillTime(), 1000);
}

TEST_F(ActionDriverTest, StopDuringPauseKeepsFinishedTargets) {
    Add("First", true, 3, 2, 2048);
    Add("Second", true, 5, 0, 0);
    window.onLine = [](const ResultLine& line) {
        if (line.kind == LineKind::Target && line.state == 0 && line.name == "First") RequestStop();
    };
    driver.StartKill();
    Finish();
    const size_t n = window.lines.size();
    ASSERT_GE(n, 4u);
    EXPECT_EQ(window.lines[n - 3], Line(LineKind::Plain, 0, ""));
    EXPECT_EQ(window.lines[n - 2], Line(LineKind::Highlighted, 0, "Kill action breaked by user."));
    EXPECT_EQ(window.lines[n - 1], Line(LineKind::Summary, 0, "Summary Kill Information:", "3", "2", "2,00 KB"));
    EXPECT_EQ(window.stoppedMessages, 1);
    EXPECT_EQ(catalog.Totals().files, 3u);
    EXPECT_EQ(window.idleForms, 1);
    EXPECT_EQ(window.stateAtIdleForm, 0);
    EXPECT_FALSE(IsStopRequested());
}

TEST_F(ActionDriverTest, StopInsideTargetLeavesItsCountsOut) {
    Add("First", true, 3, 0, 0);
    Add("Second", true, 5, 0, 0, /*stopInside=*/true);
    Add("Third", true, 7, 0, 0);
    window.shown = false;
    driver.StartKill();
    Finish();
    const ResultLine& summary = window.lines.back();
    EXPECT_EQ(summary, Line(LineKind::Summary, 0, "Summary Kill Information:", "3", "0", "0,00 KB"));
    EXPECT_EQ(catalog.Totals().files, 3u);
    EXPECT_EQ(catalog.RunTotals().files, 3u);
    // The provisional line of the stopped target stays; the third was never started.
    for (const auto& line : window.history) EXPECT_NE(line.name, "Third");
    const std::string blanks(81, ' ');
    EXPECT_EQ(window.balloons.back().text,
              "Kill action breaked by user.\nSummary Kill Information:\nFiles Killed: 3\nItems Killed: 0\n"
              "Total Disk space freed: 0,00 KB\n" + blanks);
    EXPECT_EQ(window.endSounds, 0);
}

TEST_F(ActionDriverTest, TwoStopRequestsGiveOneStoppedSummary) {
    Add("First", true, 1);
    Add("Second", true, 1);
    window.onLine = [](const ResultLine& line) {
        if (line.kind == LineKind::Target && line.state == 0) { RequestStop(); RequestStop(); }
    };
    driver.StartScan();
    Finish();
    int stoppedLines = 0;
    for (const auto& line : window.lines) stoppedLines += line.name == "Scan action breaked by user." ? 1 : 0;
    EXPECT_EQ(stoppedLines, 1);
    EXPECT_EQ(window.stoppedMessages, 1);
}

TEST_F(ActionDriverTest, StaleStopRequestDoesNotStopNextRun) {
    Add("One", true, 1);
    RequestStop();
    driver.StartScan();
    Finish();
    EXPECT_EQ(window.stoppedMessages, 0);
    EXPECT_EQ(window.lines.back().name, "Summary Scan Information:");
}

TEST_F(ActionDriverTest, KillAddsExactlyItsFilesToTotals) {
    Add("Three", true, 3, 1, 300);
    Add("Five", true, 5, 0, 500);
    catalog.Totals() = RunCounters{10, 2, 1000};
    driver.StartKill();
    Finish();
    EXPECT_EQ(catalog.Totals().files, 18u);
    EXPECT_EQ(catalog.Totals().items, 3u);
    EXPECT_EQ(catalog.Totals().bytes, 1800u);
    driver.StartScan();
    Finish();
    EXPECT_EQ(catalog.Totals().files, 18u) << "a Scan never changes the totals";
}

TEST_F(ActionDriverTest, VisibleWindowShowsNoBalloonsWhateverTheSettings) {
    Add("One", true, 1);
    catalog.Settings().akScan = true;
    catalog.Settings().akSummary = true;
    driver.StartScan();
    Finish();
    driver.StartKill();
    Finish();
    driver.StartAutoKill();
    Finish();
    EXPECT_TRUE(window.balloons.empty());
}

struct AkCase {
    bool akScan, akSummary;
    size_t balloons;
    bool lastIsWithdrawal;
};

class AutoKillBalloonTest : public ActionDriverTest, public ::testing::WithParamInterface<AkCase> {};

TEST_P(AutoKillBalloonTest, SettingsChooseTheBalloons) {
    const AkCase c = GetParam();
    Add("One", true, 1);
    Add("Two", true, 1);
    catalog.Settings().akScan = c.akScan;
    catalog.Settings().akSummary = c.akSummary;
    window.shown = false;
    driver.StartAutoKill();
    Finish();
    ASSERT_EQ(window.balloons.size(), c.balloons);
    const Balloon& last = window.balloons.back();
    if (c.lastIsWithdrawal) {
        EXPECT_EQ(last.text, "");
        EXPECT_EQ(last.title, "Tracelorn");
    } else {
        EXPECT_EQ(last.text.rfind("Summary Auto-Kill Information:\n", 0), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Combinations, AutoKillBalloonTest,
                         ::testing::Values(AkCase{true, true, 5, false}, AkCase{false, true, 1, false},
                                           AkCase{true, false, 5, true}, AkCase{false, false, 1, true}));

TEST_F(ActionDriverTest, ManualKillHidden_AlwaysShowsSummaryBalloon) {
    Add("One", true, 1);
    catalog.Settings().akSummary = false;
    catalog.Settings().akScan = false;
    window.shown = false;
    driver.StartKill();
    Finish();
    ASSERT_EQ(window.balloons.size(), 3u);
    EXPECT_EQ(window.balloons.back().text.rfind("Summary Kill Information:\n", 0), 0u);
    EXPECT_EQ(window.endSounds, 0) << "only an Auto-Kill plays the end sound";
}

TEST_F(ActionDriverTest, EndSoundFollowsSetting) {
    Add("One", true, 1);
    catalog.Settings().akSoundEnd = false;
    driver.StartAutoKill();
    Finish();
    EXPECT_EQ(window.endSounds, 0);
}

TEST_F(ActionDriverTest, StartDuringRunDoesNothing) {
    Add("First", true, 1);
    Add("Second", true, 1);
    std::vector<std::string> headings;
    window.onLine = [&](const ResultLine& line) {
        if (line.kind == LineKind::Target && line.state == 0 && line.name == "First") {
            // The user presses Kill, the scheduler fires and the tray menu starts a Scan, all while
            // the Scan still runs.
            driver.StartKill();
            driver.StartAutoKill();
            driver.StartScan();
        }
    };
    driver.StartScan();
    Finish();
    int heads = 0;
    for (const auto& line : window.history) heads += line.kind == LineKind::Heading ? 1 : 0;
    EXPECT_EQ(heads, 1);
    EXPECT_FALSE(driver.AutoMark());
    EXPECT_EQ(window.lines.back(), Line(LineKind::Summary, 0, "Summary Scan Information:", "2", "0", "0,00 KB"));
}

TEST_F(ActionDriverTest, LongTargetNameIsCutInResultLines) {
    const std::string longName(400, 'n');
    Add(longName, true, 1);
    window.shown = false;
    driver.StartScan();
    Finish();
    for (const auto& line : window.history) EXPECT_LE(line.name.size(), 254u);
    EXPECT_EQ(window.lines[1].name, std::string(254, 'n'));
}

TEST_F(ActionDriverTest, RunsBackToBack) {
    Add("One", true, 2);
    for (int i = 0; i < 20; ++i) {
        driver.StartKill();
        Finish();
    }
    EXPECT_EQ(catalog.Totals().files, 40u);
    EXPECT_EQ(window.idleForms, 20);
}

TEST_F(ActionDriverTest, HiddenPauseFollowsKillTime) {
    Add("One", true, 1);
    catalog.Settings().killTime = 100;
    window.shown = false;
    const auto start = std::chrono::steady_clock::now();
    driver.StartKill();
    Finish();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(ms.count(), 100);
}

}  // namespace

TEST_F(ActionDriverTest, AThreadThatCannotStartLeavesTheIdleForm) {
    Add("One", true, 1);
    bool fail = true;
    ActionDriver failing(catalog, window, [&](std::function<void()> work) {
        if (fail) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        return std::thread(std::move(work));
    });
    window.SetDriver(&failing);
    failing.StartKill();
    EXPECT_EQ(failing.RunState(), 0);
    EXPECT_FALSE(failing.Busy());
    EXPECT_FALSE(failing.AutoMark());
    EXPECT_FALSE(window.running);
    EXPECT_EQ(window.idleForms, 1);
    // The next start works as ever.
    fail = false;
    failing.StartScan();
    failing.WaitForWorker();
    EXPECT_EQ(failing.RunState(), 0);
    EXPECT_EQ(window.lines.back().name, "Summary Scan Information:");
    window.SetDriver(&driver);
}

// An entry that runs a hook while its target works: the user acting on the window mid-target.
class HookEntry : public RemEntry {
public:
    explicit HookEntry(std::function<void()> hook) : RemEntry(RemKind::SingleFile), hook_(std::move(hook)) {}
    void Scan() override { AddFiles(1, 0); hook_(); }
    void Kill() override { Scan(); }

private:
    std::function<void()> hook_;
};

TEST_F(ActionDriverTest, AResultBalloonIsDecidedWhenItsTargetEnds) {
    std::function<void()> duringOne;
    auto one = std::make_unique<Target>("One", "desc");
    one->AddEntry(std::make_unique<HookEntry>([&] { duringOne(); }));
    catalog.AddTarget(std::move(one));
    Add("Two", true, 1);
    const std::string title = action_texts::ProgressTitle(action_texts::Action::Scan, action_texts::Percent(1, 2));
    // Shown during the first target: its progress balloon went out, its result stays away.
    window.shown = false;
    duringOne = [&] { window.shown = true; };
    driver.StartScan();
    Finish();
    ASSERT_EQ(window.balloons.size(), 1u);
    EXPECT_EQ(window.balloons[0].text, action_texts::ProgressBalloon(action_texts::Action::Scan, "One"));

    // Hidden during the first target: its result is reported by balloon.
    window.balloons.clear();
    window.shown = true;
    duringOne = [&] { window.shown = false; };
    driver.StartScan();
    Finish();
    ASSERT_GE(window.balloons.size(), 1u);
    EXPECT_EQ(window.balloons[0].text,
              action_texts::ResultBalloon(action_texts::Action::Scan, "One", CountText(1), CountText(0), FormatSize(0)));
    EXPECT_EQ(window.balloons[0].title, title);
}

// A target whose gate refuses (a browser still open) runs no entry, reports nothing and says why on
// the line right under its own; the next run asks the gate again.
TEST_F(ActionDriverTest, ASkippedTargetSaysWhyUnderItsLine) {
    bool browserOpen = true;
    Target& chrome = Add("Chrome Cookies", true, 4, 0, 4096);
    chrome.SetRunGate([&browserOpen] {
        return browserOpen ? std::string("Chrome Cookies skipped: Google Chrome is running. Close Google Chrome and try again.")
                           : std::string();
    });
    Add("Other", true, 1);
    driver.StartKill();
    Finish();
    const std::vector<ResultLine> expected = {
        Line(LineKind::Heading, 0, "Start Kill Action:"),
        Line(LineKind::Target, 0, "Chrome Cookies", "0", "0", "0,00 KB"),
        Line(LineKind::Highlighted, 0,
             "Chrome Cookies skipped: Google Chrome is running. Close Google Chrome and try again."),
        Line(LineKind::Target, 0, "Other", "1", "0", "0,00 KB"),
        Line(LineKind::Summary, 0, "Summary Kill Information:", "1", "0", "0,00 KB"),
    };
    EXPECT_EQ(window.lines, expected);
    EXPECT_EQ(catalog.Totals().files, 1u);

    browserOpen = false;
    driver.StartKill();
    Finish();
    EXPECT_EQ(window.lines[1], Line(LineKind::Target, 0, "Chrome Cookies", "4", "0", "4,00 KB"));
    EXPECT_EQ(window.lines[2].kind, LineKind::Target);
}

// Another process's run holds the exclusion: nothing runs and the last-kill time stays; once it
// is free, the run claims it and gives it back at its end.
class FakeExclusion : public RunExclusion {
public:
    bool TryClaim() override { return !heldElsewhere && ++claims > 0; }
    void Release() override { ++releases; }
    bool heldElsewhere = true;
    int claims = 0, releases = 0;
};

TEST(ActionDriverExclusion, ABusyExclusionKeepsTheRunOutAndAFreeOneIsReleased) {
    TargetCatalog catalog;
    FakeActionWindow window;
    FakeExclusion exclusion;
    ActionDriver driver(catalog, window, nullptr, &exclusion);
    window.SetDriver(&driver);
    auto t = std::make_unique<Target>("One", "desc");
    t->AddEntry(std::make_unique<FakeEntry>(3, 0, 30, false));
    catalog.AddTarget(std::move(t));
    catalog.SetLastKillTime(1000);
    driver.StartKill();
    EXPECT_EQ(driver.RunState(), 0);
    ASSERT_EQ(window.lines.size(), 2u);
    EXPECT_EQ(window.lines[1].name, "Another Scan or Kill is running. Try again when it has ended.");
    EXPECT_EQ(catalog.LastKillTime(), 1000);
    driver.StartAutoKill();
    EXPECT_EQ(window.lines.size(), 2u) << "a refused Auto-Kill leaves the list as it was";
    EXPECT_EQ(catalog.LastKillTime(), 1000);

    exclusion.heldElsewhere = false;
    driver.StartKill();
    driver.WaitForWorker();
    EXPECT_EQ(catalog.Totals().files, 3u);
    EXPECT_EQ(exclusion.claims, 1);
    EXPECT_EQ(exclusion.releases, 1);
}

TEST_F(ActionDriverTest, AKillThatSkippedOverwritingOnSolidStateSaysSoOnItsLine) {
    Target& t = Add("Temp", true, 1, 0, 10);
    auto entry = std::make_unique<FakeEntry>(1, 0, 10, false);
    entry->notesSkip = true;
    t.AddEntry(std::move(entry));
    driver.StartKill();
    Finish();
    EXPECT_EQ(window.lines[1].name, "Temp (solid-state drive: overwrite skipped)");
    driver.StartScan();
    Finish();
    EXPECT_EQ(window.lines[1].name, "Temp") << "a Scan overwrites nothing";
}
