// Saving and auditing processes killed (SIGKILL) at random moments leave each transaction whole or absent.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "support/ChildProcess.h"
#include "support/TestDatabase.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::TestDatabase;

namespace {

// Bills 1..count of 300 lines, bill i for target K<i>; half of its items already priced there at
// 1.00, its new prices 2.00 and up.
void MakeAuditBills(TestDatabase& t, int count) {
    t.Db().BeginTrans();
    for (int i = 1; i <= count; ++i) {
        const std::string lsh = std::to_string(i), target = "K" + lsh;
        t.Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values ('" + lsh +
               "','2026-12-06','','甲',0,0,0,'',0,'" + target + "','')");
        for (int l = 0; l < 300; ++l) {
            const std::string hh = "I" + std::to_string(1000 + l);
            t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('" + lsh + "','" + std::to_string(100 * (l + 1)) +
                   "','" + hh + "','p',1," + std::to_string(2 + l) + ")");
            if (l % 2 == 0) t.Exec("insert into glprice (HH,DWBH,SJ,ZK,SELLPRICE) values ('" + hh + "','" + target + "',0,0,1)");
        }
    }
    t.Db().CommitTrans();
}

// What a fresh connection finds broken: a header without its line or the reverse, a bill audited
// without all its prices or prices written for a bill not audited. Empty when all is whole.
std::string Damage(TestDatabase& t) {
    db::Connection c;
    c.Open(t.ConnStr());
    const std::string priced = "(select count(*) from glprice g where g.DWBH=h.dwbh and SELLPRICE>1.5)",
                      all = "(select count(*) from glprice g where g.DWBH=h.dwbh)";
    std::string damage;
    for (const std::string& sql :
         {std::string("select count(*) from SubAdjuctPrice h where not exists (select 1 from SubAdjuctPricemx m where m.lsh=h.lsh)"),
          std::string("select count(*) from SubAdjuctPricemx m where not exists (select 1 from SubAdjuctPrice h where h.lsh=m.lsh)"),
          "select count(*) from SubAdjuctPrice h where h.dwbh like 'K%' and case when h.shbz=1 then " + priced + " <> 300 or " +
              all + " <> 300 else " + priced + " <> 0 or " + all + " <> 150 end"})
        if (auto n = c.OpenRecordset(sql).Get(0).ToText(); n != "0") damage += n + " rows of: " + sql + "; ";
    if (!testing_support::UnderPg() && c.OpenRecordset("pragma integrity_check").Get(0).ToText() != "ok") damage += "integrity; ";
    return damage;
}

// Starts the operator with `args()` and kills it after a random time, `kills` times or until args()
// gives none; the first damage found. `inside` counts kills between a "begin" and its "done".
std::string KillAtRandom(TestDatabase& t, int kills, int maxMs,
                         const std::function<std::vector<std::string>()>& args, int& inside) {
    std::mt19937 rng(20261206);
    inside = 0;
    for (int k = 0; k < kills; ++k) {
        const auto a = args();
        if (a.empty()) break;
        ChildProcess p(SPB_RELIABILITY_OPERATOR, a);
        std::string line, last;
        if (!p.ReadLine(last, 60s)) return "the operator did not start: " + p.Output();
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(1, maxMs)(rng)));
        kill(p.Pid(), SIGKILL);
        while (p.ReadLine(line, 5s)) last = line;
        p.Wait(30s);
        inside += last.rfind("begin ", 0) == 0;
        if (std::string damage = Damage(t); !damage.empty()) return "after kill " + std::to_string(k + 1) + ": " + damage;
    }
    return {};
}

}  // namespace

TEST(Kill, SavingKilledAtRandomLeavesEachSaveWholeOrAbsent) {
    TestDatabase t(true, 300);
    const std::string branch = t.Scalar("select tjbh from gl_custom order by tjbh limit 1");
    int inside = 0;
    EXPECT_EQ(KillAtRandom(t, 12, 200, [&] { return std::vector<std::string>{t.ConnStr(), "save-loop", "甲", branch}; }, inside), "");
}

TEST(Kill, AuditKilledAtRandomIsWholeOrAbsent) {
    TestDatabase t(false);
    MakeAuditBills(t, 60);
    int inside = 0;
    // Each run audits the bills not yet audited, the transaction of each whole or dropped.
    EXPECT_EQ(KillAtRandom(t, 25, 25, [&]() -> std::vector<std::string> {
        const std::string next = t.Scalar("select min(cast(lsh as int)) from SubAdjuctPrice where shbz=0");
        if (next == "<null>" || next.empty()) return {};
        return {t.ConnStr(), "audit-loop", "甲", next, "60"};
    }, inside), "");
    EXPECT_GT(inside, 0) << "no kill fell inside an audit: the run proves little";
}
