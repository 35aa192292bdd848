// Price list readers: CSV fields and encodings, the zip container, its XML and cells, the item and price columns.
#include <gtest/gtest.h>

#include "TestZip.h"
#include "bill/CsvReader.h"
#include "bill/ImportCheck.h"
#include "bill/ImportFile.h"
#include "bill/TextEncoding.h"
#include "bill/XlsxReader.h"
#include "bill/XmlReader.h"
#include "bill/ZipArchive.h"

using bill::SheetRow;
using billtest::Workbook;
using billtest::Zip;

namespace {

// Every cell a reader hands over, rows without a non-blank cell left out; cut cells end in "…".
struct Collect : bill::SheetSink {
    std::vector<SheetRow> rows;
    SheetRow row;
    void Cell(int column, std::string_view text, bool cut) override {
        row.cells.resize(static_cast<size_t>(column), "");
        row.cells.emplace_back(text);
        if (cut) row.cells.back() += "…";
    }
    void EndRow(int number) override {
        bool blank = true;
        for (const auto& c : row.cells) blank = blank && c.find_first_not_of(" \t") == std::string::npos;
        if (!blank) rows.push_back({number, std::move(row.cells)});
        row = {};
    }
};

std::vector<SheetRow> Csv(std::string_view text, size_t piece = 0) {
    Collect c;
    bill::CsvReader reader(c);
    for (size_t at = 0; at < text.size(); at += piece ? piece : text.size()) reader.Feed(text.substr(at, piece ? piece : text.size()));
    reader.Finish();
    return c.rows;
}

using Table = std::vector<std::vector<std::string>>;

Table Cells(const std::vector<SheetRow>& rows) {
    Table cells;
    for (const auto& r : rows) cells.push_back(r.cells);
    return cells;
}

std::vector<SheetRow> Xlsx(std::string bytes) {
    Collect c;
    bill::ImportFile::Parse(std::move(bytes), c);
    return c.rows;
}

// The message of what `f` throws; empty when it throws nothing.
template <typename F>
std::string Thrown(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

}  // namespace

TEST(CsvReader, QuotesLineBreaksSeparatorsAndRowNumbersInAnyPieces) {
    const std::string text = "货号,新售价\r\n\"A,1\",\"说\"\"明\"\r\n\r\n , \nB2,\"多\n行\"\rC3,5";
    const std::vector<SheetRow> expected{{1, {"货号", "新售价"}}, {2, {"A,1", "说\"明"}}, {5, {"B2", "多\n行"}}, {6, {"C3", "5"}}};
    for (size_t piece : {0, 1, 2, 3, 5, 7}) EXPECT_EQ(Csv(text, piece), expected) << piece;
    const std::pair<std::string, Table> cases[] = {
        {"A1\t6\nB2\t7", {{"A1", "6"}, {"B2", "7"}}},
        {"A1;6,5\n", {{"A1;6", "5"}}},  // a comma in the first line decides
        {"A1;6\r", {{"A1", "6"}}},
        {"\"unterminated,1", {{"unterminated,1"}}},
        {std::string("A\0B,1", 5), {{std::string("A\0B", 3), "1"}}},
    };
    for (const auto& [text, cells] : cases) EXPECT_EQ(Cells(Csv(text, 1)), cells) << text;
    // A first line without a line break within kHeadBytes is judged on its beginning.
    const std::string tabs = "a\tb" + std::string(bill::CsvReader::kHeadBytes, 'x') + ",c\n";
    EXPECT_EQ(Csv(tabs, 4096).at(0).cells.size(), 2u);
    // Cells longer than the limit arrive cut; the reader holds no more of them.
    const std::string longCell(bill::SheetSink::kMaxCellBytes + 10, 'x');
    EXPECT_EQ(Cells(Csv("A1," + longCell + "\n", 1000)), (Table{{"A1", longCell.substr(0, bill::SheetSink::kMaxCellBytes) + "…"}}));
}

TEST(ImportEncoding, Utf8WithOrWithoutMarkGb18030AndUtf16) {
    const std::string text = "货号,新售价\n苹果,5\n";
    for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text, bill::Convert(text, "UTF-8", "GB18030"),
                                     "\xFF\xFE" + bill::Convert(text, "UTF-8", "UTF-16LE"), "\xFE\xFF" + bill::Convert(text, "UTF-8", "UTF-16BE")})
        EXPECT_EQ(bill::FileTextToUtf8(bytes), text);
    const std::string many(200000, 'a');  // converted in pieces
    EXPECT_EQ(bill::FileTextToUtf8("\xFF\xFE" + bill::Convert(many, "UTF-8", "UTF-16LE")), many);
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xB8"}) EXPECT_FALSE(bill::IsUtf8(bad)) << bad;

    // Refusals name the encodings tried and the line of the first bad byte.
    const std::string utf16 = bill::Convert("a\nb\n", "UTF-8", "UTF-16LE");
    const struct {
        std::string bytes, message;
    } refused[] = {
        {"\xEF\xBB\xBF" "a\n\xC0\xAF", "文件内容不是有效的UTF-8编码(第2行有无效字节)"},
        {"\x81", "文件内容既不是有效的UTF-8编码(第1行有无效字节)，也不是有效的GB18030编码(第1行有无效字节)。请另存为UTF-8或GB18030编码的CSV文件"},
        // UTF-8 with one bad byte on line 3 that GB18030 cannot read either (its first line pairs wrongly).
        {"货号,新售价\n苹果,5\n梨,\xFF\n", "文件内容既不是有效的UTF-8编码(第3行有无效字节)，也不是有效的GB18030编码(第1行有无效字节)。请另存为UTF-8或GB18030编码的CSV文件"},
        {"\xFF\xFE" + utf16 + std::string("\x00\xDC", 2), "文件内容不是有效的UTF-16LE编码(第3行有无效字节)"},
    };
    for (const auto& r : refused) EXPECT_EQ(Thrown([&] { bill::FileTextToUtf8(r.bytes); }), r.message) << r.bytes;
}

TEST(ZipArchive, ReadsStoredAndDeflatedMembersInPiecesAndRefusesDamageAndBombs) {
    const std::string zip = Zip({{"a.txt", "hello"}, {"dir/b.xml", "<x/>"}, {"empty", ""}});
    bill::ZipArchive archive(zip);
    EXPECT_EQ(archive.Names(), (std::vector<std::string>{"a.txt", "dir/b.xml", "empty"}));
    EXPECT_EQ(archive.Read("dir/b.xml") + archive.Read("empty"), "<x/>");
    EXPECT_THROW(archive.Read("missing"), std::runtime_error);

    std::string damaged = zip;
    damaged[30 + 5] = 'j';  // "hello" -> "jello": the CRC no longer matches
    EXPECT_THROW(bill::ZipArchive(damaged).Read("a.txt"), std::runtime_error);
    for (size_t cut : {size_t{0}, size_t{10}, zip.size() / 2, zip.size() - 1})
        EXPECT_THROW(bill::ZipArchive(zip.substr(0, cut)), std::runtime_error) << cut;
    std::string pointsOutside = zip;
    pointsOutside[pointsOutside.size() - 3] = '\x7F';  // central directory offset far beyond the end
    EXPECT_THROW(bill::ZipArchive{pointsOutside}, std::runtime_error);

    // A deflated member comes in pieces, and counts against the total.
    std::string big;
    for (int i = 0; big.size() < 300000; ++i) big += std::to_string(i) + ",";
    bill::ZipArchive deflated(Zip({{"big", big, true}}));
    std::string joined;
    size_t largest = 0;
    deflated.Read("big", [&](std::string_view piece) {
        joined += piece;
        largest = std::max(largest, piece.size());
    });
    EXPECT_EQ(joined, big);
    EXPECT_LE(largest, bill::ZipArchive::kPiece);
    EXPECT_EQ(deflated.Unpacked(), big.size());

    // Bombs: the recorded sizes are checked before unpacking, and a member may not unpack to more.
    const std::string zeros(8u << 20, '0');
    std::string lying = Zip({{"x", big, true}});
    lying[lying.size() - 22 - 47 + 24] ^= 1;  // the central directory's record of the unpacked size
    std::string huge = Zip({{"a", "a"}});
    const size_t entry = huge.find("PK\x01\x02");
    huge.replace(entry + 20, 8, "\0\0\x10\x08\0\0\x10\x08", 8);  // recorded as 129 MiB, packed and unpacked
    const struct {
        std::string zip, message;
    } bombs[] = {
        {Zip({{"zeros", zeros, true}}), "xlsx文件中zeros的压缩比超过200倍，不能导入"},
        {huge, "xlsx文件解压后超过128MB，不能导入"},
        {lying, "文件不是有效的xlsx文件(压缩结构损坏)"},
    };
    for (const auto& b : bombs) {
        bill::ZipArchive a(b.zip);
        EXPECT_EQ(Thrown([&] {
                      for (const auto& name : a.Names()) a.Read(name, [](std::string_view) {});
                  }),
                  b.message);
    }
}

TEST(XmlReader, NamespacesTextAndRefusals) {
    struct Events : bill::XmlReader::Handler {
        std::string log;
        void Start(bill::XmlReader::Name n, const bill::XmlReader::Attributes& a) override {
            log += "<" + std::string(n.ns) + "|" + std::string(n.local) + " k=" + std::string(a.Get("", "k")) +
                   " id=" + std::string(a.Get("u2", "id")) + ">";
        }
        void End(bill::XmlReader::Name n) override { log += "</" + std::string(n.local) + ">"; }
        void Text(std::string_view t) override { log += t; }
    };
    auto read = [](const std::string& xml, size_t piece = 7) {
        Events e;
        bill::XmlReader x("part.xml", e);
        for (size_t at = 0; at < xml.size(); at += piece) x.Feed(std::string_view(xml).substr(at, piece));
        x.Finish();
        return e.log;
    };
    EXPECT_EQ(read("<?xml version=\"1.0\"?><!-- c --><x:a xmlns:x='u1' xmlns:y='u2' k='1 &amp; 2' y:id=\"r&#x4e00;\"><b/>"
                   "t&lt;&#20108;<![CDATA[<raw>]]></x:a>"),
              "<u1|a k=1 & 2 id=r一><|b k= id=></b>t<二<raw></a>");
    EXPECT_EQ(read("<a xmlns='u1'><b xmlns='u2'/></a>"), "<u1|a k= id=><u2|b k= id=></b></a>") << "default namespaces";

    std::string deep, names, longTag = "<a k='" + std::string(2 * bill::XmlReader::kMaxPending, 'x') + "'/>";
    for (int i = 0; i <= bill::XmlReader::kMaxDepth; ++i) deep += "<a>";
    names = "<a>";
    for (size_t i = 0; i <= bill::XmlReader::kMaxNames; ++i) names += "<n" + std::to_string(i) + "/>";
    const struct {
        std::string xml, message;
    } refused[] = {
        {"<a><b></a></b>", "xlsx文件中part.xml的XML格式有误(第1行)"},
        {"<a>\n&bogus;</a>", "xlsx文件中part.xml的XML格式有误(第2行)"},
        {"<a", "xlsx文件中part.xml的XML格式有误(第1行)"},
        {"<x:a>undeclared prefix</x:a>", "xlsx文件中part.xml的XML格式有误(第1行)"},
        {"<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", "xlsx文件中part.xml的XML含有DOCTYPE声明，不能导入"},
        {deep, "xlsx文件中part.xml的XML嵌套超过64层，不能导入"},
        {names, "xlsx文件中part.xml的XML名称超过4096个，不能导入"},
        {longTag, "xlsx文件中part.xml的XML标记超过1024KB，不能导入"},
    };
    for (const auto& r : refused) EXPECT_EQ(Thrown([&] { read(r.xml, 4096); }), r.message) << r.xml.substr(0, 60);
    // Long text goes through in pieces: only tags are held whole.
    EXPECT_EQ(read("<a>" + std::string(3u << 20, 't') + "</a>", 65536).size(), (3u << 20) + 15);
}

TEST(ImportXlsx, CellsOfTheFirstSheetThroughItsRelationshipsInTheSpreadsheetNamespace) {
    const std::string main = billtest::kMainNs;
    const std::string workbook =
        "<workbook xmlns=\"" + main + "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
        "<sheet name=\"价格\" sheetId=\"9\" r:id=\"rId7\"/><sheet name=\"b\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    const std::string rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId7\" Type=\"x/worksheet\" Target=\"/xl/worksheets/../worksheets/prices.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"http://x/sharedStrings\" Target=\"strings.xml\"/></Relationships>";
    const std::string strings = "<sst xmlns=\"" + main +
                                "\"><si><t>货号</t></si><si><r><t>新</t></r><r><t xml:space=\"preserve\">售价</t></r><rPh><t>シン</t></rPh></si>"
                                "<si><t>A&amp;1</t></si><si><t>" + std::string(5000, 'L') + "</t></si></sst>";
    const std::string sheet =
        "<x:worksheet xmlns:x=\"" + main + "\" xmlns:o=\"other\"><x:sheetData>"
        "<x:row r=\"1\"><x:c r=\"A1\" t=\"s\"><x:v>0</x:v></x:c><x:c r=\"C1\" t=\"s\"><x:v>1</x:v></x:c></x:row>"
        "<x:row r=\"3\"><x:c r=\"A3\" t=\"s\"><x:v>2</x:v></x:c><x:c r=\"C3\"><x:v>6.5</x:v></x:c><o:c><o:v>not a cell</o:v></o:c></x:row>"
        "<x:row><x:c t=\"inlineStr\"><x:is><x:t>B2</x:t></x:is></x:c><x:c/><x:c t=\"str\"><x:v>7</x:v></x:c></x:row>"
        "<x:row r=\"9\"><x:c r=\"A9\"><x:v>1.001E+3</x:v></x:c><x:c r=\"B9\" t=\"b\"><x:v>1</x:v></x:c><x:c r=\"C9\" t=\"e\">"
        "<x:v>#N/A</x:v></x:c><x:c r=\"D9\" t=\"s\"><x:v>99</x:v></x:c><x:c t=\"s\"><x:v>3</x:v></x:c></x:row>"
        "<o:row r=\"10\"><x:c r=\"A10\"><x:v>outside any row</x:v></x:c></o:row>"
        "<x:row r=\"11\"><x:c r=\"A11\" t=\"s\"/></x:row></x:sheetData></x:worksheet>";
    const std::string xlsx = Zip({{"xl/workbook.xml", workbook},
                                        {"xl/_rels/workbook.xml.rels", rels},
                                        {"xl/strings.xml", strings},
                                        {"xl/worksheets/sheet1.xml", "<worksheet/>"},
                                        {"xl/worksheets/prices.xml", sheet}});
    EXPECT_EQ(Xlsx(xlsx), (std::vector<SheetRow>{{1, {"货号", "", "新售价"}},
                                                 {3, {"A&1", "", "6.5"}},
                                                 {4, {"B2", "", "7"}},
                                                 {9, {"1001", "TRUE", "#N/A", "", std::string(bill::SheetSink::kMaxCellBytes, 'L') + "…"}}}));
    EXPECT_EQ((std::vector<int>{bill::XlsxReader::ColumnOf("AB7"), bill::XlsxReader::ColumnOf("7"), bill::XlsxReader::RowOf("AB7"),
                                bill::XlsxReader::RowOf("A1048577")}),
              (std::vector<int>{27, -1, 7, 0}));

    // Elements outside the SpreadsheetML namespace are not the sheet's.
    EXPECT_TRUE(Xlsx(Zip({{"xl/workbook.xml", "<workbook/>"},
                                {"xl/worksheets/sheet1.xml", "<worksheet xmlns=\"main\"><sheetData><row><c><v>1</v></c></row></sheetData></worksheet>"}}))
                    .empty());
    const std::string rowLimit = "xlsx文件的行号无效或超过1048576行，不能导入";
    const struct {
        std::string xlsx, message;
    } refused[] = {
        {Zip({{"other.xml", "<x/>"}}), "文件不是有效的xlsx文件(缺少工作簿)"},
        {Workbook("<row r=\"2147483647\"><c><v>1</v></c></row><row><c><v>2</v></c></row>"), rowLimit},
        {Workbook("<row r=\"1048576\"><c><v>1</v></c></row><row><c><v>2</v></c></row>"), rowLimit},
        {Workbook("<row r=\"x\"/>"), rowLimit},
        {Workbook("<row><c r=\"XFD1\"/><c/></row>"), "xlsx文件的列超过16384列，不能导入"},
        {Workbook("<row><c><v>1</v></row></c>"), "xlsx文件中xl/worksheets/sheet1.xml的XML格式有误(第1行)"},
        {Workbook("", "<si><t>a</t></si></sst><x/>"), "xlsx文件中xl/sharedStrings.xml的XML格式有误(第1行)"},
    };
    for (const auto& r : refused) EXPECT_EQ(Thrown([&] { Xlsx(r.xlsx); }), r.message);
    EXPECT_EQ(Xlsx(Workbook("<row r=\"1048576\"><c><v>1</v></c></row>")), (std::vector<SheetRow>{{1048576, {"1"}}}));
    EXPECT_EQ(Xlsx(Workbook("<row><c><v>1</v></c><row r=\"7\"><c><v>2</v></c></row><c><v>3</v></c></row><row><c><v>4</v></c></row>")),
              (std::vector<SheetRow>{{1, {"1", "2", "3"}}, {2, {"4"}}}))
        << "a row inside a row is no row of its own";
}

TEST(ImportCheck, ItemAndPriceColumnsByHeadingOrPosition) {
    auto rows = [](std::vector<SheetRow> sheet) {
        std::vector<std::string> out;
        for (const auto& r : bill::ImportCheck::RowsOf(sheet)) out.push_back(std::to_string(r.fileRow) + ":" + r.code + "=" + r.priceText);
        return out;
    };
    EXPECT_EQ(rows({{1, {"品名", "新售价", "货号"}}, {2, {"苹果", "6", " A1　"}}}), std::vector<std::string>{"2:A1=6"})
        << "blanks and the full-width blank trimmed";
    EXPECT_EQ(rows({{1, {"序号", "货号", "售价"}}, {2, {"1", "A1", "6"}}}), std::vector<std::string>{"2:A1=6"})
        << "only 货号: the price is the column after it";
    EXPECT_EQ(rows({{4, {"A1", "6", "x"}}, {5, {"B2"}}}), (std::vector<std::string>{"4:A1=6", "5:B2="}));
    EXPECT_EQ(rows({{1, {" ", ""}}, {2, {"", "", "货号", "新售价"}}, {3, {"", "", "A1", "6"}}}), std::vector<std::string>{"3:A1=6"})
        << "the first row that is not blank holds the headings";
    EXPECT_TRUE(rows({}).empty());
}

// Too many rows are refused by the large-file import test; the picker's own rules are these.
TEST(ImportCheck, ThePickerKeepsTheTwoCellsOfARowAndACutCellElsewhereIsNoRefusal) {
    bill::RowPicker picker;
    for (int r = 1; r <= 2; ++r) {
        for (int c = 0; c < 1000; ++c) picker.Cell(c, r == 1 && c == 500 ? "货号" : std::to_string(c), false);
        picker.EndRow(r);
    }
    const auto rows = picker.Take();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::to_string(rows[0].fileRow) + ":" + rows[0].code + "=" + rows[0].priceText, "2:500=501");
    bill::RowPicker cutElsewhere;  // a cut cell outside the two columns is no refusal
    cutElsewhere.Cell(0, "A1", false);
    cutElsewhere.Cell(5, "long note", true);
    cutElsewhere.EndRow(1);
    EXPECT_EQ(cutElsewhere.Take().size(), 1u);
}
