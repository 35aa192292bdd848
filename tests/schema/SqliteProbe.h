// Test helpers: a scratch folder that cleans up after itself, and a small read/write handle on
// a SQLite file for asking questions of what the schema code produced.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sqlite3.h>

namespace schema::test {

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

class SqliteProbe {
public:
    explicit SqliteProbe(const std::string& path);

    // First column of the first row; 0 / "" when there is no row or it is NULL.
    std::int64_t Int(const std::string& sql) const;
    std::string Text(const std::string& sql) const;
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
