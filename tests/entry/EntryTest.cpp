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

// One sys_var row with every column 0 (a null number outside GetSqlValue's numeric class fails
// the load), sf_tag empty.
void InsertSysVar(TestDatabase& t) {
    const char* cols[] = {"slws", "pfjws", "lsjws", "sjws", "hsjws", "wsjws", "cbjws", "jjbl", "ztdh", "bz1", "bz2", "bz3",
                          "bz4", "bz5", "bz6", "bz7", "bz8", "bz9", "xz1", "xz2", "xz3", "xz4", "xz5", "xz6", "xz7", "xz8",
                          "xz9", "rkdsh", "xhdsh", "dcdsh", "ykdsh", "lsjz", "ykfs", "glph", "phzx", "zdxjbl", "ywjz",
                          "jzyf", "ckperiod", "qyzt"};
    std::string names, values;
    for (auto c : cols) {
        names += std::string(names.empty() ? "" : ",") + c;
        values += std::string(values.empty() ? "" : ",") + "0";
    }
    t.Exec("insert into sys_var (" + names + ",sf_tag) values (" + values + ",'')");
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
    EXPECT_EQ(m.title, "系统提示");
    EXPECT_EQ(m.icon, ui::Icon::Exclamation);
    EXPECT_NE(m.text.find("/nonexistent/x.db"), std::string::npos);
    EXPECT_EQ(m.text.find("topsecret"), std::string::npos);
    EXPECT_TRUE(t.Toolkit().ShownWindows().empty());
    EXPECT_FALSE(data::Host().HostConnection);

    t.Toolkit().ClearMessages();
    bill.ConnStr(t.ConnStr());
    bool sawOpenConnection = false;
    t.Toolkit().OnShow("frmSub", [&](ui::Window&) {
        sawOpenConnection = data::Host().HostConnection && data::Host().HostConnection->IsOpen();
    });
    bill.Execute();
    EXPECT_TRUE(sawOpenConnection);
    EXPECT_TRUE(t.Toolkit().Messages().empty());
    EXPECT_FALSE(data::Host().HostConnection);  // closed and released after the run
    EXPECT_EQ(data::Settings().jjbl, 2);
}

TEST(Execute, ABusinessDateNoCalendarHasIsRefusedWhereItIsSet) {
    TestDatabase t(true);
    entry::SubAdjuctPriceBill bill;
    Configure(bill, t.ConnStr());
    for (const db::DateTime bad : {db::DateTime{2026, 2, 31}, db::DateTime{2026, 13, 1}, db::DateTime{2026, 0, 5}}) {
        EXPECT_FALSE(bill.SysDate(bad)) << bad.DateText();
        EXPECT_EQ(data::Host().SysDate, (db::DateTime{2026, 12, 6})) << "the date set before stays";
        t.Toolkit().ClearMessages();
        bill.Execute();
        ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
        EXPECT_EQ(t.Toolkit().Messages()[0].message.text, "业务日期“" + bad.DateText() + "”不是有效的日期!");
        EXPECT_TRUE(t.Toolkit().ShownWindows().empty()) << "no bill is made under it";
    }
    EXPECT_TRUE(bill.SysDate({2028, 2, 29}));
    t.Toolkit().ClearMessages();
    bill.Execute();
    EXPECT_TRUE(t.Toolkit().Messages().empty()) << "a valid date runs again";
    EXPECT_FALSE(t.Toolkit().ShownWindows().empty());
}

TEST(Execute, CancelReturnsAtOnceAndOkOpensTheBrowserInTheChosenMode) {
    TestDatabase t(true);
    entry::SubAdjuctPriceBill bill;
    Configure(bill, t.ConnStr());
    t.Toolkit().OnShow("frmSub", [](ui::Window& w) {
        auto& d = static_cast<entry::FrmSub&>(w);
        EXPECT_TRUE(d.OptSub.Value());
        d.OptSubSort.SetValue(true);
        EXPECT_FALSE(d.OptSub.Value());
        d.CmdOK.Click();
    });
    bill.Execute();
    EXPECT_EQ(data::Host().BranchMode, data::ByBranchType);
    EXPECT_EQ(t.Toolkit().ShownWindows(), (std::vector<std::string>{"frmSub", "FrmBrowser"}));

    // Escape cancels: no browser, mode kept from the earlier run.
    t.Toolkit().OnShow("frmSub", [](ui::Window& w) {
        int key = 27;
        w.OnKeyDown(key, 0);
        EXPECT_FALSE(w.IsShown());
    });
    bill.Execute();
    EXPECT_EQ(t.Toolkit().ShownWindows().size(), 3u);
    EXPECT_EQ(data::Host().BranchMode, data::ByBranchType);
    EXPECT_FALSE(data::Host().HostConnection);
}

TEST(SystemSettings, ProfileRulesAndDefaults) {
    TestDatabase t;
    t.OpenHostConnection();
    InsertSysVar(t);
    t.Exec("update sys_var set jjbl=3, xz2=3, bz1=1, sf_tag='x'");
    data::LoadSystemSettings();
    auto& s = data::Settings();
    EXPECT_EQ(s.jjbl, 3);
    EXPECT_EQ(s.xz2, 5);
    EXPECT_TRUE(s.bz1);
    EXPECT_EQ(s.LengthOfMakeHH, 4);
    EXPECT_EQ(s.LengthOfMakeSuperID, 4);
    EXPECT_EQ(s.LengthOfForeCustomID, 1);
    EXPECT_EQ(s.ZJMStruct, 0);
    EXPECT_FALSE(s.CHKMaker);
    EXPECT_EQ(s.SJRATIO, 0);
    EXPECT_EQ(s.PriceChangeWarnPercent, 50);

    auto put = [&](const std::string& k, const std::string& v) { PutProfile(t, k, v); };
    put("CHKMaker", "True");
    put("CHKSuper", "yes");
    put("CHKPFJ", "-1");
    put("CHKLSJ", "1");
    put("LengthOfMakeHH", "abc");
    put("LengthOfMakeSuperID", " 7 ");
    put("SJRATIO", " 1.25 ");
    put("STOCKPLANFLOW", "9");
    put("STOCKBALANCE", "2");
    s.STOCKPLANFLOW = 1;
    data::LoadSystemSettings();
    EXPECT_TRUE(s.CHKMaker);
    EXPECT_FALSE(s.CHKSuper);
    EXPECT_FALSE(s.CHKPFJ);
    EXPECT_TRUE(s.CHKLSJ);
    EXPECT_EQ(s.LengthOfMakeHH, 4);
    EXPECT_EQ(s.LengthOfMakeSuperID, 7);
    EXPECT_DOUBLE_EQ(s.SJRATIO, 1.25);
    EXPECT_EQ(s.STOCKPLANFLOW, 1);  // unknown text leaves it unchanged
    EXPECT_TRUE(s.STOCKBALANCE2);
    EXPECT_TRUE(t.Toolkit().Messages().empty());

    // The limit of a plausible price change: a positive number, else 50.
    for (const auto& [stored, percent] : std::vector<std::pair<std::string, int>>{{" 30 ", 30}, {"abc", 50}, {"0", 50}, {"-20", 50}, {"", 50}}) {
        put("PriceChangeWarnPercent", stored);
        data::LoadSystemSettings();
        EXPECT_EQ(s.PriceChangeWarnPercent, percent) << stored;
    }
    EXPECT_TRUE(t.Toolkit().Messages().empty());

    // A null number fails the load at that column; the fields before it are set.
    t.Exec("update sys_var set jjbl=4, xz1=NULL");
    data::LoadSystemSettings();
    EXPECT_EQ(s.jjbl, 4);
    EXPECT_EQ(t.Toolkit().Messages().size(), 1u);
}

TEST(SystemSettings, MissingColumnLeavesEverySettingAndShowsOneInformationMessage) {
    TestDatabase t;
    t.OpenHostConnection();
    InsertSysVar(t);
    t.Exec("update sys_var set jjbl=2");
    data::LoadSystemSettings();
    ASSERT_EQ(data::Settings().jjbl, 2);
    t.Exec("alter table sys_var drop column qyzt");
    t.Exec("update sys_var set jjbl=5");
    data::LoadSystemSettings();
    EXPECT_EQ(data::Settings().jjbl, 2);
    ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
    EXPECT_EQ(t.Toolkit().Messages()[0].message.title, "系统提示");
    EXPECT_EQ(t.Toolkit().Messages()[0].message.icon, ui::Icon::Information);
    // A number that is not one fails the load at that key.
    t.Toolkit().ClearMessages();
    // The type the host schema gives a flag on this database.
    t.Exec(std::string("alter table sys_var add column qyzt ") + (testing_support::UnderPg() ? "smallint" : "bit") + " default 0");
    t.Exec("insert into t_SystemProfile (FCategory,FKey,FValue) values ('GL','FCurrYear','abc')");
    data::LoadSystemSettings();
    EXPECT_EQ(data::Settings().jjbl, 5);
    EXPECT_EQ(t.Toolkit().Messages().size(), 1u);
}

// "inf", "nan" and their spellings are texts, not numbers: the keys with a default take it and the
// keys after them are still loaded; a key without one fails the load, as any text that is no number.
TEST(SystemSettings, InfinityAndNanAreNotNumbers) {
    TestDatabase t;
    t.OpenHostConnection();
    InsertSysVar(t);
    auto put = [&](const std::string& k, const std::string& v) { PutProfile(t, k, v); };
    put("LengthOfMakeHH", "inf");
    put("LengthOfForeSuperID", "NaN");
    put("LengthOfMakeSuperID", "-INFINITY");
    put("LengthOfForeCustomID", "+nan(1)");
    put("SJRATIO", "nan");
    put("CHKCREATESJ", "1");
    put("STOCKBALANCE", "1");
    auto& s = data::Settings();
    s.SJRATIO = 9;
    data::LoadSystemSettings();
    EXPECT_TRUE(t.Toolkit().Messages().empty()) << t.Toolkit().Messages()[0].message.text;
    EXPECT_EQ(s.LengthOfMakeHH, 4);
    EXPECT_EQ(s.LengthOfForeSuperID, 1);
    EXPECT_EQ(s.LengthOfMakeSuperID, 4);
    EXPECT_EQ(s.LengthOfForeCustomID, 1);
    EXPECT_EQ(s.SJRATIO, 0);
    EXPECT_TRUE(s.CHKCREATESJ);
    EXPECT_TRUE(s.STOCKBALANCE1);

    put("FCurrYear", "inf");
    s.CHKCREATESJ = false;
    data::LoadSystemSettings();
    ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
    EXPECT_FALSE(s.CHKCREATESJ) << "the load ends at the key that failed";
}
