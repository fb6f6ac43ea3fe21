#include "schedule/AutoKillScheduler.h"

#include "platform/ProcessList.h"
#include "targets/TargetCatalog.h"

#include <optional>

namespace {

// The processes of one tick: enumerated on the first question, at most once.
class TickProbe : public scheduler::Probe {
public:
    TickProbe(const BrowserWatch& browsers, const std::string& app) : browsers_(browsers), app_(app) {}

    bool BrowsersRunning() override { return browsers_.Running(Processes()); }
    int AppProcessCount() override { return app_.empty() ? 0 : Processes().Count(app_); }

private:
    const ProcessList& Processes() {
        if (!processes_) processes_ = ProcessList::Take();
        return *processes_;
    }

    const BrowserWatch& browsers_;
    const std::string& app_;
    std::optional<ProcessList> processes_;
};

scheduler::Triggers TriggersOf(const CleanerSettings& s) {
    scheduler::Triggers t;
    t.winStart = s.akWinStart;
    t.browserClosed = s.akBrowserClosed;
    t.everyTime = s.akEveryTime;
    t.everyTimeIndex = s.akEveryTimeTime;
    t.appExit = s.akAppExit;
    t.autoUpdate = s.autoUpdate;
    return t;
}

}  // namespace

AutoKillScheduler::AutoKillScheduler(TargetCatalog& catalog, Host& host)
    : catalog_(catalog), host_(host), browsers_(catalog) {}

void AutoKillScheduler::OnTick() {
    scheduler::Inputs in;
    in.actionRunning = host_.ActionRunning();
    if (!in.actionRunning) {
        in.autoKillCanStart = !host_.OtherDialogOpen();
        in.startedAtWindowsStart = host_.StartedAtWindowsStart();
        in.now = TargetCatalog::Now();
        in.lastKillTime = catalog_.LastKillTime();
        in.lastUpdateTime = catalog_.LastUpdateTime();
        in.updateRunning = host_.UpdateRunning();
    }
    const CleanerSettings& settings = catalog_.Settings();
    TickProbe probe(browsers_, settings.akAppExitName);
    const scheduler::Decision d = scheduler::Tick(state_, TriggersOf(settings), in, probe);

    if (d.clearWindowsStart) host_.ClearStartedAtWindowsStart();
    // The clock was set back past the stamp: the interval counts from now instead of waiting.
    if (d.resetLastKillTime) catalog_.SetLastKillTime(in.now);
    switch (d.act) {
        case scheduler::Act::AutoKill: host_.StartAutoKill(); break;
        case scheduler::Act::Update: host_.StartUpdate(); break;
        case scheduler::Act::None: break;
    }
}
