#pragma once
#include "platform/ProgramFolder.h"
#include "targets/PluginRecord.h"
#include "targets/TargetCatalog.h"

#include <string>

// The user's own targets in <program folder>\CustomTargets.tgs. One owner per catalogue: loaded at
// construction, saved at Options OK and at exit.
//
// Only a file that does not exist means "no custom targets". When the file exists but cannot be
// opened (a backup tool or a scanner holds it), a record in it is rejected or an entry of a record
// cannot be made, the load is remembered as incomplete and Save leaves the file untouched until
// MarkChanged() says the user edited the custom targets. The first save after that copies the
// unreadable file to CustomTargets.tgs.bak before it writes, and writes nothing while that copy
// cannot be made, so one bad start never wipes the stored targets.
//
// The records' strings are stored in the ANSI code page: a target whose name or path has no form
// there is refused, never stored as another name.
class CustomTargetsStore {
public:
    enum class SaveResult { Written, KeptIncompleteFile, Refused, WriteFailed };

    [[nodiscard]] static std::string FilePath(const std::string& folder = ExecutableFolder());
    [[nodiscard]] static std::string BackupPath(const std::string& folder = ExecutableFolder());

    // Appends the stored targets after the catalogue's custom start; returns how many.
    size_t Load(TargetCatalog& catalog, const std::string& folder = ExecutableFolder());
    // Writes the count and one record per custom target through a replace-by-move, so a failed
    // save leaves the previous file whole. Refused: a target holds what the reader would refuse
    // (an entry without a stored form, more than 100 entries, a string over 259 bytes).
    [[nodiscard]] SaveResult Save(const TargetCatalog& catalog, const std::string& folder = ExecutableFolder());

    void MarkChanged() { changed_ = true; }
    bool LoadWasIncomplete() const { return incomplete_; }

private:
    [[nodiscard]] bool KeepUnreadableFile(const std::string& folder);
    bool incomplete_ = false;
    bool keptBackup_ = false;
    bool changed_ = false;
};
