#pragma once
// The uninstaller's way out of its own folder: the stored Uninst.exe (start marker 1) copies itself
// into the temporary folder, marks the copy with 2 and starts it with its folder; the copy removes
// the installation and finally leaves a batch file behind that deletes it once it has ended.
#include <string>
#include <vector>

#include <windows.h>

namespace setup {

// Starts the temporary copy with `copyTail` (the folder, after any silent switches). On failure
// the copy is removed again and `error` says what failed. With `exitCode` it waits for the copy
// and passes on its exit code (a silent uninstallation's result reaches whoever started it);
// the copy then leaves this program's file to its batch, since it is still running.
[[nodiscard]] bool RelaunchFromTemporaryCopy(const std::u16string& programPath, const std::u16string& copyTail,
                                             std::u16string& error, DWORD* exitCode = nullptr);

// The command-line tail the copy was given is the folder of the stored uninstaller: false when it
// is no usable absolute folder.
[[nodiscard]] bool IsUsableSourceFolder(const std::u16string& folder);

// Waits (bounded) for the process that started this one to end, so that the stored uninstaller is
// no longer running when its file is deleted.
void WaitForLauncher();

// Writes and starts, hidden, the batch file that deletes `programPath` once it is free; with
// `deferred`, that file too, and then the `folders` that are empty by then.
[[nodiscard]] bool StartSelfDelete(const std::u16string& programPath, const std::u16string& deferred = std::u16string(),
                                   const std::vector<std::u16string>& folders = {});

}  // namespace setup
