// Opening, numbering, saving and loading bills in the editor.
#include "EditorFixture.h"
#include "data/SystemSettings.h"
#include "db/Error.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

using billtest::Editor;
using bill::FrmAdjuctPrice;

TEST_F(Editor, NumberingTakesTheNumericMaximumAndCountsLinesInHundreds) {
    Bill("7", "001", 0, {});
    Bill("12", "001", 0, {"A1", "1", "B2", "1", "X", "1"});
    Bill("9", "001", 0, {});
    t.Exec("update SubAdjuctPricemx set dh='500' where lsh='12' and dh='300'");
    Open("", [&](FrmAdjuctPrice& w) {
        EXPECT_EQ(w.TxtLSH.Text(), "13");
        w.NewDh("7");
        EXPECT_EQ(bill::Shared().CurrentDh, "100");
        w.NewDh("12");
        EXPECT_EQ(bill::Shared().CurrentDh, "600");
        t.Exec("update SubAdjuctPricemx set dh='32700' where lsh='12' and dh='500'");
        EXPECT_THROW(w.NewDh("12"), db::Error);
    });
    EXPECT_EQ(Count("select count(*) from SubAdjuctPrice"), 3) << "opening writes nothing";
}

TEST_F(Editor, KeyboardPathSavesLinesAndAmendsAPickedLine) {
    Open("", [&](FrmAdjuctPrice& w) {
        w.TxtDwbh.SetText("001");
        w.TxtBZ.SetText("年末调价");
        EnterLine(w, "A1", 6.8);
        EXPECT_EQ(w.TxtLSH.Text(), "1");
        EXPECT_EQ(t.Joined("select shbz,jzbz,fyear,fperiod,shry,bz5,dwbh,bz from SubAdjuctPrice where lsh='1'", ","),
                  "0,0,0,0,,,001,年末调价");
        EXPECT_EQ(t.Joined("select dh,hh,pm,sj1,sj2 from SubAdjuctPricemx where lsh='1'"), "100 A1 苹果\\500g\\烟台\\袋 5.5 6.8");
        EnterLine(w, "B2", 4.2);
        EXPECT_EQ(w.VfgContent.Rows(), 3);

        // Pick line 100, change its new price and the remark, save: both are stored.
        w.VfgContent.Select(1, 1);
        Key(w, w.VfgContent, ui::Key::F3);
        w.TxtNSj.EnteredValue(7.25);
        w.TxtBZ.SetText("新备注");
        w.Cmd_Save.Click();
        EXPECT_EQ(t.Joined("select dh,sj2 from SubAdjuctPricemx where lsh='1' order by dh", ":"), "100:7.25 200:4.2");
        EXPECT_EQ(Scalar("select bz from SubAdjuctPrice where lsh='1'"), "新备注");
        EXPECT_FALSE(bill::Shared().IsLineAmend);
    });
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(Editor, QuotesAndCommentMarksAreStoredExactlyAndATypeBillCarriesTheModeMark) {
    const std::string hostile = "O'Neil; -- /* x */ \\ '';drop table glprice";
    data::Host().OptName = hostile;
    t.Exec("update yw_kck set pm='Jack''s \"best\"' where hh='A1'");
    Open("", [&](FrmAdjuctPrice& w) {
        w.TxtDwbh.SetText("0'1");
        w.TxtBZ.SetText(hostile);
        EnterLine(w, "A1", 1);
        EnterLine(w, "B2", 2);
    });
    EXPECT_EQ(t.Joined("select czry,bz,dwbh,bz5 from SubAdjuctPrice", "|"), hostile + "|" + hostile + "|0'1|");
    EXPECT_EQ(Scalar("select pm from SubAdjuctPricemx where hh='A1'"), "Jack's \"best\"\\500g\\烟台\\袋");
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricemx"), 2);

    data::Host().BranchMode = data::ByBranchType;
    Open("", [&](FrmAdjuctPrice& w) {
        w.TxtDwbh.SetText("5");
        EnterLine(w, "X", 9);
    });
    EXPECT_EQ(Scalar("select bz5||dwbh from SubAdjuctPrice where lsh='2'"), "15");
}

TEST_F(Editor, RefusedSavesWriteNothing) {
    Bill("3", "001", 1, {"A1", "2"});
    Open("3", [&](FrmAdjuctPrice& w) {
        w.TxtHH.SetText("B2");
        w.Cmd_Save.Click();
    });
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"此单据已审核，不能修改!"});
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricemx"), 1);
}

TEST_F(Editor, AFailingLineStatementLeavesNeitherHeaderNorLine) {
    t.RefuseWrites("SubAdjuctPricemx", "insert", "", "line refused");
    Open("", [&](FrmAdjuctPrice& w) {
        EnterLine(w, "A1", 1);
        ASSERT_FALSE(t.Toolkit().Messages().empty());
        EXPECT_EQ(t.Toolkit().Messages().back().message.title, "系统提示");  // a refused row: the clash message
        EXPECT_TRUE(bill::Shared().IsNewBill) << "the next Save draws a fresh serial";
    });
    EXPECT_EQ(Count("select count(*) from SubAdjuctPrice"), 0);
}

TEST_F(Editor, ABillWhoseLinesWereAllDeletedTakesNewLinesUnderItsHeader) {
    Bill("8", "001", 0, {});
    Open("8", [&](FrmAdjuctPrice& w) { EnterLine(w, "A1", 3); });
    EXPECT_EQ(t.Joined("select a.lsh,dh from SubAdjuctPrice a join SubAdjuctPricemx b on a.lsh=b.lsh"), "8 100");
}

TEST_F(Editor, ChangesMadeMeanwhileByOthersAreNotOverwritten) {
    Bill("4", "001", 0, {"A1", "2"});
    Open("4", [&](FrmAdjuctPrice& w) {
        // The picked line is deleted meanwhile: reported, nothing written.
        w.VfgContent.Select(1, 1);
        w.Cmd_Amend_Click();
        ASSERT_TRUE(bill::Shared().IsLineAmend);
        t.Exec("delete from SubAdjuctPricemx where lsh='4'");
        w.TxtNSj.EnteredValue(9);
        w.TxtBZ.SetText("changed");
        w.Cmd_Save.Click();
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"单号为100的明细已被删除，未保存!"});
        EXPECT_EQ(Scalar("select bz from SubAdjuctPrice where lsh='4'"), "r");
        // A failed pick leaves the strip adding a line.
        t.Toolkit().ClearMessages();
        w.LoadLine("4", "100");
        EXPECT_EQ(t.Toolkit().Messages().size(), 1u);
        EXPECT_FALSE(bill::Shared().IsLineAmend);
    });
}

TEST_F(Editor, ASaveOnABillAuditedAfterItsCheckIsRefusedWhole) {
    Bill("4", "001", 0, {"A1", "2"});
    Open("4", [&](FrmAdjuctPrice& w) {
        w.TxtHH.SetText("B2");
        w.TxtBZ.SetText("changed");
        // The audit lands after the save's own check, as another operator's would.
        EXPECT_TRUE(Meanwhile(
            "select count(*) as bs from SubAdjuctPrice",
            [] { data::Host().HostConnection->Execute("update SubAdjuctPrice set shbz=1 where lsh='4'"); },
            [&] { w.Cmd_Save.Click(); }));
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"此单据已审核，不能修改!"});
    });
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricemx where lsh='4'"), 1);
    EXPECT_EQ(Scalar("select bz||shbz from SubAdjuctPrice where lsh='4'"), "r0") << "the audit rolled back with the save here";
}

TEST_F(Editor, LoadingShowsHeaderNamesAndLinesByNumberInTheSystemsDecimals) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 9; ++i) lines.insert(lines.end(), {"X" + std::to_string(i), std::to_string(i) + ".5"});
    Bill("5", "001", 0, lines);  // line numbers 100 ... 900
    data::Settings().jjbl = 3;
    Open("5", [&](FrmAdjuctPrice& w) {
        EXPECT_EQ(w.txtDwmc.Text(), "一分店");
        EnterLine(w, "A1", 7.25);  // line 1000: as a text it would sort before 200
        EXPECT_EQ(w.VfgContent.Row(), 10) << "the new line is current";
        EXPECT_EQ(w.VfgContent.TextMatrix(10, 1) + " " + w.VfgContent.TextMatrix(10, 4) + " " + w.VfgContent.TextMatrix(10, 5),
                  "1000 5.500 7.250");
        w.LoadLine("5", "200");
        EXPECT_EQ(w.TxtNSj.Value(), 2.5);
    });
    Bill("6", "5", 0, {"A1", "2"}, "'1'");
    data::Host().BranchMode = data::ByBranchType;
    Open("6", [&](FrmAdjuctPrice& w) { EXPECT_EQ(w.txtDwmc.Text(), "社区店"); });
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(Editor, ItemTemplateComesFromGLSelectWithTheOperatorCodeFilledIn) {
    t.Exec("insert into GLSelect (FDH,FSQL) values ('分支机构调价商品选择', 'select [操作人员编号] x, ''[操作人员编号]'' y')");
    Open("", [&](FrmAdjuctPrice& w) { EXPECT_EQ(w.ItemQueryTemplate, "select 0001 x, '0001' y"); });
    t.Exec("update GLSelect set FSQL=NULL");
    Open("", [&](FrmAdjuctPrice& w) { EXPECT_EQ(w.ItemQueryTemplate, bill::DefaultItemQueryTemplate()); });
}

TEST_F(Editor, ANewBillNeverMergesIntoABillStoredUnderItsSerialMeanwhile) {
    // Another operator's bill, committed under the serial this save has just drawn: a server at
    // READ COMMITTED lets that happen between the draw and the header insert.
    const auto otherBill = [&](db::Connection& c, const std::string& lsh) {
        c.Execute("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,shbz,jzbz,dwbh) values ('" + lsh + "','2026-11-01','A','甲',0,0,'002')");
        c.Execute("insert into SubAdjuctPricemx (lsh,dh,hh,sj1,sj2) values ('" + lsh + "','100','X',1,1)");
    };
    Open("", [&](FrmAdjuctPrice& w) {
        w.TxtDwbh.SetText("001");
        w.TxtBZ.SetText("B");
        ASSERT_TRUE(Meanwhile(
            "max( (cast(dh", [&] { otherBill(*data::Host().HostConnection, bill::Shared().CurrentLsh); },
            [&] { EnterLine(w, "A1", 2); }));
        ASSERT_EQ(MessageTexts().size(), 1u);
        EXPECT_NE(MessageTexts()[0].find("\n有另一个操作员同时建立了信息,请再次点击“保存”按钮！"), std::string::npos);
        // Here the other bill went with the rollback; on a server it stays. Either way the retry
        // draws the next serial.
        otherBill(*data::Host().HostConnection, "1");
        w.Cmd_Save.Click();
        EXPECT_EQ(w.TxtLSH.Text(), "2");
    });
    EXPECT_EQ(t.Joined("select bz,czry,dwbh from SubAdjuctPrice where lsh='1'", ""), "A甲002");
    EXPECT_EQ(t.Joined("select hh from SubAdjuctPricemx where lsh='1'"), "X");
    EXPECT_EQ(t.Joined("select bz,dwbh,hh from SubAdjuctPrice a join SubAdjuctPricemx b on a.lsh=b.lsh where a.lsh='2'", ""),
              "B001A1");
}

TEST_F(Editor, PricesOutsideTheColumnAreRefusedNamingTheValue) {
    const struct {
        double typed;
        const char* refusal;  // empty: stored as `stored`
        const char* stored;
    } cases[] = {
        {-5, "新售价“-5.00”不能为负数!", ""},
        {99999999999999.996, "新售价“100000000000000.00”超出范围，整数部分最多14位!", ""},  // rounds up past the limit
        {12345678901234.5, "", "12345678901234.5"},
        {2.345, "", "2.35"},  // rounded to the price decimals
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        t.Exec("delete from SubAdjuctPricemx");
        t.Exec("delete from SubAdjuctPrice");
        t.Toolkit().ClearMessages();
        Open("", [&](FrmAdjuctPrice& w) {
            EnterLine(w, "A1", c.typed);
            EXPECT_EQ(w.Focused() == &w.TxtNSj, *c.refusal != 0) << "a refusal keeps the new price in hand";
        });
        EXPECT_EQ(MessageTexts(), *c.refusal ? std::vector<std::string>{c.refusal} : std::vector<std::string>{});
        EXPECT_EQ(t.Joined("select sj2 from SubAdjuctPricemx"), c.stored);
    }
}

TEST_F(Editor, AnItemIsPricedOnceOnABillAndARefusedAmendmentIsNotRepeated) {
    Bill("4", "001", 0, {"A1", "2", "B2", "3"});
    Open("4", [&](FrmAdjuctPrice& w) {
        EnterLine(w, "A1", 9);
        // A picked line may not take an item another line holds either, but keeps its own.
        w.VfgContent.Select(2, 1);
        Key(w, w.VfgContent, ui::Key::F3);
        w.TxtHH.SetText("A1");
        w.Cmd_Save.Click();
        EXPECT_FALSE(bill::Shared().IsLineAmend) << "the next Save does not repeat the refusal";
        w.LoadLine("4", "200");
        w.TxtNSj.EnteredValue(4);
        w.Cmd_Save.Click();
    });
    const std::string twice = "单据上已有此商品（单号为100），不能重复录入!";
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{twice, twice}));
    EXPECT_EQ(t.Joined("select dh,hh,':',sj2 from SubAdjuctPricemx where lsh='4' order by dh", ""), "100A1:2 200B2:4");
}

TEST_F(Editor, TheAuditedCheckOfANewBillIgnoresItsProvisionalSerial) {
    Open("", [&](FrmAdjuctPrice& w) {
        ASSERT_EQ(w.TxtLSH.Text(), "1");
        Bill("1", "001", 1, {"X", "1"});  // another operator's bill, audited, under the number shown
        EnterLine(w, "A1", 2);
        EXPECT_TRUE(MessageTexts().empty()) << (MessageTexts().empty() ? "" : MessageTexts()[0]);
        EXPECT_EQ(w.TxtLSH.Text(), "2");
    });
}

TEST_F(Editor, OneFaultGivesOneMessageInChinese) {
    Bill("4", "001", 0, {"A1", "2"});
    Open("4", [&](FrmAdjuctPrice& w) {
        t.Exec("drop table SubAdjuctPrice");
        t.Toolkit().ClearMessages();
        {
            ui::CommandScope command;  // as a key or click in the real window
            w.AmendAddNew("4");        // the lines read, the header query fails, the reload gives up
        }
        ASSERT_EQ(t.Toolkit().Messages().size(), 1u) << MessageTexts().back();
        EXPECT_EQ(t.Toolkit().Messages()[0].message.title, "错误:");
        EXPECT_EQ(ui::CommandScope::Suppressed(), 1);
        // A question is never swallowed, and the next command reports again.
        t.Toolkit().ClearMessages();
        {
            ui::CommandScope command;
            w.LoadLine("4", "100");
            t.Toolkit().QueueAnswer(ui::Answer::No);
            ui::MsgBox("?", ui::Buttons::YesNo, ui::Icon::Question, "系统提示");
        }
        EXPECT_EQ(t.Toolkit().Messages().size(), 2u);
    });
}

// Esc, 退出 and the close box ask first when something on the screen is not saved.
TEST_F(Editor, LeavingWithUnsavedEntriesAsksFirst) {
    Bill("3", "001", 0, {"A1", "2"});
    using Act = std::function<void(FrmAdjuctPrice&)>;
    const Act none = [](FrmAdjuctPrice&) {};
    const Act pick = [](FrmAdjuctPrice& w) {
        w.VfgContent.Select(1, 1);
        Key(w, w.VfgContent, ui::Key::F3);
    };
    const struct {
        std::string what, lsh;
        Act change;
        bool asked;
    } cases[] = {
        {"nothing typed", "3", none, false},
        {"a new bill untouched", "", none, false},
        {"an item typed", "3", [](FrmAdjuctPrice& w) { w.TxtHH.TypedText("B2"); }, true},
        {"the execution date changed", "", [](FrmAdjuctPrice& w) { w.DtpExecDate.EnteredValue({2026, 12, 24}); }, true},
        {"the price of a picked line", "3", [&](FrmAdjuctPrice& w) { pick(w), w.TxtNSj.EnteredValue(3); }, true},
        {"a picked line left as it was", "3", pick, false},
        {"a line saved", "", [](FrmAdjuctPrice& w) { EnterLine(w, "B2", 4); }, false},
    };
    const Act ways[] = {[](FrmAdjuctPrice& w) { Key(w, w.TxtBZ, ui::Key::Escape); }, [](FrmAdjuctPrice& w) { w.Toolbar1.Press("退出"); },
                        [](FrmAdjuctPrice& w) { if (w.OnQueryUnload()) w.Close(); }};
    for (const auto& c : cases)
        for (size_t way = 0; way < std::size(ways); ++way)
            for (ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
                SCOPED_TRACE(c.what + " / way " + std::to_string(way));
                bool shownAfter = true;
                Open(c.lsh, [&](FrmAdjuctPrice& w) {
                    c.change(w);
                    t.Toolkit().ClearMessages();
                    if (c.asked) t.Toolkit().QueueAnswer(answer);
                    ways[way](w);
                    shownAfter = w.IsShown();
                    if (shownAfter) w.Close();
                });
                EXPECT_EQ(MessageTexts(), c.asked ? std::vector<std::string>{"有未保存的修改，确实要退出吗?"} : std::vector<std::string>{});
                EXPECT_EQ(shownAfter, c.asked && answer == ui::Answer::No);
                if (c.asked) {
                    EXPECT_EQ(t.Toolkit().Messages()[0].message.defaultButton, ui::DefaultButton::Second);
                }
            }
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricemx where lsh='3'"), 1) << "leaving saves nothing";
}
