#pragma once
// The one update worker of the process: started on the window thread for a notification window
// (the update dialog, or the main window for the automatic update), stopped through the cancel
// counter, reporting only by synchronous messages (update::kNotifyMessage) to that window.
#include <windows.h>

#include <memory>
#include <string>

struct UpdateJob {
    HWND window = nullptr;       // receives the notifications
    std::string programFolder;   // holds update.prm, banner.qbf, STDPLUGS and APPPLUGS
    std::string baseAddress;     // ends with '/'
    std::string settingsPath;    // below HKCU\software: the update's records ("" keeps none)
};

namespace update_worker {

// Starts the worker; false when one is running or the thread could not start. Call it on the
// thread of `job.window`: the running flag is set here, before the worker exists, so two calls
// can never both start one.
[[nodiscard]] bool Start(UpdateJob job);
// Set from Start until the worker has finished its procedure.
[[nodiscard]] bool Running();
// The window the running worker reports to (nullptr when none runs).
[[nodiscard]] HWND Target();
// The stop request: raises the cancel counter and closes the worker's open network handle, so a
// download blocked on a silent server fails at once; the worker ends at its next look at the
// counter. Window thread.
void RequestStop();
// Waits until no worker thread is alive, handling the messages sent to this thread meanwhile (the
// worker may be inside a synchronous send to one of its windows). False on time-out.
bool WaitForEnd(DWORD timeoutMs = INFINITE);

// Whether the message being handled by `window` is a notification of its own running worker: the
// worker reports to it and the message was sent from another thread (a dialog's own DM_SETDEFID,
// the same number, is not).
[[nodiscard]] bool IsOwnNotification(HWND window);
// The name object of code 5: handed over only when `value` is the one the worker is sending right
// now; anything else (a stray message, a message from another process) gives nothing to delete.
[[nodiscard]] std::unique_ptr<std::string> TakeFileName(LPARAM value);

// Most workers ever alive at once in this process (diagnostics for the tests: must stay 1).
[[nodiscard]] int PeakWorkersAlive();

}  // namespace update_worker

// The update base address: the REG_SZ value "UpdateURL" of the settings key when it holds an
// http or https address, else the program's own.
[[nodiscard]] std::string UpdateBaseAddress(const std::string& settingsPath);
