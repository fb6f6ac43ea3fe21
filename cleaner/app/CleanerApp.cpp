#include "app/CleanerApp.h"

#include "app/CommandLine.h"
#include "app/DlgMain.h"
#include "app/SingleInstance.h"
#include "engine/Checkpoint.h"
#include "engine/ExcludeStore.h"
#include "targets/PolicyReader.h"
#include "engine/Win32VolumeMedia.h"
#include "platform/ProgramFolder.h"
#include "targets/CleanerCatalog.h"

#include <commctrl.h>
#include <objbase.h>

#include <utility>

namespace {
CCleanerApp* g_app = nullptr;

// The stored custom targets could not all be read: the next save keeps the file first.
constexpr const char* kCustomTargetsUnreadNotice =
    "Some of your custom targets could not be read from CustomTargets.tgs. The file is kept as "
    "CustomTargets.tgs.bak before your custom targets are saved again.";
}

CCleanerApp::CCleanerApp() {
    comInitialised_ = SUCCEEDED(::CoInitialize(nullptr));
    g_app = this;
    exclude_store::InstallLoader(&LoadRunExcludes);
    Win32VolumeMediaQuery::Install();
}

CCleanerApp::~CCleanerApp() {
    if (g_app == this) g_app = nullptr;
    if (comInitialised_) ::CoUninitialize();
}

CCleanerApp* CCleanerApp::Current() { return g_app; }

int CCleanerApp::Run(const std::vector<std::string>& arguments) {
    const std::string executable = ExecutablePath();
    if (executable.empty()) {
        // Without its folder every file beside the program would be looked for at a drive root.
        ::MessageBoxA(nullptr,
                      "Tracelorn cannot start from this folder because its path is too long. "
                      "Move Tracelorn to a folder with a shorter path.",
                      kName, MB_OK | MB_ICONERROR);
        return 1;
    }
    SingleInstance instance(executable);
    if (!instance.Acquired()) return 0;  // another copy of this path runs: end silently

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    const std::string folder = ExecutableFolder();
    helpFile_ = folder + "\\Tracelorn.chm";
    {
        CleanerCatalog catalog(kSettingsPath, folder);
        startedAtWindowsStart_ = IsWindowsStartSwitch(arguments);
        CDlgMain::Options options{helpFile_, folder, [&catalog] { catalog.SaveAll(); },
                                  [&catalog] { catalog.CustomTargetsChanged(); }, {}};
        if (catalog.CustomTargets().LoadWasIncomplete()) options.startNotice = kCustomTargetsUnreadNotice;
        CDlgMain window(catalog.Get(), std::move(options));
        window.RunModal(catalog.Get().Settings().showMainWnd);
        // The window and its worker are gone here; the catalogue is stored as it goes.
    }
    return 0;
}
