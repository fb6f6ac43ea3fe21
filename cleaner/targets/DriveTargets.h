#pragma once
#include "engine/RecycleFolderEntry.h"
#include "engine/RecycleRules.h"
#include "targets/Target.h"

#include <functional>
#include <memory>
#include <string>

// The two built-in targets whose entries come from the fixed drives of the moment the catalogue
// is built: at most the first 15 roots, fixed drives only, in list order. Both start selected.

class RecycleBinTarget : public Target {
public:
    // One RecycleFolderEntry per fixed drive; isFolder decides which recycle folder a drive has.
    RecycleBinTarget(DriveList& drives, std::shared_ptr<RecycleBinShell> shell, const std::string& userSid,
                     const std::function<bool(const std::string&)>& isFolder);
};

class ChkFilesTarget : public Target {
public:
    // One FolderWildcard entry "*.CHK" per fixed drive root, not recursive.
    explicit ChkFilesTarget(DriveList& drives);
};
