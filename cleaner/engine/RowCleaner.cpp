#include "engine/RowCleaner.h"

#include "engine/Checkpoint.h"
#include "engine/RowCleanerChecks.h"
#include "engine/RowCleanerIndexes.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

std::string WhereClause(const RowDelete& d) { return d.where.empty() ? std::string() : " WHERE (" + d.where + ")"; }

// The condition of a deletion on this connection: none when nothing of the table can be kept.
[[nodiscard]] bool WhereClauseIn(SqliteDb& db, const RowDelete& d, std::string& clause) {
    int64_t keeps = 1;
    if (!d.keepsAny.empty() && !db.QueryInt("SELECT EXISTS (" + d.keepsAny + ")", keeps)) return false;
    clause = keeps ? WhereClause(d) : std::string();
    return true;
}

// The page caches of a clean, bounded together well below what the process may take (with the
// mapped part of the original below): the copy's serves the deletions, the original's its check
// beyond the mapped part, and the compaction reads the copy once, in order.
constexpr int kOriginalCacheKiB = 8 * 1024;
constexpr int kCopyCacheKiB = 12 * 1024;
constexpr int kCompactCacheKiB = 2 * 1024;
// The check of the original reads its pages where the file is mapped (as far as this reaches)
// rather than copying each into the cache by a call of its own: that is about a third of the
// check's time. Only the original's connection, which writes nothing, maps the file.
constexpr int64_t kOriginalMapBytes = 24 * 1024 * 1024;

void AddRows(std::vector<RowTableRows>& tables, const std::string& table, uint64_t rows) {
    for (RowTableRows& t : tables) {
        if (t.table == table) {
            t.rows += rows;
            return;
        }
    }
    tables.push_back({table, rows});
}

// The schema as one text, to compare the result with the original.
[[nodiscard]] bool SchemaText(SqliteDb& db, std::string& text) {
    SqliteStatement stmt(db, "SELECT type || ' ' || name || ' ' || tbl_name || ' ' || ifnull(sql, '') FROM sqlite_master "
                             "ORDER BY type, name");
    text.clear();
    while (stmt.Step()) text += stmt.Text(0) + "\n";
    int64_t version = 0;
    if (stmt.Failed() || !db.QueryInt("PRAGMA user_version", version)) return false;
    text += "user_version " + std::to_string(version);
    return true;
}

// Removes the scratch files of a clean when it ends without handing them over: on failure and when
// a stop unwinds the run. The connections to them are closed by then (declared after the guard).
class ScratchGuard {
public:
    ScratchGuard(DatabaseFiles& files, std::vector<std::string> paths) : files_(files), paths_(std::move(paths)) {}
    ~ScratchGuard() {
        try {
            for (const std::string& p : paths_) RemoveGroup(p);
        } catch (const RunStopped&) {
            // A stop while a scratch file is overwritten: what is left is ours and named so, and
            // the run still ends at its next checkpoint.
            RequestStop();
        }
    }
    void RemoveGroup(const std::string& p) {
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) files_.RemoveScratch(p + suffix);
    }

private:
    DatabaseFiles& files_;
    std::vector<std::string> paths_;
};

}  // namespace

bool HasTable(SqliteDb& db, const std::string& table) {
    SqliteStatement stmt(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    stmt.BindText(1, table);
    return stmt.Step();
}

bool RowCleaner::CheckSchema(SqliteDb& db, RowResult& result) const {
    for (const RowTable& table : plan_.required) {
        SqliteStatement stmt(db, "SELECT name FROM pragma_table_info(?1)");
        stmt.BindText(1, table.name);
        std::vector<std::string> columns;
        while (stmt.Step()) columns.push_back(stmt.Text(0));
        if (stmt.Failed() || columns.empty()) {
            result.detail = "no table " + table.name;
            return false;
        }
        for (const std::string& column : table.columns) {
            if (std::find(columns.begin(), columns.end(), column) == columns.end()) {
                result.detail = "no column " + table.name + "." + column;
                return false;
            }
        }
    }
    return true;
}

bool RowCleaner::CountRows(SqliteDb& db, RowResult& result) const {
    result.items = 0;
    result.tables.clear();
    for (const RowDelete& d : plan_.deletes) {
        if (d.optional && !HasTable(db, d.table)) continue;
        int64_t n = 0;
        std::string where;
        if (!WhereClauseIn(db, d, where) || !db.QueryInt("SELECT COUNT(*) FROM " + QuotedSqlName(d.table) + where, n))
            return false;
        result.items += static_cast<uint64_t>(n);
        AddRows(result.tables, d.table, static_cast<uint64_t>(n));
    }
    return true;
}

bool RowCleaner::DeleteRows(SqliteDb& db, RowResult& result) const {
    result.items = 0;
    result.tables.clear();
    for (const RowDelete& d : plan_.deletes) {
        if (d.optional && !HasTable(db, d.table)) continue;
        std::string where;
        SetAsideIndexes indexes;
        if (!WhereClauseIn(db, d, where) || !indexes.Drop(db, d.table, where) ||
            !db.Exec("DELETE FROM " + QuotedSqlName(d.table) + where))
            return false;
        const auto n = static_cast<uint64_t>(db.Changes());
        if (!indexes.Restore(db)) return false;
        result.items += n;
        AddRows(result.tables, d.table, n);
    }
    for (const std::string& sql : plan_.afterwards)
        if (!db.Exec(sql)) return false;
    return true;
}

// What a clean would free: the free pages, the log, and of each table the share of its pages
// (with its indexes') that its deleted rows take.
uint64_t RowCleaner::EstimateFreedBytes(SqliteDb& db, uint64_t groupSize) const {
    int64_t pageSize = 0, freePages = 0, pages = 0;
    if (!db.QueryInt("PRAGMA page_size", pageSize) || !db.QueryInt("PRAGMA freelist_count", freePages) ||
        !db.QueryInt("PRAGMA page_count", pages))
        return 0;
    double freed = static_cast<double>(freePages) * static_cast<double>(pageSize);
    const uint64_t fileBytes = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
    if (groupSize > fileBytes) freed += static_cast<double>(groupSize - fileBytes);
    for (const RowDelete& d : plan_.deletes) {
        if (d.optional && !HasTable(db, d.table)) continue;
        int64_t all = 0, going = 0, bytes = 0;
        if (!db.QueryInt("SELECT COUNT(*) FROM " + QuotedSqlName(d.table), all) || all == 0) continue;
        if (!db.QueryInt("SELECT COUNT(*) FROM " + QuotedSqlName(d.table) + WhereClause(d), going)) continue;
        SqliteStatement stmt(db, "SELECT ifnull(SUM(pgsize), 0) FROM dbstat WHERE name IN (SELECT name FROM "
                                 "sqlite_master WHERE tbl_name = ?1)");
        stmt.BindText(1, d.table);
        if (stmt.Step()) bytes = stmt.Int(0);
        freed += static_cast<double>(bytes) * static_cast<double>(going) / static_cast<double>(all);
    }
    return std::min<uint64_t>(static_cast<uint64_t>(freed), groupSize);
}

void RowCleaner::Phase(RowPhase phase) const {
    if (observer_) observer_(phase);
    Checkpoint();
}

RowResult RowCleaner::Count(const std::string& path) {
    if (!files_.Exists(path)) return RowResult();
    // Reading a database in write-ahead-log mode makes SQLite create an empty log and its index
    // when they are missing, even read-only; a Scan takes away what it made.
    const std::string wal = path + "-wal", shm = path + "-shm";
    const bool hadWal = files_.Exists(wal), hadShm = files_.Exists(shm);
    struct Tidy {
        DatabaseFiles& files;
        const std::string& wal;
        const std::string& shm;
        bool hadWal, hadShm;
        ~Tidy() {
            try {
                if (!hadWal && files.Exists(wal) && files.GroupSize(wal) == 0) files.RemoveScratch(wal);
                if (!hadShm && !files.Exists(wal)) files.RemoveScratch(shm);
            } catch (const RunStopped&) {
                RequestStop();  // the next checkpoint ends the run
            }
        }
    } tidy{files_, wal, shm, hadWal, hadShm};
    bool needsRecovery = false;
    RowResult result = CountOpen(path, false, needsRecovery);
    // An interrupted change (a hot journal) must be rolled back before anyone can read the file,
    // which a read-only connection cannot do; a writing one that only reads does, as the browser
    // itself would at its next start.
    if (needsRecovery) result = CountOpen(path, true, needsRecovery);
    return result;
}

RowResult RowCleaner::CountOpen(const std::string& path, bool recover, bool& needsRecovery) {
    RowResult result;
    SqliteDb db;
    if (!db.Open(path, recover ? SqliteDb::Mode::ReadWrite : SqliteDb::Mode::ReadOnly) ||
        (recover && !db.Exec("PRAGMA query_only=1"))) {
        result.outcome = RowOutcome::Busy;
        return result;
    }
    WatchStop(db, kOriginalCacheKiB);
    if (!PassesIntegrityCheck(db, true)) {
        Checkpoint();
        const int code = db.ExtendedErrorCode();
        needsRecovery = !recover && (code == SQLITE_READONLY_ROLLBACK || code == SQLITE_READONLY_RECOVERY);
        result.outcome = FailureOf(db);
        result.detail = db.LastError();
        return result;
    }
    if (!CheckSchema(db, result)) {
        result.outcome = RowOutcome::Unexpected;
        return result;
    }
    if ((plan_.prepare && !plan_.prepare(db)) || !CountRows(db, result)) {
        Checkpoint();
        result.outcome = RowOutcome::Failed;
        result.items = 0;
        result.tables.clear();
        result.detail = db.LastError();
        return result;
    }
    result.outcome = RowOutcome::Counted;
    if (result.items > 0) result.bytes = EstimateFreedBytes(db, files_.GroupSize(path));
    return result;
}

RowResult RowCleaner::Clean(const std::string& path, bool secureDelete) {
    RowResult result;
    if (!files_.Exists(path)) return result;
    const std::string work = WorkPath(path), cleaned = ResultPath(path);
    ScratchGuard guard(files_, {work, cleaned});
    guard.RemoveGroup(work);  // left by a run that ended with the machine
    guard.RemoveGroup(cleaned);
    const uint64_t before = files_.GroupSize(path);
    auto fail = [&](RowOutcome outcome, std::string detail) {
        result.outcome = outcome;
        result.items = 0;
        result.tables.clear();
        result.detail = std::move(detail);
        return result;
    };

    SqliteDb original;
    if (!original.Open(path, SqliteDb::Mode::ReadWrite)) return fail(RowOutcome::Busy, "cannot open");
    WatchStop(original, kOriginalCacheKiB);
    (void)original.Exec("PRAGMA mmap_size=" + std::to_string(kOriginalMapBytes));
    std::string schema, journalMode;
    if (!original.QueryText("PRAGMA journal_mode", journalMode)) {
        Checkpoint();
        return fail(FailureOf(original), original.LastError());
    }
    if (journalMode == "wal") {
        SqliteStatement checkpoint(original, "PRAGMA wal_checkpoint(TRUNCATE)");
        if (!checkpoint.Step() || checkpoint.Int(0) != 0) return fail(RowOutcome::Busy, "log in use");
    }
    // One transaction of the original from here until its check is over: it holds off every
    // other writer, so the file's bytes are the pages the check reads, and the copy takes them
    // as they are. It writes nothing.
    if (!original.Exec("BEGIN IMMEDIATE")) {
        Checkpoint();
        return fail(FailureOf(original), original.LastError());
    }
    if (!CheckSchema(original, result) || !SchemaText(original, schema)) {
        Checkpoint();
        // A schema that cannot be read at all is damage, not another program's database.
        if (!PassesIntegrityCheck(original, true)) return fail(FailureOf(original), "integrity check failed");
        return fail(RowOutcome::Unexpected, result.detail.empty() ? original.LastError() : result.detail);
    }
    // What another program logged between the checkpoint and the transaction is not in the file.
    if (journalMode == "wal" && files_.GroupSize(path + "-wal") != 0) return fail(RowOutcome::Busy, "log in use");
    Phase(RowPhase::Checked);

    // The copy is scratch, ours alone and thrown away on any failure: no journal, no syncs (the
    // result is synced before it is used), no shared index of a log. Its pages carry the
    // original's journal mode, which it leaves.
    if (!files_.Copy(path, work)) {
        Checkpoint();
        return fail(RowOutcome::Failed, "copy failed");
    }
    SqliteDb copy;
    if (!copy.Open(work, SqliteDb::Mode::ReadWrite) || !copy.Exec("PRAGMA locking_mode=EXCLUSIVE") ||
        !copy.WithoutJournal() || !copy.Exec("PRAGMA synchronous=OFF") || !copy.Exec("PRAGMA temp_store=MEMORY"))
        return fail(RowOutcome::Failed, "copy cannot be opened: " + copy.LastError());
    WatchStop(copy, kCopyCacheKiB);
    Phase(RowPhase::Copied);

    BackgroundCheck check(original);
    // A failure of the change on a damaged original is the damage.
    auto failChange = [&](std::string detail) {
        Checkpoint();
        RowOutcome failure = RowOutcome::Failed;
        if (!check.Wait(failure)) {
            Checkpoint();
            return fail(failure, "integrity check failed");
        }
        return fail(RowOutcome::Failed, std::move(detail));
    };
    if (!copy.Exec(secureDelete ? "PRAGMA secure_delete=ON" : "PRAGMA secure_delete=OFF"))
        return failChange(copy.LastError());
    if (plan_.prepare && !plan_.prepare(copy)) return failChange(copy.LastError());
    if (!copy.Exec("BEGIN IMMEDIATE") || !DeleteRows(copy, result) || !copy.Exec("COMMIT"))
        return failChange(copy.LastError());
    if (result.items == 0) {
        RowOutcome failure = RowOutcome::Failed;
        if (!check.Wait(failure)) {
            Checkpoint();
            return fail(failure, "integrity check failed");
        }
        result.outcome = RowOutcome::Unchanged;
        result.tables.clear();
        return result;
    }
    Phase(RowPhase::Deleted);
    (void)copy.Exec("PRAGMA cache_size=-" + std::to_string(kCompactCacheKiB));
    {
        SqliteStatement compact(copy, "VACUUM INTO ?1");
        compact.BindText(1, cleaned);
        if (compact.Step() || compact.Failed()) return failChange("compaction failed: " + copy.LastError());
    }
    copy.Close();
    guard.RemoveGroup(work);
    Phase(RowPhase::Compacted);

    {
        SqliteDb out;
        if (!out.Open(cleaned, SqliteDb::Mode::ReadWrite)) return failChange("result cannot be opened");
        WatchStop(out, kCopyCacheKiB);
        std::string outSchema, mode;
        int64_t version = 0;
        if (!PassesIntegrityCheck(out, false) || !SchemaText(out, outSchema) || outSchema != schema)
            return failChange("result differs from the original's schema");
        // Rewriting the user version is a committed, synced write: the result is on the disk
        // before it takes the original's name. The browser's journal mode is restored with it.
        if (!out.QueryInt("PRAGMA user_version", version) || !out.Exec("PRAGMA synchronous=FULL") ||
            !out.Exec("PRAGMA user_version=" + std::to_string(version)))
            return failChange(out.LastError());
        if (journalMode == "wal" && (!out.QueryText("PRAGMA journal_mode=WAL", mode) || mode != "wal"))
            return failChange("journal mode not restored");
    }
    for (const char* suffix : {"-journal", "-wal", "-shm"}) files_.RemoveScratch(cleaned + suffix);
    RowOutcome failure = RowOutcome::Failed;
    if (!check.Wait(failure)) {
        Checkpoint();
        return fail(failure, "integrity check failed");
    }
    original.Close();  // the read transaction ends, and the name can be given to the result
    Phase(RowPhase::Verified);

    if (!files_.Replace(path, cleaned)) return fail(RowOutcome::Failed, "the database could not be replaced");
    const uint64_t after = files_.GroupSize(path);
    result.outcome = RowOutcome::Cleaned;
    result.bytes = before > after ? before - after : 0;
    return result;
}
