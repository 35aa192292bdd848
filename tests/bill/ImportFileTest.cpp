// Reading price lists: CSV fields and encodings, the zip container of .xlsx files, its XML and
// cells, and finding the item code and new price columns.
#include <gtest/gtest.h>
#include <zlib.h>

#include "bill/CsvReader.h"
#include "bill/ImportCheck.h"
#include "bill/ImportFile.h"
#include "bill/TextEncoding.h"
#include "bill/XlsxReader.h"
#include "bill/XmlScanner.h"
#include "bill/ZipArchive.h"

using bill::SheetRow;

namespace {

void Put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& s, unsigned long v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16 & 0xFFFF);
}

// A zip archive of stored (uncompressed) members, written the way zip tools do.
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string out, directory;
    for (const auto& [name, data] : members) {
        const unsigned long crc = crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
        const unsigned long offset = out.size();
        Put32(out, 0x04034b50);
        Put16(out, 20), Put16(out, 0), Put16(out, 0), Put16(out, 0), Put16(out, 0);
        Put32(out, crc), Put32(out, data.size()), Put32(out, data.size());
        Put16(out, name.size()), Put16(out, 0);
        out += name + data;
        Put32(directory, 0x02014b50);
        Put16(directory, 20), Put16(directory, 20), Put16(directory, 0), Put16(directory, 0), Put16(directory, 0),
            Put16(directory, 0);
        Put32(directory, crc), Put32(directory, data.size()), Put32(directory, data.size());
        Put16(directory, name.size()), Put16(directory, 0), Put16(directory, 0), Put16(directory, 0), Put16(directory, 0);
        Put32(directory, 0), Put32(directory, offset);
        directory += name;
    }
    const unsigned long at = out.size();
    out += directory;
    Put32(out, 0x06054b50);
    Put16(out, 0), Put16(out, 0), Put16(out, members.size()), Put16(out, members.size());
    Put32(out, directory.size()), Put32(out, at), Put16(out, 0);
    return out;
}

std::vector<std::vector<std::string>> Cells(const std::vector<SheetRow>& rows) {
    std::vector<std::vector<std::string>> cells;
    for (const auto& r : rows) cells.push_back(r.cells);
    return cells;
}

}  // namespace

TEST(CsvReader, QuotesLineBreaksSeparatorsAndRowNumbers) {
    const auto rows = bill::CsvReader::Parse("货号,新售价\r\n\"A,1\",\"说\"\"明\"\r\n\r\n , \nB2,\"多\n行\"\rC3,5");
    EXPECT_EQ(rows, (std::vector<SheetRow>{{1, {"货号", "新售价"}}, {2, {"A,1", "说\"明"}}, {5, {"B2", "多\n行"}}, {6, {"C3", "5"}}}));
    EXPECT_EQ(Cells(bill::CsvReader::Parse("A1\t6\nB2\t7")), (std::vector<std::vector<std::string>>{{"A1", "6"}, {"B2", "7"}}));
    EXPECT_EQ(Cells(bill::CsvReader::Parse("A1;6,5\n")), (std::vector<std::vector<std::string>>{{"A1;6", "5"}}))
        << "a comma in the first line decides";
    EXPECT_EQ(Cells(bill::CsvReader::Parse("A1;6\n")), (std::vector<std::vector<std::string>>{{"A1", "6"}}));
    EXPECT_EQ(Cells(bill::CsvReader::Parse("\"unterminated,1")), (std::vector<std::vector<std::string>>{{"unterminated,1"}}));
    EXPECT_TRUE(bill::CsvReader::Parse("").empty());
}

TEST(TextEncoding, Utf8WithOrWithoutMarkGb18030AndUtf16) {
    const std::string text = "货号,新售价\n苹果,5\n";
    EXPECT_EQ(bill::FileTextToUtf8(text), text);
    EXPECT_EQ(bill::FileTextToUtf8("\xEF\xBB\xBF" + text), text);
    EXPECT_EQ(bill::FileTextToUtf8(bill::Convert(text, "UTF-8", "GB18030")), text);
    EXPECT_EQ(bill::FileTextToUtf8("\xFF\xFE" + bill::Convert(text, "UTF-8", "UTF-16LE")), text);
    EXPECT_EQ(bill::FileTextToUtf8("\xFE\xFF" + bill::Convert(text, "UTF-8", "UTF-16BE")), text);
    EXPECT_THROW(bill::FileTextToUtf8("\xEF\xBB\xBF\xC0\xAF"), std::runtime_error) << "marked UTF-8 that is not";
    EXPECT_THROW(bill::FileTextToUtf8("\x81"), std::runtime_error) << "a GB18030 lead byte without its trail";
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xB8"}) EXPECT_FALSE(bill::IsUtf8(bad)) << bad;
    EXPECT_TRUE(bill::IsUtf8("\xF0\x9F\x98\x80 ok"));
}

TEST(ZipArchive, ReadsStoredAndDeflatedMembersAndRefusesDamage) {
    const std::string zip = StoredZip({{"a.txt", "hello"}, {"dir/b.xml", "<x/>"}, {"empty", ""}});
    bill::ZipArchive archive(zip);
    EXPECT_EQ(archive.Names(), (std::vector<std::string>{"a.txt", "dir/b.xml", "empty"}));
    EXPECT_EQ(archive.Read("dir/b.xml"), "<x/>");
    EXPECT_EQ(archive.Read("empty"), "");
    EXPECT_THROW(archive.Read("missing"), std::runtime_error);

    std::string damaged = zip;
    damaged[30 + 5] = 'j';  // "hello" -> "jello": the CRC no longer matches
    EXPECT_THROW(bill::ZipArchive(damaged).Read("a.txt"), std::runtime_error);
    for (size_t cut : {size_t{0}, size_t{10}, zip.size() / 2, zip.size() - 1})
        EXPECT_THROW(bill::ZipArchive(zip.substr(0, cut)), std::runtime_error) << cut;
    std::string pointsOutside = zip;
    pointsOutside[pointsOutside.size() - 3] = '\x7F';  // central directory offset far beyond the end
    EXPECT_THROW(bill::ZipArchive{pointsOutside}, std::runtime_error);
}

TEST(XmlScanner, NamesAttributesTextEntitiesAndMalformedInput) {
    bill::XmlScanner x("<?xml version=\"1.0\"?><!-- c --><x:a k='1 &amp; 2' x:id=\"r&#x4e00;\"><b/>t&lt;&#20108;&bogus;<![CDATA[<raw>]]></x:a>");
    using T = bill::XmlScanner::Token;
    ASSERT_EQ(x.Next(), T::Start);
    EXPECT_EQ(x.Name(), "a");
    EXPECT_EQ(x.Attribute("k"), "1 & 2");
    EXPECT_EQ(x.Attribute("id"), "r一");
    EXPECT_EQ(x.Attribute("none"), "");
    ASSERT_EQ(x.Next(), T::Start);
    EXPECT_EQ(x.Name(), "b");
    ASSERT_EQ(x.Next(), T::End);
    EXPECT_EQ(x.Name(), "b");
    ASSERT_EQ(x.Next(), T::Text);
    EXPECT_EQ(x.Text(), "t<二&bogus;");
    ASSERT_EQ(x.Next(), T::Text);
    EXPECT_EQ(x.Text(), "<raw>");
    ASSERT_EQ(x.Next(), T::End);
    EXPECT_EQ(x.Next(), T::Done);
    EXPECT_EQ(x.Next(), T::Done);
    for (const char* broken : {"<a", "<a b='", "<a b=c>", "</", "<![CDATA[x", "<!--", "&#99999999;", "<a/"}) {
        bill::XmlScanner y(broken);
        int guard = 0;
        while (y.Next() != T::Done && ++guard < 20) {
        }
        EXPECT_LT(guard, 20) << broken;
    }
}

TEST(XlsxReader, CellsOfTheFirstSheetThroughItsRelationships) {
    const std::string workbook =
        "<workbook xmlns:r=\"rel\"><sheets><sheet name=\"价格\" sheetId=\"9\" r:id=\"rId7\"/><sheet name=\"b\" sheetId=\"1\" "
        "r:id=\"rId1\"/></sheets></workbook>";
    const std::string rels =
        "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId7\" Type=\"x/worksheet\" Target=\"/xl/worksheets/prices.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"http://x/sharedStrings\" Target=\"strings.xml\"/></Relationships>";
    const std::string strings =
        "<sst><si><t>货号</t></si><si><r><t>新</t></r><r><t xml:space=\"preserve\">售价</t></r><rPh><t>シン</t></rPh></si>"
        "<si><t>A&amp;1</t></si></sst>";
    const std::string sheet =
        "<x:worksheet xmlns:x=\"main\"><x:sheetData>"
        "<x:row r=\"1\"><x:c r=\"A1\" t=\"s\"><x:v>0</x:v></x:c><x:c r=\"C1\" t=\"s\"><x:v>1</x:v></x:c></x:row>"
        "<x:row r=\"3\"><x:c r=\"A3\" t=\"s\"><x:v>2</x:v></x:c><x:c r=\"C3\"><x:v>6.5</x:v></x:c></x:row>"
        "<x:row><x:c t=\"inlineStr\"><x:is><x:t>B2</x:t></x:is></x:c><x:c/><x:c t=\"str\"><x:v>7</x:v></x:c></x:row>"
        "<x:row r=\"9\"><x:c r=\"A9\"><x:v>1.001E+3</x:v></x:c><x:c r=\"B9\" t=\"b\"><x:v>1</x:v></x:c><x:c r=\"C9\" t=\"e\">"
        "<x:v>#N/A</x:v></x:c><x:c r=\"D9\" t=\"s\"><x:v>99</x:v></x:c></x:row>"
        "<x:row r=\"10\"><x:c r=\"A10\" t=\"s\"/></x:row></x:sheetData></x:worksheet>";
    const std::string xlsx = StoredZip({{"xl/workbook.xml", workbook},
                                        {"xl/_rels/workbook.xml.rels", rels},
                                        {"xl/strings.xml", strings},
                                        {"xl/worksheets/sheet1.xml", "<worksheet/>"},
                                        {"xl/worksheets/prices.xml", sheet}});
    const auto rows = bill::ImportFile::Parse(xlsx);
    EXPECT_EQ(rows, (std::vector<SheetRow>{{1, {"货号", "", "新售价"}},
                                           {3, {"A&1", "", "6.5"}},
                                           {4, {"B2", "", "7"}},
                                           {9, {"1001", "TRUE", "#N/A", ""}}}));
    EXPECT_EQ(bill::XlsxReader::ColumnOf("AB7"), 27);
    EXPECT_EQ(bill::XlsxReader::ColumnOf("7"), -1);
    EXPECT_EQ(bill::XlsxReader::RowOf("AB7"), 7);
    EXPECT_THROW(bill::ImportFile::Parse(StoredZip({{"other.xml", "<x/>"}})), std::runtime_error);
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
    EXPECT_EQ(rows({{1, {"新售价", "货号"}}, {2, {"6", "A1"}}}), std::vector<std::string>{"2:A1=6"});
    EXPECT_EQ(rows({{4, {"A1", "6", "x"}}, {5, {"B2"}}}), (std::vector<std::string>{"4:A1=6", "5:B2="}));
    EXPECT_TRUE(rows({}).empty());
}
