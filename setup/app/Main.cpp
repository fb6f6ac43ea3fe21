// The setup program's entry: one executable that installs, updates or uninstalls, told apart by
// the start marker at the end of its own file and by its command line.
#include "app/SilentRun.h"
#include "archive/Trailer.h"
#include "engine/Relaunch.h"
#include "engine/SetupSession.h"
#include "engine/Workers.h"
#include "install/CommandLine.h"
#include "install/PathRules.h"
#include "win/Handles.h"
#include "win/Skin.h"
#include "win/WideText.h"
#include "wizard/MainDlg.h"
#include "wizard/UpdateDlg.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlwapi.h>

namespace {

using namespace setup;

constexpr wchar_t kCaption[] = L"QVIS";

std::u16string OwnPath() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return n && n < MAX_PATH ? FromWide(path) : std::u16string();
}

// The whole text after the program name, unparsed.
std::u16string CommandTail() {
    const wchar_t* args = ::PathGetArgsW(::GetCommandLineW());
    std::u16string tail = args ? FromWide(args) : std::u16string();
    while (!tail.empty() && tail.front() == u' ') tail.erase(tail.begin());
    return tail;
}

int RunSetup(SetupMode mode, const std::u16string& programPath, const std::u16string& source) {
    SetupSession session;
    if (!session.Load(programPath, mode, source)) {
        ::MessageBoxW(nullptr, L"Error loading installer data", kCaption, MB_OK | MB_ICONERROR);
        return kExitFailed;
    }
    const LanguageSet& languages = session.Languages();
    const SetupMutex mutex;
    if (mutex.Busy()) {
        ::MessageBoxW(nullptr, ToWide(languages.Text("tRunning")).c_str(), ToWide(languages.Text("title")).c_str(),
                      MB_OK | MB_ICONERROR);
        return kExitBusy;
    }
    if (session.Mode() != SetupMode::Uninstall && !session.IsNewerThanInstalled()) {
        ::MessageBoxW(nullptr, ToWide(languages.Text("tOldVer")).c_str(), ToWide(languages.Text("title")).c_str(),
                      MB_OK | MB_ICONERROR);
        return kExitSuccess;
    }
    if (session.Mode() == SetupMode::Uninstall) {
        // The stored uninstaller must have ended before its file is deleted.
        WaitForLauncher();
    }
    GdiplusSession gdiplus;
    Skin skin;
    skin.Load(session.SkinTree());
    // The licence page's rich edit control lives in this library.
    const ModuleHandle richEdit(::LoadLibraryW(L"RICHED20.DLL"));
    int code = kExitFailed;
    if (session.Mode() == SetupMode::Update) {
        CUpdateDlg dialog(session);
        code = dialog.Run();
    } else {
        CMainDlg wizard(session, skin);
        code = wizard.Run();
    }
    const bool install = session.Mode() != SetupMode::Uninstall;
    session.Close();
    if (install && session.completed && !session.failed && session.launch) LaunchInstalled(session);
    return code;
}

int Main() {
    const std::u16string programPath = OwnPath();
    if (programPath.empty()) return kExitFailed;
    const int32_t marker = ReadStartMarker(programPath);
    const std::u16string tail = CommandTail();

    if (marker == Trailer::kUninstaller) {
        const SetupCommand command = ParseSetupCommand(tail);
        if (command.silent && !command.valid) return kExitFailed;
        SetupCommand forCopy = command;
        if (!forCopy.logPath.empty()) forCopy.logPath = AbsolutePath(forCopy.logPath);
        const std::u16string copyTail = UninstallCopyTail(forCopy, ParentFolder(programPath));
        std::u16string error;
        DWORD code = kExitSuccess;
        if (RelaunchFromTemporaryCopy(programPath, copyTail, error, command.silent ? &code : nullptr)) return int(code);
        if (command.silent) return kExitFailed;
        const std::wstring text = L"Error launching uninstaller: " + ToWide(error);
        ::MessageBoxW(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
        return kExitFailed;
    }
    SetupMode mode = SetupMode::Install;
    std::u16string source;
    const bool copy = marker == Trailer::kUninstallerCopy;
    const SetupCommand command = ParseSetupCommand(tail, copy);
    // A silent line that does not read must not open a window either.
    if (command.silent && !command.valid) return kExitFailed;
    if (copy) {
        if (command.folder.empty() || !IsUsableSourceFolder(command.folder)) {
            if (command.silent) return kExitFailed;
            ::MessageBoxW(nullptr, L"Error launching installer", kCaption, MB_OK);
            return kExitFailed;
        }
        mode = SetupMode::Uninstall;
        source = TrimSeparators(command.folder) + u"\\";
    } else if (command.update) {
        mode = SetupMode::Update;
    }

    if (command.silent) {
        // No window, no message: the same workers on this thread, with a log for the progress.
        std::u16string deferred;
        std::vector<std::u16string> foldersLeft;
        const int code = RunSilent(mode, programPath, source, command, deferred, foldersLeft);
        if (mode == SetupMode::Uninstall) (void)StartSelfDelete(programPath, deferred, foldersLeft);
        return code;
    }

    // The window thread is apartment-threaded: the folder browser and the rich edit need it.
    const bool ole = SUCCEEDED(::OleInitialize(nullptr));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const int code = RunSetup(mode, programPath, source);
    if (ole) ::OleUninitialize();
    if (mode == SetupMode::Uninstall) (void)StartSelfDelete(programPath);
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        return Main();
    } catch (...) {
        return kExitFailed;
    }
}
