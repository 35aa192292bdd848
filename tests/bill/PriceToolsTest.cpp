// The editor's "价格" (price history and chart) and "合计" (totals), price rounding and the doubts about a new price.
#include "EditorFixture.h"
#include "bill/FrmBillTotals.h"
#include "bill/FrmPriceHistory.h"
#include "bill/LineChecks.h"
#include "bill/PriceConflicts.h"
#include "bill/PriceRounding.h"
#include "data/SystemSettings.h"
#include "ui/Keys.h"

using bill::FrmAdjuctPrice;
using bill::PricePoint;

namespace {

class PriceTools : public billtest::Editor {
protected:
    PriceTools() { data::Settings().jjbl = 2; }

    // A bill made and executed on `kdrq`, by its own people.
    void Header(const std::string& lsh, const std::string& dwbh, int shbz, const std::string& kdrq,
                const std::vector<testing_support::TestDatabase::StoredLine>& lines, const std::string& czry = "张三",
                const std::string& shry = "") {
        t.StoreBill({lsh, dwbh, shbz, 0, lines, "'" + kdrq + "'", "''", kdrq});
        t.Exec("update SubAdjuctPrice set czry='" + czry + "',shry='" + shry + "' where lsh='" + lsh + "'");
    }

    std::string Cells(const ui::Grid& g, int row) {
        std::string s;
        for (int c = 1; c < g.Cols(); ++c) s += (c > 1 ? "|" : "") + g.TextMatrix(row, c);
        return s;
    }
};

}  // namespace

TEST(PriceRounding, RoundsDecimalTextHalfAwayFromZeroAndReadsOnlyPlainNumbers) {
    const struct {
        double price;
        int decimals;
        double rounded;
    } cases[] = {{1.005, 2, 1.01}, {-1.005, 2, -1.01}, {9.995, 2, 10.0}, {0.5, 0, 1.0}, {12.3456, 9, 12.3456}};  // six places at most
    for (const auto& c : cases) EXPECT_EQ(bill::RoundPrice(c.price, c.decimals), c.rounded) << c.price;
    EXPECT_EQ(bill::PriceText(-0.001, 2) + " " + bill::PriceText(5.5, 2), "0.00 5.50");
    EXPECT_EQ(bill::PercentText(4, 5) + " " + bill::PercentText(4, 3) + " " + bill::PercentText(0, 3), "+25.00% -25.00% ");
    const std::pair<const char*, double> plain[] = {{" 12.5 ", 12.5}, {"-3", -3.0}, {".5", 0.5}, {"5.", 5.0}};
    for (const auto& [text, value] : plain) EXPECT_EQ(bill::ParsePrice(text), value) << text;
    for (const char* bad : {"", "+", ".", "1e5", "12元", "1.2.3", "nan", "--1"}) EXPECT_FALSE(bill::ParsePrice(bad).has_value()) << bad;
}

TEST(LineChecks, PointsOutAZeroPriceAChangeBeyondTheLimitAndAnEarlyExecutionDate) {
    const struct {
        double oldPrice, newPrice;
        int limit;
        std::vector<std::string> doubts;
    } cases[] = {
        {5, 0, 50, {"新售价为0"}},
        {4, 6, 50, {}},  // exactly the limit
        {4, 6.02, 50, {"新售价比原售价高50.5%"}},
        {10, 4, 50, {"新售价比原售价低60%"}},
        {0, 9, 50, {}},  // no old price to measure against
    };
    for (const auto& c : cases) EXPECT_EQ(bill::PriceDoubts(c.oldPrice, c.newPrice, c.limit), c.doubts) << c.oldPrice << "→" << c.newPrice;
    const db::DateTime bill{2026, 12, 6, 15, 30, 0};
    EXPECT_TRUE(bill::ExecutesBeforeBillDate(bill, {2026, 12, 5}));
    EXPECT_FALSE(bill::ExecutesBeforeBillDate(bill, {2026, 12, 6})) << "the same day, whatever the time";
    EXPECT_FALSE(bill::ExecutesBeforeBillDate(bill, db::DateTime{})) << "no execution date";
}

TEST_F(PriceTools, HistoryListsAuditedBillsNewestFirstWithChartAndThePendingOnes) {
    Header("1", "001", 1, "2026-10-05", {{"A1", 4, 5}}, "张三", "李四");
    Header("2", "001", 1, "2026-11-20", {{"A1", 5, 5.5}}, "王五", "李四");
    Header("3", "002", 1, "2026-11-25", {{"A1", 5, 9}});   // another branch
    Header("4", "001", 0, "2026-12-01", {{"A1", 5.5, 6}});  // would change it
    Header("5", "001", 0, "2026-12-02", {{"B2", 4, 4.4}});
    Open("5", [&](FrmAdjuctPrice& w) {
        w.TxtHH.SetText("a1");  // the database compares codes without regard to case
        Press<bill::FrmPriceHistory>(w, "价格", "FrmPriceHistory", [&](bill::FrmPriceHistory& h) {
            EXPECT_EQ(h.LabCurrent.Caption(), "当前售价: 5.50");
            ASSERT_EQ(h.VfgAudited.Rows(), 3);
            EXPECT_EQ(Cells(h.VfgAudited, 1), "2026-11-20|2026-11-20|2|5.00|5.50|+10.00%|王五|李四");
            EXPECT_EQ(Cells(h.VfgAudited, 2), "2026-10-05|2026-10-05|1|4.00|5.00|+25.00%|张三|李四");
            ASSERT_EQ(h.VfgPending.Rows(), 2);
            EXPECT_EQ(Cells(h.VfgPending, 1), "2026-12-01|2026-12-01|4|5.50|6.00|+9.09%|张三");
            EXPECT_EQ(h.ChtPrice.Points(), (std::vector<PricePoint>{{{2026, 10, 5}, 4}, {{2026, 10, 5}, 5}, {{2026, 11, 20}, 5},
                                                                    {{2026, 11, 20}, 5.5}, {{2026, 12, 6}, 5.5}}));
        });
        // Without an item in the strip: the grid's current line.
        w.TxtHH.SetText("");
        w.VfgContent.Select(1, 1);
        Press<bill::FrmPriceHistory>(w, "价格", "FrmPriceHistory", [&](bill::FrmPriceHistory& h) {
            EXPECT_EQ(h.Item() + " " + h.LabCurrent.Caption(), "B2 当前售价: 4.00");
            EXPECT_EQ(h.VfgPending.Rows(), 2) << "this bill itself would change it";
        });
    });
    EXPECT_EQ(t.Toolkit().ShownWindows().size(), 3u);
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(PriceTools, TwoChangesOnOneDayMakeOneStepAndTheCurrentPriceStepsAtTheEnd) {
    Header("1", "001", 1, "2026-10-05", {{"A1", 4, 9}});    // a price that held only for part of a day
    Header("2", "001", 1, "2026-10-05", {{"A1", 9, 5}});
    Header("3", "001", 1, "2026-11-20", {{"A1", 5, 5}});    // no change
    Header("4", "001", 1, "2026-11-25", {{"A1", 5, 5.2}});  // glprice then changed elsewhere to 5.5
    Header("5", "001", 0, "2026-12-02", {{"B2", 4, 4.4}});
    Open("5", [&](FrmAdjuctPrice& w) {
        w.TxtHH.SetText("A1");
        Press<bill::FrmPriceHistory>(w, "价格", "FrmPriceHistory", [&](bill::FrmPriceHistory& h) {
            EXPECT_EQ(h.ChtPrice.Points(), (std::vector<PricePoint>{{{2026, 10, 5}, 4}, {{2026, 10, 5}, 5}, {{2026, 11, 25}, 5},
                                                                    {{2026, 11, 25}, 5.2}, {{2026, 12, 6}, 5.2}, {{2026, 12, 6}, 5.5}}));
        });
    });
}

TEST_F(PriceTools, TotalsGiveCountSumsAverageAndTheExtremeLines) {
    Header("6", "001", 0, "2026-12-01", {{"A1", 5, 5.5}, {"B2", 4, 3}, {"X", 0, 2}, {"A12", 10, 12}});
    Open("6", [&](FrmAdjuctPrice& w) {
        Press<bill::FrmBillTotals>(w, "合计", "FrmBillTotals", [](bill::FrmBillTotals& s) {
            // The average: (10 - 25 + 20) / 3; the line from 0 has no percentage.
            EXPECT_EQ(s.LabLines.Caption() + "|" + s.LabOldSum.Caption() + "|" + s.LabNewSum.Caption() + "|" + s.LabAverage.Caption() +
                          "|" + s.LabSumPercent.Caption(),
                      "4|19.00|22.50|+1.67%|+18.42%");
            EXPECT_EQ(s.LabRise.Caption(), "A12  p  10.00 → 12.00 (+20.00%)");
            EXPECT_EQ(s.LabFall.Caption(), "B2  p  4.00 → 3.00 (-25.00%)");
        });
    });
}

TEST_F(PriceTools, StatusBarNamesOtherOpenBillsOfTheSameItemAndTarget) {
    Header("7", "001", 0, "2026-12-01", {{"A1", 5.5, 6}});
    Header("8", "001", 1, "2026-12-01", {{"A1", 5.5, 7}});   // audited: no longer fighting
    Header("9", "002", 0, "2026-12-01", {{"A1", 5.5, 8}});   // another branch
    Header("12", "001", 0, "2026-12-02", {{"A1", 5.5, 9}});
    auto enter = [&](FrmAdjuctPrice& w, const std::string& code) {
        w.SetFocus(w.TxtHH);
        w.TxtHH.TypedText(code);
        Key(w, w.TxtHH, ui::Key::Enter);
    };
    Open("", [&](FrmAdjuctPrice& w) {
        w.TxtDwbh.SetText("001");
        enter(w, "A1");
        EXPECT_EQ(w.StatusBar1.Panel(1), "注意：货号为'A1'的商品已在其他未审核的调价单中调价（流水号：7、12）");
        billtest::Lookups().pick = 0;
        enter(w, "*1");  // a pattern hit: the warning follows the item taken
        EXPECT_EQ(w.TxtHH.Text(), "A1");
        EXPECT_NE(w.StatusBar1.Panel(1), bill::kStatusText);
    });
    Open("7", [&](FrmAdjuctPrice& w) {
        enter(w, "A1");
        EXPECT_EQ(w.StatusBar1.Panel(1), "注意：货号为'A1'的商品已在其他未审核的调价单中调价（流水号：12）") << "not itself";
    });
    EXPECT_EQ(bill::OpenConflictText("Z", {"1", "2", "3", "4", "5", "6"}),
              "注意：货号为'Z'的商品已在其他未审核的调价单中调价（流水号：1、2、3、4、5等6张单据）");
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(PriceTools, TheAuditQuestionListsTheImplausibleLinesFirst) {
    data::Settings().PriceChangeWarnPercent = 40;
    Header("10", "001", 0, "2026-11-01", {{"A1", 5.5, 0}, {"B2", 4, 4.5}, {"X", 1, 2}});
    t.Exec("update SubAdjuctPrice set execdate='2026-10-30' where lsh='10'");
    Header("11", "001", 0, "2026-11-01", {{"B2", 4, 4.5}});
    Open("10", [&](FrmAdjuctPrice& w) { w.Toolbar1.Press("审核"); });
    Open("11", [&](FrmAdjuctPrice& w) { w.Toolbar1.Press("审核"); });
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"以下明细请核对：\n执行日期早于开单日期\n货号A1：新售价为0\n"
                                                        "货号X：新售价比原售价高100%\n确实要审核此单据吗?",
                                                        "确实要审核此单据吗?"}));
    EXPECT_EQ(t.Joined("select shbz from SubAdjuctPrice order by lsh", "", ","), "0,0") << "answered with the default 否";
}

TEST_F(PriceTools, AuditAsksBeforeOverwritingPricesALaterAuditedBillSet) {
    Header("10", "001", 0, "2026-11-01", {{"A1", 5.5, 6}, {"B2", 4, 4.5}, {"X", 1, 1.2}});
    Header("11", "001", 1, "2026-11-15", {{"A1", 5.5, 7}});
    Header("13", "001", 1, "2026-11-20", {{"A1", 7, 7.5}});
    Header("14", "001", 1, "2026-10-01", {{"B2", 3, 4}});  // earlier: nothing to overwrite
    Header("15", "002", 1, "2026-11-30", {{"B2", 4, 5}});  // another branch
    const std::string question = "以下商品的售价已由开单日期更晚的已审核单据调整，审核本单据将以本单据的价格覆盖：\n"
                                 "货号A1：流水号13（2026-11-20）\n确实要审核此单据吗?";
    Open("10", [&](FrmAdjuctPrice& w) {
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        t.Toolkit().QueueAnswer(ui::Answer::No);
        w.Toolbar1.Press("审核");
        EXPECT_EQ(w.TxtSh.Text(), "");
        ASSERT_EQ(MessageTexts(), (std::vector<std::string>{"确实要审核此单据吗?", question}));
        EXPECT_EQ(t.Toolkit().Messages()[1].message.defaultButton, ui::DefaultButton::Second);
    });
    EXPECT_EQ(Scalar("select shbz from SubAdjuctPrice where lsh='10'"), "0");
    EXPECT_EQ(Scalar("select SELLPRICE from glprice where HH='A1' and DWBH='001'"), "5.5");
    t.Toolkit().ClearMessages();
    Open("10", [&](FrmAdjuctPrice& w) {
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar1.Press("审核");
        EXPECT_EQ(w.TxtSh.Text(), "系统管理员");
    });
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"确实要审核此单据吗?", question}));
    EXPECT_EQ(Scalar("select SELLPRICE from glprice where HH='A1' and DWBH='001'"), "6");
}
