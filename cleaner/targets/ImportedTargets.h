#pragma once
#include "engine/EntryRecord.h"
#include "engine/EntryTrust.h"
#include "targets/TargetCatalog.h"
#include "targets/TargetConditionProbe.h"
#include "targets/TargetConditions.h"
#include "targets/WinappIni.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Importing a winapp2.ini: every entry is judged at the "imported" trust level, refused ones are
// dropped (their target too when nothing is left) and listed in a report beside the program, and
// the accepted targets are kept in the stored form (ImportStore.h) that each start loads.

constexpr const char* kImportFileName = "ImportedTargets.tli";
constexpr const char* kImportReportName = "ImportReport.txt";

// The machine's places (ThisMachinePlaces) for one import or one load, with the answers that
// thousands of entries would each ask the system for again kept for its length: whether a drive
// is a network drive, once per letter, and which folders exist, so that a folder below a program
// folder that is not here resolves to its own full name without two failed opens.
class ImportPlaces : public EntryPlaces {
public:
    ImportPlaces();
    std::string ResolvedPath(const EntryRecord& record) const override;
    const WalkRootGuard& Guard() const override;
    bool IsNetworkDrive(char letter) const override;

private:
    mutable std::array<std::optional<bool>, 26> remote_{};
    mutable PresenceCache folders_;
};

// The absolute forms of a path that starts with a winapp2 variable or a drive; several where the
// variable names both program-files folders, none where the variable has no folder here.
[[nodiscard]] std::vector<std::string> ExpandWinappPath(const std::string& path);

// What is judged of one imported entry: a file entry with its expanded folders, or a registry
// entry as the record it becomes.
struct ImportedEntry {
    const WinappFileKey* file = nullptr;
    std::vector<std::string> folders;
    EntryRecord registry;
};

// The one judgement of an imported entry: "" when it may be kept, otherwise the reason, as a line
// for the report. Every imported entry goes through here, at the import and at each load.
[[nodiscard]] std::string JudgeImportedEntry(const ImportedEntry& entry, const EntryPlaces& places);
[[nodiscard]] std::string JudgeImportedEntry(const ImportedEntry& entry);

// The file and registry entries of one imported target as they will be judged and run.
[[nodiscard]] std::vector<ImportedEntry> EntriesOf(const WinappTarget& target);

struct ImportOutcome {
    std::vector<WinappTarget> accepted;     // only the entries that passed
    std::vector<std::string> refused;       // "target: key=value: reason", and the targets dropped
    size_t refusedEntries = 0;              // the lines of the file that gave nothing
};
[[nodiscard]] ImportOutcome JudgeImport(const WinappReadResult& read);

// A working target of the Applications category (unselected), or none when no entry is left.
[[nodiscard]] std::unique_ptr<Target> MakeImportedTarget(const WinappTarget& target, const EntryPlaces& places);
[[nodiscard]] std::unique_ptr<Target> MakeImportedTarget(const WinappTarget& target);

struct ImportResult {
    bool ok = false;
    std::string error;             // the file could not be read, was refused whole, or not stored
    size_t targets = 0;            // targets kept
    size_t refused = 0;            // entries refused
    std::string reportPath;
};
// Reads the ini, judges it, replaces the previous import in <folder>\ImportedTargets.tli (written
// atomically) and writes <folder>\ImportReport.txt.
[[nodiscard]] ImportResult ImportWinappFile(const std::string& iniPath, const std::string& folder);

// Appends the stored import's targets that the probe finds present, sorted by group and name;
// returns how many. A missing or damaged file adds nothing.
size_t LoadImportedTargets(TargetCatalog& catalog, const std::string& folder, const ConditionProbe& probe);

// Removes the stored import (and its report); true when nothing is left of it.
[[nodiscard]] bool RemoveImportedTargets(const std::string& folder);
