#!/bin/sh
# Run by CTest before the tests on the ODBC backend: unixODBC must know the SQLite ODBC driver as
# "SQLite3" (Debian's libsqliteodbc registers it when it is installed). Prints the entry.
if ! odbcinst -q -d -n SQLite3; then
  echo "The SQLite ODBC driver is not registered as SQLite3; scripts/install-deps.sh installs libsqliteodbc." >&2
  exit 1
fi
