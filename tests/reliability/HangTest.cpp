// Nothing waits for ever: a NUL byte in a statement is refused at once, and a statement blocked
// by another process's transaction gives up after the command time-out the host set, on both
// drivers; without one, the embedded driver's 10 s still let a second saver wait and proceed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

#include "support/ChildProcess.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "support/TestDatabase.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::TestDatabase;

namespace {

// Runs fn on a thread of its own; a call still running after `limit` ends the whole test program
// (the thread cannot be stopped), after reporting the hang.
template <typename F>
void WithinTime(std::chrono::seconds limit, F fn) {
    auto done = std::async(std::launch::async, fn);
    if (done.wait_for(limit) == std::future_status::ready) return done.get();
    std::fprintf(stderr, "hung for more than %lld s\n", static_cast<long long>(limit.count()));
    std::fflush(stderr);
    std::_Exit(1);
}

// Another process that holds the write lock for `seconds`, started and holding when this returns.
// The held insert is the one the test then sends: SQLite's writer lock refuses any write, a server
// makes the second insert of a key wait for the first's transaction.
std::unique_ptr<ChildProcess> HoldWriteLock(const TestDatabase& t, double seconds) {
    auto child = std::make_unique<ChildProcess>(
        SPB_RELIABILITY_ACTOR,
        std::vector<std::string>{t.ConnStr(), "hold", std::to_string(seconds),
                                 "insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('mine',0,0)"});
    std::string line;
    EXPECT_TRUE(child->ReadLine(line, 30s) && line == "held") << line << child->Output();
    return child;
}

}  // namespace

TEST(Hang, NulByteInAStatementIsRefusedNotSpunOn) {
    TestDatabase t;
    WithinTime(10s, [&] {
        for (const std::string& sql : {std::string("select 1;\0 x", 11), std::string("select 1;\0", 10),
                                       std::string("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('a\0b',0,0)", 61)}) {
            try {
                t.Exec(sql);
                ADD_FAILURE() << "ran a statement with a NUL";
            } catch (const db::Error& e) {
                EXPECT_NE(e.Description().find("NUL"), std::string::npos) << e.Description();
            }
            EXPECT_THROW(t.Db().OpenRecordset(sql), db::Error);
        }
    });
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), "0");
}

TEST(Hang, BlockedStatementGivesUpAfterTheCommandTimeout) {
    TestDatabase t;
    auto holder = HoldWriteLock(t, 6);
    db::Connection c;
    c.SetCommandTimeout(1);
    c.Open(t.ConnStr());
    const auto start = std::chrono::steady_clock::now();
    std::string message;
    WithinTime(30s, [&] {
        try {
            c.BeginTrans();
            c.Execute("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('mine',0,0)");
            c.CommitTrans();
        } catch (const db::Error& e) {
            message = e.Description();
            EXPECT_EQ(e.Code(), db::ErrorCode::Timeout);
        }
    });
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 800ms);
    EXPECT_LT(waited, 4s) << "waited for the other transaction instead of the command time-out";
    EXPECT_EQ(message.rfind("数据库正忙", 0), 0u) << message;
    EXPECT_EQ(holder->Wait(30s), 0) << holder->Output();
}

TEST(Hang, WithoutACommandTimeoutASecondSaverWaitsAndProceeds) {
    SPB_SKIP_UNDER_ODBC("the embedded driver's default busy time-out");
    TestDatabase t;
    auto holder = HoldWriteLock(t, 1.5);
    db::Connection c;
    c.Open(t.ConnStr());
    const auto start = std::chrono::steady_clock::now();
    WithinTime(30s, [&] {
        c.BeginTrans();
        c.Execute("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('mine',0,0)");
        c.CommitTrans();
    });
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(holder->Wait(30s), 0) << holder->Output();
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice where lsh='mine'"), "1");
}
