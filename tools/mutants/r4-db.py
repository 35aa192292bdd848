"""Faults in the database layer, the translator, the atomic file writer and the host schema."""
MUTANTS = [
    ("a password key spelt otherwise shown", "src/db/ConnectionString.cpp",
     "EqualNoCase(Trim(key), \"PWD\") || Lower(key).find(\"password\") != std::string::npos",
     "EqualNoCase(Trim(key), \"PWD\") || EqualNoCase(Trim(key), \"Password\")", ["db_tests"]),
    ("isnull left as it is for PostgreSQL", "src/db/dialect/PostgresRules.cpp",
     "    if (IEquals(text, \"isnull\")) {\n        text = \"coalesce\";",
     "    if (IEquals(text, \"isnul\")) {\n        text = \"coalesce\";", ["dialect_tests"]),
    ("the stock locking", "src/db/sqlite/SqliteDriver.cpp",
     "SQLITE_OPEN_NOMUTEX, OfdLockingVfs());", "SQLITE_OPEN_NOMUTEX, \"unix\");", ["reliability_tests", "db_tests"]),
    ("a long text cut at the ODBC buffer", "src/db/odbc/OdbcDriver.cpp",
     "            if (!more) break;\n", "            break;\n", ["db_tests"]),
    ("a kept file replaced", "src/data/AtomicFile.cpp",
     "target.c_str(), RENAME_NOREPLACE);", "target.c_str(), 0);", ["data_tests"]),
    ("a price key that takes duplicates", "schema/host_schema.sql",
     "CREATE UNIQUE INDEX ux_glprice_hh_dwbh ON glprice (HH, DWBH);",
     "CREATE INDEX ux_glprice_hh_dwbh ON glprice (HH, DWBH);", ["schema_tests"]),
]
