#pragma once
#include "engine/SqliteDb.h"

#include <string>
#include <vector>

// SQLite keeps every index of a table row by row while rows are deleted: for a table most of
// whose rows go (a history), that is most of the work. On the scratch copy, the plain indexes of
// such a table are dropped before the deletion and built again from the rows that stay, with
// their statistics; the tables and the indexes hold afterwards exactly what a deletion row by row
// would have left, and the schema text is the same.
class SetAsideIndexes {
public:
    // Drops the plain indexes (made by CREATE INDEX on columns, without expressions or a WHERE)
    // of `table` when the deletion `where` (" WHERE (...)") takes most of its rows; nothing
    // otherwise. False on a failed statement.
    [[nodiscard]] bool Drop(SqliteDb& db, const std::string& table, const std::string& where);
    // Builds again what Drop took away, and its statistics.
    [[nodiscard]] bool Restore(SqliteDb& db);

private:
    std::vector<std::string> sql_;
    bool stats_ = false;
};
