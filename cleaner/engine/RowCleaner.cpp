#include "engine/RowCleaner.h"

#include "engine/Checkpoint.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

std::string Quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string WhereClause(const RowDelete& d) { return d.where.empty() ? std::string() : " WHERE (" + d.where + ")"; }

// Lets a long statement notice a stop request; the statement then fails and the caller's
// checkpoint ends the run.
int StopProgress(void*) { return IsStopRequested() ? 1 : 0; }

// What a failed read says about the file: held by another program, not a sound database, or
// something else.
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

// Every connection of a clean also gets a page cache large enough for a browser's history to be
// read once rather than again for every index (bounded: 16 MiB).
void WatchStop(SqliteDb& db) {
    sqlite3_progress_handler(db.Handle(), 2000, StopProgress, nullptr);
    (void)db.Exec("PRAGMA cache_size=-16384");
}

[[nodiscard]] bool CheckIntegrity(SqliteDb& db, bool quick) {
    std::vector<std::string> lines;
    return db.QueryColumn(quick ? "PRAGMA quick_check" : "PRAGMA integrity_check", lines) && lines.size() == 1 &&
           lines[0] == "ok";
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

bool RowCleaner::CountRows(SqliteDb& db, uint64_t& items) const {
    items = 0;
    for (const RowDelete& d : plan_.deletes) {
        if (d.optional && !HasTable(db, d.table)) continue;
        int64_t n = 0;
        if (!db.QueryInt("SELECT COUNT(*) FROM " + Quoted(d.table) + WhereClause(d), n)) return false;
        items += static_cast<uint64_t>(n);
    }
    return true;
}

bool RowCleaner::DeleteRows(SqliteDb& db, uint64_t& items) const {
    items = 0;
    for (const RowDelete& d : plan_.deletes) {
        if (d.optional && !HasTable(db, d.table)) continue;
        if (!db.Exec("DELETE FROM " + Quoted(d.table) + WhereClause(d))) return false;
        items += static_cast<uint64_t>(db.Changes());
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
        if (!db.QueryInt("SELECT COUNT(*) FROM " + Quoted(d.table), all) || all == 0) continue;
        if (!db.QueryInt("SELECT COUNT(*) FROM " + Quoted(d.table) + WhereClause(d), going)) continue;
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
    WatchStop(db);
    if (!CheckIntegrity(db, true)) {
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
    if ((plan_.prepare && !plan_.prepare(db)) || !CountRows(db, result.items)) {
        Checkpoint();
        result.outcome = RowOutcome::Failed;
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
        result.detail = std::move(detail);
        return result;
    };

    std::string schema, journalMode;
    {
        SqliteDb original;
        if (!original.Open(path, SqliteDb::Mode::ReadWrite)) return fail(RowOutcome::Busy, "cannot open");
        WatchStop(original);
        if (!original.QueryText("PRAGMA journal_mode", journalMode)) {
            Checkpoint();
            return fail(FailureOf(original), original.LastError());
        }
        if (journalMode == "wal") {
            SqliteStatement checkpoint(original, "PRAGMA wal_checkpoint(TRUNCATE)");
            if (!checkpoint.Step() || checkpoint.Int(0) != 0) return fail(RowOutcome::Busy, "log in use");
        }
        if (!CheckIntegrity(original, false)) {
            Checkpoint();
            return fail(FailureOf(original), "integrity check failed");
        }
        if (!CheckSchema(original, result)) return fail(RowOutcome::Unexpected, result.detail);
        if (!SchemaText(original, schema)) return fail(RowOutcome::Damaged, original.LastError());
        if ((plan_.prepare && !plan_.prepare(original)) || !CountRows(original, result.items)) {
            Checkpoint();
            return fail(RowOutcome::Failed, original.LastError());
        }
        if (result.items == 0) {
            result.outcome = RowOutcome::Unchanged;
            return result;
        }
        Phase(RowPhase::Checked);
        // The copy is scratch: written without syncs (the result is synced before it is used).
        if (!original.Exec("PRAGMA synchronous=OFF")) return fail(RowOutcome::Failed, original.LastError());
        SqliteStatement copy(original, "VACUUM INTO ?1");
        copy.BindText(1, work);
        if (copy.Step() || copy.Failed()) {
            Checkpoint();
            return fail(RowOutcome::Failed, "copy failed: " + original.LastError());
        }
    }
    Phase(RowPhase::Copied);

    uint64_t deleted = 0;
    {
        SqliteDb copy;
        if (!copy.Open(work, SqliteDb::Mode::ReadWrite)) return fail(RowOutcome::Failed, "copy cannot be opened");
        WatchStop(copy);
        // The copy is ours alone and thrown away on any failure: no journal on disk, no syncs.
        if (!copy.Exec("PRAGMA journal_mode=MEMORY") || !copy.Exec("PRAGMA synchronous=OFF") ||
            !copy.Exec(secureDelete ? "PRAGMA secure_delete=ON" : "PRAGMA secure_delete=OFF"))
            return fail(RowOutcome::Failed, copy.LastError());
        if (plan_.prepare && !plan_.prepare(copy)) return fail(RowOutcome::Failed, copy.LastError());
        if (!copy.Exec("BEGIN IMMEDIATE")) return fail(RowOutcome::Failed, copy.LastError());
        if (!DeleteRows(copy, deleted)) {
            Checkpoint();
            return fail(RowOutcome::Failed, copy.LastError());
        }
        if (!copy.Exec("COMMIT")) return fail(RowOutcome::Failed, copy.LastError());
        Phase(RowPhase::Deleted);
        SqliteStatement compact(copy, "VACUUM INTO ?1");
        compact.BindText(1, cleaned);
        if (compact.Step() || compact.Failed()) {
            Checkpoint();
            return fail(RowOutcome::Failed, "compaction failed: " + copy.LastError());
        }
    }
    guard.RemoveGroup(work);
    Phase(RowPhase::Compacted);

    {
        SqliteDb out;
        if (!out.Open(cleaned, SqliteDb::Mode::ReadWrite)) return fail(RowOutcome::Failed, "result cannot be opened");
        WatchStop(out);
        std::string outSchema;
        int64_t version = 0;
        if (!CheckIntegrity(out, false) || !SchemaText(out, outSchema) || outSchema != schema) {
            Checkpoint();
            return fail(RowOutcome::Failed, "result differs from the original's schema");
        }
        // Rewriting the user version is a committed, synced write: the result is on the disk
        // before it takes the original's name. The browser's journal mode is restored with it.
        if (!out.QueryInt("PRAGMA user_version", version) || !out.Exec("PRAGMA synchronous=FULL") ||
            !out.Exec("PRAGMA user_version=" + std::to_string(version)))
            return fail(RowOutcome::Failed, out.LastError());
        std::string mode;
        if (journalMode == "wal" && (!out.QueryText("PRAGMA journal_mode=WAL", mode) || mode != "wal"))
            return fail(RowOutcome::Failed, "journal mode not restored");
    }
    for (const char* suffix : {"-journal", "-wal", "-shm"}) files_.RemoveScratch(cleaned + suffix);
    Phase(RowPhase::Verified);

    if (!files_.Replace(path, cleaned)) return fail(RowOutcome::Failed, "the database could not be replaced");
    const uint64_t after = files_.GroupSize(path);
    result.outcome = RowOutcome::Cleaned;
    result.items = deleted;
    result.bytes = before > after ? before - after : 0;
    return result;
}
