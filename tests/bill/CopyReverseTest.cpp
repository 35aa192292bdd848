// "复制" (a bill made again for other targets at their old prices) and "冲回" (an audited bill taken back).
#include <algorithm>

#include "EditorFixture.h"
#include "bill/FrmCopyBill.h"
#include "bill/ReverseBill.h"
#include "ui/Keys.h"

using bill::FrmAdjuctPrice;
using bill::FrmCopyBill;

namespace {

class CopyReverse : public billtest::Editor {
protected:
    CopyReverse() {
        t.Exec("insert into glprice (HH,DWBH,SJ,ZK,SELLPRICE) values ('A1','002',0,0,6),('X','0031',0,0,2.5),('A1','10',0,0,7)");
        Bill("41", "002", 1, {"B2", "9"});  // the highest serial so far
    }
    // Opens bill `lsh`, presses "复制" and runs `act` on the copy window.
    void Copy(const std::string& lsh, std::function<void(FrmCopyBill&)> act) {
        Open(lsh, [&](FrmAdjuctPrice& w) { Press<FrmCopyBill>(w, "复制", "FrmCopyBill", act); });
    }
    static std::string ShownCodes(FrmCopyBill& c) {
        std::string codes;
        for (int r = 1; r < c.VfgTargets.Rows(); ++r) codes += (r > 1 ? " " : "") + c.VfgTargets.TextMatrix(r, 1);
        return codes;
    }
    std::string NewBills() {
        return t.Joined("select lsh,dwbh,bz5,shbz,czry,bz from SubAdjuctPrice where cast(lsh as int)>41 order by lsh", "/");
    }
    std::string NewLines() {
        return t.Joined("select m.lsh,m.dh,m.hh,m.sj1,m.sj2 from SubAdjuctPricemx m inner join SubAdjuctPrice h on h.lsh=m.lsh "
                        "where cast(m.lsh as int)>41 order by m.lsh,m.dh",
                        "/");
    }
};

}  // namespace

TEST_F(CopyReverse, CopiesToTheMarkedTargetsWithEachTargetsOldPrices) {
    struct Case {
        const char* name;
        bool mode;
        std::string dwbh, bz5;
        std::string listed;     // the targets offered, the bill's own left out, in code order
        std::string find;       // typed into the search field
        std::string found;      // the targets it leaves
        std::string bills, lines;
    };
    const std::vector<Case> cases{
        {"the target searched for and marked", data::ByBranch, "001", "''", "002 0031", "三", "0031",
         "42/0031//0/系统管理员/r", "42/100/A1/0/6.5 42/200/B2/0/4.5 42/300/X/2.5/3"},
        {"every branch type", data::ByBranchType, "1", "'1'", "5 10 21", "中", "10",
         "42/5/1/0/系统管理员/r 43/10/1/0/系统管理员/r 44/21/1/0/系统管理员/r",
         "42/100/A1/0/6.5 42/200/B2/0/4.5 42/300/X/0/3 43/100/A1/7/6.5 43/200/B2/0/4.5 43/300/X/0/3 "
         "44/100/A1/0/6.5 44/200/B2/0/4.5 44/300/X/0/3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        t.Exec("delete from SubAdjuctPricemx where lsh<>'41'");
        t.Exec("delete from SubAdjuctPrice where lsh<>'41'");
        t.Toolkit().ClearMessages();
        data::Host().BranchMode = c.mode;
        Bill("7", c.dwbh, 1, {"A1", "6.5", "B2", "4.5", "X", "3"}, c.bz5);
        Copy("7", [&](FrmCopyBill& w) {
            EXPECT_EQ(ShownCodes(w), c.listed);
            w.TxtFind.TypedText(c.find);
            EXPECT_EQ(ShownCodes(w), c.found);
            w.VfgTargets.Select(1, 1);
            int space = ui::Key::Space;
            w.VfgTargets.RaiseKeyDown(space, 0);
            w.TxtFind.TypedText("");
            if (c.mode == data::ByBranchType) w.CmdAll.Click();
            t.Toolkit().QueueAnswer(ui::Answer::Yes);
            w.CmdOK.Click();
        });
        EXPECT_EQ(NewBills(), c.bills);
        EXPECT_EQ(NewLines(), c.lines);
        EXPECT_EQ(MessageTexts().back(), c.mode == data::ByBranch ? "已生成1张单据：42" : "已生成3张单据：42、43、44");
    }
}

TEST_F(CopyReverse, AFailureOnTheSecondTargetLeavesNoBillAndTheDialogOpen) {
    Bill("7", "001", 0, {"A1", "6.5", "B2", "4.5"});
    t.RefuseWrites("SubAdjuctPrice", "insert", "NEW.lsh='43'", "第二张单据被拒绝");
    Copy("7", [&](FrmCopyBill& w) {
        w.CmdAll.Click();
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.CmdOK.Click();
        EXPECT_TRUE(w.IsShown()) << "the marks stay for another try";
        w.Close();
    });
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricemx"), 3);
    ASSERT_EQ(MessageTexts().size(), 2u) << "one message for the failure";
    EXPECT_NE(MessageTexts().back().find("第二张单据被拒绝"), std::string::npos);
}

TEST_F(CopyReverse, ASerialTakenMeanwhileIsDrawnAgain) {
    Bill("7", "001", 0, {"A1", "6.5"});
    Copy("7", [&](FrmCopyBill& w) {
        w.CmdAll.Click();
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        EXPECT_TRUE(Meanwhile("insert into SubAdjuctPrice (", [] {
            data::Host().HostConnection->Execute("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,shbz,jzbz,dwbh) values "
                                                 "('42','2026-11-01','A','甲',0,0,'002')");
        }, [&] { w.CmdOK.Click(); }));
    });
    EXPECT_EQ(MessageTexts().back(), "已生成2张单据：42、43");
    EXPECT_EQ(NewLines(), "42/100/A1/6/6.5 43/100/A1/0/6.5");
}

TEST_F(CopyReverse, ReversalSetsEachNewPriceBackUnlessAnotherAuditedBillPricedItLater) {
    struct Other {
        std::string lsh, kdrq;
        int shbz;
        std::vector<std::string> items;
    };
    struct Case {
        const char* name;
        std::vector<Other> others;
        ui::Answer answer;
        std::string asked;  // the items named in the question; empty: no question
        std::string lines;  // the new bill's lines: hh, old price (the branch's now), new price
    };
    const std::string all = "A1/5.5/5 B2/4/3.5";
    const std::vector<Case> cases{
        {"nothing later", {}, ui::Answer::Yes, "", all},
        {"earlier, unaudited or elsewhere",
         {{"4", "2026-11-01", 1, {"A1", "1"}}, {"50", "2026-11-20", 0, {"B2", "1"}}, {"51", "2026-10-01", 1, {"A1", "1"}}},
         ui::Answer::Yes, "", all},
        {"a higher serial the same day, left out", {{"6", "2026-11-01", 1, {"B2", "4.2"}}}, ui::Answer::No, "\n货号B2：流水号6",
         "A1/5.5/5"},
        {"included", {{"6", "2026-11-01", 1, {"B2", "4.2"}}}, ui::Answer::Yes, "\n货号B2：流水号6", all},
        {"a later date, lower serial",
         {{"3", "2026-11-20", 1, {"A1", "6"}}, {"6", "2026-11-02", 1, {"A1", "6", "B2", "1"}}},
         ui::Answer::No, "\n货号A1：流水号3\n货号B2：流水号6", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        t.Exec("delete from SubAdjuctPricemx where lsh<>'41'");
        t.Exec("delete from SubAdjuctPrice where lsh<>'41'");
        t.Toolkit().ClearMessages();
        Bill("5", "001", 1, {"A1", "5.5", "B2", "4"});
        t.Exec("update SubAdjuctPricemx set sj1=sj2-0.5 where lsh='5'");
        for (const auto& o : c.others) {
            Bill(o.lsh, o.lsh == "51" ? "002" : "001", o.shbz, o.items);
            t.Exec("update SubAdjuctPrice set kdrq='" + o.kdrq + "' where lsh='" + o.lsh + "'");
        }
        if (!c.asked.empty()) t.Toolkit().QueueAnswer(c.answer);
        const std::string next = Scalar("select max(cast(lsh as int))+1 from SubAdjuctPrice");
        std::string shown;
        Open("5", [&](FrmAdjuctPrice& w) {
            w.Toolbar1.Press("冲回");
            shown = w.TxtLSH.Text() + "/" + std::to_string(w.VfgContent.Rows() - 1) + "/" + (w.ShowsAuditedBill() ? "audited" : "open");
        });
        std::vector<std::string> expected;
        if (!c.asked.empty()) expected.push_back("以下商品的价格已被其他单据修改：" + c.asked + "\n是否一并冲回?");
        expected.push_back(c.lines.empty() ? bill::kNothingToReverse : "已生成冲回单据，流水号：" + next);
        EXPECT_EQ(MessageTexts(), expected);
        const int lines = c.lines.empty() ? 2 : static_cast<int>(std::count(c.lines.begin(), c.lines.end(), ' ')) + 1;
        EXPECT_EQ(shown, (c.lines.empty() ? "5" : next) + "/" + std::to_string(lines) + (c.lines.empty() ? "/audited" : "/open"));
        EXPECT_EQ(t.Joined("select dwbh,shbz,bz from SubAdjuctPrice where lsh='" + next + "'", "/"), c.lines.empty() ? "" : "001/0/冲回单据5");
        EXPECT_EQ(t.Joined("select hh,sj1,sj2 from SubAdjuctPricemx where lsh='" + next + "' order by dh", "/"), c.lines);
    }
}
