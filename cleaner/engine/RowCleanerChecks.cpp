#include "engine/RowCleanerChecks.h"

#include "engine/Checkpoint.h"

#include <sqlite3.h>

#include <string>
#include <system_error>
#include <vector>

namespace {

// The statement then fails, and the caller's checkpoint ends the run.
int StopProgress(void*) { return IsStopRequested() ? 1 : 0; }

constexpr int kProgressSteps = 2000;

}  // namespace

void WatchStop(SqliteDb& db, int cacheKiB) {
    sqlite3_progress_handler(db.Handle(), kProgressSteps, StopProgress, nullptr);
    (void)db.Exec("PRAGMA cache_size=-" + std::to_string(cacheKiB));
}

RowOutcome FailureOf(SqliteDb& db) {
    switch (db.ErrorCode()) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_IOERR: return RowOutcome::Busy;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_OK: return RowOutcome::Damaged;  // read fine, but the check said no
        default: return RowOutcome::Failed;
    }
}

bool PassesIntegrityCheck(SqliteDb& db, bool quick) {
    std::vector<std::string> lines;
    return db.QueryColumn(quick ? "PRAGMA quick_check" : "PRAGMA integrity_check", lines) && lines.size() == 1 &&
           lines[0] == "ok";
}

BackgroundCheck::BackgroundCheck(SqliteDb& db) : db_(db) {
    sqlite3_progress_handler(db_.Handle(), kProgressSteps, &BackgroundCheck::Progress, this);
    auto check = [this] {
        passed_ = PassesIntegrityCheck(db_, false);
        if (!passed_) failure_ = FailureOf(db_);
    };
    try {
        thread_ = std::thread(check);
    } catch (const std::system_error&) {
        check();  // no thread to be had: the check runs before the change instead of beside it
    }
}

BackgroundCheck::~BackgroundCheck() {
    cancel_.store(true, std::memory_order_relaxed);
    Join();
}

int BackgroundCheck::Progress(void* self) {
    return IsStopRequested() || static_cast<BackgroundCheck*>(self)->cancel_.load(std::memory_order_relaxed) ? 1 : 0;
}

void BackgroundCheck::Join() {
    if (thread_.joinable()) thread_.join();
    if (db_.IsOpen()) sqlite3_progress_handler(db_.Handle(), kProgressSteps, StopProgress, nullptr);
}

bool BackgroundCheck::Wait(RowOutcome& failure) {
    Join();
    failure = failure_;
    return passed_;
}
