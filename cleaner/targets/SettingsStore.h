#pragma once
#include "targets/TargetCatalog.h"

#include <optional>
#include <string>

// Persists the catalogue's settings below HKEY_CURRENT_USER\software\<settings path>: the values,
// the "Targets" selections of the non-custom targets, the stamps "LastKillTime" and
// "LastUpdateTime", the start-up value "TL21" under the Run key, and the totals in config.cfg in
// the program folder.
//
// Order of a full load, as the catalogue builder runs it: Load (settings and selections), then the
// custom targets store's load (only when Load returned true: without a settings key no custom
// target is loaded), then LoadStatistics at the end of construction. A full save: Save, the custom
// targets store's save, then SaveStatistics. This class never touches the custom targets.
class SettingsStore {
public:
    static constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr const char* kRunValueName = "TL21";
    // REG_DWORD 0/1: a secure Kill deletes without overwriting on solid-state volumes. Missing: on
    // for a new installation (an empty settings key), off for one that has settings already.
    static constexpr const char* kSkipOverwriteValue = "SkipOverwriteSolidState";

    // runKeyPath is below HKEY_CURRENT_USER; programPath is what the Run value starts (empty: the
    // running executable). Tests pass keys of their own.
    explicit SettingsStore(std::string runKeyPath = kRunKeyPath, std::string programPath = {});

    // Whether the settings key could be opened. Without a settings path nothing is read.
    [[nodiscard]] bool Load(TargetCatalog& catalog) const;
    // Writes every value back, then writes or deletes the Run value according to AutoStart.
    // Without a settings path or without targets nothing is written. Returns whether the settings
    // key could be opened.
    bool Save(const TargetCatalog& catalog) const;

    // config.cfg in the catalogue's program folder (the executable's folder when it has none).
    // A missing or short file leaves the totals untouched.
    [[nodiscard]] bool LoadStatistics(TargetCatalog& catalog) const;
    // Replaces the file as a whole, so a failed save leaves the previous one intact. After a load,
    // what another process added to the file in between is kept: the window and the console
    // both add to the same totals.
    [[nodiscard]] bool SaveStatistics(const TargetCatalog& catalog) const;

    static std::string StatisticsPath(const TargetCatalog& catalog);
    // "<program>" -ws: quoted so that a path with spaces starts the right program.
    std::string RunCommand() const;

private:
    void SaveRunEntry(bool autoStart) const;

    std::string runKeyPath_;
    std::string programPath_;
    // The catalogue's totals the file is known to hold already; none before a load.
    mutable std::optional<RunCounters> accounted_;
};
