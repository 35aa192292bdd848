#include "bill/CsvReader.h"

namespace bill {

void CsvReader::Parse(std::string_view text, SheetSink& sink) {
    CsvReader reader(sink);
    reader.Feed(text);
    reader.Finish();
}

// The separator is the comma when the first line has one outside quotes, else a tab or a
// semicolon when it has one; a first line longer than kHeadBytes is judged on its beginning.
void CsvReader::ScanHead(std::string_view text) {
    for (char c : text) {
        if (c == '"') headQuoted_ = !headQuoted_;
        if (headQuoted_) continue;
        if (c == ',') {
            sep_ = ',';
            return;
        }
        if (c == '\n' || c == '\r') {
            sep_ = headTab_ ? '\t' : (headSemicolon_ ? ';' : ',');
            return;
        }
        headTab_ = headTab_ || c == '\t';
        headSemicolon_ = headSemicolon_ || c == ';';
    }
}

void CsvReader::Feed(std::string_view text) {
    if (sep_ == 0) {
        ScanHead(text);
        if (sep_ == 0 && head_.size() + text.size() <= kHeadBytes) {
            head_.append(text);
            return;
        }
        if (sep_ == 0) sep_ = headTab_ ? '\t' : (headSemicolon_ ? ';' : ',');
        const std::string head = std::move(head_);
        head_ = {};
        Run(head);
    }
    Run(text);
}

void CsvReader::Finish() {
    if (sep_ == 0) {
        sep_ = headTab_ ? '\t' : (headSemicolon_ ? ';' : ',');
        const std::string head = std::move(head_);
        head_ = {};
        Run(head);
    }
    if (!cell_.empty() || column_ > 0 || wasQuoted_) EndRow();
}

void CsvReader::EndCell() {
    const bool cut = cell_.size() > SheetSink::kMaxCellBytes;
    if (cut) cell_.resize(SheetSink::kMaxCellBytes);
    sink_.Cell(column_++, cell_, cut);
    cell_.clear();
    wasQuoted_ = false;
}

void CsvReader::EndRow() {
    EndCell();
    sink_.EndRow(number_++);
    column_ = 0;
}

void CsvReader::Run(std::string_view text) {
    auto add = [this](char c) {
        if (cell_.size() <= SheetSink::kMaxCellBytes) cell_ += c;
    };
    for (const char c : text) {
        if (afterCr_) {
            afterCr_ = false;
            if (c == '\n') continue;
        }
        if (quoteSeen_) {
            quoteSeen_ = false;
            if (c == '"') {
                add('"');
                continue;
            }
            quoted_ = false;  // the quote closed the field; `c` follows it
        }
        if (quoted_) {
            if (c == '"') quoteSeen_ = true;
            else add(c);
            continue;
        }
        if (c == '"' && cell_.empty() && !wasQuoted_) {
            quoted_ = wasQuoted_ = true;
        } else if (c == sep_) {
            EndCell();
        } else if (c == '\r' || c == '\n') {
            afterCr_ = c == '\r';
            EndRow();
        } else {
            add(c);
        }
    }
}

}  // namespace bill
