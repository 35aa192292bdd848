// Two operator processes on one database for many rounds (SPB_STRESS_ROUNDS, default 300 each).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TestDatabase.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;

namespace {

std::vector<std::string> Lines(const std::string& text, const std::string& prefix) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
}

// One line of an operator's log: "round N COMMAND LSH[/DH] OUTCOME ... t=START-END".
struct Command {
    std::string command, bill;
    bool done;
    long long start, end;
};

Command Parse(const std::string& line) {
    std::istringstream in(line);
    std::string word, n, command, bill, outcome;
    in >> word >> n >> command >> bill >> outcome;
    const auto t = line.rfind(" t=");
    return {command, bill.substr(0, bill.find('/')), outcome == "done", std::atoll(line.c_str() + t + 3),
            std::atoll(line.c_str() + line.find('-', t) + 1)};
}

}  // namespace

TEST(Stress, TwoOperatorsManyRounds) {
    testing_support::TestDatabase t(true, 300);
    t.Exec("create table prices_before (HH varchar(20), DWBH varchar(20))");
    t.Exec("insert into prices_before select HH, DWBH from glprice");
    const char* env = std::getenv("SPB_STRESS_ROUNDS");
    const std::string rounds = env && std::atoi(env) > 0 ? env : "300";
    auto branch = [&](int n) { return t.Scalar("select tjbh from gl_custom order by tjbh limit 1 offset " + std::to_string(n)); };
    ChildProcess a(SPB_RELIABILITY_OPERATOR, {t.ConnStr(), "stress", "甲", branch(0), rounds, "11"});
    ChildProcess b(SPB_RELIABILITY_OPERATOR, {t.ConnStr(), "stress", "乙", branch(1), rounds, "22"});
    const int rcA = a.Wait(600s), rcB = b.Wait(600s);
    ASSERT_FALSE(a.TimedOut() || b.TimedOut()) << "an operator hung";
    ASSERT_EQ(rcA, 0) << a.Output();
    ASSERT_EQ(rcB, 0) << b.Output();

    // A command that neither took effect nor showed a message is accepted only where the other
    // operator, at the same time, changed or deleted that bill, or made a new one under the serial
    // its delete freed.
    for (const auto* op : {&a, &b}) {
        const ChildProcess& other = op == &a ? b : a;
        for (const auto& s : Lines(op->Output(), "round ")) {
            if (s.find(" unconfirmed:") == std::string::npos) continue;
            const Command mine = Parse(s);
            bool explained = false;
            std::string others;
            for (const auto& o : Lines(other.Output(), "round ")) {
                const Command theirs = Parse(o);
                if (theirs.bill != mine.bill) continue;
                others += "\n    other: " + o;
                explained |= theirs.done && theirs.command != "audit" && theirs.command != "post" && theirs.start <= mine.end &&
                             theirs.end >= mine.start;
            }
            EXPECT_TRUE(explained) << "silent: " << s << others;
        }
    }

    const std::pair<const char*, const char*> broken[] = {
        {"a line without its header",
         "select count(*) from SubAdjuctPricemx m where not exists (select 1 from SubAdjuctPrice h where h.lsh=m.lsh)"},
        {"a serial twice", "select count(*) - count(distinct lsh) from SubAdjuctPrice"},
        {"an audited line without its price",
         "select count(*) from SubAdjuctPricemx m inner join SubAdjuctPrice h on h.lsh=m.lsh where h.shbz=1 and "
         "not exists (select 1 from glprice g where g.HH=m.hh and g.DWBH=h.dwbh)"},
        {"a price row lost",
         "select count(*) from prices_before b where not exists (select 1 from glprice g where g.HH=b.HH and g.DWBH=b.DWBH)"},
    };
    for (const auto& [what, sql] : broken) EXPECT_EQ(t.Scalar(sql), "0") << what;
    // The newest price each operator audited is the one in force.
    int checked = 0;
    for (const auto* op : {&a, &b}) {
        for (const auto& e : Lines(op->Output(), "expect ")) {
            std::istringstream in(e.substr(7));
            std::string hh, dwbh, price;
            in >> hh >> dwbh >> price;
            EXPECT_EQ(t.Scalar("select SELLPRICE from glprice where HH='" + hh + "' and DWBH='" + dwbh + "'"), price) << e;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0) << "no audit succeeded: the run proves little";
    if (!testing_support::UnderPg()) {
        EXPECT_EQ(t.Scalar("pragma integrity_check"), "ok");
    }
}
