#include "engine/SetupSession.h"

#include "archive/Trailer.h"
#include "config/StartLanguage.h"
#include "install/PathRules.h"
#include "install/Version.h"
#include "win/FileStream.h"
#include "win/InstallFolder.h"
#include "win/Registry.h"
#include "win/TreeFile.h"
#include "win/WideText.h"

#include <shlobj.h>

namespace setup {

namespace {

std::u16string ShellFolder(int csidl) {
    wchar_t path[MAX_PATH];
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::u16string();
    return FromWide(path);
}

}  // namespace

std::u16string FolderOf(const std::u16string& path) { return ParentFolder(path); }

int32_t ReadStartMarker(const std::u16string& programPath) {
    QV::FileStream file;
    if (!file.OpenRead(programPath)) return 0;
    ZipReader reader;
    if (!reader.Open(file)) return 0;
    const auto trailer = ReadTrailer(file);
    return trailer ? trailer->startMarker : 0;
}

bool SetupSession::Load(const std::u16string& programPath, SetupMode mode, const std::u16string& uninstallSource) {
    Close();
    programPath_ = programPath;
    mode_ = mode;
    uninstallSource_ = uninstallSource;
    own_.Reset(::CreateFileW(ToWide(programPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    fromArchive_ = own_.Valid() && archive_.Open(own_.Get());
    if (!(fromArchive_ ? LoadFromArchive() : LoadFromProject())) return false;

    settings_.ApplyTo(languages_);
    if (mode_ == SetupMode::Uninstall) {
        SetInstallFolder(TrimSeparators(uninstallSource_));
    } else {
        SetInstallFolder(TrimSeparators(ProposedInstallFolder(settings_, languages_.Macros())));
    }
    (void)SelectStartLanguageFromRegistry(languages_, settings_);
    FinishStartLanguage(languages_);
    installedVersion_ = ReadProductValue(settings_, languages_.Macros(), u"Version").value_or(InstallSettings::kDefaultVersion);
    PrepareLog();
    return true;
}

bool SetupSession::LoadFromArchive() {
    QV::TreeNode language, settings;
    (void)archive_.LoadTree(u"lng.lngp", language);
    (void)archive_.LoadTree(u"res.qvdt", skin_);
    if (!archive_.LoadTree(u"set.qvdt", settings)) return false;
    languages_.Load(language);
    settings_.Load(settings);
    QV::FileStream file;
    file.Attach(own_.Get());
    if (const auto trailer = ReadTrailer(file)) (void)ReadExtensionTree(file, *trailer, extension_);
    return true;
}

bool SetupSession::LoadFromProject() {
    // Development: loose trees beside the program, and nothing to uninstall from a copy.
    if (mode_ == SetupMode::Uninstall) mode_ = SetupMode::Install;
    const auto project = JoinPath(FolderOf(programPath_), u"Project");
    if (!project) return false;
    QV::TreeNode language, settings;
    (void)LoadTreeFile(*JoinPath(*project, u"res.qvdt"), skin_);
    (void)LoadTreeFile(*JoinPath(*project, u"lng.lngp"), language);
    if (!LoadTreeFile(*JoinPath(*project, u"set.qvdt"), settings)) return false;
    (void)LoadTreeFile(*JoinPath(*project, u"ext.qvdt"), extension_);
    languages_.Load(language);
    settings_.Load(settings);
    return true;
}

void SetupSession::PrepareLog() {
    log_.Reset();
    logLoaded_ = false;
    components_.clear();
    if (mode_ == SetupMode::Uninstall || mode_ == SetupMode::Update) {
        QV::FileStream file;
        const auto path = LogPath();
        logLoaded_ = !path.empty() && file.OpenRead(path) && log_.Read(file);
        if (!logLoaded_) log_.Reset();
        return;
    }
    components_.push_back(std::make_unique<CMainComponent>(settings_.FileSize()));
    if (settings_.Tree().Child("cds")) components_.push_back(std::make_unique<CDesctopShortcutComponent>(DesktopFolder()));
    if (settings_.Tree().Child("cp")) components_.push_back(std::make_unique<CProgramsComponent>(ProgramsFolder()));
}

void SetupSession::Close() {
    archive_.Close();
    own_.Reset();
    components_.clear();
}

void SetupSession::SetInstallFolder(const std::u16string& folder) {
    installFolder_ = TrimSeparators(folder);
    languages_.SetMacro(u"#InstallDir#", installFolder_);
    // An update extends the log of the folder it updates.
    if (mode_ == SetupMode::Update && !programPath_.empty()) PrepareLog();
}

std::u16string SetupSession::LogPath() const {
    if (installFolder_.empty()) return std::u16string();
    return JoinPath(installFolder_, kLogName).value_or(std::u16string());
}

bool SetupSession::IsNewerThanInstalled() const { return CompareVersions(settings_.Version(), installedVersion_) > 0; }

std::u16string SetupSession::DesktopFolder() const {
    return ShellFolder(settings_.UserOnly() ? CSIDL_DESKTOPDIRECTORY : CSIDL_COMMON_DESKTOPDIRECTORY);
}

std::u16string SetupSession::ProgramsFolder() const {
    return ShellFolder(settings_.UserOnly() ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS);
}

}  // namespace setup
