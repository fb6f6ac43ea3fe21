#pragma once
// The decisions of the one-second scheduler of the main window, free of windows and clocks: each
// tick passes in what it saw and gets back what to do. The timer handler (AutoKillScheduler)
// gathers the inputs and acts on the answer.
#include <cstdint>

namespace scheduler {

// The settings a tick reads.
struct Triggers {
    bool winStart = false;        // AKWinStart
    bool browserClosed = false;   // AKBrowserClosed
    bool everyTime = false;       // AKEveryTime
    int32_t everyTimeIndex = 2;   // AKEveryTimeTime, clamped to the table
    bool appExit = false;         // AKAppExit
    bool autoUpdate = false;      // AutoUpdate
};

// What the scheduler keeps between ticks. The elapsed counter is 64-bit: a 32-bit one would wrap
// after 49 days and stop the hourly update from ever coming round again.
struct State {
    uint64_t elapsedMs = 0;
    bool browserWasRunning = false;
    bool appWasRunning = false;
};

// What a tick sees. The two process questions are asked only when a trigger needs them, so a
// tick with both watches off looks at no process at all.
class Probe {
public:
    virtual ~Probe() = default;
    // A watched browser is running and shows a window.
    [[nodiscard]] virtual bool BrowsersRunning() = 0;
    // Running processes of the AKAppExitName program.
    [[nodiscard]] virtual int AppProcessCount() = 0;
};

struct Inputs {
    bool actionRunning = false;          // a Scan, Kill or Auto-Kill is in progress
    bool autoKillCanStart = true;        // no dialog besides the main window is open
    bool startedAtWindowsStart = false;  // the "-ws" switch, until acted on
    int64_t now = 0;                     // seconds since 1970
    int64_t lastKillTime = 0;
    int64_t lastUpdateTime = 0;
    bool updateRunning = false;
};

enum class Act { None, AutoKill, Update };

struct Decision {
    Act act = Act::None;
    bool clearWindowsStart = false;  // the "-ws" Auto-Kill has been started: forget the switch
    bool resetLastKillTime = false;  // the stamp lay more than one interval ahead: it becomes now
};

constexpr uint64_t kTickMs = 1000;
constexpr uint64_t kWindowsStartMs = 5000;  // the fifth tick
constexpr uint64_t kUpdateEveryMs = 3600 * 1000;

// The interval of table entry `index` (clamped to 0..11), in seconds.
[[nodiscard]] int64_t IntervalSeconds(int32_t index);
// Whether the interval has passed since `lastKill`: whole minutes elapsed are at least the
// interval's minutes. A stamp more than one interval ahead of now (the clock was set back) is
// reported through `stampAhead`, and the caller treats it as now.
[[nodiscard]] bool IntervalPassed(int64_t lastKill, int64_t now, int32_t index, bool* stampAhead = nullptr);
// The hourly update: on each full hour of running time (never at start), when the last update
// is at least six hours old and no update runs.
[[nodiscard]] bool HourlyUpdateDue(uint64_t elapsedMs, int64_t lastUpdate, int64_t now, bool updateRunning);
// The Windows-start Auto-Kill: from the fifth tick on, at the first tick at which one can start.
[[nodiscard]] bool WindowsStartDue(uint64_t elapsedMs, bool started, bool triggerOn, bool canStart);

// One tick: advances the elapsed counter and the two was-running flags and says what to start.
[[nodiscard]] Decision Tick(State& state, const Triggers& triggers, const Inputs& in, Probe& probe);

}  // namespace scheduler
