#include "engine/RowCleanerIndexes.h"

namespace {

// Below this many rows a rebuild gains nothing worth the statements.
constexpr int64_t kMinRowsGoing = 1000;

bool Exists(SqliteDb& db, const std::string& table) {
    SqliteStatement stmt(db, "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ?1");
    stmt.BindText(1, table);
    return stmt.Step();
}

}  // namespace

bool SetAsideIndexes::Drop(SqliteDb& db, const std::string& table, const std::string& where) {
    sql_.clear();
    stats_ = false;
    if (where.empty()) return true;  // a table emptied whole drops its pages, indexes with them
    int64_t all = 0, going = 0;
    if (!db.QueryInt("SELECT COUNT(*) FROM main." + QuotedSqlName(table), all) ||
        !db.QueryInt("SELECT COUNT(*) FROM main." + QuotedSqlName(table) + where, going))
        return false;
    if (going < kMinRowsGoing || going * 2 < all) return true;
    // Statistics beside sqlite_stat1 are of a kind this build does not write back: left alone.
    for (const char* other : {"sqlite_stat2", "sqlite_stat3", "sqlite_stat4"})
        if (Exists(db, other)) return true;
    std::vector<std::string> names;
    {
        SqliteStatement list(db, "SELECT l.name, m.sql FROM pragma_index_list(?1) l JOIN main.sqlite_master m "
                                 "ON m.type = 'index' AND m.name = l.name WHERE l.origin = 'c' AND l.partial = 0 AND "
                                 "m.sql NOT NULL AND NOT EXISTS (SELECT 1 FROM pragma_index_xinfo(l.name) x "
                                 "WHERE x.cid = -2)");
        list.BindText(1, table);
        while (list.Step()) {
            names.push_back(list.Text(0));
            sql_.push_back(list.Text(1));
        }
        if (list.Failed()) return false;
    }
    if (names.empty()) return true;
    stats_ = Exists(db, "sqlite_stat1");
    if (stats_ && !db.Exec("CREATE TEMP TABLE IF NOT EXISTS tl_stat1(tbl, idx, stat)")) return false;
    for (const std::string& name : names) {
        if (stats_) {
            SqliteStatement keep(db, "INSERT INTO temp.tl_stat1 SELECT tbl, idx, stat FROM main.sqlite_stat1 WHERE idx = ?1");
            keep.BindText(1, name);
            if (keep.Step() || keep.Failed()) return false;
        }
        if (!db.Exec("DROP INDEX main." + QuotedSqlName(name))) return false;
    }
    return true;
}

bool SetAsideIndexes::Restore(SqliteDb& db) {
    for (const std::string& sql : sql_)
        if (!db.Exec(sql)) return false;
    sql_.clear();
    if (stats_ && (!db.Exec("INSERT INTO main.sqlite_stat1 SELECT tbl, idx, stat FROM temp.tl_stat1") ||
                   !db.Exec("DELETE FROM temp.tl_stat1")))
        return false;
    stats_ = false;
    return true;
}
