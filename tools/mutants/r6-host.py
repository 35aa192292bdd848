"""Faults that decided which host and Qt widget tests stay: each is caught by one test only (named)."""
MUTANTS = [
    # Toolkit.MessageBoxes: the only test that presses Return in a box whose second button is the default.
    ("a message box's second button not the default", "src/ui/qt/QtToolkit.cpp",
     "m.defaultButton == ui::DefaultButton::Second ? QMessageBox::No : QMessageBox::Yes",
     "m.defaultButton == ui::DefaultButton::Second ? QMessageBox::Yes : QMessageBox::Yes", ["ui_qt_tests"]),
    # Grid.ModelOverOneHundredThousandRows: the only test that counts the model's reports of moves and marks.
    ("a move of the grid's record reported as changed cells", "src/ui/qt/GridModel.cpp",
     "        lastRow_ = row;\n        return;", "        lastRow_ = row;", ["ui_qt_tests"]),
    ("a grid change reported per mark, not once per burst", "src/ui/qt/GridModel.cpp",
     "    if (changePending_) return;\n    changePending_ = true;", "    changePending_ = true;", ["ui_qt_tests"]),
    # ReportGridTest.TheDialogsChangeTheReportAndKeepWhatTheyChanged, for each of its dialogs.
    ("report properties taken from a cancelled dialog", "src/host/ReportGridComponent.cpp",
     "    if (dialog.exec() != QDialog::Accepted) return;\n    page_ = dialog.Setup();",
     "    dialog.exec();\n    page_ = dialog.Setup();", ["host_tests"]),
    ("report columns from the dialog not kept", "src/host/ReportGridComponent.cpp",
     "    model_->SetColumns(dialog.Columns());\n    Save();", "    model_->SetColumns(dialog.Columns());", ["host_tests"]),
    ("report filter from the dialog not kept", "src/host/ReportGridComponent.cpp",
     "    model_->SetFilter(dialog.Rules());\n    QApplication::restoreOverrideCursor();\n    Save();",
     "    model_->SetFilter(dialog.Rules());\n    QApplication::restoreOverrideCursor();", ["host_tests"]),
]
