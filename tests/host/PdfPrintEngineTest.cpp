// The print engine: the printed bills as text, their pages, and the PDF files it writes.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "PdfSupport.h"
#include "SymlinkSwapper.h"
#include "data/PrintEngine.h"
#include "data/QueryRoutines.h"
#include "db/Error.h"
#include "host/PdfPrintEngine.h"
#include "support/FileSizeLimit.h"
#include "support/TestDatabase.h"
#include "ui/headless/HeadlessToolkit.h"

namespace {

namespace fs = std::filesystem;
using host_test::Has;
using host_test::PdfPages;

class PdfPrintEngineTest : public ::testing::Test {
protected:
    using Lines = std::vector<testing_support::TestDatabase::StoredLine>;
    void SetUp() override {
        if (!host_test::HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        out = fs::path(t.Path()).parent_path() / "输出";
        host::RegisterPdfPrintEngine(host::PrintOutput::PdfFile, out.string());
        branch = t.Scalar("select tjbh from gl_custom order by tjbh limit 1");
        type = t.Scalar("select id from glsx where fid=3 order by id limit 1");
        AddBill("TJ-0001", {{"H100", 10, 12.5, Pm("H100")}, {"H200", 8.8, 7.92, Pm("H200")}, {"H300", 0, 3, Pm("H300")}}, branch, "NULL");
        AddBill("TJ-0002", {{"H400", 5, 6, "可乐\u2067\u200F倒\u2069"}}, type, "'1'");
        t.Exec("update SubAdjuctPrice set bz='春季''调价\u202E321 元', shbz=1, shry='审核员甲', jzbz=1 where lsh='TJ-0002'");
    }
    static std::string Pm(const std::string& hh) { return "品名" + hh + "\\330ml\\上海\\听"; }
    void AddBill(const std::string& lsh, const Lines& lines, std::string target = {}, const std::string& bz5 = "''") {
        t.StoreBill({lsh, target.empty() ? branch : target, 0, 0, lines, "'2026-12-03'", bz5, "2026-12-01"});
    }
    static Lines Numbered(int n, const std::string& pm = "p") {
        Lines lines;
        for (int i = 1; i <= n; ++i) lines.push_back({"K" + std::to_string(1000 + i), 1.0 * i, 2.0 * i, pm});
        return lines;
    }
    // Prints through the factory with the browser's calls; the file written, "" when none.
    std::string Print(const std::string& serials) {
        data::PrintBillList(t.Db(), serials);
        return host::PdfPrintEngine::LastOutputFile();
    }

    testing_support::TestDatabase t{true};
    fs::path out;
    std::string branch, type;
};

TEST_F(PdfPrintEngineTest, TwoSerialsGiveTwoBillsEachOnItsOwnPageAndUnknownOnesNothing) {
    const std::string file = Print("TJ-0001|TJ-0002");
    EXPECT_EQ(fs::path(file).parent_path(), out);
    EXPECT_TRUE(std::regex_match(fs::path(file).filename().string(), std::regex("调价单-TJ-0001_TJ-0002-\\d{8}-\\d{6}\\.pdf"))) << file;
    const auto pages = PdfPages(file);
    ASSERT_EQ(pages.size(), 2u);
    const std::vector<std::string> parts[] = {
        {"分支机构商品调价单", "流水号：TJ-0001", "开单日期：2026-12-01", "执行日期：2026-12-03", "备注：r", "操作人员：系统管理员",
         "审核人员：", "未审核", "未记帐", "单号货号品名原售价新售价调价金额调价幅度",
         // the change "—" where the old price is 0
         "100H100品名H100/330ml/上海/听10.0012.502.5025.00%200H200品名H200/330ml/上海/听8.807.92-0.88-10.00%"
         "300H300品名H300/330ml/上海/听0.003.003.00—",
         "共 3 行", "第 1 页 / 共 1 页", "分支机构：" + branch + t.Scalar("select mc from gl_custom where tjbh='" + branch + "'")},
        {"流水号：TJ-0002", "H400", "可乐<U+2067><U+200F>倒<U+2069>", "备注：春季'调价<U+202E>321 元", "已审核", "已记帐", "审核人员：审核员甲", "第 1 页 / 共 1 页",
         "分支机构类型：" + type + t.Scalar("select name from glsx where fid=3 and id='" + type + "'")}};
    for (size_t p = 0; p < 2; ++p)
        for (const std::string& part : parts[p]) EXPECT_TRUE(Has(pages[p], part)) << part << "\n" << pages[p];

    fs::remove_all(out);
    EXPECT_EQ(Print("没有这张单") + Print(" | |"), "");
    EXPECT_TRUE(host_test::FilesIn(out).empty());
    const std::string one = Print("没有这张单| TJ-0002 |");
    EXPECT_TRUE(Has(fs::path(one).filename().string(), "调价单-TJ-0002-"));
    EXPECT_EQ(PdfPages(one).size(), 1u);
}

TEST_F(PdfPrintEngineTest, EitherCallOrderAndWhatItRefuses) {
    host::PdfPrintEngine engine(host::PrintOutput::PdfFile, out.string());
    engine.SetCompany(data::kCompanyId);
    engine.SetFlag(-1);  // before the tables, unlike Print() above
    engine.SetTable(0, data::kHeaderTable);
    engine.SetTable(1, data::kLineTable);
    std::string list = "TJ-0001|O'Neil";
    bool flag = true;
    EXPECT_THROW(engine.Print(data::kBillTypeCode, list, flag), db::Error);  // no connection
    engine.SetConnection(t.Db());
    EXPECT_THROW(engine.Print(57, list, flag), db::Error);
    EXPECT_TRUE(host_test::FilesIn(out).empty());
    engine.Print(data::kBillTypeCode, list, flag);  // a quote not doubled in O'Neil would fail it
    EXPECT_EQ(PdfPages(engine.LastFile()).size(), 1u);
    EXPECT_NE(Print("TJ-0001"), engine.LastFile()) << "an earlier file is never overwritten";

    engine.SetTable(1, "SubAdjuctPricemx; drop table gl_custom");
    EXPECT_THROW(engine.Print(data::kBillTypeCode, list, flag), db::Error);
    EXPECT_NE(t.Scalar("select count(*) from gl_custom"), "0");
    EXPECT_EQ(host_test::FilesIn(out).size(), 2u);
}

// The item codes ("K" and four digits) on a page, in the order the page reads.
std::vector<std::string> Codes(const std::string& page) {
    std::vector<std::string> codes;
    const std::string text = host_test::Squeezed(page);
    for (size_t at = text.find('K'); at != std::string::npos; at = text.find('K', at + 1))
        if (at + 5 <= text.size() && std::all_of(text.begin() + at + 1, text.begin() + at + 5, ::isdigit))
            codes.push_back(text.substr(at, 5));
    return codes;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

// Each bill starts a page and numbers its own pages, each with the heading once; every line comes
// once, whole on one page, in line-number order (1000 after 900); a description taller than a page
// is divided with nothing lost.
TEST_F(PdfPrintEngineTest, LongBillsRunOverNumberedPagesWithEachLineWholeOnOne) {
    auto description = [](int i, const std::string& separator) {
        return "第" + std::to_string(i) + "号特级精选东北五常稻花香大米家庭实惠装礼盒ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ" +
               std::to_string(i) + separator + "5kg" + separator + "黑龙江五常";
    };
    Lines wrapped = Numbered(150);
    for (int i = 1; i <= 60; ++i) wrapped[static_cast<size_t>(i - 1)].pm = description(i, "\\");
    for (int i = 1; i <= 400; ++i) wrapped.back().pm += "丙" + std::string(i < 10 ? "000" : i < 100 ? "00" : "0") + std::to_string(i);
    AddBill("TJ-A", wrapped);
    AddBill("TJ-C", Numbered(150));
    const auto pages = PdfPages(Print("TJ-A|TJ-0002|TJ-C"));
    std::vector<std::pair<std::string, size_t>> bills;  // serial, first page
    std::vector<std::string> codes[3];
    for (size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(p + 1);
        std::smatch m;
        const std::string text = host_test::Squeezed(pages[p]);
        ASSERT_TRUE(std::regex_search(text, m, std::regex("流水号：(TJ-[A-Z0-9]+)")));
        if (bills.empty() || bills.back().first != m[1]) bills.emplace_back(m[1], p);
        const auto onPage = Codes(pages[p]);
        // pdftotext may read the heading row in another order
        for (const std::string heading : {"单号", "货号", "品名", "原售价", "新售价", "调价金额", "调价幅度"})
            EXPECT_TRUE(onPage.empty() || Count(pages[p], heading) == 1u) << heading;
        codes[bills.size() - 1].insert(codes[bills.size() - 1].end(), onPage.begin(), onPage.end());
    }
    ASSERT_EQ(bills.size(), 3u);
    EXPECT_EQ(bills[0].first + bills[1].first + bills[2].first, "TJ-ATJ-0002TJ-C");
    std::vector<std::string> expected;
    for (const auto& l : Numbered(150)) expected.push_back(l.hh);
    EXPECT_TRUE(codes[0] == expected && codes[1].empty() && codes[2] == expected) << "a line lost, out of order or printed twice";
    for (int i = 1; i <= 60; ++i)
        EXPECT_EQ(std::count_if(pages.begin(), pages.end(), [&](const std::string& page) { return Has(page, description(i, " / ")); }), 1)
            << "line " << i << " is cut, divided over two pages or printed twice";
    const std::string all = host_test::Joined(pages);
    EXPECT_EQ(Count(all, "稻花香"), 60u);
    EXPECT_EQ(Count(all, "丙"), 400u) << "a wrapped line of the description lost or repeated";
    for (size_t b = 0; b < bills.size(); ++b) {
        const size_t first = bills[b].second, end = b + 1 < bills.size() ? bills[b + 1].second : pages.size();
        EXPECT_TRUE(Has(pages[first], "开单日期") && Has(pages[first], "执行日期")) << "bill " << b + 1 << " starts a page";
        for (size_t p = first; p < end; ++p) {
            EXPECT_TRUE(Has(pages[p], "第 " + std::to_string(p - first + 1) + " 页 / 共 " + std::to_string(end - first) + " 页")) << p + 1;
            EXPECT_EQ(Has(pages[p], "共 150 行"), b != 1 && p + 1 == end) << "page " << p + 1;
        }
    }
    EXPECT_EQ(bills[1].second + 1, bills[2].second) << "TJ-0002 takes one page";
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(PdfPrintEngineTest, ASymlinkSwappedInWhilePrintingIsNeverWrittenThrough) {
    fs::create_directories(out);
    const fs::path victim = fs::path(t.Path()).parent_path() / "别人的文件.txt";
    std::ofstream(victim) << "别人的数据";
    ui::ScopedHeadlessToolkit tk;
    std::vector<std::string> files;
    {
        host_test::SymlinkSwapper swapper(out, victim, IN_CLOSE_WRITE);
        for (int i = 0; i < 3; ++i) files.push_back(Print("TJ-0001"));
    }
    EXPECT_TRUE(ReadFile(victim) == "别人的数据") << "a print wrote through the symlink";
    // Each print named a whole PDF of its own, or said that the bill was not printed.
    size_t refused = 0;
    for (const auto& m : tk->Messages()) refused += m.message.text.rfind("单据没有打印", 0) == 0 ? 1 : 0;
    size_t printed = 0;
    for (const std::string& file : files) {
        if (file.empty()) continue;
        ++printed;
        ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(file))) << file;
        const std::string pdf = ReadFile(file);
        EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
        EXPECT_NE(pdf.find("%%EOF", pdf.size() - 8), std::string::npos) << "the PDF has no trailer";
    }
    EXPECT_EQ(printed + refused, files.size());
}

TEST_F(PdfPrintEngineTest, APdfThatDoesNotFitOnTheDiskIsNotPrintedAndLeavesNothing) {
    ui::ScopedHeadlessToolkit tk;
    for (size_t room : {12288, 0}) {
        std::string file;
        {
            testing_support::FileSizeLimit full(room);
            EXPECT_NO_THROW(file = Print("TJ-0001"));
        }
        EXPECT_EQ(file, "") << room;
        EXPECT_TRUE(host_test::FilesIn(out).empty()) << room << " bytes free: a partial file was left";
        ASSERT_EQ(tk->Messages().size(), 1u) << room;
        const ui::Message& m = tk->Messages()[0].message;
        EXPECT_TRUE(m.text.rfind("单据没有打印：不能写入文件 " + (out / "调价单-TJ-0001-").string(), 0) == 0 &&
                    m.text.find("（文件超过允许的大小）") != std::string::npos && m.icon == ui::Icon::Exclamation && m.title == "系统提示")
            << m.text;
        tk->ClearMessages();
    }
    EXPECT_NE(Print("TJ-0001"), "") << "with room again the bill prints";
}

}  // namespace
