"""Faults in the bill editor's tools: import, copy, reversal, category add and the item lookup."""
MUTANTS = [
    ("import takes more rows than a bill holds", "src/bill/ImportCheck.cpp",
     "    if (rows_.size() >= maxRows_)\n", "    if (false)\n", ["bill_tests"]),
    ("a formula cell saved unescaped", "src/data/AtomicFile.cpp",
     "        if (!number) cell = \"'\";\n", "", ["bill_tests"]),
    ("a copy not retried after a serial clash", "src/bill/BillCopy.cpp",
     "if (attempt >= kAttempts || e.Code() != db::ErrorCode::IntegrityViolation) throw;", "throw;", ["bill_tests"]),
    ("the reversal takes earlier bills as later", "src/bill/ReverseBill.cpp",
     "(b.kdrq>h.kdrq or (b.kdrq=h.kdrq and ", "(b.kdrq<h.kdrq or (b.kdrq=h.kdrq and ", ["bill_tests"]),
    ("the category add ignores the room left", "src/bill/FrmAddByCategory.cpp",
     "            if (fresh > room)\n", "            if (false)\n", ["bill_tests"]),
    ("the item lookup offers deleted items", "src/bill/FrmAdjuctPrice.cpp",
     "on a.hh=b.hh where isnull(a.FDeleted,0)=0 [选择条件]", "on a.hh=b.hh where 1=1 [选择条件]", ["bill_tests"]),
]
