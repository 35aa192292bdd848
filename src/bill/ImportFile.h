// Reads a file to import lines from: an .xlsx workbook (recognised by its zip signature) or a CSV
// text in UTF-8, GB18030 or UTF-16. Old binary .xls workbooks are refused with a hint. Only
// regular files of at most kMaxFileSize bytes are read; the readers hand the cells on as they
// read them, and RowPicker keeps two per row.
#pragma once
#include <string>
#include <vector>

#include "bill/ImportCheck.h"
#include "bill/SheetRow.h"

namespace bill {

class ImportFile {
public:
    static constexpr size_t kMaxFileSize = 64u << 20;
    // The item code and new price of each data row of the file at `path`. Throws
    // std::runtime_error with a message for the operator.
    static std::vector<ImportRow> Read(const std::string& path);
    // Reads the file's `bytes` into `sink`.
    static void Parse(std::string bytes, SheetSink& sink);
};

}  // namespace bill
