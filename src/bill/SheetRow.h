// One row of an imported table: its number in the file (from 1, as a spreadsheet program shows
// it) and its cells as UTF-8 text; and the receiver to which the readers hand a table as they
// read it, so that nothing but what the receiver keeps stays in memory.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bill {

struct SheetRow {
    int number = 0;
    std::vector<std::string> cells;
    bool operator==(const SheetRow&) const = default;
};

class SheetSink {
public:
    // A reader keeps at most this many bytes of a cell; a longer cell reaches the sink cut to
    // this length with `cut` set.
    static constexpr size_t kMaxCellBytes = 4096;

    virtual ~SheetSink() = default;
    // A cell of the current row; columns (from 0) ascend within a row.
    virtual void Cell(int column, std::string_view text, bool cut) = 0;
    // The end of the row numbered `number`. Either may throw std::runtime_error with a message
    // for the operator, which ends the reading.
    virtual void EndRow(int number) = 0;
};

}  // namespace bill
