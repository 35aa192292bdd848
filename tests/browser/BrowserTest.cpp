// The browser's list and its commands over the marked bills.
#include <gtest/gtest.h>

#include "bill/FrmShelfLabels.h"
#include "browser/FrmBrowser.h"
#include "data/ComponentFactory.h"
#include "data/PrintEngine.h"
#include "data/HostContext.h"
#include "db/Error.h"
#include "support/TestDatabase.h"
#include "ui/Keys.h"

using testing_support::TestDatabase;

namespace {

std::vector<std::string> g_printed;  // what the browser hands the print engine

class RecordingPrintEngine : public data::PrintEngine {
public:
    void SetCompany(const std::string& c) override { g_printed.push_back("company " + c); }
    void SetTable(int i, const std::string& n) override { g_printed.push_back("table " + std::to_string(i) + n); }
    void Print(int type, std::string& serials, bool& flag) override {
        g_printed.push_back("print " + std::to_string(type) + " " + serials + (flag ? " true" : " false"));
    }
    void SetConnection(db::Connection&) override { g_printed.push_back("connection"); }
    void SetFlag(int f) override { g_printed.push_back("flag " + std::to_string(f)); }
};

class Browser : public ::testing::Test {
protected:
    Browser() : t(false) {}
    void SetUp() override {
        t.OpenHostConnection("0001", "系统管理员");
        t.Grant("0001", "查看所有用户");
        for (auto r : {"新增", "修改", "删除", "打印", "记帐"}) t.Grant("0001", r);
        const std::vector<TestDatabase::StoredLine> line{{"100001", 1, 2}};
        t.StoreBill({.lsh = "1", .lines = line, .kdrq = "2026-12-01"});
        t.StoreBill({.lsh = "2", .shbz = 1, .lines = line, .bz5 = "NULL"});
        t.StoreBill({.lsh = "3", .lines = line, .bz5 = "'1'"});
        t.StoreBill({.lsh = "4", .lines = line});
        t.StoreBill({.lsh = "5", .jzbz = 1, .lines = line});
        t.StoreBill({.lsh = "6", .lines = {}});  // a header without lines
        data::Host().BranchMode = data::ByBranch;
    }
    void Run(std::function<void(browser::FrmBrowser&)> act) {
        browser::FrmBrowser w;
        t.Toolkit().OnShow("FrmBrowser", [&](ui::Window&) { act(w); });
        w.ShowModal();
    }
    static std::vector<std::string> Serials(browser::FrmBrowser& w) {
        std::vector<std::string> s;
        for (int r = 1; r < w.Vs.Rows(); ++r) s.push_back(w.Vs.TextMatrix(r, 1));
        return s;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const auto& m : t.Toolkit().Messages()) texts.push_back(m.message.text);
        return texts;
    }
    TestDatabase t;
};

}  // namespace

TEST_F(Browser, ListsUnpostedBillsOfTheMode) {
    Run([&](browser::FrmBrowser& w) {
        EXPECT_EQ(Serials(w), (std::vector<std::string>{"1", "2", "4", "6"}));
    });
    data::Host().BranchMode = data::ByBranchType;
    Run([&](browser::FrmBrowser& w) { EXPECT_EQ(Serials(w), (std::vector<std::string>{"3"})); });
}

TEST_F(Browser, SpaceMarksAndInvertSelectionTogglesEveryRow) {
    Run([&](browser::FrmBrowser& w) {
        auto marks = [&] { return w.Vs.TextMatrix(1, 0) + "|" + w.Vs.TextMatrix(2, 0) + "|" + w.Vs.TextMatrix(3, 0); };
        w.Vs.SetRow(2);
        for (const char* after : {"|√|", "||"}) {
            int key = ui::Key::Space;
            w.OnKeyDown(key, 0);
            EXPECT_EQ(marks(), after);
        }
        w.Vs.SetTextMatrix(1, 0, "√");
        w.InvertSelection();
        EXPECT_EQ(marks(), "|√|√");
        EXPECT_EQ(t.Toolkit().BusyDepth(), 0);
    });
}

TEST_F(Browser, RightPressOnHeadingSortsDescendingThenAscendingAndMarksFollowTheirRow) {
    Run([&](browser::FrmBrowser& w) {
        w.Vs.SetTextMatrix(1, 0, "√");  // bill 1
        w.Vs.SetMouseCell(0, 1);
        w.Vs.RaiseMouseDown(ui::MouseButton::Left, 0);
        EXPECT_EQ(Serials(w).front(), "1");  // a left press does not sort
        w.Vs.RaiseMouseDown(ui::MouseButton::Right, 0);
        EXPECT_EQ(Serials(w), (std::vector<std::string>{"6", "4", "2", "1"}));
        EXPECT_EQ(w.Vs.TextMatrix(4, 0), "√");
        w.Vs.RaiseMouseDown(ui::MouseButton::Right, 0);
        EXPECT_EQ(Serials(w).front(), "1");
        EXPECT_TRUE(t.Toolkit().Messages().empty());
        w.Vs.SetMouseCell(0, 0);  // the mark column has no field
        w.Vs.RaiseMouseDown(ui::MouseButton::Right, 0);
        ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
        EXPECT_EQ(t.Toolkit().Messages()[0].message.icon, ui::Icon::Critical);
    });
}

TEST_F(Browser, SerialsShowByValueAfterLoadRefreshAndSortAndTheFlagAsYesNo) {
    for (const char* lsh : {"10", "11", "30"}) t.StoreBill({.lsh = lsh, .shbz = 1, .lines = {{"1", 1, 2}}});
    const std::vector<std::string> byValue{"1", "2", "4", "6", "10", "11", "30"};
    Run([&](browser::FrmBrowser& w) {
        EXPECT_EQ(Serials(w), byValue);
        w.Vs.SetMouseCell(0, 1);
        w.Vs.RaiseMouseDown(ui::MouseButton::Right, 0);
        EXPECT_EQ(Serials(w), (std::vector<std::string>(byValue.rbegin(), byValue.rend())));
        t.Exec("insert into SubAdjuctPrice (lsh,czry,shbz,jzbz,bz5) values ('9','系统管理员',NULL,0,'')");  // never audited
        w.Toolbar.Press("刷新");  // drops bills 6 and 9, which have no line
        EXPECT_EQ(Serials(w), (std::vector<std::string>{"1", "2", "4", "10", "11", "30"}));
        EXPECT_EQ(w.Vs.TextMatrix(1, 2) + w.Vs.TextMatrix(1, 5) + w.Vs.TextMatrix(2, 5), "2026-12-01否是");
    });
}

TEST_F(Browser, DeleteSelectedKeepsAuditedBillsAndDeletesTheOthersWhole) {
    Run([&](browser::FrmBrowser& w) {
        w.InvertSelection();  // 1, 2 (audited), 4, 6
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar.Press("删除");
        EXPECT_EQ(Serials(w), (std::vector<std::string>{"2"}));
        for (int r = 1; r < w.Vs.Rows(); ++r) EXPECT_EQ(w.Vs.TextMatrix(r, 0), "");
    });
    EXPECT_EQ(Texts(), (std::vector<std::string>{"您确定要删除吗？[Y/N]", "此单据已审核，不能删除！（流水号：2）"}));
    EXPECT_EQ(t.Toolkit().Messages()[0].message.defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(t.Joined("select distinct lsh from SubAdjuctPricemx where lsh in ('1','2','4')"), "2");
}

TEST_F(Browser, ADeleteWhoseLineStatementFailsKeepsTheBillWhole) {
    data::Host().HostConnection->SetTrace([](const std::string& s) {
        if (s.starts_with("Delete From SubAdjuctPriceMX")) throw db::Error(db::ErrorCode::Generic, "lines refused");
    });
    Run([&](browser::FrmBrowser& w) {
        w.Vs.SetTextMatrix(1, 0, browser::kMark);
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar.Press("删除");
    });
    data::Host().HostConnection->SetTrace({});
    EXPECT_EQ(t.Toolkit().Messages().back().message.text, "lines refused");
    EXPECT_EQ(t.Joined("select count(*) from SubAdjuctPrice where lsh='1' union all "
                       "select count(*) from SubAdjuctPricemx where lsh='1'"),
              "1 1");
    EXPECT_FALSE(data::Host().HostConnection->InTransaction());
}

TEST_F(Browser, PostSelectedPostsOnlyMarkedAuditedBills) {
    t.Exec("update SubAdjuctPrice set shbz=1 where lsh='6'");  // audited, not marked
    Run([&](browser::FrmBrowser& w) {
        for (int r : {1, 2, 3}) w.Vs.SetTextMatrix(r, 0, browser::kMark);  // 1, 2 (audited), 4
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar.Press("记账");
        EXPECT_EQ(Serials(w), (std::vector<std::string>{"1", "4", "6"}));
    });
    EXPECT_EQ(Texts().back(), "流水号为:1、4的单据记帐不成功,可能的原因是单据还没有审核!");
    EXPECT_EQ(t.Joined("select lsh,jzbz from SubAdjuctPrice where lsh in ('1','2','6') order by lsh", ":"), "1:0 2:1 6:0");
}

TEST_F(Browser, APostingThatFailsKeepsTheBillsPostedBeforeIt) {
    t.Exec("update SubAdjuctPrice set shbz=1 where lsh='4'");
    t.RefuseWrites("SubAdjuctPrice", "update", "NEW.lsh='4'", "posting refused");
    Run([&](browser::FrmBrowser& w) {
        w.InvertSelection();
        t.Toolkit().QueueAnswer(ui::Answer::Yes);
        w.Toolbar.Press("记账");
    });
    EXPECT_EQ(t.Joined("select lsh,jzbz from SubAdjuctPrice where lsh in ('1','2','4') order by lsh", ":"),
              "1:0 2:1 4:0");
    EXPECT_NE(Texts().back().find("posting refused"), std::string::npos);
    EXPECT_FALSE(data::Host().HostConnection->InTransaction());
}

TEST_F(Browser, PrintHandsTheMarkedSerialsToThePrintEngineInOrder) {
    g_printed.clear();
    data::ComponentFactory::Register(data::ComponentName::PrintEngine, [] { return std::make_unique<RecordingPrintEngine>(); });
    Run([&](browser::FrmBrowser& w) {
        w.Toolbar.Press("打印");
        EXPECT_TRUE(g_printed.empty());
        w.Vs.SetTextMatrix(1, 0, "√");
        w.Vs.SetTextMatrix(3, 0, "√");
        w.Toolbar.Press("预览");
        EXPECT_EQ(w.Vs.TextMatrix(1, 0), "√") << "a preview keeps the marks for the print after it";
        w.Toolbar.Press("打印");
        EXPECT_EQ(w.Vs.TextMatrix(1, 0) + w.Vs.TextMatrix(3, 0), "");
    });
    EXPECT_EQ(Texts(), std::vector<std::string>{"你没有选择任何需打印的单据！"});
    const std::vector<std::string> once{"connection", "company HQ-BRANCH-PRICE", "table 0 SubAdjuctPrice ", "table 1 SubAdjuctPricemx ",
                                        "flag -1", "print 58 1|4 true"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(g_printed, twice);
    data::ComponentFactory::Unregister(data::ComponentName::PrintEngine);
}

TEST_F(Browser, LabelsAreForTheMarkedBillsAndKeepTheMarks) {
    std::vector<std::string> shownFor;
    t.Toolkit().OnShow("FrmShelfLabels", [&](ui::Window& win) {
        for (const auto& set : static_cast<bill::FrmShelfLabels&>(win).Job().sets) shownFor.push_back(set.serial);
        win.Close();
    });
    Run([&](browser::FrmBrowser& w) {
        w.Menu_Click("mnuLabels");
        w.Vs.SetTextMatrix(1, 0, "√");
        w.Vs.SetTextMatrix(3, 0, "√");
        w.Menu_Click("mnuLabels");
        EXPECT_EQ(w.Vs.TextMatrix(1, 0) + w.Vs.TextMatrix(3, 0), "√√");
    });
    EXPECT_EQ(Texts(), std::vector<std::string>{"你没有选择任何需打印的单据！"});
    EXPECT_EQ(shownFor, (std::vector<std::string>{"1", "4"}));
}
