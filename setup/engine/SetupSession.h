#pragma once
// Everything one run of the setup program knows: its own file and archive, the mode, the settings,
// language and skin trees, the extension tree, the installation folder, the installed version, the
// components and the uninstall log. Start-up loads it once; the workers and the windows share it.
#include "config/InstallSettings.h"
#include "config/LanguageSet.h"
#include "engine/Components.h"
#include "install/UninstallLog.h"
#include "win/Handles.h"
#include "win/ZipArchive.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace setup {

enum class SetupMode { Install, Update, Uninstall };

class SetupSession {
public:
    static constexpr const char16_t* kLogName = u"uninst.dat";

    SetupSession() = default;
    ~SetupSession() { Close(); }
    SetupSession(const SetupSession&) = delete;
    SetupSession& operator=(const SetupSession&) = delete;

    // Opens the program file and loads the trees from its archive (or, without one, from the
    // "Project" folder beside it), chooses the language, reads the installed version and prepares
    // the log: in uninstall mode read from `uninstallSource`, in update mode from the installation
    // folder, otherwise a new one with the components. False when the settings cannot be loaded.
    [[nodiscard]] bool Load(const std::u16string& programPath, SetupMode mode,
                            const std::u16string& uninstallSource = std::u16string());
    void Close();

    SetupMode Mode() const { return mode_; }
    bool FromArchive() const { return fromArchive_; }
    const std::u16string& ProgramPath() const { return programPath_; }
    InstallSettings& Settings() { return settings_; }
    const InstallSettings& Settings() const { return settings_; }
    LanguageSet& Languages() { return languages_; }
    const LanguageSet& Languages() const { return languages_; }
    const QV::TreeNode& SkinTree() const { return skin_; }
    const QV::TreeNode& Extension() const { return extension_; }
    ZipArchive& Archive() { return archive_; }

    // The folder the product goes into (also "#InstallDir#"), without a trailing separator; in
    // update mode the log is read again from there.
    const std::u16string& InstallFolder() const { return installFolder_; }
    void SetInstallFolder(const std::u16string& folder);
    std::u16string LogPath() const;
    UninstallLog& Log() { return log_; }
    bool LogLoaded() const { return logLoaded_; }

    const std::u16string& InstalledVersion() const { return installedVersion_; }
    // True when the product's version is strictly newer than the installed one.
    bool IsNewerThanInstalled() const;

    std::vector<std::unique_ptr<CComponent>>& Components() { return components_; }
    // The per-user or all-users Desktop and Programs folders the settings' "useronly" chooses;
    // empty when the shell does not know them.
    std::u16string DesktopFolder() const;
    std::u16string ProgramsFolder() const;

    // Worker state, read by the window thread.
    std::atomic<bool> busy{false};
    std::atomic<bool> completed{false};
    std::atomic<bool> failed{false};
    bool launch = true;
    // A file the uninstallation cannot remove while it runs and leaves to the self-delete batch:
    // the stored uninstaller that waits for a silent uninstallation's result.
    std::u16string deferredFile;
    // The folders an uninstallation could not remove yet (still holding the deferred file).
    std::vector<std::u16string> foldersLeft;

private:
    bool LoadFromArchive();
    bool LoadFromProject();
    void PrepareLog();

    SetupMode mode_ = SetupMode::Install;
    bool fromArchive_ = false;
    std::u16string programPath_;
    std::u16string uninstallSource_;
    FileHandle own_;
    ZipArchive archive_;
    InstallSettings settings_;
    LanguageSet languages_;
    QV::TreeNode skin_;
    QV::TreeNode extension_;
    std::u16string installFolder_;
    std::u16string installedVersion_ = InstallSettings::kDefaultVersion;
    UninstallLog log_;
    bool logLoaded_ = false;
    std::vector<std::unique_ptr<CComponent>> components_;
};

// The folder of a path ("C:\a\setup.exe" -> "C:\a").
std::u16string FolderOf(const std::u16string& path);
// The start marker of a program file, trusted only when its archive opens; 0 otherwise.
int32_t ReadStartMarker(const std::u16string& programPath);

}  // namespace setup
