#include "bill/XlsxReader.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "bill/XmlReader.h"
#include "bill/ZipArchive.h"

namespace bill {
namespace {

using Name = XmlReader::Name;
using Attributes = XmlReader::Attributes;

// SpreadsheetML as Excel writes it (transitional) and as it saves "strict" workbooks.
bool Spreadsheet(std::string_view ns) {
    return ns == "http://schemas.openxmlformats.org/spreadsheetml/2006/main" || ns == "http://purl.oclc.org/ooxml/spreadsheetml/main";
}
constexpr std::string_view kRelationships[] = {"http://schemas.openxmlformats.org/officeDocument/2006/relationships",
                                               "http://purl.oclc.org/ooxml/officeDocument/relationships"};
constexpr std::string_view kPackageRelationships = "http://schemas.openxmlformats.org/package/2006/relationships";

bool Is(Name n, std::string_view local) { return n.local == local && Spreadsheet(n.ns); }

// A path named by a relationship of xl/workbook.xml, as a member name of the archive ("" when it
// cannot be one).
std::string MemberPath(std::string_view target) {
    if (target.empty() || target.size() > 1024) return {};
    std::vector<std::string_view> parts;
    if (target[0] != '/') parts.push_back("xl");
    while (!target.empty()) {
        const size_t slash = target.find('/');
        const std::string_view part = target.substr(0, slash);
        target = slash == std::string_view::npos ? std::string_view() : target.substr(slash + 1);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    std::string path;
    for (auto part : parts) (path.empty() ? path : path += '/') += part;
    return path;
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

// Text of a cell or a shared string, kept to one byte more than SheetSink::kMaxCellBytes so that
// a longer one is known to be cut.
void Append(std::string& kept, std::string_view text) {
    if (kept.size() <= SheetSink::kMaxCellBytes) kept.append(text.substr(0, SheetSink::kMaxCellBytes + 1 - kept.size()));
}

void ReadPart(ZipArchive& zip, const std::string& name, XmlReader::Handler& handler) {
    XmlReader xml(name, handler);
    zip.Read(name, [&](std::string_view piece) { xml.Feed(piece); });
    xml.Finish();
}

// The r:id of the first sheet in the workbook's order.
struct FirstSheet : XmlReader::Handler {
    std::string id;
    bool found = false;
    void Start(Name n, const Attributes& a) override {
        if (found || !Is(n, "sheet")) return;
        found = true;
        for (auto ns : kRelationships)
            if (auto v = a.Get(ns, "id"); !v.empty()) id = v;
    }
    void End(Name) override {}
    void Text(std::string_view) override {}
};

// The paths of the sheet with `sheetId` and of the shared strings.
struct WorkbookRelationships : XmlReader::Handler {
    std::string sheetId, sheetPath, stringsPath;
    void Start(Name n, const Attributes& a) override {
        if (n.ns != kPackageRelationships || n.local != "Relationship") return;
        const std::string_view type = a.Get("", "Type");
        if (!sheetId.empty() && a.Get("", "Id") == sheetId) sheetPath = MemberPath(a.Get("", "Target"));
        if (type.size() >= 14 && type.substr(type.size() - 14) == "/sharedStrings") stringsPath = MemberPath(a.Get("", "Target"));
    }
    void End(Name) override {}
    void Text(std::string_view) override {}
};

// The shared strings table: every string's text in one buffer, each cut as Append cuts.
class SharedStrings : public XmlReader::Handler {
public:
    std::string_view At(size_t i) const {
        const size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(begin, ends_[i] - begin);
    }
    size_t Size() const { return ends_.size(); }

    void Start(Name n, const Attributes&) override {
        if (Is(n, "si")) {
            if (ends_.size() >= XlsxReader::kMaxSharedStrings)
                throw std::runtime_error("xlsx文件的共享字符串超过" + std::to_string(XlsxReader::kMaxSharedStrings) + "个，不能导入");
            inItem_ = true;
            item_.clear();
        } else if (Is(n, "rPh")) {
            ++phonetic_;
        } else if (Is(n, "t")) {
            inText_ = true;
        }
    }
    void End(Name n) override {
        if (Is(n, "si") && inItem_) {
            inItem_ = false;
            if (text_.size() + item_.size() > XlsxReader::kMaxSharedBytes)
                throw std::runtime_error("xlsx文件的共享字符串超过" + std::to_string(XlsxReader::kMaxSharedBytes >> 20) + "MB，不能导入");
            text_ += item_;
            ends_.push_back(static_cast<std::uint32_t>(text_.size()));
        } else if (Is(n, "rPh") && phonetic_ > 0) {
            --phonetic_;
        } else if (Is(n, "t")) {
            inText_ = false;
        }
    }
    void Text(std::string_view s) override {
        if (inItem_ && inText_ && phonetic_ == 0) Append(item_, s);
    }

private:
    std::string text_, item_;
    std::vector<std::uint32_t> ends_;
    bool inItem_ = false, inText_ = false;
    int phonetic_ = 0;  // inside <rPh>: reading aids, not part of the text
};

// The rows of the sheet, cell by cell into the sink.
class SheetCells : public XmlReader::Handler {
public:
    SheetCells(const SharedStrings& strings, SheetSink& sink) : strings_(strings), sink_(sink) {}

    void Start(Name n, const Attributes& a) override {
        if (!Spreadsheet(n.ns)) return;
        if (n.local == "row" && inRow_) {
            ++nestedRows_;  // a row inside a row is no row of the sheet
        } else if (n.local == "row") {
            const std::string_view r = a.Get("", "r");
            int number = lastRow_ + 1;
            if (!r.empty()) {
                const int written = r.size() <= 7 ? XlsxReader::RowOf("A" + std::string(r)) : 0;
                if (written == 0)
                    throw std::runtime_error("xlsx文件的行号无效或超过" + std::to_string(XlsxReader::kMaxRows) + "行，不能导入");
                if (written > number) number = written;
            }
            if (number > XlsxReader::kMaxRows)
                throw std::runtime_error("xlsx文件的行号无效或超过" + std::to_string(XlsxReader::kMaxRows) + "行，不能导入");
            inRow_ = true;
            row_ = lastRow_ = number;
            column_ = -1;
        } else if (n.local == "c" && inRow_) {
            inCell_ = true;
            type_ = a.Get("", "t").substr(0, 16);
            value_.clear();
            const int c = XlsxReader::ColumnOf(a.Get("", "r"));
            column_ = c > column_ ? c : column_ + 1;
            if (column_ >= XlsxReader::kMaxColumns)
                throw std::runtime_error("xlsx文件的列超过" + std::to_string(XlsxReader::kMaxColumns) + "列，不能导入");
        } else if (n.local == "v" && inCell_) {
            inValue_ = true;
        } else if (n.local == "t" && inCell_) {
            inText_ = true;
        } else if (n.local == "rPh") {
            ++phonetic_;
        }
    }
    void End(Name n) override {
        if (!Spreadsheet(n.ns)) return;
        if (n.local == "v") {
            inValue_ = false;
        } else if (n.local == "t") {
            inText_ = false;
        } else if (n.local == "rPh" && phonetic_ > 0) {
            --phonetic_;
        } else if (n.local == "c" && inCell_) {
            inCell_ = false;
            EndCell();
        } else if (n.local == "row" && nestedRows_ > 0) {
            --nestedRows_;
        } else if (n.local == "row" && inRow_) {
            inRow_ = false;
            sink_.EndRow(row_);
        }
    }
    void Text(std::string_view s) override {
        const bool inline_ = type_ == "inlineStr";
        if (inCell_ && phonetic_ == 0 && ((inValue_ && !inline_) || (inText_ && inline_))) Append(value_, s);
    }

private:
    void EndCell() {
        std::string_view text = value_;
        std::string number;
        if (type_ == "s") {
            size_t index = 0;
            auto [end, ec] = std::from_chars(value_.data(), value_.data() + value_.size(), index);
            const bool valid = ec == std::errc() && end == value_.data() + value_.size() && index < strings_.Size();
            text = valid ? strings_.At(index) : std::string_view();
        } else if (type_ == "b") {
            text = value_ == "1" ? "TRUE" : "FALSE";
        } else if (type_ != "inlineStr" && type_ != "str" && type_ != "e" && value_.size() <= SheetSink::kMaxCellBytes) {
            number = NumberText(value_);
            text = number;
        }
        const bool cut = text.size() > SheetSink::kMaxCellBytes;
        sink_.Cell(column_, text.substr(0, SheetSink::kMaxCellBytes), cut);
    }

    const SharedStrings& strings_;
    SheetSink& sink_;
    bool inRow_ = false, inCell_ = false, inValue_ = false, inText_ = false;
    int phonetic_ = 0, nestedRows_ = 0;
    int row_ = 0, lastRow_ = 0, column_ = -1;
    std::string type_, value_;
};

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
    return ec == std::errc() && end == reference.data() + reference.size() && row > 0 && row <= kMaxRows ? row : 0;
}

void XlsxReader::Read(std::string bytes, SheetSink& sink) {
    ZipArchive zip(std::move(bytes));
    if (!zip.Has("xl/workbook.xml")) throw std::runtime_error("文件不是有效的xlsx文件(缺少工作簿)");

    FirstSheet first;
    ReadPart(zip, "xl/workbook.xml", first);
    WorkbookRelationships rels;
    rels.sheetId = first.id;
    if (zip.Has("xl/_rels/workbook.xml.rels")) ReadPart(zip, "xl/_rels/workbook.xml.rels", rels);
    std::string sheetPath = rels.sheetPath, stringsPath = rels.stringsPath;
    if (sheetPath.empty() || !zip.Has(sheetPath)) sheetPath = "xl/worksheets/sheet1.xml";
    if (stringsPath.empty()) stringsPath = "xl/sharedStrings.xml";
    if (!zip.Has(sheetPath)) throw std::runtime_error("文件不是有效的xlsx文件(缺少工作表)");

    SharedStrings strings;
    if (zip.Has(stringsPath)) ReadPart(zip, stringsPath, strings);
    SheetCells cells(strings, sink);
    ReadPart(zip, sheetPath, cells);
}

}  // namespace bill
