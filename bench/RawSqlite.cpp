// The raw side on a SQLite file: the sqlite3 C API.
#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>

#include "bench/RawDatabase.h"
#include "db/sqlite/SqliteDriver.h"

namespace bench {
namespace {

[[noreturn]] void Fail(sqlite3* db, std::string_view sql) {
    throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in: " + std::string(sql));
}

class SqliteCursor final : public RawCursor {
public:
    SqliteCursor(sqlite3* db, std::string_view sql) : db_(db) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) Fail(db, sql);
        st_.reset(raw);
    }

    void Bind(int index, std::string_view text) override {
        sqlite3_bind_text(st_.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void Bind(int index, double value) override { sqlite3_bind_double(st_.get(), index, value); }

    long Read() override {
        sqlite3_stmt* st = st_.get();
        const int n = sqlite3_column_count(st);
        std::string kept;                 // every value's bytes ...
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

    long Run() override {
        int rc;
        while ((rc = sqlite3_step(st_.get())) == SQLITE_ROW) {}
        if (rc != SQLITE_DONE) Fail(db_, sqlite3_sql(st_.get()));
        sqlite3_reset(st_.get());
        return sqlite3_changes(db_);
    }

    bool Step() override {
        const int rc = sqlite3_step(st_.get());
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) Fail(db_, sqlite3_sql(st_.get()));
        sqlite3_reset(st_.get());
        return false;
    }

    bool IsNull(int column) const override { return sqlite3_column_type(st_.get(), column) == SQLITE_NULL; }
    std::string_view Text(int column) const override {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st_.get(), column));
        return text ? std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(st_.get(), column))) : std::string_view();
    }
    double Double(int column) const override { return sqlite3_column_double(st_.get(), column); }
    long long Int(int column) const override { return sqlite3_column_int64(st_.get(), column); }
    int Columns() const override { return sqlite3_column_count(st_.get()); }

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
    };
    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, Finalizer> st_;
};

class SqliteDatabase final : public RawDatabase {
public:
    explicit SqliteDatabase(const std::string& path) {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        db_.reset(raw);
        if (rc != SQLITE_OK) throw std::runtime_error("cannot open " + path);
        sqlite3_busy_timeout(raw, 10000);
        // The same file, opened with the same settings as the system's driver: the two sides
        // differ in the work they do, not in how SQLite is configured.
        sqlite3_exec(raw, db::sqlite::kConnectionSettings, nullptr, nullptr, nullptr);
    }

    std::unique_ptr<RawCursor> Prepare(std::string_view sql) override { return std::make_unique<SqliteCursor>(db_.get(), sql); }

    void Exec(const std::string& sql) override {
        char* error = nullptr;
        if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::string message = error ? error : "error";
            sqlite3_free(error);
            throw std::runtime_error(message + " in: " + sql);
        }
    }

    void Begin() override { Exec("BEGIN IMMEDIATE"); }
    void Settle() override { Exec("PRAGMA wal_checkpoint(TRUNCATE)"); }

private:
    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };
    std::unique_ptr<sqlite3, Closer> db_;
};

}  // namespace

std::unique_ptr<RawDatabase> RawDatabase::OpenSqlite(const std::string& path) { return std::make_unique<SqliteDatabase>(path); }

}  // namespace bench
