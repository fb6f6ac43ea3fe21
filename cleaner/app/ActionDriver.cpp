#include "app/ActionDriver.h"

#include "engine/Checkpoint.h"
#include "engine/ExcludeList.h"
#include "engine/VolumeMedia.h"
#include "engine/SizeFormat.h"
#include "targets/TargetCatalog.h"

#include <algorithm>
#include <chrono>

using action_texts::Action;

namespace {
constexpr int kVisiblePauseMs = 5;
constexpr int kMaxPauseMs = 4000;
constexpr int kPauseStepMs = 5;
}  // namespace

ActionDriver::ActionDriver(TargetCatalog& catalog, ActionWindow& window, ThreadStarter startThread,
                           RunExclusion* exclusion)
    : catalog_(catalog), window_(window), startThread_(std::move(startThread)), exclusion_(exclusion) {}

ActionDriver::~ActionDriver() {
    WaitForWorker();
    SetStoppedHandler(nullptr);
}

void ActionDriver::WaitForWorker() {
    if (worker_.joinable()) worker_.join();
}

Action ActionDriver::CurrentAction() const {
    switch (runState_.load()) {
        case RunScan: return Action::Scan;
        case RunKill: return autoMark_.load() ? Action::AutoKill : Action::Kill;
        default: return Action::None;
    }
}

bool ActionDriver::BeginStart(Action action) {
    const bool claimed = !exclusion_ || exclusion_->TryClaim();
    // An Auto-Kill that another process's run keeps out leaves the list and the last-kill time as
    // they are: the interval tries again at a later tick, and that other run is a Kill too.
    if (!claimed && action == Action::AutoKill) return false;
    ClearStop();
    window_.ClearResultLines();
    window_.AddResultLine(ResultLine::Make(LineKind::Heading, RunIdle, action_texts::Heading(action)));
    window_.RepaintResultList();
    // Before the last-kill time moves: a Kill that another process keeps out has not happened.
    if (!claimed) {
        Refuse(action_texts::kAnotherRunBusy);
        return false;
    }
    claimed_ = exclusion_ != nullptr;
    if (action != Action::Scan) catalog_.MarkLastKillNow();  // even without selected targets
    selectedCount_ = catalog_.SelectedCount();
    if (selectedCount_ > 0) return true;
    ReleaseClaim();
    Refuse(action_texts::kNoSelectedTargets);
    return false;
}

void ActionDriver::Refuse(const char* line) {
    window_.AddResultLine(ResultLine::Make(LineKind::Highlighted, RunIdle, line));
    window_.RepaintResultList();
    if (!window_.IsShown())
        window_.ShowBalloon(line, action_texts::kAppTitle, action_texts::kBalloonTimeoutMs);
}

void ActionDriver::ReleaseClaim() {
    if (!claimed_) return;
    claimed_ = false;
    exclusion_->Release();
}

void ActionDriver::StartScan() {
    if (Busy()) return;
    if (!BeginStart(Action::Scan)) return;
    window_.ShowRunningForm(action_texts::StopCaption(Action::Scan), selectedCount_);
    runState_ = RunScan;
    currentIndex_ = -1;
    catalog_.ResetRunCounters();
    run_excludes::Begin(catalog_.SettingsPath());
    volume_media::BeginRun();
    window_.Repaint();
    LaunchWorker(false);
}

void ActionDriver::StartKill() {
    if (Busy()) return;
    autoMark_ = false;
    StartKillRun();
}

void ActionDriver::StartAutoKill() {
    if (Busy()) return;
    autoMark_ = true;
    StartKillRun();
}

void ActionDriver::StartKillRun() {
    const Action action = autoMark_ ? Action::AutoKill : Action::Kill;
    if (!BeginStart(action)) {
        autoMark_ = false;
        return;
    }
    window_.ShowRunningForm(action_texts::StopCaption(action), selectedCount_);
    window_.Repaint();
    runState_ = RunKill;
    currentIndex_ = -1;
    catalog_.ResetRunCounters();
    run_excludes::Begin(catalog_.SettingsPath());
    volume_media::BeginRun();
    LaunchWorker(true);
}

void ActionDriver::Stop() { RequestStop(); }

void ActionDriver::LaunchWorker(bool kill) {
    WaitForWorker();  // Busy() was false: a previous worker has already returned
    SetStoppedHandler([this] { window_.SendRunStopped(); });
    workerAlive_ = true;
    try {
        std::function<void()> work = [this, kill] { Work(kill); };
        worker_ = startThread_ ? startThread_(std::move(work)) : std::thread(std::move(work));
    } catch (...) {
        // No thread (out of resources): without this the window would stay in its running form
        // for good, with Stop shown and nothing to stop.
        SetStoppedHandler(nullptr);
        workerAlive_ = false;
        autoMark_ = false;
        runState_ = RunIdle;
        currentIndex_ = -1;
        ReleaseClaim();
        window_.ShowIdleForm();
    }
}

void ActionDriver::Work(bool kill) {
    try {
        TargetCatalog::Selection next = catalog_.NextSelected(-1);
        currentIndex_ = next.index;
        while (next.target) {
            RunOneTarget(next.index, next.ordinal, kill);
            next = catalog_.NextSelected(currentIndex_);
            currentIndex_ = next.index;
        }
        window_.RunOnWindowThread([this] { FinishRun(false); });
    } catch (const RunStopped&) {
        // OnRunStopped has already written the stopped summary on the window thread.
    } catch (...) {
        // Nothing may leave a thread entry; leave the window usable.
        window_.RunOnWindowThread([this] {
            if (runState_ != RunIdle) FinishRun(false);
        });
    }
    workerAlive_ = false;
}

void ActionDriver::RunOneTarget(int index, int ordinal, bool kill) {
    const Action action = CurrentAction();
    Target& target = catalog_.TargetAt(static_cast<size_t>(index));
    const std::string name = target.Name();
    window_.AddResultLine(ResultLine::Make(LineKind::Target, runState_.load(), name));

    // Each balloon is decided when it would show: a window shown during a hidden target gets no
    // result balloon over it, and a window hidden during a target reports its result.
    const std::string title =
        action_texts::ProgressTitle(action, action_texts::Percent(ordinal, selectedCount_));
    if (WantsBalloons(action))
        window_.ShowBalloon(action_texts::ProgressBalloon(action, name), title,
                            action_texts::kBalloonTimeoutMs);

    catalog_.RunTarget(index, kill);
    window_.StepProgress();

    const RunCounters& c = target.Counters();
    const std::string files = CountText(c.files), items = CountText(c.items), size = FormatSize(c.bytes);
    window_.DeleteLastResultLine();
    const std::string shown =
        target.OverwriteSkipped() ? name + " " + action_texts::kOverwriteSkipped : name;
    window_.AddResultLine(ResultLine::Make(LineKind::Target, RunIdle, shown, files, items, size));
    // A target that could not run says why, right under its line (a browser that is still open).
    if (!target.SkipNotice().empty())
        window_.AddResultLine(ResultLine::Make(LineKind::Highlighted, RunIdle, target.SkipNotice()));
    if (WantsBalloons(action))
        window_.ShowBalloon(action_texts::ResultBalloon(action, name, files, items, size), title,
                            action_texts::kBalloonTimeoutMs);
    Pause(kill);
}

bool ActionDriver::WantsBalloons(Action action) {
    return !window_.IsShown() && (action != Action::AutoKill || catalog_.Settings().akScan);
}

void ActionDriver::Pause(bool kill) {
    int pause = kVisiblePauseMs;
    if (!window_.IsShown()) {
        const CleanerSettings& s = catalog_.Settings();
        pause = std::clamp(kill ? s.killTime : s.scanTime, 0, kMaxPauseMs);
    }
    for (int i = (pause + kPauseStepMs) / kPauseStepMs; i > 0; --i) {
        Checkpoint();
        std::this_thread::sleep_for(std::chrono::milliseconds(kPauseStepMs));
    }
}

void ActionDriver::WriteSummary(bool stopped) {
    const Action action = CurrentAction();
    if (stopped) {
        window_.AddResultLine(ResultLine::Make(LineKind::Plain, RunIdle, {}));
        window_.RepaintResultList();
        window_.AddResultLine(
            ResultLine::Make(LineKind::Highlighted, RunIdle, action_texts::StoppedLine(action)));
        window_.RepaintResultList();
    }
    const RunCounters& run = catalog_.RunTotals();
    const std::string files = CountText(run.files), items = CountText(run.items),
                      size = FormatSize(run.bytes);
    window_.AddResultLine(ResultLine::Make(LineKind::Summary, RunIdle, action_texts::SummaryHeading(action),
                                           files, items, size));
    if (window_.IsShown()) return;
    if (action != Action::AutoKill || catalog_.Settings().akSummary) {
        window_.ShowBalloon(action_texts::SummaryBalloon(action, stopped, files, items, size),
                            action_texts::kAppTitle, action_texts::kBalloonTimeoutMs);
    } else {
        window_.ShowBalloon({}, action_texts::kAppTitle, action_texts::kBalloonTimeoutMs);
    }
}

// Window thread. The run state returns to idle here, in the same message that restores the idle
// form and before the buttons come back, so no Start can slip in between.
void ActionDriver::FinishRun(bool stopped) {
    const bool endSound = !stopped && CurrentAction() == Action::AutoKill &&
                          catalog_.Settings().akSoundEnd;
    WriteSummary(stopped);
    autoMark_ = false;
    runState_ = RunIdle;
    currentIndex_ = -1;
    ReleaseClaim();
    window_.ShowIdleForm();
    if (endSound) window_.PlayEndSound();
}

void ActionDriver::OnRunStopped() {
    if (runState_ == RunIdle) return;  // a stray message: no run to stop
    FinishRun(true);
}
