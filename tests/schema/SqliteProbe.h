// A small read/write handle on a SQLite file, for asking questions of what the schema code produced.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "support/ScratchDir.h"

namespace schema::test {

using testing_support::ScratchDir;

class SqliteProbe {
public:
    explicit SqliteProbe(const std::string& path);

    // First column of the first row; 0 when there is no row or it is NULL.
    std::int64_t Int(const std::string& sql) const;
    // Every row, each value as text ("<null>" for NULL) prefixed by its storage class.
    std::vector<std::string> Rows(const std::string& sql) const;
    // Runs a statement and returns its extended result code.
    int Run(const std::string& sql) const;
    sqlite3* Handle() const { return db_.get(); }

private:
    struct Closer {
        void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
    };
    std::unique_ptr<sqlite3, Closer> db_;
};

}  // namespace schema::test
