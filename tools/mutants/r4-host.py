"""Faults in the host's components: the report grid's model and outputs, the bill print, the pickers."""
MUTANTS = [
    ("report filter's contains matches across two rows", "src/host/ReportFilter.cpp",
     "if (next + part.size() <= end) rows[kept++] = r;", "if (next < end) rows[kept++] = r;", ["host_tests"]),
    ("workbook writes prices as text", "src/host/ReportWorkbook.cpp",
     "} else if (field.IsNumeric() && !field.flag && v.IsNumeric()) {",
     "} else if (field.IsNumeric() && field.flag && v.IsNumeric()) {", ["host_tests"]),
    ("report sort reverses ties going down", "src/host/ReportTableModel.cpp",
     "return a.row < b.row;", "return descending ? a.row > b.row : a.row < b.row;", ["host_tests"]),
    ("bill print divides a row that fits on the next page", "src/host/BillDocument.cpp",
     "if (!fresh && s.RowHeight(lines - first) <= pageRoom) {",
     "if (fresh && s.RowHeight(lines - first) <= pageRoom) {", ["host_tests"]),
    ("lookup returns the row shown, not the row fetched", "src/host/LookupDialog.cpp",
     "picked_ = model_->SourceRow(index.row());", "picked_ = index.row();", ["host_tests"]),
    ("reprint adds the selected rows to the ticked bills", "src/host/ReprintDialog.cpp",
     "    if (!serials.empty()) return serials;\n", "", ["host_tests"]),
]
