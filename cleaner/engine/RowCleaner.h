#pragma once
#include "engine/SqliteDb.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Row-level cleaning of another program's SQLite database: which rows go, described as data, and
// the one safe way to take them out.

// A table the plan needs, with the columns its statements use. A database without it is not the
// one the plan was written for and is left alone.
struct RowTable {
    std::string name;
    std::vector<std::string> columns;
};

// Rows that go: DELETE FROM table WHERE where (every row when where is empty). An optional table
// that is not there is passed over (tables that only some versions of a browser have).
struct RowDelete {
    std::string table;
    std::string where;
    bool optional = false;
    // A query that returns a row when `where` can keep any row at all (the kept addresses). When
    // it returns none, every row goes, and the table is emptied whole, which SQLite does by
    // dropping its pages rather than deleting row by row.
    std::string keepsAny{};
};

struct RowPlan {
    std::vector<RowTable> required;
    std::vector<RowDelete> deletes;
    // Run after the deletions, in the same transaction (counters of kept rows reset).
    std::vector<std::string> afterwards;
    // Prepares a connection before anything is counted or deleted: temporary tables and functions
    // the statements use (the kept addresses, the keep-list). False when it cannot.
    std::function<bool(SqliteDb&)> prepare;
};

// The file operations of a change that differ between systems.
class DatabaseFiles {
public:
    virtual ~DatabaseFiles() = default;
    [[nodiscard]] virtual bool Exists(const std::string& path) = 0;
    // The bytes of the database with its "-wal" and "-journal" companions.
    virtual uint64_t GroupSize(const std::string& path) = 0;
    // Copies the bytes of `from` (open in SQLite, which shares reading and writing) into the new
    // file `to`; false when `to` exists or the copy is not whole.
    [[nodiscard]] virtual bool Copy(const std::string& from, const std::string& to) = 0;
    // Removes a scratch file of ours (overwritten first when secure deletion is on); absent is fine.
    virtual void RemoveScratch(const std::string& path) = 0;
    // Puts `cleaned` in the place of `original` and removes the original's "-wal", "-shm" and
    // "-journal", all in one step: afterwards the name holds either the cleaned database without
    // companions, or (on false) the original exactly as it was.
    [[nodiscard]] virtual bool Replace(const std::string& original, const std::string& cleaned) = 0;
};

enum class RowOutcome {
    Absent,      // no database there: nothing to do
    Counted,     // Count: items and bytes tell what a clean would take
    Cleaned,     // the cleaned database is in place
    Unchanged,   // nothing to delete, the file stays as it is
    Busy,        // held open by another program
    Unexpected,  // not the database the plan was written for (missing table or column)
    Damaged,     // failed its integrity check, or could not be read
    Failed,      // the change could not be completed; the original stays as it was
};

// The rows one table gives up.
struct RowTableRows {
    std::string table;
    uint64_t rows = 0;
};

struct RowResult {
    RowOutcome outcome = RowOutcome::Absent;
    uint64_t items = 0;
    uint64_t bytes = 0;
    // items table by table, in the plan's order (each table once); empty unless Counted or Cleaned.
    std::vector<RowTableRows> tables;
    std::string detail;  // what was wrong, for the result line
};

// The phases of a clean, in order; a test observes them to stop or fail a run in each one. Checked:
// the original's schema is the plan's (its integrity check runs from Copied and has passed by
// Verified).
enum class RowPhase { Checked, Copied, Deleted, Compacted, Verified };

class RowCleaner {
public:
    RowCleaner(const RowPlan& plan, DatabaseFiles& files) : plan_(plan), files_(files) {}

    // Reads the database (read-only) and counts the rows a clean would delete and the bytes it
    // would free. Changes nothing.
    [[nodiscard]] RowResult Count(const std::string& path);

    // The safe change: the original's write-ahead log is checkpointed, and inside one read
    // transaction of the original its pages are copied beside it and the original is checked
    // (PRAGMA integrity_check, on a thread of its own, while the rest goes on). The rows are
    // deleted from the copy in one transaction (secure_delete on when asked), the copy is compacted
    // into the result, which is checked in full and against the original's schema and synced; only
    // when both checks passed does the result replace the original. A stop (at a checkpoint) or a
    // failure at any point leaves the original as it was and no scratch file.
    [[nodiscard]] RowResult Clean(const std::string& path, bool secureDelete);

    void SetPhaseObserver(std::function<void(RowPhase)> observer) { observer_ = std::move(observer); }

    // The scratch files beside a database: the copy and the result.
    static std::string WorkPath(const std::string& path) { return path + ".tl-work"; }
    static std::string ResultPath(const std::string& path) { return path + ".tl-clean"; }

private:
    [[nodiscard]] RowResult CountOpen(const std::string& path, bool recover, bool& needsRecovery);
    [[nodiscard]] bool CheckSchema(SqliteDb& db, RowResult& result) const;
    [[nodiscard]] bool CountRows(SqliteDb& db, RowResult& result) const;
    [[nodiscard]] bool DeleteRows(SqliteDb& db, RowResult& result) const;
    uint64_t EstimateFreedBytes(SqliteDb& db, uint64_t groupSize) const;
    void Phase(RowPhase phase) const;

    const RowPlan& plan_;
    DatabaseFiles& files_;
    std::function<void(RowPhase)> observer_;
};

// True when the database holds a table of that name.
[[nodiscard]] bool HasTable(SqliteDb& db, const std::string& table);
