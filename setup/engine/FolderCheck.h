#pragma once
// What makes a folder one an installation may use, for the location page and the silent
// installation alike: an absolute folder on a fixed drive, not a root, short enough for every
// installed path, and, when it exists, holding nothing that is not ours.
#include "config/InstallSettings.h"
#include "install/FolderOwnership.h"
#include "install/UninstallLog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace setup {

enum class FolderVerdict { Usable, Unusable, NotOurs };

struct FolderCheck {
    FolderVerdict verdict = FolderVerdict::Unusable;
    uint64_t freeBytes = 0;     // on the folder's volume; 0 when unusable or unknown
    std::u16string foreign;     // with NotOurs: the first file found that is not ours
};

FolderCheck CheckInstallFolder(const InstallSettings& settings, const std::u16string& folder);

// The log an earlier installation left in `folder`; false when there is none or it is unreadable.
[[nodiscard]] bool ReadFolderLog(const std::u16string& folder, UninstallLog& log);

// The ownership rules of `folder`, over its log when `earlier` holds one.
OwnershipRules FolderRules(const InstallSettings& settings, const std::u16string& folder, const UninstallLog* earlier);

// The first file below `folder` that is not ours (a linked folder counts as one, as does a folder
// too large to look through); none when the folder is missing, empty or all ours.
std::optional<std::u16string> FindForeignFile(const OwnershipRules& rules);

// The files a pattern of the product's own files names ("C:\...\STDPLUGS\*.tlp"), never folders.
std::vector<std::u16string> MatchingFiles(const std::u16string& pattern);

// Starts the log's record of the product's own names that are already there and not listed as
// ours (the user's, kept at uninstallation), unless the log carries one already.
void RecordKeptFiles(const InstallSettings& settings, const std::u16string& folder, UninstallLog& log);

}  // namespace setup
