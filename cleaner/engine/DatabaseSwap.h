#pragma once
#include "engine/RowCleaner.h"

#include <memory>

// The file steps of a row-level change on Windows (wide calls, UTF-8 paths). The replacement
// keeps the original's content reachable under a hard link until the cleaned file holds the name,
// so the name is never empty: the cleaned file takes it in one rename that replaces the original.
// Only then is the old content overwritten (SecDel) and deleted. Where hard links are not to be
// had (FAT volumes), the original is moved aside first and moved back should the rename fail.
class Win32DatabaseFiles : public DatabaseFiles {
public:
    bool Exists(const std::string& path) override;
    uint64_t GroupSize(const std::string& path) override;
    bool Copy(const std::string& from, const std::string& to) override;
    void RemoveScratch(const std::string& path) override;
    bool Replace(const std::string& original, const std::string& cleaned) override;
};

std::shared_ptr<DatabaseFiles> MakeWin32DatabaseFiles();
