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

// Type class of a declared column type ("smallint", "numeric(18,4)", "varchar(20)", "datetime").
DataType DataTypeFromDeclared(std::string_view declared);

}  // namespace db::sqlite
