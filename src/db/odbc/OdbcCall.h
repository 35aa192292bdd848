// Handles of the ODBC API owned by unique_ptr with deleters that free them, and the one function
// that every ODBC call's return code goes through, turning failures into db::Error with the
// driver's own diagnostic text.
#pragma once
#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/ConnectionString.h"
#include "db/Error.h"

namespace db::odbc {

template <SQLSMALLINT HandleType>
struct HandleFree {
    void operator()(SQLHANDLE h) const noexcept {
        if (h) SQLFreeHandle(HandleType, h);
    }
};
using EnvHandle = std::unique_ptr<void, HandleFree<SQL_HANDLE_ENV>>;
using DbcHandle = std::unique_ptr<void, HandleFree<SQL_HANDLE_DBC>>;
using StmtHandle = std::unique_ptr<void, HandleFree<SQL_HANDLE_STMT>>;

// Held for as long as a connection handle is connected; disconnects it. Declared after the
// DbcHandle it refers to, so that it is released first.
struct Disconnector {
    void operator()(SQLHDBC h) const noexcept {
        if (h) SQLDisconnect(h);
    }
};
using ConnectedHandle = std::unique_ptr<void, Disconnector>;

struct DiagRecord {
    std::string state;  // SQLSTATE, five characters
    long native = 0;    // the driver's own error number
    std::string text;   // UTF-8
};

// Every diagnostic record of a handle; `wide` reads them with SQLGetDiagRecW.
std::vector<DiagRecord> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, bool wide);

// How the calls of one connection report failures.
struct ErrorContext {
    bool wide = false;         // the driver's texts are read through the wide API
    bool sqliteCodes = false;  // SQLite data source: its driver gives HY000 and the SQLite result code
    const ConnectionString* secrets = nullptr;  // password values scrubbed from every description
};

// Error code of a diagnostic: 23xxx is an integrity violation, 42xxx a refused statement; a SQLite
// data source reports HY000 with SQLite's result code, which is read instead.
std::uint32_t ErrorCodeFor(std::string_view sqlState, long native, bool sqliteCodes);

// The error for the diagnostics of a failed call: the texts of all records, one a line.
[[nodiscard]] Error ErrorFrom(const std::vector<DiagRecord>& records, SQLRETURN rc, const ErrorContext& ctx);

// Every ODBC call's return code goes through here. SQL_SUCCESS, SQL_SUCCESS_WITH_INFO and
// SQL_NO_DATA are returned for the caller to tell apart; anything else throws db::Error with the
// diagnostics of `handle`.
SQLRETURN Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const ErrorContext& ctx);

}  // namespace db::odbc
