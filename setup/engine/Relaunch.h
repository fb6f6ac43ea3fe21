#pragma once
// The uninstaller's way out of its own folder: the stored Uninst.exe (start marker 1) copies itself
// into the temporary folder, marks the copy with 2 and starts it with its folder; the copy removes
// the installation and finally leaves a batch file behind that deletes it once it has ended.
#include <string>

namespace setup {

// Starts the temporary copy. On failure the copy is removed again and `error` says what failed.
[[nodiscard]] bool RelaunchFromTemporaryCopy(const std::u16string& programPath, std::u16string& error);

// The command-line tail the copy was given is the folder of the stored uninstaller: false when it
// is no usable absolute folder.
[[nodiscard]] bool IsUsableSourceFolder(const std::u16string& folder);

// Waits (bounded) for the process that started this one to end, so that the stored uninstaller is
// no longer running when its file is deleted.
void WaitForLauncher();

// Writes and starts, hidden, the batch file that deletes `programPath` once it is free.
[[nodiscard]] bool StartSelfDelete(const std::u16string& programPath);

}  // namespace setup
