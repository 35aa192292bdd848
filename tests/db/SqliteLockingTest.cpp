// The embedded driver's locks belong to its connections' own open file descriptions: another
// descriptor of the same file opened and closed in this process leaves them in place, and the
// usual WAL house-keeping (the last connection to leave removes -wal and -shm) still happens.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "db/Connection.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

namespace {

// The kinds ("OFDLCK", "POSIX") of the locks held on a file, one word per lock, from /proc/locks.
std::string LockKinds(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    char file[64];  // as /proc/locks names it: device and inode, for the inode alone may recur on other devices
    std::snprintf(file, sizeof file, " %02x:%02x:%llu ", major(st.st_dev), minor(st.st_dev), static_cast<unsigned long long>(st.st_ino));
    std::string kinds;
    std::ifstream locks("/proc/locks");
    for (std::string line, number, kind; std::getline(locks, line);) {
        if (line.find(file) == std::string::npos || line.find("->") != std::string::npos) continue;
        std::istringstream(line) >> number >> kind;
        kinds += kind + " ";
    }
    return kinds;
}

}  // namespace

TEST(SqliteLocking, LocksSurviveAnotherDescriptorOfTheSameFileBeingClosed) {
    TestDatabase t;
    t.Db().Close();
    db::Connection c;
    c.Open(t.ConnStr());
    c.OpenRecordset("select count(*) from SubAdjuctPrice").Close();  // WAL readers keep their locks
    const auto before = LockKinds(t.Path()), shmBefore = LockKinds(t.Path() + "-shm");
    for (const auto& kinds : {before, shmBefore}) {
        ASSERT_FALSE(kinds.empty());
        for (size_t at = 0; at < kinds.size(); at += 7) EXPECT_EQ(kinds.substr(at, 7), "OFDLCK ") << kinds;
    }
    for (const char* suffix : {"", "-wal", "-shm"}) ::close(::open((t.Path() + suffix).c_str(), O_RDONLY | O_CLOEXEC));
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
