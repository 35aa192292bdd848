// The ODBC driver: "Driver=...", "DSN=..." and the SQL Server provider form, through unixODBC.
// After connecting it asks the data source what it is: Microsoft SQL Server gets the library's
// statements as written, any other data source gets them translated into SQLite's dialect (the
// SQLite ODBC driver is how the test suite runs this driver). Column types are reported in the
// recordset vocabulary with the classes the embedded driver gives; results are static snapshots.
#pragma once
#include <memory>

#include "db/Driver.h"

namespace db {

// Throws db::Error (ConnectionFailed) with the driver manager's or the driver's own message and
// never a password; gives up after the login time-out ("Connect Timeout", default 15 seconds).
std::unique_ptr<Driver> OpenOdbcDriver(const ConnectionString& cs);

}  // namespace db
