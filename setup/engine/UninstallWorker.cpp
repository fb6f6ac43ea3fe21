#include "engine/Workers.h"

#include "engine/FolderCheck.h"
#include "engine/RegistryWriter.h"
#include "engine/StagedFiles.h"
#include "install/PathRules.h"
#include "install/UninstallPlan.h"
#include "win/Handles.h"
#include "win/WideText.h"

namespace setup {

namespace {

bool Exists(const std::u16string& path) { return ::GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// False only when the file is there and stays there.
bool DeleteOneFile(const std::u16string& path) {
    const std::wstring wide = ToWide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    // A folder where the log names a file is not what the installation made: it stays.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(wide.c_str()) || !Exists(path);
}

}  // namespace

WorkResult RunUninstallation(SetupSession& session, Progress& progress) {
    session.busy = true;
    const LanguageSet& languages = session.Languages();
    int failures = 0;
    const auto fail = [&](const std::u16string& what) {
        ++failures;
        progress.Status(languages.Text("tFailed") + u" " + what, false);
    };

    if (!session.LogLoaded()) {
        // Without the log nothing is known to be ours: remove nothing, not even registry keys.
        progress.SetRange(1);
        progress.Status(languages.Text("tNoLog") + u" " + session.LogPath(), true);
        return EndWork(session, progress, WorkResult::Failed);
    }

    // A replacement of the program's files that was cut off leaves staged files the log does not
    // name: they go first.
    std::u16string unsettled;
    if (!SettleInterruptedUpdate(session.InstallFolder(), unsettled, true)) fail(unsettled);

    const UninstallScope scope{session.InstallFolder(), session.DesktopFolder(), session.ProgramsFolder()};
    const UninstallPlan plan = PlanUninstall(session.Log(), scope, session.Settings(), languages.Macros());
    std::vector<std::u16string> files = plan.files;
    // The product's own names only where the installation recorded whose they are: those that
    // were already there when it came are the user's.
    const UninstallLog& log = session.Log();
    if (log.HasKeptRecord()) {
        const std::vector<std::u16string> kept = log.Kept();
        const auto isKept = [&](const std::u16string& file) {
            for (const std::u16string& k : kept) {
                if (SamePath(k, file)) return true;
            }
            return false;
        };
        for (const std::u16string& pattern : plan.productFiles) {
            for (const std::u16string& file : MatchingFiles(pattern)) {
                if (!isKept(file)) files.push_back(file);
            }
        }
    }
    progress.SetRange(uint32_t(files.size() + plan.folders.size() + 1));

    const std::u16string deleteFile = languages.Text("tDelFile");
    for (const std::u16string& file : files) {
        progress.Status(deleteFile + u" " + file, true);
        // The stored uninstaller that waits for this copy is deleted by the batch once it ends.
        if (!DeleteOneFile(file) && !(SamePath(file, session.deferredFile) && !file.empty())) fail(file);
    }
    const std::u16string deleteFolder = languages.Text("tDelDir");
    for (const std::u16string& folder : plan.folders) {
        progress.Status(deleteFolder + u" " + folder, true);
        // A folder that still holds something of the user's stays.
        if (!::RemoveDirectoryW(ToWide(folder).c_str()) && Exists(folder)) session.foldersLeft.push_back(folder);
    }

    for (const RegValueRef& value : plan.values) {
        if (!DeleteRegistryValue(value.root, value.key, value.name)) fail(value.key + u"\\" + value.name);
    }
    for (const RegKeyRef& key : plan.trees) {
        if (!DeleteRegistryTree(key.root, key.key)) fail(key.key);
    }
    for (const RegKeyRef& key : plan.createdKeys) {
        for (const std::u16string& value : key.values) {
            if (!DeleteRegistryValue(key.root, key.key, value)) fail(key.key + u"\\" + value);
        }
        if (!DeleteRegistryKeyIfEmpty(key.root, key.key)) fail(key.key);
    }

    // Removed desktop shortcuts disappear from the desktop at once.
    ::InvalidateRect(::GetDesktopWindow(), nullptr, FALSE);
    return FinishWork(session, progress, failures, "tFailedUninst");
}

}  // namespace setup
