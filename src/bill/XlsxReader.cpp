#include "bill/XlsxReader.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include "bill/XmlScanner.h"
#include "bill/ZipArchive.h"

namespace bill {
namespace {

using Token = XmlScanner::Token;

constexpr int kMaxColumns = 16384;
// Cells further right are not kept: a price list needs its first columns, and a stray cell far to
// the right must not cost a row of thousands of empty cells.
constexpr int kKeptColumns = 256;

// A path named by a relationship of xl/workbook.xml, as a member name of the archive.
std::string MemberPath(const std::string& target) {
    if (target.empty()) return {};
    if (target[0] == '/') return target.substr(1);
    std::string path = "xl/" + target;
    for (size_t up; (up = path.find("/../")) != std::string::npos;) {
        const size_t before = path.rfind('/', up == 0 ? 0 : up - 1);
        path.erase(before == std::string::npos ? 0 : before + 1, up + 4 - (before == std::string::npos ? 0 : before + 1));
    }
    return path;
}

std::vector<std::string> SharedStrings(const std::string& xml) {
    std::vector<std::string> strings;
    XmlScanner x(xml);
    bool inItem = false;
    int phonetic = 0;  // inside <rPh>: reading aids, not part of the text
    bool inText = false;
    for (Token t; (t = x.Next()) != Token::Done;) {
        if (t == Token::Start) {
            if (x.Name() == "si") {
                inItem = true;
                strings.emplace_back();
            } else if (x.Name() == "rPh") {
                ++phonetic;
            } else if (x.Name() == "t") {
                inText = true;
            }
        } else if (t == Token::End) {
            if (x.Name() == "si") inItem = false;
            else if (x.Name() == "rPh" && phonetic > 0) --phonetic;
            else if (x.Name() == "t") inText = false;
        } else if (inItem && inText && phonetic == 0) {
            strings.back() += x.Text();
        }
    }
    return strings;
}

// A number cell's text: as written, except that an exponent form becomes plain digits (Excel
// writes 1E+3 for some whole numbers, which would not match an item code).
std::string NumberText(const std::string& v) {
    if (v.find_first_of("eE") == std::string::npos) return v;
    double d = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
    if (ec != std::errc() || end != v.data() + v.size() || !std::isfinite(d)) return v;
    char buf[64];
    auto r = (std::fabs(d) < 1e15) ? std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed)
                                   : std::to_chars(buf, buf + sizeof buf, d);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : v;
}

bool Blank(const std::vector<std::string>& cells) {
    for (const auto& c : cells)
        if (c.find_first_not_of(" \t") != std::string::npos) return false;
    return true;
}

}  // namespace

int XlsxReader::ColumnOf(std::string_view reference) {
    int col = 0;
    size_t i = 0;
    for (; i < reference.size(); ++i) {
        char c = reference[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        col = col * 26 + (c - 'A' + 1);
        if (col > kMaxColumns) return -1;
    }
    return i == 0 ? -1 : col - 1;
}

int XlsxReader::RowOf(std::string_view reference) {
    size_t i = 0;
    while (i < reference.size() && !(reference[i] >= '0' && reference[i] <= '9')) ++i;
    int row = 0;
    auto [end, ec] = std::from_chars(reference.data() + i, reference.data() + reference.size(), row);
    return ec == std::errc() && end == reference.data() + reference.size() && row > 0 ? row : 0;
}

std::vector<SheetRow> XlsxReader::Read(std::string bytes) {
    const ZipArchive zip(std::move(bytes));
    if (!zip.Has("xl/workbook.xml")) throw std::runtime_error("文件不是有效的xlsx文件(缺少工作簿)");

    // The first sheet in the workbook's order, through its relationship.
    std::string sheetId;
    {
        const std::string workbook = zip.Read("xl/workbook.xml");
        XmlScanner x(workbook);
        for (Token t; (t = x.Next()) != Token::Done;)
            if (t == Token::Start && x.Name() == "sheet") {
                sheetId = x.Attribute("id");
                break;
            }
    }
    std::string sheetPath, stringsPath;
    if (zip.Has("xl/_rels/workbook.xml.rels")) {
        const std::string rels = zip.Read("xl/_rels/workbook.xml.rels");
        XmlScanner x(rels);
        for (Token t; (t = x.Next()) != Token::Done;) {
            if (t != Token::Start || x.Name() != "Relationship") continue;
            const std::string type = x.Attribute("Type");
            if (!sheetId.empty() && x.Attribute("Id") == sheetId) sheetPath = MemberPath(x.Attribute("Target"));
            if (type.size() >= 14 && type.compare(type.size() - 14, 14, "/sharedStrings") == 0)
                stringsPath = MemberPath(x.Attribute("Target"));
        }
    }
    if (sheetPath.empty() || !zip.Has(sheetPath)) sheetPath = "xl/worksheets/sheet1.xml";
    if (stringsPath.empty()) stringsPath = "xl/sharedStrings.xml";
    if (!zip.Has(sheetPath)) throw std::runtime_error("文件不是有效的xlsx文件(缺少工作表)");
    const std::vector<std::string> strings = zip.Has(stringsPath) ? SharedStrings(zip.Read(stringsPath)) : std::vector<std::string>{};

    const std::string sheet = zip.Read(sheetPath);
    std::vector<SheetRow> rows;
    XmlScanner x(sheet);
    SheetRow row;
    bool inRow = false, inCell = false, inValue = false, inText = false;
    int phonetic = 0;
    int lastRow = 0, column = -1;
    std::string type, value;
    for (Token t; (t = x.Next()) != Token::Done;) {
        if (t == Token::Start) {
            const std::string_view name = x.Name();
            if (name == "row") {
                inRow = true;
                const std::string r = x.Attribute("r");
                int number = r.empty() ? 0 : RowOf("A" + r);
                row = {number > lastRow ? number : lastRow + 1, {}};
                lastRow = row.number;
                column = -1;
            } else if (name == "c" && inRow) {
                inCell = true;
                type = x.Attribute("t");
                value.clear();
                const int c = ColumnOf(x.Attribute("r"));
                column = c >= 0 && c > column ? c : column + 1;
            } else if (name == "v" && inCell) {
                inValue = true;
            } else if (name == "t" && inCell) {
                inText = true;
            } else if (name == "rPh") {
                ++phonetic;
            }
        } else if (t == Token::End) {
            const std::string_view name = x.Name();
            if (name == "v") {
                inValue = false;
            } else if (name == "t") {
                inText = false;
            } else if (name == "rPh" && phonetic > 0) {
                --phonetic;
            } else if (name == "c" && inCell) {
                inCell = false;
                std::string text;
                if (type == "s") {
                    size_t index = 0;
                    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), index);
                    if (ec == std::errc() && end == value.data() + value.size() && index < strings.size()) text = strings[index];
                } else if (type == "b") {
                    text = value == "1" ? "TRUE" : "FALSE";
                } else if (type == "inlineStr" || type == "str" || type == "e") {
                    text = value;
                } else {
                    text = NumberText(value);
                }
                if (column >= 0 && column < kKeptColumns) {
                    if (row.cells.size() <= static_cast<size_t>(column)) row.cells.resize(column + 1);
                    row.cells[column] = std::move(text);
                }
            } else if (name == "row" && inRow) {
                inRow = false;
                if (!Blank(row.cells)) rows.push_back(std::move(row));
                row = {};
            }
        } else if (inCell && ((inValue && type != "inlineStr") || (inText && type == "inlineStr")) && phonetic == 0) {
            value += x.Text();
        }
    }
    return rows;
}

}  // namespace bill
