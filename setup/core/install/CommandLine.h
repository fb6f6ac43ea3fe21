#pragma once
// The setup program's command line. Without "/S" only the exact text "update" means anything (the
// update mode the cleaner starts); everything else starts the wizard, as it always did. With "/S"
// the switches are read strictly:
//   [update] /S [/NOSHORTCUTS] [/NOLAUNCH] [/LOG=<file>] [/D=<folder>]
// "/D=" takes the rest of the line as the folder, unquoted, so it comes last and may hold spaces;
// "/LOG=" takes the text up to the next space, or a quoted text. Switch names ignore ASCII case.
#include <string>

namespace setup {

struct SetupCommand {
    bool silent = false;
    bool update = false;
    bool noShortcuts = false;
    bool noLaunch = false;
    std::u16string folder;   // "/D=", or for the uninstaller's copy the folder it removes
    std::u16string logPath;  // "/LOG="
    bool valid = true;
    std::u16string error;    // the part that could not be read
};

// `restIsFolder`: the uninstaller's temporary copy, whose tail is its switches followed by the
// folder of the stored uninstaller (taken whole, as "/D=" is).
SetupCommand ParseSetupCommand(const std::u16string& tail, bool restIsFolder = false);

// The copy's tail: the silent switches the stored uninstaller was given, then the folder.
std::u16string UninstallCopyTail(const SetupCommand& command, const std::u16string& folder);

}  // namespace setup
