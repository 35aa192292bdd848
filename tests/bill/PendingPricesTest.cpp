// Prices that wait for the execution date: staged by the audit, applied when due, withdrawn, shown.
#include "EditorFixture.h"
#include "bill/FrmPriceHistory.h"
#include "bill/PendingPrices.h"
#include "bill/PriceConflicts.h"
#include "browser/FrmBrowser.h"
#include "data/SystemSettings.h"
#include "ui/Keys.h"

using billtest::Editor;
using bill::FrmAdjuctPrice;

namespace {

const char* kPrices = "select HH,'@',DWBH,'=',SELLPRICE from glprice order by HH, DWBH";

class Pending : public Editor {
protected:
    Pending() { data::Settings().PricesOnExecDate = true; }

    void Audit(const std::string& lsh) {
        Open(lsh, [&](FrmAdjuctPrice& w) {
            t.Toolkit().QueueAnswer(ui::Answer::Yes);
            w.Toolbar1.Press("审核");
        });
    }
    // Bills applied, each as "serial:prices".
    std::string Apply(const db::DateTime& day) {
        std::string out;
        for (const auto& b : bill::ApplyDuePrices(t.Db(), day))
            out += (out.empty() ? "" : " ") + b.lsh + ":" + std::to_string(b.prices);
        return out;
    }
    std::string States() { return t.Joined("select lsh,hh,zt from SubAdjuctPricePending order by lsh,hh", ",", " "); }
};

}  // namespace

TEST_F(Pending, OnlyABillExecutedAfterTheBusinessDateWaits) {
    // Business date 2026-12-06; each case at a target of its own.
    struct Case {
        const char* execdate;
        bool setting;
        const char* target;
        bool waits;
    } cases[] = {
        {"'2026-12-07'", true, "001", true},
        {"'2026-12-06'", true, "002", false},  // today: at once
        {"'2026-11-30'", true, "0031", false},
        {"NULL", true, "5", false},
        {"'2026-12-07'", false, "7", false},  // setting off: as always
    };
    int lsh = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.execdate) + (c.setting ? " on" : " off"));
        data::Settings().PricesOnExecDate = c.setting;
        const std::string serial = std::to_string(lsh++);
        Bill(serial, c.target, 0, {"X", "12.5"}, "''", c.execdate);
        t.Toolkit().ClearMessages();
        t.ClearStatements();
        Audit(serial);
        EXPECT_EQ(Scalar("select shbz from SubAdjuctPrice where lsh='" + serial + "'"), "1");
        EXPECT_EQ(Count(std::string("select count(*) from glprice where HH='X' and DWBH='") + c.target + "'"), c.waits ? 0 : 1);
        EXPECT_EQ(MessageTexts().back() == "新价格将于 2026-12-07 生效", c.waits);
        if (!c.setting) {
            for (const auto& s : t.Statements()) EXPECT_EQ(s.find("Pending"), std::string::npos) << s;
        }
    }
    EXPECT_EQ(States(), "1,X,0");
}

TEST_F(Pending, DuePricesApplyInDateThenSerialOrderOnceEach) {
    Bill("1", "001", 0, {"A1", "6", "X", "7"}, "''", "'2026-12-07'");
    Bill("2", "001", 0, {"A1", "8"}, "''", "'2026-12-08'");
    // One day, two bills: serial 10 comes after serial 9, and its price stays.
    Bill("10", "001", 0, {"B2", "11"}, "''", "'2026-12-09'");
    Bill("9", "001", 0, {"B2", "10"}, "''", "'2026-12-09'");
    for (auto lsh : {"1", "2", "10", "9"}) Audit(lsh);

    struct Step {
        db::DateTime day;
        const char* applied;
        const char* prices;
    } steps[] = {
        {{2026, 12, 6}, "", "A1@001=5.5 B2@001=4"},
        {{2026, 12, 7}, "1:2", "A1@001=6 B2@001=4 X@001=7"},
        {{2026, 12, 7}, "", "A1@001=6 B2@001=4 X@001=7"},  // twice: nothing more
        {{2026, 12, 9}, "2:1 9:1 10:1", "A1@001=8 B2@001=11 X@001=7"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.day.DateText());
        EXPECT_EQ(Apply(s.day), s.applied);
        EXPECT_EQ(t.Joined(kPrices, ""), s.prices);
    }
    EXPECT_EQ(States(), "1,A1,1 1,X,1 10,B2,1 2,A1,1 9,B2,1");
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricePending where yxsj is null"), 0);
}

TEST_F(Pending, AWaitingBillIsWithdrawnToUnauditedAndCanBeAuditedAgain) {
    Bill("1", "001", 0, {"A1", "6"}, "''", "'2026-12-07'");
    Audit("1");
    t.Toolkit().ClearMessages();
    Open("1", [&](FrmAdjuctPrice& w) {
        EXPECT_EQ(w.StatusBar1.Panel(1), std::string(bill::kAuditedStatusText) + "  待生效：新价格将于 2026-12-07 生效");
        t.Toolkit().QueueAnswer(ui::Answer::No);
        w.Toolbar1.Press("撤回");
        EXPECT_EQ(States(), "1,A1,0") << "No keeps it waiting";
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar1.Press("撤回");
        EXPECT_FALSE(w.ShowsAuditedBill());
        EXPECT_TRUE(w.TxtNSj.Enabled());
        w.Toolbar1.Press("撤回");
    });
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"确实要撤回此单据待生效的价格吗?", "确实要撤回此单据待生效的价格吗?",
                                                        "此单据没有待生效的价格，不能撤回!"}));
    EXPECT_EQ(States(), "");
    EXPECT_EQ(t.Joined("select shbz,shry from SubAdjuctPrice where lsh='1'", "|"), "0|");
    EXPECT_EQ(Apply({2026, 12, 7}), "");
    EXPECT_EQ(t.Joined(kPrices, ""), "A1@001=5.5 B2@001=4");

    Audit("1");  // again, after the withdrawal
    EXPECT_EQ(States(), "1,A1,0");
    EXPECT_EQ(Apply({2026, 12, 7}), "1:1");
    t.Toolkit().ClearMessages();
    Open("1", [&](FrmAdjuctPrice& w) {
        w.Toolbar1.Press("撤回");  // applied: nothing waits
        EXPECT_TRUE(w.ShowsAuditedBill());
    });
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"此单据没有待生效的价格，不能撤回!"});
    EXPECT_EQ(Scalar("select shbz from SubAdjuctPrice where lsh='1'"), "1");
}

TEST_F(Pending, WithdrawNeedsTheAuditRightAndRefusesAPostedBill) {
    Bill("1", "001", 0, {"A1", "6"}, "''", "'2026-12-07'");
    Audit("1");
    t.Exec("update SubAdjuctPrice set jzbz=1 where lsh='1'");
    t.Toolkit().ClearMessages();
    Open("1", [&](FrmAdjuctPrice& w) {
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar1.Press("撤回");
        t.Exec("delete from t_OperatorRight where FRight='审核'");
        w.Toolbar1.Press("撤回");
    });
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"确实要撤回此单据待生效的价格吗?", "此单据已记帐，不能撤回!", "对不起，你没有此权限！"}));
    EXPECT_EQ(States(), "1,A1,0");
    EXPECT_EQ(Scalar("select shbz from SubAdjuctPrice where lsh='1'"), "1");
}

TEST_F(Pending, BrowserHistoryAndConflictNoteShowWaitingPrices) {
    Bill("1", "001", 0, {"A1", "6"}, "''", "'2026-12-07'");
    Bill("2", "001", 0, {"A1", "7"});
    Audit("1");
    Bill("3", "001", 0, {"B2", "4"});

    browser::FrmBrowser b;
    t.Toolkit().OnShow("FrmBrowser", [&](ui::Window&) {
        ASSERT_EQ(b.Vs.Cols(), 8);
        EXPECT_EQ(b.Vs.TextMatrix(1, 7) + "|" + b.Vs.TextMatrix(2, 7), "待生效|");
    });
    b.ShowModal();

    Open("3", [&](FrmAdjuctPrice& w) {
        w.SetFocus(w.TxtHH);
        w.TxtHH.TypedText("A1");
        Key(w, w.TxtHH, ui::Key::Enter);
        EXPECT_EQ(w.StatusBar1.Panel(1),
                  "注意：货号为'A1'的商品已在其他未审核的调价单中调价（流水号：2）；另有待生效的新价格（流水号：1（2026-12-07））");
        Press<bill::FrmPriceHistory>(w, "价格", "FrmPriceHistory", [&](bill::FrmPriceHistory& h) {
            EXPECT_EQ(h.VfgAudited.TextMatrix(1, 9), "2026-12-07 待生效");
            // Not in effect yet: the chart holds the current price.
            EXPECT_EQ(h.ChtPrice.Points(), (std::vector<bill::PricePoint>{{{2026, 12, 6}, 5.5}}));
        });
    });
}
