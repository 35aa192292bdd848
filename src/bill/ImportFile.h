// Reads a file to import lines from: an .xlsx workbook (recognised by its zip signature) or a CSV
// text in UTF-8, GB18030 or UTF-16. Old binary .xls workbooks are refused with a hint.
#pragma once
#include <string>
#include <vector>

#include "bill/SheetRow.h"

namespace bill {

class ImportFile {
public:
    static constexpr size_t kMaxFileSize = 64u << 20;
    // Throws std::runtime_error with a message for the operator.
    static std::vector<SheetRow> Read(const std::string& path);
    static std::vector<SheetRow> Parse(std::string bytes);
};

}  // namespace bill
