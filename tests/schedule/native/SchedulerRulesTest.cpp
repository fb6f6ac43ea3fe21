// The scheduler's decisions, tick by tick, with a fake view of the running processes.
#include "schedule/SchedulerRules.h"

#include <gtest/gtest.h>

using namespace scheduler;

namespace {

constexpr int64_t kNow = 1'700'000'000;  // any instant
constexpr int64_t kMinute = 60;

class FakeProbe : public Probe {
public:
    bool BrowsersRunning() override { ++browserLooks; return browsers; }
    int AppProcessCount() override { ++appLooks; return app; }
    bool browsers = false;
    int app = 0;
    int browserLooks = 0, appLooks = 0;
};

// A scheduler with its inputs, ticking as the timer does.
struct Clock {
    State state;
    Triggers triggers;
    Inputs in;
    FakeProbe probe;
    Clock() {
        in.now = kNow;
        in.lastKillTime = kNow;
        in.lastUpdateTime = kNow;
    }
    Decision Tick() { return scheduler::Tick(state, triggers, in, probe); }
    // Ticks until one starts something (or `limit` ticks); the number of ticks taken, 0 for none.
    int TicksUntilAct(int limit, Act* act = nullptr) {
        for (int i = 1; i <= limit; ++i) {
            const Decision d = Tick();
            in.now += 1;
            if (d.clearWindowsStart) in.startedAtWindowsStart = false;
            if (d.act != Act::None) {
                if (act) *act = d.act;
                return i;
            }
        }
        return 0;
    }
};

TEST(SchedulerInterval, BoundaryIsWholeMinutesForFirstAndLastEntries) {
    // Index 0: 5 minutes. 4:59 is not due, 5:00 is.
    EXPECT_FALSE(IntervalPassed(kNow - (4 * kMinute + 59), kNow, 0));
    EXPECT_TRUE(IntervalPassed(kNow - 5 * kMinute, kNow, 0));
    // "Month" (index 11): 43200 minutes.
    EXPECT_FALSE(IntervalPassed(kNow - (43200 * kMinute - 1), kNow, 11));
    EXPECT_TRUE(IntervalPassed(kNow - 43200 * kMinute, kNow, 11));
    // Indexes outside the table use its ends.
    EXPECT_TRUE(IntervalPassed(kNow - 5 * kMinute, kNow, -3));
    EXPECT_FALSE(IntervalPassed(kNow - 5 * kMinute, kNow, 40));

    Clock c;
    c.triggers.everyTime = true;
    c.triggers.everyTimeIndex = 0;
    c.in.lastKillTime = kNow - (4 * kMinute + 59);
    EXPECT_EQ(c.Tick().act, Act::None);
    c.in.now += 1;  // 5:00
    EXPECT_EQ(c.Tick().act, Act::AutoKill);
}

TEST(SchedulerInterval, KillByUserRestartsItAndARefusedStartComesBack) {
    Clock c;
    c.triggers.everyTime = true;
    c.triggers.everyTimeIndex = 1;  // 10 minutes
    c.in.lastKillTime = kNow - 9 * kMinute;
    EXPECT_EQ(c.Tick().act, Act::None);
    // The user kills one minute before the interval ends: the stamp moves, so nothing for ten more.
    c.in.now += kMinute;
    c.in.lastKillTime = c.in.now;
    EXPECT_EQ(c.Tick().act, Act::None);
    c.in.now += 10 * kMinute - 1;
    EXPECT_EQ(c.Tick().act, Act::None);
    c.in.now += 1;
    // Due while Options is open: Start Auto-Kill refuses, and the next tick asks again.
    c.in.autoKillCanStart = false;
    EXPECT_EQ(c.Tick().act, Act::AutoKill);
    c.in.autoKillCanStart = true;
    EXPECT_EQ(c.Tick().act, Act::AutoKill);
}

TEST(SchedulerInterval, StampFarAheadCountsAsNow) {
    Clock c;
    c.triggers.everyTime = true;
    c.triggers.everyTimeIndex = 0;
    // Within one interval ahead: waits for it as stored.
    c.in.lastKillTime = kNow + 5 * kMinute;
    Decision d = c.Tick();
    EXPECT_EQ(d.act, Act::None);
    EXPECT_FALSE(d.resetLastKillTime);
    // Further ahead (the clock was set back by hours): reset to now, then due one interval later.
    c.in.lastKillTime = kNow + 5 * kMinute + 1;
    d = c.Tick();
    EXPECT_EQ(d.act, Act::None);
    EXPECT_TRUE(d.resetLastKillTime);
    c.in.lastKillTime = c.in.now;
    c.in.now += 5 * kMinute;
    EXPECT_EQ(c.Tick().act, Act::AutoKill);
}

TEST(SchedulerWindowsStart, FifthTickOnlyWithTheSwitchAndDelayedByADialog) {
    Clock with;
    with.triggers.winStart = true;
    with.in.startedAtWindowsStart = true;
    EXPECT_EQ(with.TicksUntilAct(20), 5);
    EXPECT_FALSE(with.in.startedAtWindowsStart);
    EXPECT_EQ(with.TicksUntilAct(20), 0) << "once only";

    Clock without;
    without.triggers.winStart = true;
    EXPECT_EQ(without.TicksUntilAct(20), 0);

    // A dialog open at the fifth tick: the switch stays, the Auto-Kill starts when it closes.
    Clock held;
    held.triggers.winStart = true;
    held.in.startedAtWindowsStart = true;
    held.in.autoKillCanStart = false;
    EXPECT_EQ(held.TicksUntilAct(7), 0);
    EXPECT_TRUE(held.in.startedAtWindowsStart);
    held.in.autoKillCanStart = true;
    EXPECT_EQ(held.TicksUntilAct(5), 1);
    EXPECT_FALSE(held.in.startedAtWindowsStart);

    // A run at the fifth tick: the same, from the first idle tick on.
    Clock busy;
    busy.triggers.winStart = true;
    busy.in.startedAtWindowsStart = true;
    busy.in.actionRunning = true;
    EXPECT_EQ(busy.TicksUntilAct(8), 0);
    busy.in.actionRunning = false;
    EXPECT_EQ(busy.TicksUntilAct(5), 1);

    // The switch with the trigger off is forgotten at the fifth tick: ticking the box later
    // does not bring back a start long past.
    Clock off;
    off.in.startedAtWindowsStart = true;
    EXPECT_EQ(off.TicksUntilAct(5), 0);
    EXPECT_FALSE(off.in.startedAtWindowsStart);
}

TEST(SchedulerTick, ARunSkipsEverythingButTheCounter) {
    Clock c;
    c.triggers = Triggers{true, true, true, 0, true, true};
    c.in.startedAtWindowsStart = true;
    c.in.lastKillTime = kNow - 100 * kMinute;
    c.in.lastUpdateTime = kNow - 7 * 60 * kMinute;
    c.state = State{3600 * 1000 - 1000, true, true};
    c.in.actionRunning = true;
    const Decision d = c.Tick();
    EXPECT_EQ(d.act, Act::None);
    EXPECT_FALSE(d.clearWindowsStart);
    EXPECT_EQ(c.state.elapsedMs, 3600u * 1000);
    EXPECT_TRUE(c.state.browserWasRunning);
    EXPECT_TRUE(c.state.appWasRunning);
    EXPECT_EQ(c.probe.browserLooks + c.probe.appLooks, 0) << "no process looked at during a run";
}

TEST(SchedulerUpdate, HourlyOnRunningTimeNotAtStart) {
    // LastUpdateTime 7 hours ago: not at the first ticks, but at one hour of running time.
    Clock c;
    c.triggers.autoUpdate = true;
    c.in.lastUpdateTime = kNow - 7 * 60 * kMinute;
    Act act = Act::None;
    EXPECT_EQ(c.TicksUntilAct(4000, &act), 3600);
    EXPECT_EQ(act, Act::Update);
    EXPECT_EQ(c.Tick().act, Act::None) << "not again at the next tick";

    // 5 hours ago: not due at the first hour; at the second it is (seven hours by then).
    Clock d;
    d.triggers.autoUpdate = true;
    d.in.lastUpdateTime = kNow - 5 * 60 * kMinute;
    d.state.elapsedMs = 3600 * 1000 - 1000;
    EXPECT_EQ(d.Tick().act, Act::None);
    d.in.now += 3600;
    d.state.elapsedMs = 2 * 3600 * 1000 - 1000;
    EXPECT_EQ(d.Tick().act, Act::Update);

    // An update already running, or the setting off: nothing.
    Clock e;
    e.in.lastUpdateTime = kNow - 7 * 60 * kMinute;
    e.state.elapsedMs = 3600 * 1000 - 1000;
    EXPECT_EQ(e.Tick().act, Act::None);
    e.triggers.autoUpdate = true;
    e.in.updateRunning = true;
    e.state.elapsedMs = 3600 * 1000 - 1000;
    EXPECT_EQ(e.Tick().act, Act::None);

    // The counter is 64-bit: past 49.7 days (2^32 ms) the hours still come round.
    EXPECT_TRUE(HourlyUpdateDue(uint64_t{3600 * 1000} * 1200, kNow - 7 * 3600, kNow, false));
    EXPECT_FALSE(HourlyUpdateDue(uint64_t{1} << 32, kNow - 7 * 3600, kNow, false));
    EXPECT_FALSE(HourlyUpdateDue(0, kNow - 7 * 3600, kNow, false));
}

TEST(SchedulerWatches, BrowserSwitchedOnWhileRunningFiresWhenItCloses) {
    Clock c;
    c.probe.browsers = true;
    EXPECT_EQ(c.TicksUntilAct(3), 0);
    EXPECT_EQ(c.probe.browserLooks, 0) << "no look while the trigger is off";
    c.triggers.browserClosed = true;  // switched on with a browser open
    EXPECT_EQ(c.TicksUntilAct(3), 0);
    EXPECT_TRUE(c.state.browserWasRunning);
    c.probe.browsers = false;
    EXPECT_EQ(c.TicksUntilAct(3), 1);
    EXPECT_FALSE(c.state.browserWasRunning);
    EXPECT_EQ(c.TicksUntilAct(5), 0) << "one Auto-Kill per close";

    // Closed while a dialog is open: the change is used up (the refused start is not repeated).
    c.probe.browsers = true;
    EXPECT_EQ(c.TicksUntilAct(1), 0);
    c.probe.browsers = false;
    c.in.autoKillCanStart = false;
    EXPECT_EQ(c.TicksUntilAct(1), 1);
    c.in.autoKillCanStart = true;
    EXPECT_EQ(c.TicksUntilAct(3), 0);

    // Switched off: the flag goes, so switching it on again watches afresh.
    c.probe.browsers = true;
    EXPECT_EQ(c.TicksUntilAct(1), 0);
    c.triggers.browserClosed = false;
    EXPECT_EQ(c.TicksUntilAct(1), 0);
    EXPECT_FALSE(c.state.browserWasRunning);
}

TEST(SchedulerWatches, ApplicationStartedAndEndedGivesOneAutoKillAndOneLookPerTick) {
    Clock c;
    c.triggers.appExit = true;
    c.triggers.browserClosed = true;
    EXPECT_EQ(c.TicksUntilAct(3), 0);
    c.probe.app = 2;
    EXPECT_EQ(c.TicksUntilAct(2), 0);
    EXPECT_TRUE(c.state.appWasRunning);
    c.probe.app = 1;  // one of two copies ended: still running
    EXPECT_EQ(c.TicksUntilAct(2), 0);
    c.probe.app = 0;
    EXPECT_EQ(c.TicksUntilAct(3), 1);
    EXPECT_EQ(c.TicksUntilAct(5), 0);
    EXPECT_EQ(c.probe.appLooks, 3 + 2 + 2 + 1 + 5);
    EXPECT_EQ(c.probe.browserLooks, c.probe.appLooks);

    // The interval comes before the application's exit at the same tick.
    Clock both;
    both.triggers.appExit = true;
    both.triggers.everyTime = true;
    both.state.appWasRunning = true;
    both.in.lastKillTime = kNow - 30 * kMinute;
    EXPECT_EQ(both.Tick().act, Act::AutoKill);
    EXPECT_TRUE(both.state.appWasRunning) << "the exit is still to be seen";
}

}  // namespace
