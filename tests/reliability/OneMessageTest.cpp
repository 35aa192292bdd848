// A browser delete that meets a fault shows one message and does not wait twice.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "support/ChildProcess.h"
#include "support/TestDatabase.h"

using namespace std::chrono_literals;

namespace {

class OneMessage : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto r : {"删除", "查看所有用户"}) t.Grant("0001", r);
        t.StoreBill({.lsh = "2", .lines = {{"A1", 1, 2}}});
        data::Host().BranchMode = data::ByBranch;
        data::Host().CommandTimeout = 1;
        t.OpenHostConnection("0001", "系统管理员");
        data::Host().HostConnection->SetCommandTimeout(1);
    }
    void TearDown() override { data::Host().CommandTimeout = 0; }

    // Marks bill 2 in the browser and deletes it: the one message shown (an OK box), which must
    // begin with `begins`; the bill is still listed after the refresh.
    void DeleteBillTwoShows(const std::string& begins) {
        browser::FrmBrowser w;
        t.Toolkit().OnShow("FrmBrowser", [&](ui::Window&) {
            for (int r = 1; r < w.Vs.Rows(); ++r)
                if (w.Vs.TextMatrix(r, 1) == "2") w.Vs.SetTextMatrix(r, 0, browser::kMark);
            t.Toolkit().QueueAnswer(ui::Answer::Yes);
            w.DeleteSelected();
            EXPECT_EQ(w.Vs.Rows(), 2);
        });
        w.ShowModal();
        std::vector<std::string> shown;
        for (const auto& m : t.Toolkit().Messages())
            if (m.message.buttons == ui::Buttons::Ok) shown.push_back(m.message.text);
        ASSERT_EQ(shown.size(), 1u) << (shown.size() > 1 ? shown[1] : "no message");
        EXPECT_EQ(shown[0].rfind(begins, 0), 0u) << shown[0];
    }

    testing_support::TestDatabase t;
};

}  // namespace

// Another process holds bill 2's header: on SQLite the writer lock, on a server the row lock. The
// delete gives up after the command time-out, not the other transaction, and says so once.
TEST_F(OneMessage, DeleteOnABusyDatabase) {
    testing_support::ChildProcess holder(SPB_RELIABILITY_OPERATOR, {t.ConnStr(), "hold", "8", "update SubAdjuctPrice set bz=bz where lsh='2'"});
    std::string line;
    ASSERT_TRUE(holder.ReadLine(line, 30s) && line == "held") << holder.Output();
    const auto start = std::chrono::steady_clock::now();
    DeleteBillTwoShows("数据库正忙");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 800ms);
    EXPECT_LT(took, 5s) << "waited longer than one command time-out";
    EXPECT_EQ(holder.Wait(30s), 0) << holder.Output();
}

TEST_F(OneMessage, DeleteOnAReadOnlyDatabase) {
    data::Host().HostConnection->Execute(testing_support::UnderPg() ? "SET default_transaction_read_only = on" : "pragma query_only=1");
    DeleteBillTwoShows("数据库是只读的");
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricemx where lsh='2'"), "1");
}
