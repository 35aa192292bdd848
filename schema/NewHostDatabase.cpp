#include "schema/NewHostDatabase.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "schema/HostSchema.h"

namespace schema::detail {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// sqlite3_open_v2 happily opens an existing database, so the file is made here with an
// exclusive create ("x"): an existing file, even one appearing meanwhile, is refused.
void CreateExclusively(const std::string& path)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wbx"));
    if (!file) {
        if (std::error_code ec; std::filesystem::exists(path, ec)) {
            throw std::runtime_error("database file already exists: " + path);
        }
        throw std::runtime_error("cannot create database file: " + path);
    }
}

}  // namespace

NewHostDatabase::NewHostDatabase(std::string path) : path_(std::move(path))
{
    CreateExclusively(path_);
    try {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(path_.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        db_.reset(raw);
        if (rc != SQLITE_OK) {
            throw std::runtime_error("cannot open " + path_ + ": " +
                                     (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
        }
        sqlite3_extended_result_codes(db_.get(), 1);
        // The journal mode cannot change inside a transaction, so it comes first.
        Exec("PRAGMA journal_mode=WAL");
        Exec("BEGIN");
        Exec(HostSchemaSql(SchemaTarget::Sqlite));
    } catch (...) {
        RemoveFiles();
        throw;
    }
}

NewHostDatabase::~NewHostDatabase()
{
    if (!committed_) {
        RemoveFiles();
    }
}

void NewHostDatabase::Exec(const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db_.get());
        sqlite3_free(error);
        throw std::runtime_error("SQLite error in " + path_ + ": " + message);
    }
}

void NewHostDatabase::Commit()
{
    Exec("COMMIT");
    committed_ = true;
    db_.reset();
}

void NewHostDatabase::RemoveFiles() noexcept
{
    db_.reset();  // rolls back an open transaction
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::filesystem::remove(path_ + suffix, ec);
    }
}

}  // namespace schema::detail
