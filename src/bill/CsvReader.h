// Rows of a CSV text as spreadsheet programs write it: fields separated by commas (or by tabs or
// semicolons when the first line has no comma), quoted fields with doubled quotes and line breaks
// inside, lines ending in CR LF, LF or CR. The text arrives in pieces and goes to a SheetSink
// cell by cell; only the cell being read is held (at most SheetSink::kMaxCellBytes of it) and the
// first line until its separator is known (at most kHeadBytes).
#pragma once
#include <string>
#include <string_view>

#include "bill/SheetRow.h"

namespace bill {

class CsvReader {
public:
    static constexpr size_t kHeadBytes = 64u << 10;

    explicit CsvReader(SheetSink& sink) : sink_(sink) {}
    // `text` in UTF-8 (see DecodeText); a piece may end anywhere, even inside a quoted field.
    void Feed(std::string_view text);
    // The end of the text: ends the last row.
    void Finish();

    static void Parse(std::string_view text, SheetSink& sink);

private:
    void ScanHead(std::string_view text);
    void Run(std::string_view text);
    void EndCell();
    void EndRow();

    SheetSink& sink_;
    char sep_ = 0;  // 0 until the first line has decided
    std::string head_;
    bool headQuoted_ = false, headTab_ = false, headSemicolon_ = false;

    std::string cell_;
    int column_ = 0, number_ = 1;
    bool quoted_ = false;     // inside a quoted field
    bool quoteSeen_ = false;  // a quote inside a quoted field: doubled or closing, the next byte tells
    bool wasQuoted_ = false;  // the current field began with a quote
    bool afterCr_ = false;    // a CR ended the last row: a LF right after it belongs to it
};

}  // namespace bill
