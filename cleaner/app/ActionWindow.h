#pragma once
#include "skin/ResultLine.h"

#include <cstdint>
#include <functional>
#include <string>

// What the action driver changes in the main window: the result list, balloons and the two forms.
// The main window implements these for its own thread; ActionWindow adds the way there.
class ActionForm {
public:
    virtual ~ActionForm() = default;

    virtual void ClearResultLines() = 0;
    virtual void AddResultLine(const ResultLine& line) = 0;  // appends and selects it
    virtual void DeleteLastResultLine() = 0;
    virtual void RepaintResultList() = 0;

    // Whether the main window is shown (FULL mode); balloons are used only while it is not.
    virtual bool IsShown() = 0;
    // Text and title are cut to the balloon fields by the tray icon; an empty text withdraws the
    // balloon on show.
    virtual void ShowBalloon(const std::string& text, const std::string& title, uint32_t timeoutMs) = 0;

    // Running form: row disabled, Scan and Kill hidden, Stop shown with this caption, progress bar
    // shown with range 0..progressRange, position 0, step 1.
    virtual void ShowRunningForm(const std::string& stopCaption, int progressRange) = 0;
    virtual void StepProgress() = 0;
    // Idle form: row enabled, Stop and progress bar hidden, Scan and Kill shown, window repainted.
    virtual void ShowIdleForm() = 0;
    virtual void Repaint() = 0;
    virtual void PlayEndSound() = 0;
};

// What the action driver needs of the main window. The worker calls these from its own thread; the
// window's bridge (ActionWindowBridge) carries each one out on the window thread by a synchronous
// message and returns only when it is done, so every change of a window happens on the window
// thread while the worker waits. Tests implement it with a fake that records what it was told.
class ActionWindow : public ActionForm {
public:

    // Runs work on the window thread and returns after it ran (directly when already there).
    virtual void RunOnWindowThread(const std::function<void()>& work) = 0;
    // Hands a stopped run to the window thread (the "run stopped" message, WM_USER+3), whose
    // handler calls ActionDriver::OnRunStopped; returns after it ran.
    virtual void SendRunStopped() = 0;
};
