#pragma once
// Drives the real Tracelorn.exe from outside: a program folder of its own, plug-in files written
// byte by byte, the process started and ended, the main window found and its controls used through
// window messages only, the result lines read back from the list.
#include "app/DlgMainIds.h"
#include "support/TempFolder.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// The executable under test: bin\Tracelorn.exe of the build tree.
std::string BuiltCleaner();

// One application plug-in target: all files of `folder` (with a trailing backslash).
void WritePlugin(const std::string& path, const std::string& name, const std::string& folder);

struct Line {
    int kind = -1, state = -1;
    std::string name, files, items, size;
};

// The cleaner's settings key of the build prefix (software\Quorvane\Tracelorn\2.3).
extern const char* const kSettingsKey;
void ResetSettings();  // removes the key and the Run entry, then writes AutoStart 0
void SetSetting(const char* name, DWORD value);
void SetSetting(const char* name, const std::string& value);  // a REG_SZ value
bool ReadSetting(const char* name, DWORD& value);
// Every "Targets" selection to 0, except the names given, which become 1.
void SelectOnly(const std::vector<std::string>& names);

class RunningCleaner {
public:
    // `arguments` follow the program's quoted path on the command line ("-ws").
    explicit RunningCleaner(const std::string& exe, const std::string& arguments = {});
    ~RunningCleaner();  // ends the process if the test did not
    RunningCleaner(const RunningCleaner&) = delete;
    RunningCleaner& operator=(const RunningCleaner&) = delete;

    bool Started() const { return process_ != nullptr; }
    // The main window of this process (shown or not); waits up to `ms`.
    HWND WaitForWindow(DWORD ms = 20000);
    HWND Window() const { return window_; }
    bool WaitForExit(DWORD ms = 20000);
    bool Exited() const;
    DWORD Pid() const { return pid_; }

    void Click(int id);          // BM_CLICK on a control of the main window
    // The same without waiting for the click's handling: for a button that opens a modal dialog.
    void ClickLater(int id);
    void Command(int id);        // WM_COMMAND as the tray menu sends it
    void Exit() { Command(IDC_EXIT); }
    bool IsShown() const { return window_ && ::IsWindowVisible(window_); }
    // Waits until the main window is shown (or hidden); Wine maps a window asynchronously.
    bool WaitUntilShown(bool shown, DWORD ms = 5000) const;
    bool ControlShown(int id) const;

    // A dialog of this process shown with this title (the Options or About dialog); waits up to `ms`.
    HWND WaitForDialog(const char* title, DWORD ms = 10000) const;
    // How many windows of this process carry this title.
    int CountWindows(const char* title) const;

    std::vector<Line> Lines() const;
    // Waits until the run has ended: Scan and Kill shown again and the summary written.
    bool WaitForIdle(DWORD ms = 30000);

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND window_ = nullptr;
};

// The child dialog (a page) of `dialog` that holds control `id`, or none.
HWND PageWith(HWND dialog, int id);
// Waits up to `ms` until `done` holds, looking every 50 ms; false when it never did.
bool WaitFor(const std::function<bool()>& done, DWORD ms = 10000);
// Waits until `window` is destroyed.
bool WaitGone(HWND window, DWORD ms = 10000);
// Waits until the page is shown (Options switches pages by showing and hiding them).
bool WaitShown(HWND window, DWORD ms = 5000);
// The Run entry of the cleaner ("TL21"); false when absent.
bool ReadRunEntry(std::string& command);
// Writes config.cfg with these totals.
void WriteTotals(const std::string& programFolder, uint32_t files, uint32_t items, uint64_t bytes);

// Top-level windows of a process.
std::vector<HWND> WindowsOf(DWORD pid);

// config.cfg: the totals since installation (files, items, bytes); false when absent or short.
bool ReadTotals(const std::string& programFolder, uint32_t& files, uint32_t& items, uint64_t& bytes);

}  // namespace e2e
