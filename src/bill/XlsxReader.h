// The rows of the first worksheet of an .xlsx file as text: shared and inline strings, numbers
// as written (an exponent form turned into plain digits), booleans as TRUE/FALSE, formula
// results as cached. The parts are unpacked in pieces (ZipArchive) and read with expat
// (XmlReader) as they come, in the SpreadsheetML namespace; each cell goes to a SheetSink as soon
// as it ends, so memory does not grow with the sheet. The shared strings are kept, bounded by
// kMaxSharedStrings strings and kMaxSharedBytes of text.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "bill/SheetRow.h"

namespace bill {

class XlsxReader {
public:
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;
    static constexpr size_t kMaxSharedStrings = 1u << 21;
    static constexpr size_t kMaxSharedBytes = 32u << 20;

    // Throws std::runtime_error with a message for the operator when `bytes` are not an .xlsx
    // workbook this class can read, or pass the limits above or those of ZipArchive and XmlReader.
    static void Read(std::string bytes, SheetSink& sink);
    // The column of a cell reference ("A1" 0, "AB7" 27); -1 when it has no column letters or
    // lies beyond kMaxColumns.
    static int ColumnOf(std::string_view reference);
    // The row of a cell reference ("AB7" 7); 0 when it has none or lies beyond kMaxRows.
    static int RowOf(std::string_view reference);
};

}  // namespace bill
