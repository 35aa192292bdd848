// Two operators, many rounds: two processes work on one database through the editor and the
// browser — new bills, lines added, amended and deleted, audits, posting, bills deleted, each
// other's bills included — for a fixed number of rounds (SPB_STRESS_ROUNDS, default 300 each) and
// a bounded time. Afterwards every line has its header, serials are unique, every audited bill's
// prices are in glprice and no price row was lost, and every command either took effect or showed
// its message.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TestDatabase.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::TestDatabase;

namespace {

int Rounds() {
    const char* v = std::getenv("SPB_STRESS_ROUNDS");
    return v && std::atoi(v) > 0 ? std::atoi(v) : 300;
}

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
    bool done = false;
    long long start = 0, end = 0;
};

Command Parse(const std::string& line) {
    Command c;
    std::istringstream in(line);
    std::string word, n, bill, outcome;
    in >> word >> n >> c.command >> bill >> outcome;
    c.bill = bill.substr(0, bill.find('/'));
    c.done = outcome == "done";
    if (auto t = line.rfind(" t="); t != std::string::npos) {
        c.start = std::atoll(line.c_str() + t + 3);
        c.end = std::atoll(line.c_str() + line.find('-', t) + 1);
    }
    return c;
}

}  // namespace

TEST(Stress, TwoOperatorsManyRounds) {
    TestDatabase t(true, 300);
    const std::string first = t.Scalar("select tjbh from gl_custom order by tjbh limit 1");
    const std::string second = t.Scalar("select tjbh from gl_custom order by tjbh limit 1 offset 1");
    auto pairs = [&] {
        std::set<std::string> s;
        auto rs = t.Db().OpenRecordset("select HH, DWBH from glprice");
        for (long i = 0; i < rs.RecordCount(); ++i) s.insert(rs.At(i, 0).ToText() + "@" + rs.At(i, 1).ToText());
        return s;
    };
    const std::set<std::string> pricesBefore = pairs();
    const int rounds = Rounds();

    const auto start = std::chrono::steady_clock::now();
    ChildProcess a(SPB_RELIABILITY_OPERATOR, {t.ConnStr(), "stress", "甲", first, std::to_string(rounds), "11"});
    ChildProcess b(SPB_RELIABILITY_OPERATOR, {t.ConnStr(), "stress", "乙", second, std::to_string(rounds), "22"});
    const int rcA = a.Wait(600s), rcB = b.Wait(600s);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_FALSE(a.TimedOut() || b.TimedOut()) << "an operator hung";
    ASSERT_EQ(rcA, 0) << a.Output();
    ASSERT_EQ(rcB, 0) << b.Output();

    std::cout << "stress: 2 operators x " << rounds << " rounds in " << seconds << " s\n";
    // A command that neither took effect nor showed a message is accepted only where the other
    // operator, at the same time, deleted or changed that bill (a whole bill, a line of it, a
    // line's price) or, the bill deleted, made a new one under the freed serial (numbering takes
    // the highest number plus one).
    for (const auto* op : {&a, &b}) {
        const ChildProcess& other = op == &a ? b : a;
        for (const auto& s : Lines(op->Output(), "summary")) std::cout << "  " << s << "\n";
        for (const auto& s : Lines(op->Output(), "round ")) {
            if (s.find(" unconfirmed:") == std::string::npos) continue;
            const Command mine = Parse(s);
            bool explained = false;
            std::string others;
            for (const auto& o : Lines(other.Output(), "round ")) {
                const Command theirs = Parse(o);
                if (theirs.bill != mine.bill) continue;
                others += "\n    other: " + o;
                const bool changes = theirs.command == "delete-bill" || theirs.command == "delete-line" ||
                                     theirs.command == "amend-line" || theirs.command == "new" || theirs.command == "add-line";
                if (theirs.done && changes && theirs.start <= mine.end && theirs.end >= mine.start) explained = true;
            }
            EXPECT_TRUE(explained) << "silent: " << s << others;
        }
    }

    // Every line has its header; serials are unique.
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricemx m where not exists (select 1 from SubAdjuctPrice h where h.lsh=m.lsh)"),
              "0");
    EXPECT_EQ(t.Scalar("select count(*) - count(distinct lsh) from SubAdjuctPrice"), "0");
    // Every audited bill's lines are priced at its target; no price row was lost.
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricemx m inner join SubAdjuctPrice h on h.lsh=m.lsh where h.shbz=1 and "
                       "not exists (select 1 from glprice g where g.HH=m.hh and g.DWBH=h.dwbh)"),
              "0");
    const std::set<std::string> pricesAfter = pairs();
    for (const auto& p : pricesBefore) EXPECT_TRUE(pricesAfter.count(p)) << "price row lost: " << p;
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
    std::cout << "  " << checked << " audited prices checked\n";
    EXPECT_GT(checked, 0) << "no audit succeeded: the run proves little";
    if (!testing_support::UnderPg()) {
        EXPECT_EQ(t.Scalar("pragma integrity_check"), "ok");
    }
    RecordProperty("rounds", rounds);
    RecordProperty("seconds", static_cast<int>(seconds));
}
