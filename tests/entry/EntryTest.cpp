// The module's entry: its properties, the branch dialog's choice, and the settings it loads.
#include <gtest/gtest.h>

#include "entry/FrmSub.h"
#include "data/HostContext.h"
#include "entry/SubAdjuctPriceBill.h"
#include "data/SystemSettings.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

namespace {

void Configure(entry::SubAdjuctPriceBill& bill, const std::string& connStr) {
    bill.SysDate({2026, 12, 6});
    bill.CommandTimeout(30);
    bill.ConnStr(connStr);
    bill.OptCode("0001");
    bill.OptName("系统管理员");
    bill.Category("");
}

// Sets the value of a "GL" key in t_SystemProfile, in place of any it had.
void PutProfile(TestDatabase& t, const std::string& key, const std::string& value) {
    t.Exec("delete from t_SystemProfile where FCategory='GL' and FKey='" + key + "'");
    t.Exec("insert into t_SystemProfile (FCategory,FKey,FValue) values ('GL','" + key + "','" + value + "')");
}

}  // namespace

TEST(Execute, UnopenableConnectionShowsOneMessageAndNextRunWorks) {
    TestDatabase t(true);
    entry::SubAdjuctPriceBill bill;
    Configure(bill, "Provider=SQLite;Data Source=/nonexistent/x.db;Password=topsecret");
    bill.Execute();
    ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
    const auto& m = t.Toolkit().Messages()[0].message;
    EXPECT_TRUE(m.text.find("/nonexistent/x.db") != std::string::npos && m.text.find("topsecret") == std::string::npos) << m.text;
    EXPECT_TRUE(t.Toolkit().ShownWindows().empty() && !data::Host().HostConnection);

    t.Toolkit().ClearMessages();
    bill.ConnStr(t.ConnStr());
    bool sawOpenConnection = false;
    t.Toolkit().OnShow("frmSub", [&](ui::Window&) {
        sawOpenConnection = data::Host().HostConnection && data::Host().HostConnection->IsOpen();
    });
    bill.Execute();
    EXPECT_TRUE(sawOpenConnection && t.Toolkit().Messages().empty());
    EXPECT_FALSE(data::Host().HostConnection);  // closed and released after the run
    EXPECT_EQ(data::Settings().jjbl, 2);
}

TEST(Execute, ABusinessDateNoCalendarHasIsRefusedWhereItIsSet) {
    TestDatabase t(true);
    entry::SubAdjuctPriceBill bill;
    Configure(bill, t.ConnStr());
    for (const db::DateTime bad : {db::DateTime{2026, 2, 31}, db::DateTime{2026, 13, 1}}) {
        EXPECT_FALSE(bill.SysDate(bad)) << bad.DateText();
        EXPECT_EQ(data::Host().SysDate, (db::DateTime{2026, 12, 6})) << "the date set before stays";
        t.Toolkit().ClearMessages();
        bill.Execute();
        ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
        EXPECT_EQ(t.Toolkit().Messages()[0].message.text, "业务日期“" + bad.DateText() + "”不是有效的日期!");
        EXPECT_TRUE(t.Toolkit().ShownWindows().empty()) << "no bill is made under it";
    }
    EXPECT_TRUE(bill.SysDate({2028, 2, 29}));
}

TEST(Execute, CancelReturnsAtOnceAndOkOpensTheBrowserInTheChosenMode) {
    TestDatabase t(true);
    entry::SubAdjuctPriceBill bill;
    Configure(bill, t.ConnStr());
    t.Toolkit().OnShow("frmSub", [](ui::Window& w) {
        auto& d = static_cast<entry::FrmSub&>(w);
        d.OptSubSort.SetValue(true);
        d.CmdOK.Click();
    });
    bill.Execute();
    EXPECT_EQ(data::Host().BranchMode, data::ByBranchType);
    EXPECT_EQ(t.Toolkit().ShownWindows(), (std::vector<std::string>{"frmSub", "FrmBrowser"}));

    // Escape cancels: no browser, mode kept from the earlier run.
    t.Toolkit().OnShow("frmSub", [](ui::Window& w) {
        int key = 27;
        w.OnKeyDown(key, 0);
    });
    bill.Execute();
    EXPECT_EQ(t.Toolkit().ShownWindows().size(), 3u);
    EXPECT_EQ(data::Host().BranchMode, data::ByBranchType);
    EXPECT_FALSE(data::Host().HostConnection);
}

// A case writes `text` under `key` (a "GL" key, or "sys_var.COLUMN") over a base of jjbl 2,
// PriceChangeWarnPercent "30" and 按执行日期生效 "1"; expected is "jjbl percent on-exec-date messages".
TEST(SystemSettings, TheKeysTheModuleReads) {
    TestDatabase t(true);
    t.OpenHostConnection();
    const struct {
        std::string key, text, expected;
    } cases[] = {
        {"PriceChangeWarnPercent", " 45 ", "2 45 1 0"},
        {"PriceChangeWarnPercent", "abc", "2 50 1 0"},
        {"PriceChangeWarnPercent", "-20", "2 50 1 0"},
        {"PriceChangeWarnPercent", "inf", "2 50 1 0"},
        {"按执行日期生效", " 1 ", "2 30 1 0"},
        {"按执行日期生效", "true", "2 30 0 0"},
        {"SJRATIO", "+nan(1)", "2 30 1 0"},  // a key with a default takes it; the load goes on
        {"FCurrYear", "abc", "2 30 1 1"},    // no default: the host's keys end there, the module's own are read
        {"sys_var.jjbl", "3", "3 30 1 0"},
        {"sys_var.xz1", "NULL", "2 30 1 1"},  // a null number ends the host's part at its column
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key + " = '" + c.text + "'");
        t.Exec("delete from t_SystemProfile");
        t.Exec("update sys_var set jjbl=2, xz1=0");
        PutProfile(t, "PriceChangeWarnPercent", "30");
        PutProfile(t, "按执行日期生效", "1");
        if (c.key.starts_with("sys_var.")) t.Exec("update sys_var set " + c.key.substr(8) + "=" + c.text);
        else PutProfile(t, c.key, c.text);
        data::Settings() = {};
        t.Toolkit().ClearMessages();
        data::LoadSystemSettings();
        const auto& s = data::Settings();
        EXPECT_EQ(std::to_string(s.jjbl) + " " + std::to_string(s.PriceChangeWarnPercent) + " " +
                      (s.PricesOnExecDate ? "1 " : "0 ") + std::to_string(t.Toolkit().Messages().size()),
                  c.expected);
    }
}

TEST(SystemSettings, AMissingColumnLeavesEverySettingAsItWas) {
    TestDatabase t(true);
    t.OpenHostConnection();
    data::LoadSystemSettings();
    t.Exec("alter table sys_var drop column qyzt");
    t.Exec("update sys_var set jjbl=5");
    data::LoadSystemSettings();
    EXPECT_EQ(data::Settings().jjbl, 2);
    EXPECT_EQ(t.Toolkit().Messages().size(), 1u);
}
