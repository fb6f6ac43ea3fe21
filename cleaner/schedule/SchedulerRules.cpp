#include "schedule/SchedulerRules.h"

#include "targets/KillIntervals.h"

namespace scheduler {

int64_t IntervalSeconds(int32_t index) {
    return static_cast<int64_t>(kill_intervals::kMinutes[kill_intervals::ClampIndex(index)]) * 60;
}

bool IntervalPassed(int64_t lastKill, int64_t now, int32_t index, bool* stampAhead) {
    const bool ahead = lastKill - now > IntervalSeconds(index);
    if (stampAhead) *stampAhead = ahead;
    if (ahead) return false;
    return kill_intervals::AutoKillDue(lastKill, now, index);
}

bool HourlyUpdateDue(uint64_t elapsedMs, int64_t lastUpdate, int64_t now, bool updateRunning) {
    if (elapsedMs == 0 || elapsedMs % kUpdateEveryMs != 0) return false;
    return !updateRunning && kill_intervals::UpdateCheckDue(lastUpdate, now);
}

bool WindowsStartDue(uint64_t elapsedMs, bool started, bool triggerOn, bool canStart) {
    return started && triggerOn && canStart && elapsedMs >= kWindowsStartMs;
}

Decision Tick(State& state, const Triggers& triggers, const Inputs& in, Probe& probe) {
    state.elapsedMs += kTickMs;
    Decision d;
    if (in.actionRunning) return d;

    // Windows start. The switch is forgotten only once its Auto-Kill can start, so a dialog open at
    // the fifth tick delays that Auto-Kill instead of losing it. With the trigger off at that time
    // the switch is forgotten, so ticking the box later does not fire a start long past.
    if (WindowsStartDue(state.elapsedMs, in.startedAtWindowsStart, triggers.winStart, in.autoKillCanStart)) {
        d.act = Act::AutoKill;
        d.clearWindowsStart = true;
        return d;
    }
    if (in.startedAtWindowsStart && !triggers.winStart && state.elapsedMs >= kWindowsStartMs)
        d.clearWindowsStart = true;

    // Last browser closed: fires on the change from running to not running. The flag is cleared
    // before the start, so a start refused because a dialog is open does not come back.
    if (!triggers.browserClosed) {
        state.browserWasRunning = false;
    } else if (!state.browserWasRunning) {
        state.browserWasRunning = probe.BrowsersRunning();
    } else if (!probe.BrowsersRunning()) {
        state.browserWasRunning = false;
        d.act = Act::AutoKill;
        return d;
    }

    // Interval: fires at every tick until an Auto-Kill has started and moved the stamp.
    if (triggers.everyTime) {
        bool ahead = false;
        if (IntervalPassed(in.lastKillTime, in.now, triggers.everyTimeIndex, &ahead)) {
            d.act = Act::AutoKill;
            return d;
        }
        d.resetLastKillTime = ahead;
    }

    // Application exit, as the browser watch but for the AKAppExitName program.
    if (!triggers.appExit) {
        state.appWasRunning = false;
    } else {
        const int count = probe.AppProcessCount();
        if (!state.appWasRunning) {
            state.appWasRunning = count > 0;
        } else if (count == 0) {
            state.appWasRunning = false;
            d.act = Act::AutoKill;
            return d;
        }
    }

    if (triggers.autoUpdate && HourlyUpdateDue(state.elapsedMs, in.lastUpdateTime, in.now, in.updateRunning))
        d.act = Act::Update;
    return d;
}

}  // namespace scheduler
