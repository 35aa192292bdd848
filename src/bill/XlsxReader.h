// The rows of the first worksheet of an .xlsx file as text: shared and inline strings, numbers
// as written (an exponent form turned into plain digits), booleans as TRUE/FALSE, formula
// results as cached; the first 256 columns are kept. Rows without any non-blank cell are left
// out.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "bill/SheetRow.h"

namespace bill {

class XlsxReader {
public:
    // Throws std::runtime_error when `bytes` are not an .xlsx workbook this class can read.
    static std::vector<SheetRow> Read(std::string bytes);
    // The column of a cell reference ("A1" 0, "AB7" 27); -1 when it has no column letters.
    static int ColumnOf(std::string_view reference);
    // The row of a cell reference ("AB7" 7); 0 when it has none.
    static int RowOf(std::string_view reference);
};

}  // namespace bill
