// One row of an imported table: its number in the file (from 1, as a spreadsheet program shows
// it) and its cells as UTF-8 text.
#pragma once
#include <string>
#include <vector>

namespace bill {

struct SheetRow {
    int number = 0;
    std::vector<std::string> cells;
    bool operator==(const SheetRow&) const = default;
};

}  // namespace bill
