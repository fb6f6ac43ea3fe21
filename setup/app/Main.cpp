// The setup program's entry: one executable that installs, updates or uninstalls, told apart by
// the start marker at the end of its own file and by its command line.
#include "archive/Trailer.h"
#include "engine/Relaunch.h"
#include "engine/SetupSession.h"
#include "engine/Workers.h"
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

// The exit steps' final launch: only after a complete installation.
void LaunchInstalled(const SetupSession& session) {
    const auto target = JoinPath(session.InstallFolder(), session.Settings().Launch());
    if (!target || session.Settings().Launch().empty()) return;
    ::ShellExecuteW(nullptr, nullptr, ToWide(*target).c_str(), nullptr, ToWide(session.InstallFolder()).c_str(),
                    SW_SHOWNORMAL);
}

int RunSetup(SetupMode mode, const std::u16string& programPath, const std::u16string& source) {
    SetupSession session;
    if (!session.Load(programPath, mode, source)) {
        ::MessageBoxW(nullptr, L"Error loading installer data", kCaption, MB_OK | MB_ICONERROR);
        return kExitFailed;
    }
    const LanguageSet& languages = session.Languages();
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
        std::u16string error;
        if (RelaunchFromTemporaryCopy(programPath, error)) return kExitSuccess;
        const std::wstring text = L"Error launching uninstaller: " + ToWide(error);
        ::MessageBoxW(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
        return kExitFailed;
    }
    SetupMode mode = SetupMode::Install;
    std::u16string source;
    if (marker == Trailer::kUninstallerCopy) {
        if (tail.empty() || !IsUsableSourceFolder(tail)) {
            ::MessageBoxW(nullptr, L"Error launching installer", kCaption, MB_OK);
            return kExitFailed;
        }
        mode = SetupMode::Uninstall;
        source = TrimSeparators(tail) + u"\\";
    } else if (tail == u"update") {
        mode = SetupMode::Update;
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
