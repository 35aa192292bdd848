"""Faults whose tests were cut or kept on the evidence of a planted fault."""
MUTANTS = [
    # The full-bill import test is gone: the picker's own table takes a file of exactly a bill's rows.
    ("a file of exactly a full bill's rows refused", "src/bill/ImportCheck.cpp",
     "if (rows_.size() >= maxRows_)", "if (rows_.size() + 1 >= maxRows_)", ["bill_tests"]),
]
