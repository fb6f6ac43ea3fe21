#pragma once
#include "app/ActionTexts.h"
#include "app/ActionWindow.h"
#include "app/RunExclusion.h"

#include <atomic>
#include <functional>
#include <thread>

class TargetCatalog;

// Runs Scan, Kill and Auto-Kill over the selected targets of the catalogue on one worker thread and
// reports through the main window. The Start operations, Stop and OnRunStopped are called on the
// window thread. One run at a time: a Start does nothing while a run is in progress or the previous
// worker has not yet ended.
class ActionDriver {
public:
    // Starts the worker thread; tests pass one that fails as the system can.
    using ThreadStarter = std::function<std::thread(std::function<void()>)>;

    // exclusion (optional) keeps runs of other processes out; a Start that cannot claim it writes
    // why and does not run.
    ActionDriver(TargetCatalog& catalog, ActionWindow& window, ThreadStarter startThread = nullptr,
                 RunExclusion* exclusion = nullptr);
    ~ActionDriver();  // waits for the worker
    ActionDriver(const ActionDriver&) = delete;
    ActionDriver& operator=(const ActionDriver&) = delete;

    void StartScan();
    void StartKill();
    // The scheduler's entry; the caller has checked that no other dialog is open.
    void StartAutoKill();
    // Requests a stop and does nothing else.
    void Stop();
    // The "run stopped" message: writes the stopped summary and restores the idle form.
    void OnRunStopped();

    [[nodiscard]] ::RunState RunState() const { return runState_.load(); }
    [[nodiscard]] bool AutoMark() const { return autoMark_.load(); }
    [[nodiscard]] int CurrentIndex() const { return currentIndex_.load(); }
    // A run is in progress or its worker is still ending.
    [[nodiscard]] bool Busy() const { return runState_.load() != RunIdle || workerAlive_.load(); }
    [[nodiscard]] action_texts::Action CurrentAction() const;

    // Waits until the worker thread has ended. Only call it while RunState() is idle: the worker
    // then sends the window nothing more, so waiting cannot block the window thread's messages.
    void WaitForWorker();

private:
    void StartKillRun();
    [[nodiscard]] bool BeginStart(action_texts::Action action);
    void Work(bool kill);
    void RunOneTarget(int index, int ordinal, bool kill);
    void Pause(bool kill);
    void WriteSummary(bool stopped);
    void FinishRun(bool stopped);
    void LaunchWorker(bool kill);
    [[nodiscard]] bool WantsBalloons(action_texts::Action action);
    void Refuse(const char* line);
    void ReleaseClaim();

    TargetCatalog& catalog_;
    ActionWindow& window_;
    std::atomic<::RunState> runState_{RunIdle};
    std::atomic<bool> autoMark_{false};
    std::atomic<int> currentIndex_{-1};
    std::atomic<bool> workerAlive_{false};
    int selectedCount_ = 0;
    ThreadStarter startThread_;
    RunExclusion* exclusion_ = nullptr;
    bool claimed_ = false;  // window thread only
    std::thread worker_;
};
