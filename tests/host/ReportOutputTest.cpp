// What the report grid writes: the workbook and the printed report as PDF text.
#include <QDate>
#include <QMap>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>

#include "PdfSupport.h"
#include "SymlinkSwapper.h"
#include "bill/ZipArchive.h"
#include "db/Error.h"
#include "host/ReportDocument.h"
#include "host/ReportTableModel.h"
#include "host/ReportWorkbook.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;
using host::ReportFilterOp;
using host_test::Has;

// Reads back the workbooks the report grid writes: the entries through the import's zip reader,
// then the shared strings, the first sheet's cells and each cell's number format.
struct XlsxCell {
    QString type;    // "s" shared string, "n" number, "inlineStr", "str"
    QString text;    // the string, or the number as written
    QString format;  // the cell's number format code ("" for General)
};

class XlsxReader {
public:
    explicit XlsxReader(const QString& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        try {
            zip_.emplace(std::string(std::istreambuf_iterator<char>(in), {}));
        } catch (const std::exception&) {
            return;
        }
        QStringList strings, xfFormats;
        Scan("xl/sharedStrings.xml", [&](QXmlStreamReader& x, QStringView n) {
            if (n == u"si") strings << QString();
            else if (n == u"t") strings.last() += x.readElementText();
        });
        QMap<int, QString> formats{{14, QStringLiteral("m/d/yyyy")}};
        Scan("xl/styles.xml", [&](QXmlStreamReader& x, QStringView n) {
            if (n == u"numFmt") formats[Attribute(x, "numFmtId").toInt()] = Attribute(x, "formatCode");
            else if (n == u"cellXfs") xfFormats.clear();  // those of cellStyleXfs before it
            else if (n == u"xf") xfFormats << formats.value(Attribute(x, "numFmtId").toInt());
        });
        QString ref;
        Scan("xl/worksheets/sheet1.xml", [&](QXmlStreamReader& x, QStringView n) {
            if (n == u"c") {
                ref = Attribute(x, "r");
                cells_[ref] = XlsxCell{Attribute(x, "t"), {}, xfFormats.value(Attribute(x, "s").toInt())};
                if (cells_[ref].type.isEmpty()) cells_[ref].type = QStringLiteral("n");
                lastRow_ = std::max(lastRow_, ref.mid(ref.indexOf(QRegularExpression(QStringLiteral("\\d")))).toInt());
            } else if (n == u"v" || n == u"t") {
                XlsxCell& cell = cells_[ref];
                cell.text += x.readElementText();
                if (cell.type == QLatin1String("s")) cell.text = strings.value(cell.text.toInt());
            }
        });
        Scan("xl/workbook.xml", [&](QXmlStreamReader& x, QStringView n) {
            if (n == u"sheet" && sheetName_.isEmpty()) sheetName_ = Attribute(x, "name");
        });
    }
    bool Ok() const { return zip_.has_value(); }
    QByteArray Entry(const char* name) {
        return zip_ && zip_->Has(name) ? QByteArray::fromStdString(zip_->Read(name)) : QByteArray();
    }
    XlsxCell Cell(const QString& ref) const { return cells_.value(ref); }
    QString Text(const QString& ref) const { return cells_.value(ref).text; }
    int LastRow() const { return lastRow_; }
    const QString& SheetName() const { return sheetName_; }

private:
    static QString Attribute(const QXmlStreamReader& x, const char* name) { return x.attributes().value(QLatin1String(name)).toString(); }
    // Calls f on every element's start in an entry.
    template <typename F>
    void Scan(const char* entry, F f) {
        for (QXmlStreamReader x(Entry(entry)); !x.atEnd();)
            if (x.readNext() == QXmlStreamReader::StartElement) f(x, x.name());
    }

    std::optional<bill::ZipArchive> zip_;
    QMap<QString, XlsxCell> cells_;
    QString sheetName_;
    int lastRow_ = 0;
};

std::shared_ptr<db::RowSet> Rows(int n) {
    auto rows = std::make_shared<db::RowSet>();
    rows->fields = {{"流水号", db::DataType::VarChar}, {"开单日期", db::DataType::DBTimeStamp}, {"品名", db::DataType::VarChar},
                    {"原售价", db::DataType::Numeric},  {"新售价", db::DataType::Numeric},       {"审核标志", db::DataType::Integer}};
    for (int i = 1; i <= n; ++i) {
        char lsh[16];
        std::snprintf(lsh, sizeof lsh, "TJ%04d", i);
        rows->rows.push_back({db::Value::Text(lsh), db::Value::Date(db::DateTime{2026, 12, 1 + i % 5, i % 3 ? 9 : 0, 0, 0}),
                              db::Value::Text(i % 3 ? "可乐 Cola" : "牛奶"), db::Value::Double(i * 1.25),
                              db::Value::Double(i * 1.5), db::Value::Int32(i % 2)});
    }
    return rows;
}

class ReportOutput : public ::testing::Test {
protected:
    void SetUp() override { model.SetResult(Rows(6), 2); }
    QString File(const std::string& name) const { return QString::fromStdString((dir / name).string()); }
    testing_support::ScratchDir scratch{"spb-report-out"};
    const fs::path& dir = scratch.Path();
    host::ReportTableModel model;
};

}  // namespace

TEST_F(ReportOutput, TheWorkbookHoldsTheShownColumnsAndRowsAsValuesWithTotals) {
    auto columns = model.DefaultColumns();
    columns[2].visible = false;  // 品名
    columns[4].heading = "现价<&>";
    std::swap(columns[0], columns[3]);
    model.SetColumns(columns);
    model.SetFilter({{"审核标志", ReportFilterOp::Equals, "1", ""}});
    model.sort(0, Qt::DescendingOrder);  // 原售价

    const QString path = File("报表.xlsx");
    host::WriteReportWorkbook(path, model, "分支机构调价单浏览");
    XlsxReader book(path);
    EXPECT_EQ(book.LastRow(), 5);  // rows 5, 3, 1 and the totals
    const double day = QDate(1899, 12, 30).daysTo(QDate(2026, 12, 1));
    const struct {
        const char* ref;
        QString type, text, format;  // the text a number as read back
    } cells[] = {
        {"A1", "s", "原售价", ""}, {"D1", "s", "现价<&>", ""}, {"F1", "", "", ""},
        {"C2", "s", "TJ0005", ""}, {"C3", "s", "TJ0003", ""}, {"C4", "s", "TJ0001", ""},
        {"A2", "n", "6.25", "0.00"}, {"E2", "s", "是", ""},  // the flag as it shows, not a number
        {"B2", "n", QString::number(day + 9.0 / 24, 'g', 12), "yyyy-mm-dd hh:mm:ss"},  // a time is kept
        {"B3", "n", QString::number(day + 3), "yyyy-mm-dd"},
        {"C5", "s", "合计（共3行）", ""}, {"A5", "n", "11.25", "0.00"}, {"D5", "n", "13.5", "0.00"}, {"E5", "", "", ""},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(c.ref);
        const auto cell = book.Cell(QString::fromLatin1(c.ref));
        if (c.type.isEmpty()) {
            EXPECT_TRUE(cell.text.isEmpty());  // no cell, or a blank one
            continue;
        }
        EXPECT_EQ(cell.type, c.type);
        if (c.type == QLatin1String("n")) EXPECT_NEAR(cell.text.toDouble(), c.text.toDouble(), 1e-9);
        else EXPECT_EQ(cell.text, c.text);
        EXPECT_EQ(cell.format, c.format);
    }
}

TEST_F(ReportOutput, AFailedExportLeavesTheEarlierFileAndAnEmptyOneHasHeadingsAndAZeroTotal) {
    const QString path = File("已有.xlsx");
    host::WriteReportWorkbook(path, model, "r");
    const auto before = fs::file_size(path.toStdString());
    model.SetFilter({{"审核标志", ReportFilterOp::Equals, "1", ""}});
    {
        testing_support::FileSizeLimit full(4096);  // the disk is full after 4 KiB
        EXPECT_THROW(host::WriteReportWorkbook(path, model, "r"), db::Error);
        EXPECT_THROW(host::WriteReportWorkbook(File("新.xlsx"), model, "r"), db::Error);
    }
    EXPECT_EQ(fs::file_size(path.toStdString()), before);
    EXPECT_EQ(host_test::FilesIn(dir).size(), 1u) << "a partial file was left behind";

    model.SetFilter({{"流水号", ReportFilterOp::Equals, "没有", ""}});
    host::WriteReportWorkbook(path, model, "a/b:c*d?[e]");
    XlsxReader book(path);
    EXPECT_EQ(book.SheetName(), QStringLiteral("abcde"));
    EXPECT_EQ(book.LastRow(), 2);
    EXPECT_EQ(book.Text("A1") + "|" + book.Text("A2") + "|" + book.Text("D2"), QStringLiteral("流水号|合计（共0行）|0"));
    EXPECT_EQ(host::ReportSheetName(std::string(40, 'x')).size(), 31);
    EXPECT_EQ(host::ReportSheetName(""), QStringLiteral("报表"));
}

TEST_F(ReportOutput, ASymlinkPlantedBesideTheWorkbookIsNeverWrittenThrough) {
    const fs::path victim = dir.string() + "-别人的文件";
    std::ofstream(victim) << "别人的数据";
    const QString path = File("导出.xlsx");
    std::ofstream(path.toStdString() + ".part") << "";  // left there by another user
    bool exported = false;
    {
        host_test::SymlinkSwapper swapper(dir, victim, IN_CREATE | IN_DELETE);
        try {
            host::WriteReportWorkbook(path, model, "r");
            exported = true;
        } catch (const db::Error&) {
        }
    }
    std::ifstream in(victim, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(victim);
    EXPECT_TRUE(after == "别人的数据") << "the export wrote through the symlink";
    if (exported) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path.toStdString())));
        EXPECT_TRUE(XlsxReader(path).Ok());
    }
}

TEST_F(ReportOutput, TextsLongerThanACellAreCutBetweenCharactersAndCounted) {
    const QString emoji = QStringLiteral("😀");  // two UTF-16 units, four UTF-8 bytes
    const struct {
        QString text;
        qsizetype kept;  // UTF-16 units in the cell
    } cases[] = {
        {QString(200000, QChar(u'调')), 32767},
        {QString(32766, QLatin1Char('a')) + emoji + QStringLiteral("b"), 32766},  // the pair would straddle the limit
        {QString(32765, QLatin1Char('a')) + emoji, 32767},                        // exactly at the limit: kept whole
    };
    auto rows = std::make_shared<db::RowSet>();
    rows->fields = {{"备注", db::DataType::VarChar}};
    for (const auto& c : cases) rows->rows.push_back({db::Value::Text(c.text.toStdString())});
    model.SetResult(rows, 2);
    const QString path = File("长文本.xlsx");
    EXPECT_EQ(host::WriteReportWorkbook(path, model, "r"), 2);
    XlsxReader book(path);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(book.Entry("xl/sharedStrings.xml"));
    EXPECT_FALSE(utf8.hasError()) << "the shared strings are not UTF-8";
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(book.Text(QStringLiteral("A%1").arg(i + 2)), cases[i].text.left(cases[i].kept)) << i;
    }
}

TEST_F(ReportOutput, ThePdfRunsTheShownRowsOverNumberedPagesWithTheHeadingOnEach) {
    if (!host_test::HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    model.SetResult(Rows(150), 2);
    auto columns = model.DefaultColumns();
    columns[5].visible = false;  // 审核标志
    model.SetColumns(columns);
    model.SetFilter({{"品名", ReportFilterOp::Contains, "可乐", ""}});  // every third row goes
    host::ReportPageSetup page;
    page.title = "调价明细";
    page.landscape = false;
    page.fontSize = 10;
    const QString path = File("长.pdf");
    host::ReportDocument(model, page, {"分支机构调价单浏览", "2026-12-01", "2026-12-06", "第一行备注", ""}).WritePdf(path);
    const auto pages = host_test::PdfPages(path.toStdString(), true);
    ASSERT_GE(pages.size(), 2u);
    const std::string n = std::to_string(pages.size());
    for (size_t p = 0; p < pages.size(); ++p)
        for (const std::string& part : {std::string("调价明细"), std::string("日期：2026-12-01 至 2026-12-06"),
                                       std::string("流水号开单日期品名原售价新售价"), "第 " + std::to_string(p + 1) + " 页 / 共 " + n + " 页"})
            EXPECT_TRUE(Has(pages[p], part)) << p << " " << part;
    EXPECT_TRUE(Has(pages[0], "第一行备注") && Has(pages[0], "TJ00012026-12-0209:00:00可乐Cola1.251.50")) << pages[0];
    const std::string all = host_test::Joined(pages);
    EXPECT_FALSE(Has(all, "审核标志")) << "hidden";
    for (int i = 1; i <= 150; ++i) {
        char lsh[16];
        std::snprintf(lsh, sizeof lsh, "TJ%04d", i);
        EXPECT_EQ(Has(all, lsh), i % 3 != 0) << lsh;
    }
    EXPECT_TRUE(Has(pages.back(), "合计（共100行）9375.0011250.00")) << pages.back();
}
