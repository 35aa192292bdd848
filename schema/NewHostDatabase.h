// A new SQLite file with the host tables, filled inside one transaction. Nothing is kept
// unless Commit() is reached: if the object goes away first, the file is removed again, so a
// failed build never leaves a half-filled database behind.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <sqlite3.h>

#include "schema/SqliteStatement.h"

namespace schema::detail {

struct DatabaseCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, DatabaseCloser>;

class NewHostDatabase : public RowSink {
public:
    // Creates the file (std::runtime_error if it exists or cannot be created), switches it to
    // WAL, begins the transaction and creates the host tables.
    explicit NewHostDatabase(std::string path);
    ~NewHostDatabase() override;

    NewHostDatabase(const NewHostDatabase&) = delete;
    NewHostDatabase& operator=(const NewHostDatabase&) = delete;

    SqliteStatement Prepare(std::string_view sql) { return SqliteStatement(db_.get(), sql); }
    std::unique_ptr<RowStatement> PrepareRow(std::string_view sql) override {
        return std::make_unique<SqliteStatement>(db_.get(), sql);
    }
    void Exec(const std::string& sql) override;
    void Commit();

private:
    void RemoveFiles() noexcept;

    std::string path_;
    DatabaseHandle db_;
    bool committed_ = false;
};

}  // namespace schema::detail
