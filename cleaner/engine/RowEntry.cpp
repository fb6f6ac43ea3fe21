#include "engine/RowEntry.h"

#include "engine/FoundItems.h"
#include "engine/KillSettings.h"

#include <limits>
#include <utility>

RowEntry::RowEntry(std::string path, std::string label, std::shared_ptr<const RowPlan> plan,
                   std::shared_ptr<DatabaseFiles> files)
    : RemEntry(RemKind::Special),
      path_(std::move(path)),
      label_(std::move(label)),
      plan_(std::move(plan)),
      files_(std::move(files)) {}

void RowEntry::Take(const RowResult& result) {
    switch (result.outcome) {
        case RowOutcome::Absent:
        case RowOutcome::Unchanged: break;
        case RowOutcome::Counted:
        case RowOutcome::Cleaned: {
            const uint64_t most = std::numeric_limits<uint32_t>::max();
            AddItems(static_cast<uint32_t>(result.items < most ? result.items : most));
            AddFiles(0, result.bytes);
            // For the details: each table's rows, under the database they are in.
            if (CurrentFoundItems()) {
                for (const RowTableRows& table : result.tables)
                    if (table.rows > 0) ReportFound({FoundItem::Kind::Rows, path_, table.table, table.rows, 0});
            }
            break;
        }
        case RowOutcome::Busy: notice_ = label_ + " left as it was: it is in use by another program."; break;
        case RowOutcome::Unexpected:
            notice_ = label_ + " left as it was: not the database expected (" + result.detail + ").";
            break;
        case RowOutcome::Damaged: notice_ = label_ + " left as it was: the database is damaged."; break;
        case RowOutcome::Failed:
            notice_ = label_ + " left as it was: the change could not be completed (" + result.detail + ").";
            break;
    }
}

void RowEntry::Scan() {
    notice_.clear();
    RowCleaner cleaner(*plan_, *files_);
    Take(cleaner.Count(path_));
    MarkScanned();
}

void RowEntry::Kill() {
    notice_.clear();
    RowCleaner cleaner(*plan_, *files_);
    Take(cleaner.Clean(path_, kill_settings::SecureDelete()));
    MarkKilled();
}
