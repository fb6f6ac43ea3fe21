#include "engine/Workers.h"

#include "engine/RegistryWriter.h"
#include "install/PathRules.h"
#include "win/FileStream.h"
#include "win/ComPtr.h"
#include "win/Handles.h"
#include "win/WideText.h"

#include <shlobj.h>

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
    QV::MemoryStream buffer;
    if (!log.Write(buffer)) return false;
    const auto temporary = JoinPath(ParentFolder(path), u"uninst.new");
    if (!temporary) return false;
    {
        QV::FileStream file;
        if (!file.OpenWrite(*temporary)) return false;
        const size_t size = size_t(buffer.Size());
        if (file.Write(buffer.Data(), size) != size || !::FlushFileBuffers(file.Handle())) {
            file.Close();
            ::DeleteFileW(ToWide(*temporary).c_str());
            return false;
        }
    }
    if (!::MoveFileExW(ToWide(*temporary).c_str(), ToWide(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(ToWide(*temporary).c_str());
        return false;
    }
    return true;
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
    if (!IsAbsoluteFolder(folder) || IsDriveRoot(folder)) {
        report.Failed(folder);
    } else {
        LogMissingParents(folder, log);
        const ExtractTexts texts{languages.Text("tOutput"), languages.Text("tExtract")};
        const QV::TreeNode* files = settings.Tree().Child("files");
        QV::TreeNode none("files");
        if (!session.Archive().ExtractFolder(folder, files ? *files : none, texts, settings.Crypt(), report,
                                             update)) {
            report.Failed(folder);
        }
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

    const std::u16string logPath = session.LogPath();
    if (!logPath.empty()) log.AddFile(logPath);
    if (logPath.empty() || !SaveLogAtomically(log, logPath)) {
        ++failures;
        progress.Status(languages.Text("tFailed") + u" " + logPath, false);
    }

    return FinishWork(session, progress, failures, "tFailedInst");
}

}  // namespace setup
