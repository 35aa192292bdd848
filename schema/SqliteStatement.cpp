#include "schema/SqliteStatement.h"

#include <stdexcept>
#include <string>

namespace schema::detail {

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : db_(db)
{
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
    statement_.reset(raw);
    if (rc != SQLITE_OK) {
        throw std::runtime_error("cannot prepare \"" + std::string(sql) + "\": " + sqlite3_errmsg(db_));
    }
}

void SqliteStatement::Check(int rc, const char* what) const
{
    if (rc != SQLITE_OK) {
        throw std::runtime_error(std::string(what) + " failed for \"" + sqlite3_sql(statement_.get()) +
                                 "\": " + sqlite3_errmsg(db_));
    }
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text)
{
    Check(sqlite3_bind_text(statement_.get(), index, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT),
          "bind");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, int value)
{
    Check(sqlite3_bind_int(statement_.get(), index, value), "bind");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, double value)
{
    Check(sqlite3_bind_double(statement_.get(), index, value), "bind");
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index)
{
    Check(sqlite3_bind_null(statement_.get(), index), "bind");
    return *this;
}

void SqliteStatement::Execute()
{
    int rc = sqlite3_step(statement_.get());
    while (rc == SQLITE_ROW) {
        rc = sqlite3_step(statement_.get());
    }
    // Read the message before the reset, which may replace it.
    const std::string message = rc == SQLITE_DONE ? std::string() : sqlite3_errmsg(db_);
    sqlite3_reset(statement_.get());
    sqlite3_clear_bindings(statement_.get());
    if (rc != SQLITE_DONE) {
        throw std::runtime_error(std::string("\"") + sqlite3_sql(statement_.get()) + "\" failed: " + message);
    }
}

}  // namespace schema::detail
