// Rows of a CSV text as spreadsheet programs write it: fields separated by commas (or by tabs or
// semicolons when the first line has no comma), quoted fields with doubled quotes and line breaks
// inside, lines ending in CR LF, LF or CR. Rows without any non-blank cell are left out.
#pragma once
#include <string_view>
#include <vector>

#include "bill/SheetRow.h"

namespace bill {

class CsvReader {
public:
    // `text` in UTF-8 (see FileTextToUtf8).
    static std::vector<SheetRow> Parse(std::string_view text);
    static char Separator(std::string_view text);
};

}  // namespace bill
