#include "engine/SqliteDb.h"

#include <sqlite3.h>

#include <utility>

std::string QuotedSqlName(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

SqliteDb::~SqliteDb() { Close(); }

SqliteDb::SqliteDb(SqliteDb&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

SqliteDb& SqliteDb::operator=(SqliteDb&& other) noexcept {
    if (this != &other) {
        Close();
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

bool SqliteDb::Open(const std::string& path, Mode mode) {
    Close();
    int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE;
    switch (mode) {
        case Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
        case Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
        case Mode::Create: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    db_ = db;
    sqlite3_extended_result_codes(db_, 1);
    // Triggers and views of a file we did not write must not run anything we did not ask for.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    return true;
}

void SqliteDb::Close() {
    if (db_) sqlite3_close_v2(std::exchange(db_, nullptr));
}

bool SqliteDb::Exec(const std::string& sql) {
    return db_ && sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool SqliteDb::QueryText(const std::string& sql, std::string& value) {
    SqliteStatement stmt(*this, sql);
    if (!stmt.Step()) return false;
    value = stmt.Text(0);
    return true;
}

bool SqliteDb::QueryInt(const std::string& sql, int64_t& value) {
    SqliteStatement stmt(*this, sql);
    if (!stmt.Step()) return false;
    value = stmt.Int(0);
    return true;
}

bool SqliteDb::QueryColumn(const std::string& sql, std::vector<std::string>& values) {
    values.clear();
    SqliteStatement stmt(*this, sql);
    if (!stmt.Ok()) return false;
    while (stmt.Step()) values.push_back(stmt.Text(0));
    return !stmt.Failed();
}

bool SqliteDb::WithoutJournal() {
    if (!db_) return false;
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 0, nullptr);
    std::string mode;
    const bool off = QueryText("PRAGMA journal_mode=OFF", mode) && mode == "off";
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    return off;
}

int64_t SqliteDb::Changes() const { return db_ ? sqlite3_changes64(db_) : 0; }

int SqliteDb::ErrorCode() const { return db_ ? (sqlite3_extended_errcode(db_) & 0xff) : SQLITE_CANTOPEN; }

int SqliteDb::ExtendedErrorCode() const { return db_ ? sqlite3_extended_errcode(db_) : SQLITE_CANTOPEN; }

std::string SqliteDb::LastError() const { return db_ ? sqlite3_errmsg(db_) : "not open"; }

SqliteStatement::SqliteStatement(SqliteDb& db, const std::string& sql) {
    if (!db.Handle() || sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        failed_ = true;
    }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

bool SqliteStatement::Step() {
    if (!stmt_ || failed_) return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) failed_ = true;
    return false;
}

std::string SqliteStatement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                : std::string();
}

int64_t SqliteStatement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

void SqliteStatement::BindText(int index, const std::string& value) {
    if (stmt_) sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::Reset() {
    if (!stmt_) return;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    failed_ = false;
}
