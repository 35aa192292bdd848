// A small read/write handle on a SQLite file the schema code produced.
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/ScratchDir.h"

namespace schema::test {

using testing_support::ScratchDir;

class SqliteProbe {
public:
    explicit SqliteProbe(const std::string& path) {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        db_.reset(raw);
        if (rc != SQLITE_OK) throw std::runtime_error("cannot open " + path);
        sqlite3_extended_result_codes(raw, 1);
    }
    // First column of the first row; 0 when there is none.
    std::int64_t Int(const std::string& sql) const {
        auto s = Prepare(sql);
        return sqlite3_step(s.get()) == SQLITE_ROW ? sqlite3_column_int64(s.get(), 0) : 0;
    }
    // Every row, each value as text ("<null>" for NULL) followed by '|'.
    std::vector<std::string> Rows(const std::string& sql) const {
        auto s = Prepare(sql);
        std::vector<std::string> rows;
        while (sqlite3_step(s.get()) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(s.get()); ++c) {
                const auto* text = sqlite3_column_text(s.get(), c);
                row += (text ? reinterpret_cast<const char*>(text) : "<null>") + std::string("|");
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }
    // Runs a statement: SQLITE_DONE or its extended result code.
    int Run(const std::string& sql) const {
        const int rc = sqlite3_step(Prepare(sql).get());
        return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_DONE : sqlite3_extended_errcode(db_.get());
    }
    sqlite3* Handle() const { return db_.get(); }

private:
    struct Closer {
        void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
        void operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }
    };
    std::unique_ptr<sqlite3_stmt, Closer> Prepare(const std::string& sql) const {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_.get()));
        return std::unique_ptr<sqlite3_stmt, Closer>(raw);
    }
    std::unique_ptr<sqlite3, Closer> db_;
};

}  // namespace schema::test
