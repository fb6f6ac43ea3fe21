#pragma once
// Drives the setup program's windows from outside, as a user would: find a window by its caption,
// press its buttons (posted, so a question box it opens does not block the test), read control
// texts, wait for states, and save a picture of a window.
#include "win/Handles.h"

#include <windows.h>

#include <functional>
#include <string>

namespace wizard_test {

// The first visible top-level window with this caption (and of this class when given).
HWND FindTop(const std::wstring& caption, const wchar_t* className = nullptr, HWND except = nullptr);
// Polls `condition` until it holds or `ms` have passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD ms = 20000);
HWND WaitForTop(const std::wstring& caption, DWORD ms = 20000, const wchar_t* className = nullptr, HWND except = nullptr);

// Presses a button of the window by its id, as a click does.
void Press(HWND window, int id);
std::wstring Text(HWND control);
std::wstring ItemText(HWND window, int id);
// Waits until the control's text is `text` (the wizard's buttons change caption page by page).
bool WaitForItemText(HWND window, int id, const std::wstring& text, DWORD ms = 20000);
bool ItemEnabled(HWND window, int id);
// The first visible descendant with this id (the pages are child dialogs of the main window).
HWND FindDescendant(HWND window, int id);

// Saves what the window shows as a 24-bit BMP file.
bool SaveWindowPicture(HWND window, const std::wstring& path);

// A started process, ended by force if it still runs when the test leaves (a failed check must not
// leave a window behind for the next test).
class Process {
public:
    Process() = default;
    explicit Process(HANDLE process) : process_(process) {}
    ~Process() { End(); }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    HANDLE Get() const { return process_.Get(); }
    explicit operator bool() const { return process_.Valid(); }
    void End() {
        if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(process_.Get(), 99);
        process_.Reset();
    }

private:
    setup::KernelHandle process_;
};

// Starts a program with its command line; returns its process (and id).
HANDLE Start(const std::wstring& commandLine, DWORD* pid = nullptr);
DWORD ExitCode(HANDLE process, DWORD ms = 60000);
// Waits for every process whose executable name starts with one of the prefixes (case ignored).
void WaitForProcesses(const std::initializer_list<const wchar_t*>& prefixes, DWORD ms = 60000);
DWORD FindProcess(const wchar_t* exeName);
// Ends whatever a failed test left running of the programs under test (this prefix is the tests'
// own): the setup program, its uninstaller copies and the cleaner.
void EndStrayProcesses();
HWND FindProcessWindow(DWORD pid);

}  // namespace wizard_test
