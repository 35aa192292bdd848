"""Faults in the host's reprint list, report filter and file names, PDF text, and the Qt toolkit's keys and windows."""
MUTANTS = [
    ("reprint's range leaves out the later hours of its last day", "src/host/ReprintDialog.cpp",
     "DateLiteral(to.addDays(1))", "DateLiteral(to)", ["host_tests"]),
    ("report filter's between leaves out its upper bound", "src/host/ReportFilter.cpp",
     "(!c.hasHigh || x <= c.high || Close(x, c.high))", "(!c.hasHigh || x < c.high)", ["host_tests"]),
    ("a report's file name keeps the title's leading dots", "src/host/ReportGridComponent.cpp",
     "    while (name.startsWith(QLatin1Char('.'))) name.remove(0, 1);\n", "", ["host_tests"]),
    ("the PDF's text keeps the radicals a font maps its ideographs to", "src/host/PdfTextRepair.cpp",
     "            WriteCode4(pdf, at, u);\n", "", ["host_tests"]),
    ("keypad digits read as the main keyboard's", "src/ui/qt/KeyMap.cpp",
     "if (modifiers & Qt::KeypadModifier) {", "if (false) {", ["ui_qt_tests"]),
    ("a window's frame not counted when it is fitted to the screen", "src/ui/qt/WindowPlacement.cpp",
     "const QRect room = area.marginsRemoved(frame);", "const QRect room = area;", ["ui_qt_tests"]),
]
