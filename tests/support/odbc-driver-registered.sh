#!/bin/sh
# Run by CTest before the tests on the ODBC backend: makes sure unixODBC knows the SQLite ODBC
# driver as "SQLite3" (Debian's libsqliteodbc registers it when installed) and registers it from a
# template otherwise, which needs root. Prints the entry.
set -eu
if odbcinst -q -d -n SQLite3 >/dev/null 2>&1; then
  odbcinst -q -d -n SQLite3
  exit 0
fi
lib=""
for candidate in /usr/lib/*/odbc/libsqlite3odbc.so /usr/lib/odbc/libsqlite3odbc.so /usr/lib64/libsqlite3odbc.so; do
  if [ -e "$candidate" ]; then lib=$candidate; break; fi
done
if [ -z "$lib" ]; then
  echo "The SQLite ODBC driver (libsqlite3odbc.so) is not installed; scripts/install-deps.sh installs libsqliteodbc." >&2
  exit 1
fi
template=$(mktemp)
trap 'rm -f "$template"' EXIT
printf '[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%s\nSetup=%s\n' "$lib" "$lib" > "$template"
odbcinst -i -d -f "$template"
odbcinst -q -d -n SQLite3
