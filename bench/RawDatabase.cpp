#include "bench/RawDatabase.h"

#include <cstdint>
#include <stdexcept>

#include "db/sqlite/SqliteDriver.h"

namespace bench {
namespace {

volatile long long g_sink = 0;

[[noreturn]] void Fail(sqlite3* db, std::string_view sql) {
    throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in: " + std::string(sql));
}

}  // namespace

void Consume(long long value) { g_sink = g_sink + value; }

RawStatement::RawStatement(sqlite3* db, std::string_view sql) : db_(db) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) Fail(db, sql);
    st_.reset(raw);
}

RawStatement& RawStatement::Bind(int index, std::string_view text) {
    sqlite3_bind_text(st_.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

RawStatement& RawStatement::Bind(int index, double value) {
    sqlite3_bind_double(st_.get(), index, value);
    return *this;
}

long RawStatement::Read() {
    sqlite3_stmt* st = st_.get();
    const int n = sqlite3_column_count(st);
    std::string kept;               // every value's bytes ...
    std::vector<std::uint32_t> ends;  // ... and where each ends
    long rows = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(st, i)) {
                case SQLITE_INTEGER: {
                    const sqlite3_int64 v = sqlite3_column_int64(st, i);
                    kept.append(reinterpret_cast<const char*>(&v), sizeof v);
                    break;
                }
                case SQLITE_FLOAT: {
                    const double v = sqlite3_column_double(st, i);
                    kept.append(reinterpret_cast<const char*>(&v), sizeof v);
                    break;
                }
                case SQLITE_TEXT:
                    kept.append(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                static_cast<size_t>(sqlite3_column_bytes(st, i)));
                    break;
                default:
                    break;
            }
            ends.push_back(static_cast<std::uint32_t>(kept.size()));
        }
        ++rows;
    }
    if (rc != SQLITE_DONE) Fail(db_, sqlite3_sql(st));
    sqlite3_reset(st);
    Consume(static_cast<long long>(kept.size() + ends.size()));
    return rows;
}

long RawStatement::Run() {
    int rc;
    while ((rc = sqlite3_step(st_.get())) == SQLITE_ROW) {}
    if (rc != SQLITE_DONE) Fail(db_, sqlite3_sql(st_.get()));
    sqlite3_reset(st_.get());
    return sqlite3_changes(db_);
}

RawDatabase::RawDatabase(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot open " + path);
    sqlite3_busy_timeout(raw, 10000);
    // The same file, opened with the same settings as the system's driver: the two sides differ in
    // the work they do, not in how SQLite is configured.
    sqlite3_exec(raw, db::sqlite::kConnectionSettings, nullptr, nullptr, nullptr);
}

long RawDatabase::Read(std::string_view sql) { return RawStatement(db_.get(), sql).Read(); }

void RawDatabase::Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "error";
        sqlite3_free(error);
        throw std::runtime_error(message + " in: " + sql);
    }
}

std::vector<std::string> RawDatabase::Column(std::string_view sql) {
    RawStatement st(db_.get(), sql);
    std::vector<std::string> out;
    while (sqlite3_step(st.Get()) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(st.Get(), 0);
        out.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
    }
    return out;
}

std::string RawDatabase::Scalar(std::string_view sql) {
    auto column = Column(sql);
    return column.empty() ? std::string() : column.front();
}

}  // namespace bench
