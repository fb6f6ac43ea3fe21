#pragma once
// A small window that shows a worker's status lines and progress and closes itself when the worker
// has finished: the front end of update mode, and of installation and uninstallation until the
// wizard takes them over. The worker reports from its own thread through synchronous messages, so
// every change of the window happens on the window thread.
#include "engine/Progress.h"
#include "engine/SetupSession.h"
#include "win/Handles.h"

#include <windows.h>

#include <functional>
#include <string>

namespace setup {

class ProgressWindow : public Progress {
public:
    using Work = std::function<WorkResult(SetupSession&, Progress&)>;

    ProgressWindow(SetupSession& session, Work work) : session_(session), work_(std::move(work)) {}
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Shows the window (unless `visible` is false), starts the worker once and runs the message loop
    // until the worker has finished; returns the exit code of the outcome.
    int Run(const std::u16string& title, bool visible);

    // Progress, called on the worker's thread.
    void SetRange(uint32_t steps) override;
    void Status(const std::u16string& line, bool step) override;
    void Finished(WorkResult result) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI WorkerEntry(void* self);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout();

    SetupSession& session_;
    Work work_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND bar_ = nullptr;
    GdiObject<HFONT> font_;
    WorkResult result_ = WorkResult::Failed;
};

}  // namespace setup
