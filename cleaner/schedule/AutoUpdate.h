#pragma once
// The automatic update as the main window runs it: started by the scheduler (or a command) with
// the main window as notification window; a success shows a balloon, success and "nothing to
// fetch" mark the update time; every other result is left for the next hourly check.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

class TargetCatalog;

class AutoUpdate {
public:
    // `showBalloon` shows the result; the main window decides there whether it may (not while an
    // action runs with the window hidden).
    AutoUpdate(TargetCatalog& catalog, std::function<void(const std::string&)> showBalloon);

    // Starts the update for `window` (the main window, on its thread); false when an update is
    // already running.
    [[nodiscard]] bool Start(HWND window);
    // A notification message of the main window: true when it was this window's own worker's and
    // has been handled; false leaves the message to the dialog manager (DM_SETDEFID).
    [[nodiscard]] bool OnNotification(HWND window, WPARAM code, LPARAM value);
    // Main window destruction: a running update is asked to stop.
    static void RequestStop();

private:
    TargetCatalog& catalog_;
    std::function<void(const std::string&)> showBalloon_;
};
