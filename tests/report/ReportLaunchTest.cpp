// The browser's report command: its right, and the bills the detail statement of each branch mode
// lists on the host database.
#include <gtest/gtest.h>

#include "FakeReportGrid.h"
#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

namespace {

class ReportLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        t.OpenHostConnection("0001", "系统管理员");
        t.Grant("0001", "报表");
        t.Grant("0001", "查看所有用户");  // the report lists the operator's own bills all the same
        t.Exec("insert into kclb (id,name) values ('01','饮料')");
        t.Exec("insert into yw_kck (hh,pm,gg,cd,pdw,lb) values ('H1','可乐','330ml','上海','听','01')");
        for (const char* lsh : {"A1", "A2", "A3", "A4", "T1", "Q1"}) t.StoreBill({lsh, "001", 0, 0, {{"H1", 10.5, 12}}});
        t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('A1','200','H9','p',10.5,12)");
        t.Exec("delete from SubAdjuctPricemx where lsh='A2'");
        t.Exec("update SubAdjuctPrice set shbz=1, bz5=NULL where lsh='A2'");
        t.Exec("update SubAdjuctPrice set jzbz=1 where lsh='A3'");
        t.Exec("update SubAdjuctPrice set czry='张三' where lsh='A4'");
        t.Exec("update SubAdjuctPrice set czry='O''Neil' where lsh='Q1'");
        t.Exec("update SubAdjuctPrice set bz5='1' where lsh='T1'");
        data::Host().BranchMode = data::ByBranch;
    }
    void TearDown() override { data::Host().BranchMode = data::ByBranch; }
    // Presses 报表 in the browser; the statement the report window handed its grid.
    std::string PressReport() {
        browser::FrmBrowser browser;
        browser.Toolbar.Press("报表");
        for (const auto& call : grid.log.calls)
            if (call.rfind("DataSource ", 0) == 0) return call.substr(11);
        return {};
    }
    std::vector<std::string> Column(const std::string& sql, const std::string& field) {
        std::vector<std::string> values;
        auto rs = t.Db().OpenRecordset(sql);
        for (bool more = rs.RecordCount() > 0; more; more = (rs.MoveNext(), !rs.IsEOF()))
            values.push_back(rs.Get(field).IsNull() ? "<null>" : rs.Get(field).ToText());
        return values;
    }
    TestDatabase t;
    report_test::ScopedFakeGrid grid{&t.Toolkit()};
};

}  // namespace

TEST_F(ReportLaunch, ByBranchListsEveryLineOfTheOperatorsOpenBills) {
    const std::string sql = PressReport();
    EXPECT_EQ(grid.log.calls.at(1), "ConnectStr " + t.ConnStr());  // the order of the calls is the window's
    EXPECT_TRUE(t.Toolkit().Messages().empty());

    // A2 (no lines, a null bz5) as one row; A3 posted, A4 another operator's, T1 of the branch types left out.
    EXPECT_EQ(Column(sql, "流水号"), (std::vector<std::string>{"A1", "A1", "A2"}));
    EXPECT_EQ(Column(sql, "原售价")[0] + "/" + Column(sql, "新售价")[0], "10.5/12");
}

// The branch types' bills, then the operator's own by a name with a quote, and one that would
// widen the condition if it were not quoted.
TEST_F(ReportLaunch, ByBranchTypeAndQuotedOperatorNames) {
    const struct {
        bool mode;
        std::string name;
        std::vector<std::string> listed;
    } cases[] = {{data::ByBranchType, "系统管理员", {"T1"}}, {data::ByBranch, "O'Neil", {"Q1"}}, {data::ByBranch, "x' or '1'='1", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        data::Host().BranchMode = c.mode;
        data::Host().OptName = c.name;
        grid.log.calls.clear();
        EXPECT_EQ(Column(PressReport(), "流水号"), c.listed);
    }
    EXPECT_TRUE(t.Toolkit().Messages().empty());
}

TEST_F(ReportLaunch, TheMenuOpensTheReportAndWithoutTheRightNothingOpens) {
    browser::FrmBrowser browser;
    browser.Menu_Click("mnuBrowInput");
    EXPECT_EQ(grid.log.created, 1);

    t.Exec("delete from t_OperatorRight where FRight='报表'");
    browser.Toolbar.Press("报表");
    EXPECT_EQ(grid.log.created, 1);
    ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
    EXPECT_EQ(t.Toolkit().Messages()[0].message.text, "对不起，你没有此权限！");
}
