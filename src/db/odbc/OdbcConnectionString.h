// Turns the connection strings the host hands us into what an ODBC driver manager accepts.
// "Driver=..." and "DSN=..." strings go through as written; the ADO form of the SQL Server OLE DB
// providers ("Provider=SQLOLEDB;Data Source=SERVER,PORT;Initial Catalog=DB;User ID=..;Password=..")
// becomes a string for FreeTDS or, when "ODBC Driver=NAME" is given, for that driver. The login
// time-out keys are taken out and returned separately: they are a connection attribute in ODBC.
// Pure string work: no ODBC header is needed, so the mapping builds and is tested everywhere.
#pragma once
#include <string>
#include <string_view>

#include "db/ConnectionString.h"

namespace db::odbc {

inline constexpr int kDefaultLoginTimeoutSeconds = 15;

struct OdbcTarget {
    std::string connectionString;  // for SQLDriverConnect
    int loginTimeoutSeconds = kDefaultLoginTimeoutSeconds;  // 0: as long as the driver waits
};

// Throws db::Error (ConnectionFailed) for strings that cannot work on this system: Windows
// authentication, no server, no user name, a time-out that is not a number of seconds.
OdbcTarget ToOdbcTarget(const ConnectionString& cs);

// An ODBC connection string with `key` set to `value`: an earlier pair of that key (any case)
// taken out, the new one added at the end.
std::string WithKey(const std::string& odbcString, std::string_view key, std::string_view value);

// One value written for an ODBC connection string: braced when it holds ';', braces or
// surrounding blanks, with '}' doubled inside.
std::string OdbcValue(std::string_view value);

}  // namespace db::odbc
