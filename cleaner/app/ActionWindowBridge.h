#pragma once
#include "app/ActionWindow.h"
#include "app/PendingCalls.h"

#include <windows.h>

#include <functional>

// The main window's side of the action driver: every call of the worker is carried over to the
// window thread by a synchronous message to the window, and the window's form (an ActionForm that
// may touch its controls on that thread only) carries it out; calls made on the window thread run
// directly. The window passes its messages to OnMessage first.
class ActionWindowBridge : public ActionWindow {
public:
    // `window` names the window while it exists (calls run directly once it is gone); `runStopped`
    // handles a stopped run on the window thread (ActionDriver::OnRunStopped).
    ActionWindowBridge(ActionForm& form, std::function<HWND()> window, std::function<void()> runStopped)
        : form_(form), window_(std::move(window)), runStopped_(std::move(runStopped)) {}

    // The calling thread becomes the window thread.
    void BindToThisThread() { windowThread_ = ::GetCurrentThreadId(); }
    // The bridge's own two messages; true when `message` was one of them. Any process can send
    // the window these numbers with any parameters: only a call the worker published and waits on
    // runs (see PendingCalls), anything else is swallowed.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void ClearResultLines() override;
    void AddResultLine(const ResultLine& line) override;
    void DeleteLastResultLine() override;
    void RepaintResultList() override;
    bool IsShown() override { return form_.IsShown(); }  // a read any thread may make
    void ShowBalloon(const std::string& text, const std::string& title, uint32_t timeoutMs) override;
    void ShowRunningForm(const std::string& stopCaption, int progressRange) override;
    void StepProgress() override;
    void ShowIdleForm() override;
    void Repaint() override;
    void PlayEndSound() override;
    void RunOnWindowThread(const std::function<void()>& work) override;
    void SendRunStopped() override;

private:
    bool OnWindowThread() const { return ::GetCurrentThreadId() == windowThread_; }
    // Publishes the call, sends the message that carries it and waits until it ran (directly on
    // the window thread, or when there is no window).
    void SendPublished(UINT message, const std::function<void()>& call);

    ActionForm& form_;
    std::function<HWND()> window_;
    std::function<void()> runStopped_;
    DWORD windowThread_ = 0;
    PendingCalls calls_;
};
