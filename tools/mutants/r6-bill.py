"""Faults in the import's row limit, the price history, the editor's leave question, the open-bill note and the
label dialog: each the reason a test was cut (another test still catches it) or kept (none other does)."""
MUTANTS = [
    # The full-bill import test is gone: the picker's own table takes a file of exactly a bill's rows.
    ("a file of exactly a full bill's rows refused", "src/bill/ImportCheck.cpp",
     "if (rows_.size() >= maxRows_)", "if (rows_.size() + 1 >= maxRows_)", ["bill_tests"]),
    ("the price history lists the oldest bill first", "src/bill/FrmPriceHistory.cpp",
     "\" order by b.kdrq desc,cast(b.lsh as int) desc\"", "\" order by b.kdrq,cast(b.lsh as int)\"", ["bill_tests"]),
    ("an item typed in the line strip is no unsaved change", "src/bill/FrmAdjuctPrice.cpp",
     "    return !(CurrentHeader() == savedHeader_) || !(CurrentStrip() == savedStrip_);\n",
     "    return !(CurrentHeader() == savedHeader_);\n", ["bill_tests", "ui_qt_tests"]),
    ("the open-bill note names the bill being edited", "src/bill/PriceConflicts.cpp",
     "b.lsh<>'\" +\n                EscapeQuote(editor.TxtLSH.Text())", "b.lsh<>'x\" +\n                EscapeQuote(editor.TxtLSH.Text())",
     ["bill_tests"]),
    ("the open-bill note counts bills of other targets", "src/bill/PriceConflicts.cpp",
     "b.dwbh='\" + EscapeQuote(target) + \"' and isnull", "b.dwbh<>'x\" + EscapeQuote(target) + \"' and isnull", ["bill_tests"]),
    ("the label layout chosen is forgotten", "src/bill/FrmShelfLabels.cpp",
     "    ui::CurrentToolkit().SetPreference(kShelfLabelsPreference, OptRoll.Value() ? kSheetRoll : kSheetA4);\n", "",
     ["bill_tests", "ui_qt_tests"]),
]
