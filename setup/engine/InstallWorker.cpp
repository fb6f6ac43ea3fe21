#include "engine/Workers.h"

#include "engine/FolderCheck.h"
#include "engine/RegistryWriter.h"
#include "engine/StagedFiles.h"
#include "install/PathRules.h"
#include "win/FileStream.h"
#include "win/ComPtr.h"
#include "win/Handles.h"
#include "win/WideText.h"

#include <shlobj.h>

#include <algorithm>

namespace setup {

namespace {

bool FolderExists(const std::u16string& folder) {
    const DWORD attributes = ::GetFileAttributesW(ToWide(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Feeds the extraction's reports into the log and the progress, counting what failed.
class ExtractLog : public ExtractReport {
public:
    ExtractLog(UninstallLog& log, Progress& progress, const LanguageSet& languages)
        : log_(log), progress_(progress), failedText_(languages.Text("tFailed")) {}
    void Status(const std::u16string& text, bool step) override { progress_.Status(text, step); }
    void LogFolder(const std::u16string& folder) override { log_.AddFolder(folder); }
    void LogFile(const std::u16string& file) override { log_.AddFile(file); }
    void Failed(const std::u16string& what) override {
        ++failures;
        progress_.Status(failedText_ + u" " + what, false);
    }
    int failures = 0;

private:
    UninstallLog& log_;
    Progress& progress_;
    std::u16string failedText_;
};

// Logs each parent of the installation folder that the installation is about to create, outermost
// first, so the uninstaller can remove them again when they are empty.
void LogMissingParents(const std::u16string& folder, UninstallLog& log) {
    std::vector<std::u16string> missing;
    for (std::u16string parent = ParentFolder(folder); !parent.empty() && !IsDriveRoot(parent);
         parent = ParentFolder(parent)) {
        if (FolderExists(parent)) break;
        missing.push_back(parent);
        if (ParentFolder(parent) == parent) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) log.AddFolder(*it);
}

}  // namespace

bool SaveLogAtomically(const UninstallLog& log, const std::u16string& path) {
    const auto temporary = JoinPath(ParentFolder(path), u"uninst.new");
    return temporary && SaveTreeAtomically(log.Tree(), path, *temporary);
}

WorkResult RunInstallation(SetupSession& session, Progress& progress) {
    session.busy = true;
    // Shortcuts are COM objects; this thread gets its own apartment.
    ComApartment com(COINIT_APARTMENTTHREADED);
    const InstallSettings& settings = session.Settings();
    const LanguageSet& languages = session.Languages();
    const bool update = session.Mode() == SetupMode::Update;
    UninstallLog& log = session.Log();
    const std::u16string folder = session.InstallFolder();
    progress.SetRange(settings.FileCount() + 1);

    ExtractLog report(log, progress, languages);
    const auto stop = [&](const std::u16string& line) {
        progress.Status(line, false);
        return FinishWork(session, progress, std::max(report.failures, 1), "tFailedInst");
    };
    if (!IsAbsoluteFolder(folder) || IsDriveRoot(folder)) return stop(languages.Text("tFailed") + u" " + folder);
    // What an earlier run left half done is finished or undone before anything else is written.
    std::u16string unsettled;
    if (!SettleInterruptedUpdate(folder, unsettled)) return stop(languages.Text("tFailed") + u" " + unsettled);

    // The folder is ours only through the log an earlier installation left there; an update
    // extends the log it loaded, an installation takes over what the earlier log listed.
    UninstallLog found;
    const UninstallLog* earlier = update ? (session.LogLoaded() ? &log : nullptr)
                                         : (ReadFolderLog(folder, found) ? &found : nullptr);
    const OwnershipRules ours = FolderRules(settings, folder, earlier);
    if (!update) {
        if (const auto foreign = FindForeignFile(ours)) {
            return stop(languages.Text("tNotOurs") + u" " + folder + u"\\" + *foreign);
        }
        if (earlier) log.MergeFrom(found);
    }
    RecordKeptFiles(settings, folder, log);
    LogMissingParents(folder, log);

    const ExtractTexts texts{languages.Text("tOutput"), languages.Text("tExtract")};
    const QV::TreeNode* list = settings.Tree().Child("files");
    QV::TreeNode none("files");
    StagedFiles files(session.Archive(), folder, texts, settings.Crypt(), ours, report);
    const std::u16string logPath = session.LogPath();
    if (!session.Archive().IsOpen()) {
        report.Failed(folder);
    } else if (files.Stage(list ? *list : none)) {
        // Every file of ours is listed before the first old one is replaced.
        log.AddFile(logPath);
        if (!SaveLogAtomically(log, logPath)) report.Failed(logPath);
        // A replacement that failed (a program file in use) leaves the journal for the next run,
        // which needs the old version still registered to run at all.
        if (!files.Commit(settings.Exe())) return stop(languages.Text("tFailed") + u" " + folder);
    }
    int failures = report.failures;

    InstallContext context{settings, languages, folder, log, progress};
    for (auto& component : session.Components()) {
        if (component->Selected()) component->Install(context);
    }
    failures += context.failures;

    const MacroTable& macros = languages.Macros();
    if (!update) failures += WriteRegistryKeys(ReadRegistryKeys(session.Extension().Child("reg")), macros, nullptr);
    std::vector<RegKeySpec> keys;
    const RegKeySpec* entry = settings.UninstallEntryKey();
    for (const RegKeySpec& key : settings.RegistryKeys()) {
        if (&key != entry) keys.push_back(key);
    }
    failures += WriteRegistryKeys(keys, macros, &log);
    // Only a complete installation is offered for uninstallation in the system's list.
    if (failures == 0 && entry) failures += WriteRegistryKeys({*entry}, macros, &log);

    if (!logPath.empty()) log.AddFile(logPath);
    if (logPath.empty() || !SaveLogAtomically(log, logPath)) {
        ++failures;
        progress.Status(languages.Text("tFailed") + u" " + logPath, false);
    }

    return FinishWork(session, progress, failures, "tFailedInst");
}

}  // namespace setup
