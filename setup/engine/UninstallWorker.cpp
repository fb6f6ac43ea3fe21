#include "engine/Workers.h"

#include "engine/RegistryWriter.h"
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
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(wide.c_str()) || !Exists(path);
}

// The files a pattern of the product's own files names ("STDPLUGS\*.tlp"), never folders.
std::vector<std::u16string> MatchingFiles(const std::u16string& pattern) {
    std::vector<std::u16string> files;
    const std::u16string folder = ParentFolder(pattern);
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileW(ToWide(pattern).c_str(), &data));
    if (!find) return files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (auto path = JoinPath(folder, FromWide(data.cFileName))) files.push_back(*path);
    } while (::FindNextFileW(find.Get(), &data));
    return files;
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

    const UninstallScope scope{session.InstallFolder(), session.DesktopFolder(), session.ProgramsFolder()};
    const UninstallPlan plan = PlanUninstall(session.Log(), scope, session.Settings(), languages.Macros());
    std::vector<std::u16string> files = plan.files;
    for (const std::u16string& pattern : plan.productFiles) {
        for (const std::u16string& file : MatchingFiles(pattern)) files.push_back(file);
    }
    progress.SetRange(uint32_t(files.size() + plan.folders.size() + 1));

    const std::u16string deleteFile = languages.Text("tDelFile");
    for (const std::u16string& file : files) {
        progress.Status(deleteFile + u" " + file, true);
        if (!DeleteOneFile(file)) fail(file);
    }
    const std::u16string deleteFolder = languages.Text("tDelDir");
    for (const std::u16string& folder : plan.folders) {
        progress.Status(deleteFolder + u" " + folder, true);
        // A folder that still holds something of the user's stays.
        ::RemoveDirectoryW(ToWide(folder).c_str());
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
