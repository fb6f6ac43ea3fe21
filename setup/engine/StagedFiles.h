#pragma once
// Writing the program's files without ever leaving a program that cannot start: every new file is
// written under its staged name beside the old one, a journal (install/UpdateJournal.h) names
// them, and the old files are then replaced one at a time (MoveFileExW, replace, write-through),
// the executable last. A run that finds a journal first finishes or undoes what it names.
#include "archive/ExtractReport.h"
#include "install/FolderOwnership.h"
#include "qv/TreeNode.h"
#include "win/ZipArchive.h"

#include <string>
#include <vector>

namespace setup {

// Saves the tree to `temporary`, flushed, then moves it over `path` in one step.
[[nodiscard]] bool SaveTreeAtomically(const QV::TreeNode& tree, const std::u16string& path,
                                      const std::u16string& temporary);

// Finishes (ready journal) or undoes (unready one, or always with `undo`: an uninstallation)
// an interrupted replacement in `folder`; true when there was none or it is settled now.
// `error` names what could not be moved or removed.
[[nodiscard]] bool SettleInterruptedUpdate(const std::u16string& folder, std::u16string& error, bool undo = false);

class StagedFiles {
public:
    // `ours` decides which existing files may be replaced: any other is left as it is, and
    // reported as failed.
    StagedFiles(ZipArchive& archive, const std::u16string& folder, const ExtractTexts& texts,
                const std::vector<std::u16string>& crypt, const OwnershipRules& ours, ExtractReport& report)
        : archive_(archive), folder_(folder), texts_(texts), crypt_(crypt), ours_(ours), report_(report) {}

    // Writes every file of the "files" list under its staged name, creating (and logging) the
    // folders, and logging each file under its final name. False when the journal cannot be
    // written: then nothing is staged.
    [[nodiscard]] bool Stage(const QV::TreeNode& files);
    // Replaces the old files, `exe` last, and removes the journal. False when a replacement
    // failed: the journal stays, and the next run finishes the rest.
    [[nodiscard]] bool Commit(const std::u16string& exe);

private:
    struct Planned {
        std::u16string name;    // relative output name
        std::u16string member;  // archive member
    };
    void Plan(const QV::TreeNode& list, const std::u16string& prefix);
    bool StageOne(const Planned& file);
    bool CreateFolders(const std::u16string& relativeFolder);
    bool SaveJournal(bool ready) const;

    ZipArchive& archive_;
    std::u16string folder_;
    const ExtractTexts& texts_;
    const std::vector<std::u16string>& crypt_;
    const OwnershipRules& ours_;
    ExtractReport& report_;
    std::vector<Planned> planned_;
    std::vector<std::u16string> staged_;
};

}  // namespace setup
