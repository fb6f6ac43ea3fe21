#pragma once
#include "engine/RemEntry.h"
#include "engine/RowCleaner.h"

#include <memory>
#include <string>

// A browser database cleaned row by row (a built-in entry, kind 0). Scan counts the rows that
// would go as items and the bytes a Kill would free; Kill takes them out with RowCleaner's safe
// change. A database that is not what the plan expects is left as it is, and says so.
class RowEntry : public RemEntry {
public:
    RowEntry(std::string path, std::string label, std::shared_ptr<const RowPlan> plan,
             std::shared_ptr<DatabaseFiles> files);

    const std::string& Path() const { return path_; }
    void Scan() override;
    void Kill() override;
    std::string Notice() const override { return notice_; }

private:
    void Take(const RowResult& result);

    std::string path_;
    std::string label_;
    std::shared_ptr<const RowPlan> plan_;
    std::shared_ptr<DatabaseFiles> files_;
    std::string notice_;
};
