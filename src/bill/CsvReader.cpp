#include "bill/CsvReader.h"

namespace bill {
namespace {

bool Blank(const std::vector<std::string>& cells) {
    for (const auto& c : cells)
        if (c.find_first_not_of(" \t") != std::string::npos) return false;
    return true;
}

}  // namespace

char CsvReader::Separator(std::string_view text) {
    bool quoted = false;
    bool tab = false, semicolon = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        if (c == ',') return ',';
        tab = tab || c == '\t';
        semicolon = semicolon || c == ';';
    }
    return tab ? '\t' : (semicolon ? ';' : ',');
}

std::vector<SheetRow> CsvReader::Parse(std::string_view text) {
    const char sep = Separator(text);
    std::vector<SheetRow> rows;
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;      // inside a quoted field
    bool wasQuoted = false;   // the current field began with a quote
    int number = 1;
    auto endCell = [&] {
        cells.push_back(std::move(cell));
        cell.clear();
        wasQuoted = false;
    };
    auto endRow = [&] {
        endCell();
        if (!Blank(cells)) rows.push_back({number, std::move(cells)});
        cells.clear();
        ++number;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                cell += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == '"' && cell.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == sep) {
            endCell();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRow();
        } else {
            cell += c;
        }
    }
    if (!cell.empty() || !cells.empty() || wasQuoted) endRow();
    return rows;
}

}  // namespace bill
