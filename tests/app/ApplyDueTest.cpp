// The program's --apply-due: waiting prices applied once by two processes at once, none early.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>

#include "bill/PendingPrices.h"
#include "support/ChildProcess.h"
#include "support/TestDatabase.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::TestDatabase;

namespace {

constexpr int kBills = 24;

// Bill i sets item Ii at branch 001 to price i, waiting for 2026-12-07.
void WaitingBills(TestDatabase& t) {
    bill::EnsurePendingTable(t.Db());
    for (int i = 1; i <= kBills; ++i) {
        const std::string lsh = std::to_string(i), hh = "I" + lsh;
        t.StoreBill({.lsh = lsh, .shbz = 1, .lines = {{hh, 1, double(i)}}, .execdate = "'2026-12-07'"});
        t.Exec("insert into SubAdjuctPricePending (lsh,hh,dwbh,bz5,sj2,zxrq,zt) values ('" + lsh + "','" + hh + "','001',''," +
               lsh + ",'2026-12-07',0)");
    }
}

std::unique_ptr<ChildProcess> ApplyDue(const TestDatabase& t, const std::string& date) {
    return std::make_unique<ChildProcess>(SPB_HOST_PROGRAM,
                                          std::vector<std::string>{"--apply-due", "--connection", t.ConnStr(), "--date", date},
                                          true);
}

// The bills and prices a run reports in its last line.
std::pair<int, int> Totals(const std::string& output) {
    std::smatch m;
    static const std::regex total("共 (\\d+) 张单据、(\\d+) 个价格生效");
    if (!std::regex_search(output, m, total)) return {-1, -1};
    return {std::stoi(m[1]), std::stoi(m[2])};
}

}  // namespace

TEST(ApplyDue, TwoProcessesAtOnceApplyEachPriceOnceAndNothingBeforeItsDate) {
    TestDatabase t;
    WaitingBills(t);

    auto early = ApplyDue(t, "2026-12-06");
    EXPECT_EQ(early->Wait(60s), 0) << early->Output();
    EXPECT_EQ(t.Scalar("select count(*) from glprice"), "0");

    auto first = ApplyDue(t, "2026-12-07"), second = ApplyDue(t, "2026-12-07");
    ASSERT_EQ(first->Wait(120s), 0) << first->Output();
    ASSERT_EQ(second->Wait(120s), 0) << second->Output();
    const auto a = Totals(first->Output()), b = Totals(second->Output());
    EXPECT_EQ(a.first + b.first, kBills) << first->Output() << second->Output();
    EXPECT_EQ(a.second + b.second, kBills);
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricePending where zt=1"), std::to_string(kBills));
    std::string prices;
    for (int i = 1; i <= kBills; ++i) prices += (i > 1 ? " I" : "I") + std::to_string(i) + "=" + std::to_string(i);
    EXPECT_EQ(t.Joined("select hh,'=',sellprice from glprice where dwbh='001' order by sellprice", ""), prices);
}

TEST(ApplyDue, AFailureEndsWithAMessageAndANonZeroCode) {
    TestDatabase t;
    WaitingBills(t);
    t.RefuseWrites("glprice", "insert", "NEW.hh='I3'", "refused");
    auto run = ApplyDue(t, "2026-12-31");
    EXPECT_EQ(run->Wait(60s), 1) << run->Output();
    EXPECT_NE(run->Output().find("待生效的价格未能生效"), std::string::npos) << run->Output();
    EXPECT_EQ(t.Joined("select lsh from SubAdjuctPricePending where zt=1 order by cast(lsh as int)"), "1 2");
}
