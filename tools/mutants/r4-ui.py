"""Faults in the Qt toolkit, the browser's commands, the entry's settings and the plug-in's entry points."""
MUTANTS = [
    ("a typed number does not reach the logic", "src/ui/qt/NumberBoxBinding.cpp",
     "        if (!Applying()) box_.EnteredValue(v);\n", "        (void)v;\n", ["ui_qt_tests"]),
    ("the grid model's row and column swapped", "src/ui/qt/GridModel.cpp",
     "grid_.TextMatrix(index.row() + 1, index.column())", "grid_.TextMatrix(index.column() + 1, index.row())",
     ["ui_qt_tests"]),
    ("a kept window placement not restored", "src/ui/qt/WindowPlacement.cpp",
     "const QRect saved = WindowPlacement::Saved(key_);", "const QRect saved;", ["ui_qt_tests"]),
    ("the browser posts unmarked bills", "src/browser/BrowserCommands.cpp",
     "                if (Vs.TextMatrix(r, 0) != kMark) continue;\n                if (!own",
     "                if (false) continue;\n                if (!own", ["browser_tests"]),
    ("a padded on-exec-date flag refused", "src/data/SystemSettingsLoader.cpp",
     "s.PricesOnExecDate = Trim(GetSystemProfile(\"GL\", \"按执行日期生效\")) == \"1\";", "s.PricesOnExecDate = GetSystemProfile(\"GL\", \"按执行日期生效\") == \"1\";",
     ["entry_tests"]),
    ("the apply-due entry point reports success on failure", "src/plugin/SubPriceBillApi.cpp",
     "    } catch (...) {\n    }\n    return -1;\n}", "    } catch (...) {\n    }\n    return 0;\n}", ["app_tests"]),
]
