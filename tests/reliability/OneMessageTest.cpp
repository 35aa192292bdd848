// A failing browser command shows one message, in Chinese, and does not wait twice: the delete
// that met the fault is reported, the refresh after it neither waits for the same lock again nor
// reports the same fault a second time.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/ChildProcess.h"
#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "support/TestDatabase.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::TestDatabase;

namespace {

class OneMessage : public ::testing::Test {
protected:
    OneMessage() : t(false) {}
    void SetUp() override {
        for (auto r : {"删除", "查看所有用户"}) t.Grant("0001", r);
        t.Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values "
               "('2','2026-12-06','','系统管理员',0,0,0,'',0,'001','')");
        t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('2','100','A1','p',1,2)");
        data::Host().BranchMode = data::ByBranch;
        data::Host().CommandTimeout = 1;
        t.OpenHostConnection("0001", "系统管理员");
        data::Host().HostConnection->SetCommandTimeout(1);
    }
    void TearDown() override { data::Host().CommandTimeout = 0; }

    // Marks bill 2 in the browser and deletes it; the messages (OK boxes) it showed.
    std::vector<std::string> DeleteBillTwo() {
        browser::FrmBrowser w;
        t.Toolkit().OnShow("FrmBrowser", [&](ui::Window&) {
            for (int r = 1; r < w.Vs.Rows(); ++r)
                if (w.Vs.TextMatrix(r, 1) == "2") w.Vs.SetTextMatrix(r, 0, browser::kMark);
            t.Toolkit().QueueAnswer(ui::Answer::Yes);
            w.DeleteSelected();
            EXPECT_EQ(w.Vs.Rows(), 2) << "the list is read again: bill 2 is still there";
        });
        w.ShowModal();
        std::vector<std::string> shown;
        for (const auto& m : t.Toolkit().Messages())
            if (m.message.buttons == ui::Buttons::Ok) shown.push_back(m.message.text);
        return shown;
    }

    TestDatabase t;
};

}  // namespace

TEST_F(OneMessage, DeleteOnABusyDatabase) {
    // Bill 2's header: on SQLite the writer lock, on a server the row lock that the delete meets.
    ChildProcess holder(SPB_RELIABILITY_ACTOR, {t.ConnStr(), "hold", "8", "update SubAdjuctPrice set bz=bz where lsh='2'"});
    std::string line;
    ASSERT_TRUE(holder.ReadLine(line, 30s) && line == "held") << holder.Output();
    const auto start = std::chrono::steady_clock::now();
    const auto shown = DeleteBillTwo();
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(shown.size(), 1u) << (shown.size() > 1 ? shown[1] : "no message");
    EXPECT_EQ(shown[0].rfind("数据库正忙", 0), 0u) << shown[0];
    EXPECT_LT(took, 5s) << "waited longer than one command time-out and a little";
    EXPECT_EQ(holder.Wait(30s), 0) << holder.Output();
}

TEST_F(OneMessage, DeleteOnAReadOnlyDatabase) {
    // Writes refused as on a read-only file, or on a server's standby.
    data::Host().HostConnection->Execute(testing_support::UnderPg() ? "SET default_transaction_read_only = on"
                                                                    : "pragma query_only=1");
    const auto shown = DeleteBillTwo();
    ASSERT_EQ(shown.size(), 1u) << (shown.size() > 1 ? shown[1] : "no message");
    EXPECT_EQ(shown[0].rfind("数据库是只读的", 0), 0u) << shown[0];
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricemx where lsh='2'"), "1");
}
