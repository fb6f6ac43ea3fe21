#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A table, index or column name as an SQL identifier: in double quotes, inner quotes doubled.
std::string QuotedSqlName(const std::string& name);

// One SQLite connection, owned. Paths are UTF-8 (SQLite's own file functions take them so and, on
// Windows, hand them to the wide calls). Errors are results, never thrown.
class SqliteDb {
public:
    enum class Mode { ReadOnly, ReadWrite, Create };

    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(SqliteDb&& other) noexcept;
    SqliteDb& operator=(SqliteDb&& other) noexcept;
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens a database file; never creates one unless asked to. Another process holding it open
    // makes later statements fail with "busy" at once: a browser's database is never waited for.
    [[nodiscard]] bool Open(const std::string& path, Mode mode);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

    [[nodiscard]] bool Exec(const std::string& sql);
    // The first column of the first row as text or number; nullopt-like false when there is none.
    [[nodiscard]] bool QueryText(const std::string& sql, std::string& value);
    [[nodiscard]] bool QueryInt(const std::string& sql, int64_t& value);
    // The first column of every row.
    [[nodiscard]] bool QueryColumn(const std::string& sql, std::vector<std::string>& values);
    // Turns the rollback journal off for this connection (a scratch file that is thrown away on
    // any failure): the defensive setting, which refuses that, is lifted for the one statement.
    [[nodiscard]] bool WithoutJournal();
    int64_t Changes() const;
    // The primary result code of the last failed call (SQLITE_BUSY, SQLITE_CORRUPT, ...).
    int ErrorCode() const;
    int ExtendedErrorCode() const;
    std::string LastError() const;

    sqlite3* Handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// One prepared statement, finalised with its owner.
class SqliteStatement {
public:
    SqliteStatement(SqliteDb& db, const std::string& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool Ok() const { return stmt_ != nullptr; }
    // True while a row is there; false at the end and on an error (Failed() tells which).
    bool Step();
    bool Failed() const { return failed_; }
    std::string Text(int column) const;
    int64_t Int(int column) const;
    void BindText(int index, const std::string& value);
    // Ready to run again with new bindings.
    void Reset();

private:
    sqlite3_stmt* stmt_ = nullptr;
    bool failed_ = false;
};
