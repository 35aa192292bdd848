// What a database driver offers the Connection: one open session on one database. Implementations
// live in db/sqlite and db/odbc; nothing outside db/ sees them. Every method throws db::Error.
#pragma once
#include <memory>
#include <string>

#include "db/RowSet.h"

namespace db {

class ConnectionString;

class Driver {
public:
    virtual ~Driver() = default;
    virtual std::string Name() const = 0;           // "sqlite", "odbc"
    virtual long long Execute(const std::string& tsql) = 0;  // rows affected
    virtual std::shared_ptr<RowSet> Query(const std::string& tsql) = 0;
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    // How long a statement may wait for another session's locks before it gives up, in seconds;
    // 0 or less: the driver's default.
    virtual void SetCommandTimeout(int seconds) = 0;
    virtual void Close() noexcept = 0;
};

// Opens the driver that the connection string names. Throws db::Error with a description that
// never contains a password.
std::unique_ptr<Driver> OpenDriver(const ConnectionString& cs);

}  // namespace db
