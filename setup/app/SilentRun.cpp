#include "app/SilentRun.h"

#include "config/Text.h"
#include "engine/FolderCheck.h"
#include "engine/Workers.h"
#include "install/PathRules.h"
#include "win/WideText.h"

#include <shellapi.h>

namespace setup {

namespace {

constexpr wchar_t kMutexName[] = L"Local\\Quorvane.Tracelorn.Setup";

}  // namespace

SetupMutex::SetupMutex() : mutex_(::CreateMutexW(nullptr, FALSE, kMutexName)) {
    busy_ = mutex_ && ::GetLastError() == ERROR_ALREADY_EXISTS;
}

ProgressLog::ProgressLog(const std::u16string& path) {
    if (path.empty()) return;
    file_.Reset(::CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    ok_ = file_.Valid();
}

void ProgressLog::Line(const std::u16string& line) {
    if (!file_) return;
    const std::string bytes = U16ToUtf8(line) + "\r\n";
    DWORD written = 0;
    ::WriteFile(file_.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

std::u16string AbsolutePath(const std::u16string& path) {
    wchar_t full[kMaxPath];
    const DWORD n = ::GetFullPathNameW(ToWide(path).c_str(), kMaxPath, full, nullptr);
    return n && n < kMaxPath ? FromWide(full) : path;
}

void LaunchInstalled(const SetupSession& session) {
    const auto target = JoinPath(session.InstallFolder(), session.Settings().Launch());
    if (!target || session.Settings().Launch().empty()) return;
    ::ShellExecuteW(nullptr, nullptr, ToWide(*target).c_str(), nullptr, ToWide(session.InstallFolder()).c_str(),
                    SW_SHOWNORMAL);
}

int RunSilent(SetupMode mode, const std::u16string& programPath, const std::u16string& source,
              const SetupCommand& command, std::u16string& deferred, std::vector<std::u16string>& foldersLeft) {
    ProgressLog log(command.logPath);
    if (!log.Ok()) return kExitFailed;
    SetupSession session;
    if (!session.Load(programPath, mode, source)) {
        log.Line(u"Error loading installer data");
        return kExitFailed;
    }
    const LanguageSet& languages = session.Languages();
    const SetupMutex mutex;
    if (mutex.Busy()) {
        log.Line(languages.Text("tRunning"));
        return kExitBusy;
    }

    if (session.Mode() == SetupMode::Uninstall) {
        // The stored uninstaller waits for this copy's result, so its file is still in use.
        session.deferredFile = JoinPath(session.InstallFolder(), u"Uninst.exe").value_or(std::u16string());
        const WorkResult result = RunUninstallation(session, log);
        deferred = session.deferredFile;
        foldersLeft = session.foldersLeft;
        return result == WorkResult::Completed ? kExitSuccess : kExitFailed;
    }

    if (!session.IsNewerThanInstalled()) {
        log.Line(languages.Text("tOldVer"));
        return kExitNotNewer;
    }
    if (!command.folder.empty()) session.SetInstallFolder(TrimSeparators(command.folder));
    const std::u16string folder = session.InstallFolder();
    const FolderCheck check = CheckInstallFolder(session.Settings(), folder);
    if (check.verdict == FolderVerdict::Unusable) {
        log.Line(languages.Text("tBadFolder") + u" " + folder);
        return kExitFailed;
    }
    // An update goes into our own installation, where each file is checked as it is replaced.
    if (check.verdict == FolderVerdict::NotOurs && session.Mode() == SetupMode::Install) {
        log.Line(languages.Text("tNotOurs") + u" " + JoinPath(folder, check.foreign).value_or(check.foreign));
        return kExitFailed;
    }
    for (auto& component : session.Components()) {
        if (command.noShortcuts && component->Id() != "CM") component->SetSelected(false);
    }
    const WorkResult result = RunInstallation(session, log);
    const bool ok = result == WorkResult::Completed && !session.failed;
    session.Close();
    // Only an update starts the program again (the one it replaced was running); an installation
    // made without a window starts nothing the user would see.
    if (ok && session.Mode() == SetupMode::Update && !command.noLaunch) LaunchInstalled(session);
    return ok ? kExitSuccess : kExitFailed;
}

}  // namespace setup
