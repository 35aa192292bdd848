"""Faults whose tests were cut from tests/db, tests/schema and tests/reliability: another test still catches each."""
MUTANTS = [
    ("the demo written over a database with host tables", "schema/ServerDatabase.cpp",
     "    RefuseHostTables(c);\n    db::TransactionGuard transaction(c);\n    CreateTables(c, target);\n    ConnectionSink",
     "    db::TransactionGuard transaction(c);\n    CreateTables(c, target);\n    ConnectionSink", ["app_tests"]),
    ("the host tables created over a database that has them", "schema/ServerDatabase.cpp",
     "    RefuseHostTables(c);\n    db::TransactionGuard transaction(c);\n    CreateTables(c, target);\n    transaction",
     "    db::TransactionGuard transaction(c);\n    CreateTables(c, target);\n    transaction", ["db_tests"]),
    ("an existing host database file opened over", "schema/NewHostDatabase.cpp",
     "std::fopen(path.c_str(), \"wbx\")", "std::fopen(path.c_str(), \"wb\")", ["schema_tests"]),
]
