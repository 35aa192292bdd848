// The DDL of the host tables. The text is host_schema.sql, written once with placeholders for the
// types that differ between databases, compiled into the library at build time so that no file is
// needed at run time, and rendered for the database it is meant for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace schema {

enum class SchemaTarget { Sqlite, PostgreSql };

// host_schema.sql as written, placeholders and all.
std::string_view HostSchemaTemplate();

// All CREATE TABLE / CREATE INDEX statements for the target as one script, comments kept (for
// SQLite: ready for sqlite3_exec).
std::string HostSchemaSql(SchemaTarget target = SchemaTarget::Sqlite);

// The same statements one by one, without comments or the closing ';', for a connection that
// takes one statement at a time. PostgreSQL's list starts with the citext extension.
std::vector<std::string> HostSchemaStatements(SchemaTarget target);

// The tables host_schema.sql creates, in its order.
std::vector<std::string> HostTableNames();

}  // namespace schema
