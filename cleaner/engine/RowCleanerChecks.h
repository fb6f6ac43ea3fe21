#pragma once
#include "engine/RowCleaner.h"

#include <atomic>
#include <thread>

// The checks of a row-level change and what their failures mean.

// Lets long statements on the connection notice a stop request, and gives it a page cache of
// cacheKiB (a bound, not an allocation).
void WatchStop(SqliteDb& db, int cacheKiB);

// What a failed read says about the file: held by another program, not a sound database, or
// something else.
[[nodiscard]] RowOutcome FailureOf(SqliteDb& db);

// PRAGMA integrity_check (quick_check when quick) answered with the one line "ok".
[[nodiscard]] bool PassesIntegrityCheck(SqliteDb& db, bool quick);

// The full integrity check of the original, run on a thread of its own while the caller changes a
// copy taken from the same read transaction: the check decides whether the change may take the
// original's place, and nothing needs to wait for it until then. The connection belongs to the
// check until Wait returns. The destructor cancels a check that is still running and waits for it,
// so a stop or a failure never leaves it behind.
class BackgroundCheck {
public:
    explicit BackgroundCheck(SqliteDb& db);
    ~BackgroundCheck();
    BackgroundCheck(const BackgroundCheck&) = delete;
    BackgroundCheck& operator=(const BackgroundCheck&) = delete;

    // True when the original passed; otherwise what its failure means (Damaged, Busy, ...).
    [[nodiscard]] bool Wait(RowOutcome& failure);

private:
    static int Progress(void* self);
    void Join();

    SqliteDb& db_;
    std::atomic<bool> cancel_{false};
    bool passed_ = false;
    RowOutcome failure_ = RowOutcome::Failed;
    std::thread thread_;
};
