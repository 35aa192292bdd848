// A prepared SQLite statement for writing rows: bind, execute, and it is ready for the next
// row. Owns its sqlite3_stmt; used by the database builders of this folder only.
#pragma once

#include <memory>
#include <string_view>

#include <sqlite3.h>

#include "schema/RowSink.h"

namespace schema::detail {

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

class SqliteStatement : public RowStatement {
public:
    SqliteStatement(sqlite3* db, std::string_view sql);

    // Parameters are numbered from 1, as in sqlite3_bind_*.
    SqliteStatement& Bind(int index, std::string_view text) override;
    SqliteStatement& Bind(int index, const char* text) { return Bind(index, std::string_view(text)); }
    SqliteStatement& Bind(int index, int value) override;
    SqliteStatement& Bind(int index, double value) override;
    SqliteStatement& BindNull(int index) override;

    // Runs the statement to completion, then resets it and clears the bindings.
    void Execute() override;

private:
    void Check(int rc, const char* what) const;

    sqlite3* db_;
    StatementHandle statement_;
};

}  // namespace schema::detail
