// The embedded database driver: "Provider=SQLite;Data Source=FILE". Opens an existing file only
// (never creates an empty database), waits on a busy database instead of failing at once, turns
// the library's SQL Server statements into SQLite's dialect and reports column types in the
// recordset vocabulary.
#pragma once
#include <memory>

#include "db/DataType.h"
#include "db/Driver.h"

namespace db::sqlite {

std::unique_ptr<Driver> OpenSqliteDriver(const ConnectionString& cs);

// Run on every connection once it is open:
// - Temporary data stays in memory. A statement that changes many rows inside a transaction keeps
//   a journal of its own, to undo itself alone on failure, and above 64 KiB SQLite writes that
//   journal to a temporary file; that doubled the cost of an audit's insert of a few hundred prices.
// - A 16 MiB page cache instead of SQLite's 2 MiB. An audit of a few hundred lines touches more
//   pages than that (the prices' rows and both their indexes, scattered by item), so every audit
//   read them again from the file. Memory is only taken as pages are read.
inline constexpr const char* kConnectionSettings = "PRAGMA temp_store=MEMORY; PRAGMA cache_size=-16384";

// Type class of a declared column type ("smallint", "numeric(18,4)", "varchar(20)", "datetime").
DataType DataTypeFromDeclared(std::string_view declared);

}  // namespace db::sqlite
