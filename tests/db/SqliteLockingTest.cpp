// The embedded driver's locks belong to its connections' own open file descriptions: another
// descriptor of the same file opened and closed in this process leaves them in place, and the
// usual WAL house-keeping (the last connection to leave removes -wal and -shm) still happens.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

namespace {

// The kinds ("OFDLCK", "POSIX") of the locks held on a file, one entry per lock, from /proc/locks.
std::vector<std::string> LockKinds(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    const std::string inode = ":" + std::to_string(st.st_ino) + " ";
    std::vector<std::string> kinds;
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        if (line.find(inode) == std::string::npos || line.find("->") != std::string::npos) continue;
        std::istringstream fields(line);
        std::string number, kind;
        fields >> number >> kind;
        kinds.push_back(kind);
    }
    return kinds;
}

void OpenAndClose(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0) << path;
    ::close(fd);
}

}  // namespace

TEST(SqliteLocking, LocksSurviveAnotherDescriptorOfTheSameFileBeingClosed) {
    TestDatabase t;
    t.Db().Close();
    db::Connection c;
    c.Open(t.ConnStr());
    c.OpenRecordset("select count(*) from SubAdjuctPrice").Close();  // WAL readers keep their locks
    const auto before = LockKinds(t.Path());
    const auto shmBefore = LockKinds(t.Path() + "-shm");
    ASSERT_FALSE(before.empty());
    ASSERT_FALSE(shmBefore.empty());
    for (const auto& k : before) EXPECT_EQ(k, "OFDLCK");
    for (const auto& k : shmBefore) EXPECT_EQ(k, "OFDLCK");

    for (const char* suffix : {"", "-wal", "-shm"}) OpenAndClose(t.Path() + suffix);
    EXPECT_EQ(LockKinds(t.Path()), before);
    EXPECT_EQ(LockKinds(t.Path() + "-shm"), shmBefore);
    c.Close();
    EXPECT_TRUE(LockKinds(t.Path()).empty());
}

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
