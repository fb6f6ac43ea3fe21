#pragma once
#include "schedule/BrowserWatch.h"
#include "schedule/SchedulerRules.h"

#include <cstdint>

class TargetCatalog;

// The main window's one-second timer (id 5): gathers what a tick needs (settings, times, the
// window's state, the running processes at most once) and acts on the scheduler's decision.
class AutoKillScheduler {
public:
    // What the scheduler needs from the main window and the application around it.
    class Host {
    public:
        virtual ~Host() = default;
        [[nodiscard]] virtual bool ActionRunning() = 0;
        // A dialog besides the main window is open (Options, About, the update dialog, ...).
        [[nodiscard]] virtual bool OtherDialogOpen() = 0;
        // Start Auto-Kill; refuses by itself while an action runs or another dialog is open.
        virtual void StartAutoKill() = 0;
        virtual void StartUpdate() = 0;
        [[nodiscard]] virtual bool UpdateRunning() = 0;
        [[nodiscard]] virtual bool StartedAtWindowsStart() = 0;
        virtual void ClearStartedAtWindowsStart() = 0;
    };

    static constexpr uintptr_t kTimerId = 5;
    static constexpr unsigned kPeriodMs = 1000;

    AutoKillScheduler(TargetCatalog& catalog, Host& host);

    // One tick of timer 5, on the window thread.
    void OnTick();
    const scheduler::State& State() const { return state_; }

private:
    TargetCatalog& catalog_;
    Host& host_;
    BrowserWatch browsers_;
    scheduler::State state_;
};
