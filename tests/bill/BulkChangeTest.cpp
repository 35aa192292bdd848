// "批量": a percentage or an amount applied to the lines, previewed, rounded, moved to a price ending, written at once.
#include "EditorFixture.h"
#include "bill/FrmBulkChange.h"
#include "bill/PriceEndings.h"
#include "bill/PriceRounding.h"
#include "data/SystemSettings.h"
#include "ui/Keys.h"

using bill::FrmAdjuctPrice;
using bill::FrmBulkChange;
using bill::PriceEnding;

namespace {

class BulkChange : public billtest::Editor {
protected:
    BulkChange() {
        data::Settings().jjbl = 2;
        t.Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,shbz,shry,jzbz,dwbh,bz5) values ('3','2026-12-01','','张三',0,'',0,'001','')");
        t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('3','100','A1','苹果',5.5,5.55),"
               "('3','200','B2','香蕉',4,4),('3','1000','X','鸭梨',3,3.33)");  // 1000: listed after 200
        t.Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,shbz,shry,jzbz,dwbh,bz5) values ('4','2026-12-01','','张三',0,'',0,'001','')");
        t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('4','100','A1','苹果',5.5,5.55)");
    }
    std::string Prices(const std::string& lsh = "3") {
        return t.Joined("select sj1,sj2 from SubAdjuctPricemx where lsh='" + lsh + "' order by cast(dh as int)", "/");
    }
    // Opens bill `lsh`, presses "批量" and runs `act` on the bulk window.
    void Bulk(const std::string& lsh, std::function<void(FrmBulkChange&, FrmAdjuctPrice&)> act) {
        Open(lsh, [&](FrmAdjuctPrice& w) { Press<FrmBulkChange>(w, "批量", "FrmBulkChange", [&](FrmBulkChange& b) { act(b, w); }); });
    }
};

}  // namespace

TEST_F(BulkChange, PlusTenPercentPreviewsThenChangesExactlyTheNewPricesRounded) {
    bool applied = false;
    Bulk("3", [&](FrmBulkChange& b, FrmAdjuctPrice& w) {
        b.TxtValue.EnteredValue(10);
        int enter = ui::Key::Enter;
        b.TxtValue.RaiseKeyDown(enter, 0);  // Enter previews
        EXPECT_EQ(b.VfgLines.TextMatrix(1, 6) + " " + b.VfgLines.TextMatrix(2, 6) + " " + b.VfgLines.TextMatrix(3, 6),
                  "6.11 4.40 3.66") << "5.55 * 1.1 = 6.105";
        EXPECT_EQ(Prices(), "5.5/5.55 4/4 3/3.33") << "a preview writes nothing";

        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        b.CmdApply.Click();
        applied = b.Applied() && !b.IsShown();
        EXPECT_EQ(w.VfgContent.TextMatrix(1, 5), "6.11") << "the editor shows the stored lines";
    });
    EXPECT_TRUE(applied);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"确实要调整这3行明细的新售价吗?"});
    EXPECT_EQ(Prices(), "5.5/6.11 4/4.4 3/3.66");
    EXPECT_EQ(Prices("4"), "5.5/5.55") << "another bill";
}

TEST_F(BulkChange, MarkedLinesAmountsAndTheOldPriceAsBase) {
    data::Settings().jjbl = 1;
    Bulk("3", [&](FrmBulkChange& b, FrmAdjuctPrice&) {
        b.VfgLines.Select(2, 1);
        int space = ui::Key::Space;
        b.VfgLines.RaiseKeyDown(space, 0);
        EXPECT_TRUE(b.OptMarked.Value()) << "marking a line chooses the marked lines";
        b.VfgLines.SetMouseCell(3, 0);
        b.VfgLines.RaiseMouseDown(ui::MouseButton::Left, 0);
        b.VfgLines.RaiseMouseDown(ui::MouseButton::Left, 0);  // and off again
        b.OptAmount.SetValue(true);
        b.OptBaseOld.SetValue(true);
        b.TxtValue.EnteredValue(-0.55);
        b.CmdPreview.Click();
        EXPECT_EQ(b.VfgLines.TextMatrix(1, 6) + "/" + b.VfgLines.TextMatrix(2, 6) + "/" + b.VfgLines.TextMatrix(3, 6), "/3.5/")
            << "only the marked line; 4 - 0.55 = 3.45, one decimal";
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        b.CmdApply.Click();
    });
    EXPECT_EQ(Prices(), "5.5/5.55 4/3.5 3/3.33");
}

TEST_F(BulkChange, RefusalsWriteNothing) {
    Bulk("3", [&](FrmBulkChange& b, FrmAdjuctPrice&) {
        b.OptAmount.SetValue(true);
        b.TxtValue.EnteredValue(-4.2);
        b.CmdApply.Click();  // B2 would go below zero
        b.TxtValue.EnteredValue(1e14);
        b.CmdApply.Click();  // beyond the price column
        b.TxtValue.EnteredValue(1);
        t.Toolkit().QueueAnswer(ui::Answer::No);
        b.CmdApply.Click();
        // Audited by another operator while the window is open.
        t.Exec("update SubAdjuctPrice set shbz=1 where lsh='3'");
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        b.CmdApply.Click();
        EXPECT_TRUE(b.IsShown());
        EXPECT_FALSE(b.Applied());
    });
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"货号为'B2'的新售价调整后为负数，不能执行!",
                                                        "货号为'A1'的调整后新售价“100000000000005.55”超出范围，整数部分最多14位!",
                                                        "确实要调整这3行明细的新售价吗?",
                                                        "确实要调整这3行明细的新售价吗?", "此单据已审核，不能修改!"}));
    EXPECT_EQ(Prices(), "5.5/5.55 4/4 3/3.33");
}

TEST_F(BulkChange, ALineChangedMeanwhileOrAFailingStatementLeavesEveryLineAsItWas) {
    // Any of the line's item, old price or new price changed after the preview.
    for (const char* change : {"hh='A12'", "sj1=4.5", "sj2=4.1"}) {
        t.Exec("update SubAdjuctPricemx set hh='B2',sj1=4,sj2=4 where lsh='3' and dh='200'");
        Bulk("3", [&](FrmBulkChange& b, FrmAdjuctPrice&) {
            b.TxtValue.EnteredValue(10);
            t.Exec(std::string("update SubAdjuctPricemx set ") + change + " where lsh='3' and dh='200'");
            t.Toolkit().QueueAnswer(ui::Answer::Yes);
            b.CmdApply.Click();
            EXPECT_EQ(MessageTexts().back(), "单号为200的明细已被其他操作员修改，请重新打开批量修改!") << change;
        });
        EXPECT_EQ(Prices().substr(0, 8), "5.5/5.55") << change << ": nothing written";
    }
    t.Exec("update SubAdjuctPricemx set hh='B2',sj1=4,sj2=4.1 where lsh='3' and dh='200'");
    t.Toolkit().ClearMessages();
    t.RefuseWrites("SubAdjuctPricemx", "update", "NEW.hh='X'", "X refused");
    Bulk("3", [&](FrmBulkChange& b, FrmAdjuctPrice&) {
        b.TxtValue.EnteredValue(10);
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        b.CmdApply.Click();
        ASSERT_EQ(t.Toolkit().Messages().size(), 2u);
        EXPECT_EQ(t.Toolkit().Messages()[1].message.title, "错误:");
    });
    EXPECT_EQ(Prices(), "5.5/5.55 4/4.1 3/3.33") << "the first two updates rolled back with the third";
}

TEST_F(BulkChange, AQuoteInTheStoredItemNameIsWrittenBackAsItWas) {
    t.Exec("update SubAdjuctPricemx set pm='Jack''s' where lsh='3' and dh='100'");
    Bulk("3", [&](FrmBulkChange& b, FrmAdjuctPrice&) {
        b.VfgLines.Select(1, 1);
        b.ToggleMark(1);
        b.TxtValue.EnteredValue(100);
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        b.CmdApply.Click();
    });
    EXPECT_EQ(t.Joined("select pm,sj2 from SubAdjuctPricemx where lsh='3' and dh='100'", "/"), "Jack's/11.1");
}

TEST(PriceEndings, NearestPriceWithTheEndingTiesUpwardNeverZeroFromAPositivePrice) {
    const struct {
        double price;
        PriceEnding rule;
        const char* ended;  // three decimals
    } cases[] = {
        {5.43, PriceEnding::None, "5.430"},
        {5.4, PriceEnding::Nine, "5.900"},  // 4.9 and 5.9 equally near
        {5.39, PriceEnding::Nine, "4.900"},
        {0.3, PriceEnding::Nine, "0.900"},  // nearer to -0.1
        {5.48, PriceEnding::NinetyNine, "4.990"},
        {1.15, PriceEnding::Dime, "1.200"},  // 1.1499999... as a double
        {9.95, PriceEnding::Dime, "10.000"},
        {2.5, PriceEnding::Yuan, "3.000"},
        {0, PriceEnding::Nine, "0.000"},  // an unpriced item stays unpriced
        {-1.2, PriceEnding::Yuan, "-1.200"},  // left for the price check to refuse
    };
    for (const auto& c : cases)
        EXPECT_EQ(bill::PriceText(bill::ApplyPriceEnding(c.price, c.rule), 3), c.ended) << c.price << " rule " << int(c.rule);
}

TEST_F(BulkChange, TheEndingIsPreviewedWrittenAndRememberedForTheNextTime) {
    Bulk("3", [&](FrmBulkChange& b, FrmAdjuctPrice&) {
        b.TxtValue.EnteredValue(10);
        b.CboEnding.Chosen(1);  // the choice alone previews
        EXPECT_EQ(b.VfgLines.TextMatrix(2, 6), "4.90") << "4.40 lies between 3.90 and 4.90";
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        b.CmdApply.Click();
    });
    EXPECT_EQ(Prices(), "5.5/5.9 4/4.9 3/3.9");
    EXPECT_EQ(t.Toolkit().Preference(bill::kEndingPreference), "9");
    Bulk("3", [&](FrmBulkChange& b, FrmAdjuctPrice&) {
        EXPECT_EQ(b.CboEnding.Text(), "以.9结尾");
        b.CboEnding.Chosen(4);
        EXPECT_EQ(b.VfgLines.TextMatrix(1, 6), "6.00") << "to the yuan, with no change of value";
    });
    EXPECT_EQ(t.Toolkit().Preference(bill::kEndingPreference), "yuan") << "remembered when chosen, also without applying";
}

TEST_F(BulkChange, AnEndingThePriceDecimalsCannotHoldIsRefusedAndWritesNothing) {
    data::Settings().jjbl = 1;
    t.Toolkit().SetPreference(bill::kEndingPreference, "99");
    Bulk("3", [&](FrmBulkChange& b, FrmAdjuctPrice&) {
        b.TxtValue.EnteredValue(10);
        b.CmdPreview.Click();
        EXPECT_EQ(b.VfgLines.TextMatrix(1, 6), "6.1") << "shown without the ending";
        EXPECT_EQ(b.LabSummary.Caption(), "将调整3行明细；价格小数位数为1位，不能使用尾数“以.99结尾”!");
        b.CmdApply.Click();
        EXPECT_TRUE(b.IsShown());
    });
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"价格小数位数为1位，不能使用尾数“以.99结尾”!"});
    EXPECT_EQ(Prices(), "5.5/5.55 4/4 3/3.33");
}
