// The last connection to leave the file checkpoints and removes -wal and -shm, and not before.
#include <gtest/gtest.h>

#include <filesystem>

#include "db/Connection.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

TEST(SqliteLocking, TheLastConnectionToLeaveCheckpointsAndRemovesTheWal) {
    TestDatabase t;
    t.Db().Close();
    namespace fs = std::filesystem;
    {
        db::Connection first, second;
        first.Open(t.ConnStr());
        second.Open(t.ConnStr());
        first.Execute("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('1',0,0)");
        first.Close();
        EXPECT_TRUE(fs::exists(t.Path() + "-wal")) << "removed while the second connection uses it";
        EXPECT_EQ(second.OpenRecordset("select count(*) from SubAdjuctPrice").Get(0).ToInt32(), 1);
    }
    EXPECT_FALSE(fs::exists(t.Path() + "-wal"));
    EXPECT_FALSE(fs::exists(t.Path() + "-shm"));
    t.Db().Open(t.ConnStr());
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), "1");
}
