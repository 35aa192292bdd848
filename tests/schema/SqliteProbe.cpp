#include "SqliteProbe.h"

#include <stdexcept>

namespace schema::test {

namespace {

struct Finalizer {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

Statement Prepare(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(db));
    }
    return Statement(raw);
}

std::string ColumnText(sqlite3_stmt* statement, int column)
{
    const auto* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

SqliteProbe::SqliteProbe(const std::string& path)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) {
        throw std::runtime_error("cannot open " + path);
    }
    sqlite3_extended_result_codes(raw, 1);
}

std::int64_t SqliteProbe::Int(const std::string& sql) const
{
    auto statement = Prepare(db_.get(), sql);
    return sqlite3_step(statement.get()) == SQLITE_ROW ? sqlite3_column_int64(statement.get(), 0) : 0;
}

std::vector<std::string> SqliteProbe::Rows(const std::string& sql) const
{
    static constexpr const char* kClass[] = {"?", "i:", "r:", "t:", "b:", "n:"};
    auto statement = Prepare(db_.get(), sql);
    std::vector<std::string> rows;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        std::string row;
        for (int c = 0; c < sqlite3_column_count(statement.get()); ++c) {
            const int type = sqlite3_column_type(statement.get(), c);
            row += kClass[type];
            row += type == SQLITE_NULL ? "<null>" : ColumnText(statement.get(), c);
            row += '|';
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

int SqliteProbe::Run(const std::string& sql) const
{
    auto statement = Prepare(db_.get(), sql);
    const int rc = sqlite3_step(statement.get());
    return rc == SQLITE_ROW ? SQLITE_DONE : rc == SQLITE_DONE ? rc : sqlite3_extended_errcode(db_.get());
}

}  // namespace schema::test
