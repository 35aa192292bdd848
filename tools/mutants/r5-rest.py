"""Faults in the browser's marks, the CSV writer, the natural order, the ODBC login time-out and the settings loader."""
MUTANTS = [
    ("invert selection marks every row", "src/browser/FrmBrowser.cpp",
     "Vs.SetTextMatrix(r, 0, Vs.TextMatrix(r, 0) == kMark ? \"\" : kMark);",
     "Vs.SetTextMatrix(r, 0, kMark);", ["browser_tests"]),
    ("a formula after a number's digits taken for a number", "src/data/AtomicFile.cpp",
     "digits > 0 && i == s.size();", "digits > 0;", ["data_tests"]),
    ("leading zeros settle a tie the other way", "src/db/NaturalOrder.cpp",
     "zeros = si - i0 < sj - j0 ? -1 : 1;", "zeros = si - i0 < sj - j0 ? 1 : -1;", ["db_tests"]),
    ("a negative login time-out taken", "src/db/odbc/OdbcConnectionString.cpp",
     "p != t.data() + t.size() || seconds < 0)", "p != t.data() + t.size())", ["db_tests"]),
    ("a negative warning percent taken", "src/data/SystemSettingsLoader.cpp",
     "s.PriceChangeWarnPercent = percent > 0 ? percent", "s.PriceChangeWarnPercent = percent != 0 ? percent",
     ["entry_tests"]),
]
