// The host tables on a database server, reached through a db::Connection (and so through ODBC and
// the statement translator): a head office's empty database gets the tables, their indexes and,
// for trying the module out, the demo data set.
#pragma once

#include <stdexcept>
#include <string>

#include "db/Connection.h"
#include "schema/DemoDatabase.h"
#include "schema/HostSchema.h"
#include "schema/ScaleDatabase.h"

namespace schema {

// The database already holds host tables; nothing was changed. what() is the operator's message.
struct HostTablesPresent : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The connection leads to a database whose table types are not known here.
struct UnsupportedServer : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Asks the server what it is: PostgreSQL or SQLite (UnsupportedServer otherwise).
SchemaTarget ServerTarget(db::Connection& c);

// The host tables (and on PostgreSQL the citext extension) in one transaction; refuses with
// HostTablesPresent a database that holds any of them.
void CreateServerHostTables(db::Connection& c);

// The tables and the demo data set in one transaction; nothing is left behind on failure. Bad
// options throw std::invalid_argument before anything is sent.
void CreateServerDemoDatabase(db::Connection& c, const DemoOptions& options = {});

// The database holds host tables of another data set (or of a shop) than the one asked for.
struct OtherDataSet : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A data set of the given size, the same rows as the file CreateScaleDatabase writes, for
// measuring on a server. It is marked with `stamp` (the size and what made it) in a table of its
// own, spb_dataset. An empty database gets the tables, the rows and the mark in one transaction,
// then fresh planner statistics; true. A database already marked with the same stamp is left as
// it is; false. Any other database holding host tables is refused with OtherDataSet and left
// untouched.
bool CreateServerScaleDatabase(db::Connection& c, DataScale scale, const std::string& stamp);

}  // namespace schema
