// The print engine: what a printed bill holds as text, several bills in one file, serials that
// do not exist, both call orders and the statements sent, long bills over several pages, and
// the repair of the extracted Chinese text.
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "PdfSupport.h"
#include "data/ComponentFactory.h"
#include "data/PrintEngine.h"
#include "db/Error.h"
#include "host/BillDocument.h"
#include "host/PdfPrintEngine.h"
#include "host/PdfTextRepair.h"
#include "support/TestDatabase.h"

namespace {

namespace fs = std::filesystem;
using host_test::Has;
using host_test::PdfPages;

class PdfPrintEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!host_test::HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        out = fs::path(t.Path()).parent_path() / "输出";
        host::RegisterPdfPrintEngine(host::PrintOutput::PdfFile, out.string());
        branch = t.Scalar("select tjbh from gl_custom order by tjbh limit 1");
        type = t.Scalar("select id from glsx where fid=3 order by id limit 1");
        AddBill("TJ-0001", branch, "NULL", {{"100", "H100", 10, 12.5}, {"1000", "H1000", 0, 3}, {"200", "H200", 8.8, 7.92}});
        AddBill("TJ-0002", type, "'1'", {{"100", "H300", 5, 6}});
        t.Exec("update SubAdjuctPrice set bz='春季''调价', shbz=1, shry='审核员甲', jzbz=1 where lsh='TJ-0002'");
    }
    struct Line {
        std::string dh, hh;
        double oldPrice, newPrice;
    };
    void AddBill(const std::string& lsh, const std::string& target, const std::string& bz5, const std::vector<Line>& lines) {
        t.Exec("insert into SubAdjuctPrice (lsh,kdrq,execdate,bz,czry,shbz,jzbz,dwbh,bz5) values ('" + lsh +
               "','2026-12-01','2026-12-03','换季','开单员乙',0,0,'" + target + "'," + bz5 + ")");
        for (const auto& l : lines)
            t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('" + lsh + "','" + l.dh + "','" + l.hh +
                   "','品名" + l.hh + "\\330ml\\上海\\听'," + std::to_string(l.oldPrice) + "," + std::to_string(l.newPrice) + ")");
    }
    // Prints through the factory with the browser's calls; the file written, "" when none.
    std::string Print(const std::string& serials) {
        data::PrintBillList(t.Db(), serials);
        return host::PdfPrintEngine::LastOutputFile();
    }
    std::string Name(const std::string& sql) { return t.Scalar(sql); }

    testing_support::TestDatabase t{true};
    fs::path out;
    std::string branch, type;
};

TEST_F(PdfPrintEngineTest, ABillPrintsItsHeaderLinesAndPrices) {
    const std::string file = Print("TJ-0001");
    EXPECT_EQ(fs::path(file).parent_path(), out);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^调价单-TJ-0001-\\d{8}-\\d{6}\\.pdf$"))
                    .match(QString::fromStdString(fs::path(file).filename().string()))
                    .hasMatch())
        << file;
    const auto pages = PdfPages(file);
    ASSERT_EQ(pages.size(), 1u);
    const std::string& text = pages[0];
    for (const std::string part :
         {"分支机构商品调价单", "流水号：TJ-0001", "开单日期：2026-12-01", "执行日期：2026-12-03", "备注：换季",
          "操作人员：开单员乙", "审核人员：", "未审核", "未记帐", "单号货号品名原售价新售价调价金额调价幅度",
          // the lines in line-number order ("1000" after "200"), the change "—" where the old price is 0
          "100H100品名H100/330ml/上海/听10.0012.502.5025.00%200H200品名H200/330ml/上海/听8.807.92-0.88-10.00%"
          "1000H1000品名H1000/330ml/上海/听0.003.003.00—",
          "共 3 行", "第 1 页 / 共 1 页"})
        EXPECT_TRUE(Has(text, part)) << part << "\n" << text;
    EXPECT_TRUE(Has(text, "分支机构：" + branch + Name("select mc from gl_custom where tjbh='" + branch + "'")));
}

TEST_F(PdfPrintEngineTest, TwoSerialsGiveTwoBillsEachFromANewPage) {
    const std::string file = Print("TJ-0001|TJ-0002");
    EXPECT_TRUE(Has(fs::path(file).filename().string(), "调价单-TJ-0001_TJ-0002-"));
    const auto pages = PdfPages(file);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(Has(pages[0], "TJ-0001") && Has(pages[0], "H1000") && !Has(pages[0], "TJ-0002"));
    for (const std::string& part : std::vector<std::string>{"分支机构商品调价单", "流水号：TJ-0002", "H300", "备注：春季'调价",
                                   "已审核", "已记帐", "审核人员：审核员甲", "第 1 页 / 共 1 页",
                                   "分支机构类型：" + type + Name("select name from glsx where fid=3 and id='" + type + "'")})
        EXPECT_TRUE(Has(pages[1], part)) << part << "\n" << pages[1];
}

TEST_F(PdfPrintEngineTest, UnknownSerialsFailNothing) {
    EXPECT_EQ(Print("没有这张单"), "");
    EXPECT_EQ(Print(" | |"), "");
    EXPECT_TRUE(host_test::FilesIn(out).empty());
    const std::string file = Print("没有这张单| TJ-0002 |");
    EXPECT_TRUE(Has(fs::path(file).filename().string(), "调价单-TJ-0002-"));
    EXPECT_EQ(PdfPages(file).size(), 1u);
}

TEST_F(PdfPrintEngineTest, EitherCallOrderAndTheStatementsSent) {
    std::vector<std::string> sent;
    host::PdfPrintEngine engine(host::PrintOutput::PdfFile, out.string());
    engine.SetConnection(t.Db());
    engine.SetCompany(data::kCompanyId);
    engine.SetFlag(-1);  // before the tables, unlike Print() above
    engine.SetTable(0, data::kHeaderTable);
    engine.SetTable(1, data::kLineTable);
    t.Db().SetTrace([&](const std::string& s) { sent.push_back(s); });
    std::string list = "TJ-0001|O'Neil";
    bool flag = true;
    engine.Print(data::kBillTypeCode, list, flag);
    t.Db().SetTrace({});
    auto sentHas = [&](const std::string& part) {
        return std::any_of(sent.begin(), sent.end(), [&](const std::string& s) { return s.find(part) != std::string::npos; });
    };
    EXPECT_TRUE(sentHas(" from SubAdjuctPrice where lsh='TJ-0001'"));
    EXPECT_TRUE(sentHas(" from SubAdjuctPricemx where lsh='TJ-0001' order by cast(dh as int)"));
    EXPECT_TRUE(sentHas(" from gl_custom where tjbh='" + branch + "'"));
    EXPECT_TRUE(sentHas(" where lsh='O''Neil'"));
    EXPECT_NE(Print("TJ-0001"), engine.LastFile()) << "an earlier file is never overwritten";
}

TEST_F(PdfPrintEngineTest, ALongBillRunsOverNumberedPagesWithItsHeading) {
    auto code = [](int i) { return std::string("L").append(std::to_string(1000 + i)); };
    std::vector<Line> lines;
    for (int i = 1; i <= 120; ++i) lines.push_back({std::to_string(i * 100), code(i), 1.0 * i, 1.1 * i});
    AddBill("TJ-LONG", branch, "''", lines);
    const auto pages = PdfPages(Print("TJ-LONG"));
    ASSERT_GE(pages.size(), 3u);
    const std::string n = std::to_string(pages.size());
    EXPECT_TRUE(Has(pages.front(), "第 1 页 / 共 " + n + " 页"));
    EXPECT_TRUE(Has(pages.back(), "第 " + n + " 页 / 共 " + n + " 页"));
    EXPECT_TRUE(Has(pages[1], "单号货号品名原售价新售价调价金额调价幅度"));
    EXPECT_TRUE(Has(pages.back(), "共 120 行"));
    const auto all = host_test::Joined(pages);
    for (int i = 1; i <= 120; ++i) EXPECT_TRUE(Has(all, code(i))) << i;
}

TEST_F(PdfPrintEngineTest, RefusesWhatItCannotPrint) {
    host::PdfPrintEngine engine(host::PrintOutput::PdfFile, out.string());
    std::string list = "TJ-0001";
    bool flag = true;
    engine.SetTable(0, data::kHeaderTable);
    engine.SetTable(1, data::kLineTable);
    EXPECT_THROW(engine.Print(data::kBillTypeCode, list, flag), db::Error);  // no connection
    engine.SetConnection(t.Db());
    EXPECT_THROW(engine.Print(57, list, flag), db::Error);
    engine.SetTable(1, "SubAdjuctPricemx; drop table gl_custom");
    EXPECT_THROW(engine.Print(data::kBillTypeCode, list, flag), db::Error);
    EXPECT_NE(t.Scalar("select count(*) from gl_custom"), "0");
    EXPECT_TRUE(host_test::FilesIn(out).empty());
}

TEST(BillFormats, MoneyAndPercent) {
    EXPECT_EQ(host::FormatMoney(-0.001), QStringLiteral("0.00"));
    EXPECT_EQ(host::FormatMoney(7.92 - 8.8), QStringLiteral("-0.88"));
    EXPECT_EQ(host::FormatChangePercent(0, 3), QStringLiteral("—"));
    EXPECT_EQ(host::FormatChangePercent(8, 9), QStringLiteral("12.50%"));
}

TEST(PdfTextRepair, RadicalCodesBecomeTheIdeographsOfTheSameGlyph) {
    const host::PdfTextRepair repair(host::BillDocument::ChineseFont(10));
    if (repair.IdeographFor(0x2F40) == 0) GTEST_SKIP() << "no Chinese font that maps the radicals";
    EXPECT_EQ(repair.IdeographFor(0x2ED4), u'门');
    QByteArray pdf(
        "1 beginbfrange\n<0000> <0000> <0000>\n<0001> <0003> [<5206> <2F40> <2f54> ]\n<0004> <0004> <2F47>\n"
        "<0005> <000F> <2F00>\nendbfrange\n2 beginbfchar\n<0010> <2ED4>\n<0011> <0041>\nendbfchar\n");
    EXPECT_EQ(repair.RepairBytes(pdf), 4);
    // 支 水 日 门; a range of several glyphs counts up from its first code and stays as written.
    EXPECT_EQ(pdf,
              "1 beginbfrange\n<0000> <0000> <0000>\n<0001> <0003> [<5206> <652F> <6C34> ]\n<0004> <0004> <65E5>\n"
              "<0005> <000F> <2F00>\nendbfrange\n2 beginbfchar\n<0010> <95E8>\n<0011> <0041>\nendbfchar\n");
}

}  // namespace
