#pragma once
// What the update client keeps in the settings key (HKCU\software\<settings path>), where no
// downloaded file can change it: "UpdateSequence" (REG_DWORD), the highest list sequence
// accepted, and the subkey "PluginStamps" with one REG_DWORD per plug-in file the program has
// held ("STDPLUGS\x.tlp"), its highest stamp. An empty settings path keeps nothing.
#include <cstdint>
#include <optional>
#include <string>

class UpdateRecords {
public:
    explicit UpdateRecords(std::string settingsPath) : settingsPath_(std::move(settingsPath)) {}

    [[nodiscard]] std::optional<uint32_t> AcceptedSequence() const;
    void RecordSequence(uint32_t sequence) const;
    // `relativePath` is UTF-8, relative to the program folder.
    [[nodiscard]] std::optional<uint32_t> KnownPluginStamp(const std::string& relativePath) const;
    // Keeps the higher of the recorded stamp and this one.
    void RememberPluginStamp(const std::string& relativePath, uint32_t stamp) const;
    // Every plug-in file now in STDPLUGS and APPPLUGS of `programFolder` that reads, with its stamp:
    // a plug-in installed with the program is known before the user can delete it.
    void RememberInstalledPlugins(const std::string& programFolder) const;

private:
    [[nodiscard]] std::wstring KeyPath(const char* subkey = nullptr) const;
    std::string settingsPath_;
};
