// Killed in the middle: a process saving bills and a process auditing 300-line bills are killed
// (SIGKILL) at random moments. Reopening finds each transaction whole or absent: no header without
// the line it was saved with, no line without its header, no bill audited with half its prices.
// A run with the audit's writes outside a transaction shows that these checks catch a broken one.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "support/ChildProcess.h"
#include "support/TestDatabase.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::TestDatabase;

namespace {

constexpr int kLinesPerBill = 300;

// What a fresh connection finds about the bills after a kill; empty when all is whole.
std::string SaveDamage(TestDatabase& t) {
    db::Connection c;
    c.Open(t.ConnStr());
    auto scalar = [&](const std::string& sql) { return c.OpenRecordset(sql).Get(0).ToText(); };
    std::string damage;
    if (auto n = scalar("select count(*) from SubAdjuctPrice h where not exists (select 1 from SubAdjuctPricemx m where "
                        "m.lsh=h.lsh)");
        n != "0")
        damage += n + " header(s) without a line; ";
    if (auto n = scalar("select count(*) from SubAdjuctPricemx m where not exists (select 1 from SubAdjuctPrice h where "
                        "h.lsh=m.lsh)");
        n != "0")
        damage += n + " line(s) without a header; ";
    if (!testing_support::UnderPg())
        if (auto n = scalar("pragma integrity_check"); n != "ok") damage += "integrity: " + n;
    return damage;
}

// Bills 1..count of 300 lines each, bill i for target K<i>; half of each bill's items already
// have a price there (1.00), the bill's new prices are 2.00 and up.
void MakeAuditBills(TestDatabase& t, int count) {
    t.Db().BeginTrans();
    for (int i = 1; i <= count; ++i) {
        const std::string lsh = std::to_string(i), target = "K" + lsh;
        t.Exec("insert into SubAdjuctPrice (lsh,kdrq,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values ('" + lsh +
               "','2026-12-06','','甲',0,0,0,'',0,'" + target + "','')");
        for (int l = 0; l < kLinesPerBill; ++l) {
            const std::string hh = "I" + std::to_string(1000 + l);
            t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('" + lsh + "','" + std::to_string(100 * (l + 1)) +
                   "','" + hh + "','p',1," + std::to_string(2 + l) + ")");
            if (l % 2 == 0)
                t.Exec("insert into glprice (HH,DWBH,SJ,ZK,SELLPRICE) values ('" + hh + "','" + target + "',0,0,1)");
        }
    }
    t.Db().CommitTrans();
}

// Bills whose audit is half done: audited without all their prices, or prices written for a bill
// that is not audited. Empty when every audit is whole or absent.
std::string AuditDamage(TestDatabase& t, int count) {
    db::Connection c;
    c.Open(t.ConnStr());
    std::string damage;
    for (int i = 1; i <= count; ++i) {
        const std::string lsh = std::to_string(i), target = "K" + lsh;
        auto rs = c.OpenRecordset("select (select shbz from SubAdjuctPrice where lsh='" + lsh +
                                  "'), (select count(*) from glprice where DWBH='" + target +
                                  "' and SELLPRICE>1.5), (select count(*) from glprice where DWBH='" + target + "')");
        const bool audited = rs.Get(0).ToInt32() == 1;
        const int newPrices = rs.Get(1).ToInt32(), rows = rs.Get(2).ToInt32();
        const bool whole = audited ? newPrices == kLinesPerBill && rows == kLinesPerBill
                                   : newPrices == 0 && rows == kLinesPerBill / 2;
        if (!whole)
            damage += "bill " + lsh + (audited ? " audited" : " not audited") + " with " + std::to_string(newPrices) +
                      " new prices; ";
    }
    return damage;
}

// Runs audit-loop processes over the bills and kills each after a random time until every bill is
// audited or `kills` kills are done. Returns the first damage found; counts kills that fell
// between a "begin" and its "done".
std::string KillAudits(TestDatabase& t, int count, int kills, bool withTransaction, int& insideAudit, int& done) {
    std::mt19937 rng(20261206);
    insideAudit = done = 0;
    for (int k = 0; k < kills; ++k) {
        const std::string next = t.Scalar("select min(cast(lsh as int)) from SubAdjuctPrice where shbz=0");
        if (next == "<null>" || next.empty()) break;
        std::vector<std::string> args{t.ConnStr(), "audit-loop", "甲", next, std::to_string(count)};
        if (!withTransaction) args.push_back("--no-transaction");
        ChildProcess p(SPB_RELIABILITY_OPERATOR, args);
        std::string line, last;
        if (!p.ReadLine(line, 60s)) return "the auditor did not start: " + p.Output();  // the first "begin"
        last = line;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(1, 25)(rng)));
        kill(p.Pid(), SIGKILL);
        while (p.ReadLine(line, 5s)) last = line;
        p.Wait(30s);
        if (last.rfind("begin ", 0) == 0) ++insideAudit;
        ++done;
        if (std::string damage = AuditDamage(t, count); !damage.empty()) return damage;
    }
    return {};
}

}  // namespace

TEST(Kill, SavingKilledAtRandomLeavesEachSaveWholeOrAbsent) {
    TestDatabase t(true, 300);
    const std::string branch = t.Scalar("select tjbh from gl_custom order by tjbh limit 1");
    std::mt19937 rng(7);
    const int kills = 12;
    int saves = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < kills; ++k) {
        ChildProcess p(SPB_RELIABILITY_OPERATOR, {t.ConnStr(), "save-loop", "甲", branch});
        std::string line;
        ASSERT_TRUE(p.ReadLine(line, 60s)) << "the saver did not save: " << p.Output();
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(1, 200)(rng)));
        kill(p.Pid(), SIGKILL);
        while (p.ReadLine(line, 5s))
            if (line.rfind("saved ", 0) == 0) ++saves;
        p.Wait(30s);
        const std::string damage = SaveDamage(t);
        ASSERT_TRUE(damage.empty()) << "after kill " << k + 1 << ": " << damage;
    }
    std::cout << "kill/save: " << kills << " kills, " << saves << " bills saved, "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() << " s\n";
}

TEST(Kill, AuditKilledAtRandomIsWholeOrAbsent) {
    TestDatabase t(false);
    const int bills = 60;
    MakeAuditBills(t, bills);
    int inside = 0, kills = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::string damage = KillAudits(t, bills, 25, true, inside, kills);
    EXPECT_TRUE(damage.empty()) << damage;
    std::cout << "kill/audit: " << kills << " kills, " << inside << " of them inside an audit, "
              << t.Scalar("select count(*) from SubAdjuctPrice where shbz=1") << " of " << bills << " bills audited, "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() << " s\n";
    EXPECT_GT(inside, 0) << "no kill fell inside an audit: the run proves little";
}

// The same kills on an audit that writes its prices outside a transaction: the checks above must
// find a half-done audit, or they would pass whatever the program did.
TEST(Kill, ABrokenTransactionIsCaught) {
    TestDatabase t(false);
    const int bills = 30;
    MakeAuditBills(t, bills);
    int inside = 0, kills = 0;
    const std::string damage = KillAudits(t, bills, 30, false, inside, kills);
    std::cout << "kill/broken audit: damage found after " << kills << " kills: " << damage.substr(0, 120) << "\n";
    EXPECT_FALSE(damage.empty()) << "30 kills of an audit without a transaction left no half-done bill";
}
