// The DDL of the embedded host database. The text is host_schema.sql, compiled into the
// library at build time so that no file is needed at run time.
#pragma once

#include <string_view>

namespace schema {

// All CREATE TABLE / CREATE INDEX statements, ready for sqlite3_exec.
std::string_view HostSchemaSql();

}  // namespace schema
