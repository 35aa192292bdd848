// A NUL in a statement is refused at once, not spun on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>

#include "db/Error.h"
#include "support/TestDatabase.h"

TEST(Hang, NulByteInAStatementIsRefusedNotSpunOn) {
    testing_support::TestDatabase t;
    auto done = std::async(std::launch::async, [&] {
        for (const std::string& sql : {std::string("select 1;\0", 10),
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
    if (done.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        std::fprintf(stderr, "hung on a NUL\n");  // the thread cannot be stopped
        std::_Exit(1);
    }
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), "0");
}
