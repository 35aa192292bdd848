// Audit into glprice, posting, line deletion and print from the editor.
#include "EditorFixture.h"
#include "ui/Keys.h"

using billtest::Editor;
using billtest::Prints;
using bill::FrmAdjuctPrice;

namespace {
const char* kPrices = "select HH,'@',DWBH,'=',SJ,'/',ZK,'/',SELLPRICE from glprice order by HH, DWBH";
}

TEST_F(Editor, AuditInsertsMissingPricesAndUpdatesOnlyTheSellingPrice) {
    t.Exec("update glprice set SJ=8, SELLPRICE=10 where HH='A1'");
    Bill("1", "001", 0, {"X", "12.5", "A1", "6"});
    Open("1", [&](FrmAdjuctPrice& w) {
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar1.Press("审核");
        EXPECT_EQ(w.TxtSh.Text(), "系统管理员");
    });
    EXPECT_EQ(t.Toolkit().Messages().at(0).message.defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(t.Joined(kPrices, ""), "A1@001=8/0/6 B2@001=0/0/4 X@001=0/0/12.5");
    EXPECT_EQ(t.Joined("select shbz, shry from SubAdjuctPrice", ""), "1系统管理员");
}

TEST_F(Editor, ABranchTypeBillWritesUnderTheTypeJudgingPresenceOnItemAndTargetApart) {
    data::Host().BranchMode = data::ByBranchType;
    t.Exec("insert into yw_kck (hh,pm) values ('12','x'),('1','y')");
    t.Exec("insert into glprice (HH,DWBH,SJ,ZK,SELLPRICE) values ('12','3',0,0,1)");  // '12'+'3' = '1'+'23'
    Bill("2", "5", 0, {"A1", "7"}, "'1'");
    Bill("3", "23", 0, {"1", "9"}, "'1'");
    Open("2", [&](FrmAdjuctPrice& w) {
        if (w.CheckBeforeAudit("2")) w.AuditBill("2");
        w.AuditBill("3");
    });
    EXPECT_EQ(t.Joined(kPrices, ""), "1@23=0/0/9 12@3=0/0/1 A1@001=3/0/5.5 A1@5=0/0/7 B2@001=0/0/4");
}

TEST_F(Editor, RefusedAuditsWriteNothing) {
    Bill("1", "001", 0, {"A1", "1", "B2", "2", "A1", "3"});
    Bill("2", "001", 1, {"X", "4"});
    Bill("3", "", 0, {"X", "4"});
    const std::string before = t.Joined(kPrices, "");
    Open("1", [&](FrmAdjuctPrice& w) {
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar1.Press("审核");  // A, B, A
        t.Toolkit().QueueAnswer(ui::Answer::No);
        w.Toolbar1.Press("审核");
        w.AuditBill("2");  // already audited
        w.AuditBill("3");  // no target
        w.AuditBill("9");  // never saved, or deleted by another operator meanwhile
    });
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"确实要审核此单据吗?", "货号为：'A1'的品种在此单据上调了两次价，请检查！审核失败!",
                                                        "确实要审核此单据吗?", "此单据已审核，不能重复审核!",
                                                        "此单据没有指定分支机构，不能审核!", "此单据不存在，不能审核!"}));
    t.Exec("delete from t_OperatorRight where FRight='审核'");
    t.Toolkit().ClearMessages();
    Open("1", [&](FrmAdjuctPrice& w) { w.Toolbar1.Press("审核"); });
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"对不起，你没有此权限！"});
    EXPECT_EQ(t.Joined(kPrices, ""), before);
    EXPECT_EQ(t.Joined("select shbz from SubAdjuctPrice order by lsh", "", ""), "010");
}

TEST_F(Editor, AFailureInsideTheAuditRollsBackPricesAndFlagTogether) {
    Bill("1", "001", 0, {"A1", "6", "X", "7"});
    t.RefuseWrites("glprice", "insert", "", "price refused");
    Open("1", [&](FrmAdjuctPrice& w) {
        w.AuditBill("1");
        EXPECT_EQ(w.TxtSh.Text(), "");
    });
    EXPECT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(Scalar("select SELLPRICE from glprice where HH='A1'"), "5.5");
    EXPECT_EQ(Scalar("select shbz from SubAdjuctPrice"), "0");
}

TEST_F(Editor, PostingAnAuditedBillStartsANewOneAndAnUnauditedOrDeletedOneIsNamed) {
    Bill("42", "001", 0, {"A1", "6"});
    Bill("43", "001", 1, {"A1", "6"});
    Open("42", [&](FrmAdjuctPrice& w) {
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        Key(w, w.TxtBZ, ui::Key::F8);
        EXPECT_EQ(w.TxtLSH.Text(), "42");
    });
    Open("43", [&](FrmAdjuctPrice& w) {
        t.Toolkit().QueueAnswer(ui::Answer::No);
        w.Cmd_SaveReckoning.Click();
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar1.Press("记帐");
        EXPECT_EQ(w.TxtLSH.Text(), "44") << "a new bill";
        EXPECT_TRUE(bill::Shared().IsNewBill);
    });
    Bill("45", "001", 1, {"A1", "6"});
    Open("45", [&](FrmAdjuctPrice& w) {
        t.Exec("delete from SubAdjuctPricemx where lsh='45'");  // another operator, meanwhile
        t.Exec("delete from SubAdjuctPrice where lsh='45'");
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar1.Press("记帐");
        EXPECT_EQ(w.TxtLSH.Text(), "45") << "not taken for posted";
    });
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"确实要记帐吗?", "流水号为:42的单据记帐不成功,可能的原因是单据还没有审核!",
                                                        "确实要记帐吗?", "确实要记帐吗?", "确实要记帐吗?",
                                                        "此单据不存在，不能记帐!"}));
    EXPECT_EQ(t.Joined("select lsh, jzbz from SubAdjuctPrice order by lsh", ":"), "42:0 43:1");
}

TEST_F(Editor, LineDeletionAsksKeepsAuditedBillsAndLeavesTheHeader) {
    Bill("1", "001", 0, {"A1", "6"});
    Bill("2", "001", 1, {"A1", "6"});
    Open("1", [&](FrmAdjuctPrice& w) {
        w.VfgContent.Select(1, 1);
        t.Toolkit().QueueAnswer(ui::Answer::No);
        Key(w, w.VfgContent, ui::Key::Delete);
        w.Delete("1", "900");  // not stored: nothing at all
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Cmd_Delete.Click();
        EXPECT_EQ(w.VfgContent.Rows(), 1);
        w.Delete("2", "100");
    });
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"您确实要删除流水号为[1],单号为[100]的数据吗？", "您确实要删除流水号为[1],单号为[100]的数据吗？",
                                                        "此单据已审核，不能删除!"}));
    // Another operator's move between the check and the delete: the line removed (said so, not
    // "audited"), or the bill audited (the line stays).
    const struct {
        const char* lsh;
        const char* move;
        const char* message;
        int linesLeft;
    } meanwhile[] = {
        {"3", "delete from SubAdjuctPricemx where lsh='3'", "此记录已被删除!", 0},
        {"4", "update SubAdjuctPrice set shbz=1 where lsh='4'", "此单据已审核，不能删除!", 1},
    };
    for (const auto& m : meanwhile) {
        Bill(m.lsh, "001", 0, {"A1", "6"});
        Open(m.lsh, [&](FrmAdjuctPrice& w) {
            t.Toolkit().QueueAnswer(ui::Answer::Yes);
            EXPECT_TRUE(Meanwhile("delete SubAdjuctPricemx", [&] { data::Host().HostConnection->Execute(m.move); },
                                  [&] { w.Delete(m.lsh, "100"); }));
            EXPECT_EQ(MessageTexts().back(), m.message);
        });
        EXPECT_EQ(Count(std::string("select count(*) from SubAdjuctPricemx where lsh='") + m.lsh + "'"), m.linesLeft) << m.move;
    }
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricemx where lsh='1'"), 0);
    EXPECT_EQ(Count("select count(*) from SubAdjuctPricemx where lsh='2'"), 1);
    EXPECT_EQ(Count("select count(*) from SubAdjuctPrice"), 4) << "every header stays";
}

TEST_F(Editor, PrintHandsTheShownSerialToTheEngineAndFailsSilently) {
    Open("", [&](FrmAdjuctPrice& w) {
        Key(w, w.TxtBZ, ui::Key::F9);
        EXPECT_EQ(Prints().calls, (std::vector<std::string>{"connection", "company HQ-BRANCH-PRICE", "flag -1", "table 0 SubAdjuctPrice ",
                                                            "table 1 SubAdjuctPricemx ", "print 58 1 false"}));
        Prints().registered = false;
        w.Cmd_Print.Click();
    });
    EXPECT_TRUE(MessageTexts().empty());
}

// What the answer cannot change is said before the question.
TEST_F(Editor, RefusalsThatNeedNoAnswerComeBeforeTheQuestion) {
    Bill("2", "001", 1, {"A1", "6"});
    struct Case {
        std::string lsh;  // empty: a new bill, never saved
        std::function<void(FrmAdjuctPrice&)> command;
        std::string refusal;
    };
    const auto audit = [](FrmAdjuctPrice& w) { w.Toolbar1.Press("审核"); };
    const auto post = [](FrmAdjuctPrice& w) { Key(w, w.TxtBZ, ui::Key::F8); };
    for (const Case& c : std::vector<Case>{{"", audit, "此单据尚未保存，不能审核!"},
                                           {"", post, "此单据尚未保存，不能记帐!"},
                                           {"2", audit, "此单据已审核，不能重复审核!"}}) {
        t.Toolkit().ClearMessages();
        Open(c.lsh, c.command);
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{c.refusal});
    }
    EXPECT_EQ(Count("select count(*) from SubAdjuctPrice"), 1) << "nothing saved, posted or audited";
    EXPECT_EQ(Scalar("select jzbz from SubAdjuctPrice"), "0");
}

