// A commit survives a file dialog opening and closing the database's files in our process while
// other processes commit and leave: with per-process POSIX locks that close() drops our locks, the
// next process to leave checkpoints and deletes the -wal we still use, and a later commit is undone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "support/ChildProcess.h"
#include "support/TestDatabase.h"

using namespace std::chrono_literals;
using testing_support::ChildProcess;

namespace {

class LockLoss : public ::testing::Test {
protected:
    LockLoss() : t(false) {}

    void SetUp() override {
        if (testing_support::UnderPg()) GTEST_SKIP() << "the locks of a database file; a server keeps its own";
        for (auto r : {"删除", "记帐", "查看所有用户"}) t.Grant("0001", r);
        for (auto lsh : {"1", "2", "3", "4"})  // 1 audited: ready to post
            t.StoreBill({.lsh = lsh, .shbz = lsh == std::string("1"), .lines = {{"A100", 1, 2}, {"A200", 1, 2}}});
        t.Db().Close();  // one connection per process, as in the field
        data::Host().BranchMode = data::ByBranch;
    }

    // What a file dialog does to the folder it lists: every file opened, its head read, closed.
    void ReadFolderLikeAFileDialog() {
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(t.Path()).parent_path())) {
            const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            char head[4096];
            [[maybe_unused]] const ssize_t n = ::read(fd, head, sizeof head);
            ::close(fd);
        }
    }

    // Runs another process to its successful end: its output without the line end.
    static std::string Run(const std::string& program, const std::vector<std::string>& args) {
        std::string out;
        EXPECT_EQ(ChildProcess::Run(program, args, 60s, &out), 0) << out;
        while (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }
    std::string Actor(const std::string& command, const std::string& arg) { return Run(SPB_RELIABILITY_OPERATOR, {t.ConnStr(), command, arg}); }
    std::string Seen(const std::string& sql) { return Actor("scalar", sql); }

    // Our process holds a connection and lists the folder; the other one posts bill 1; we delete
    // bill 2; the other one must see that, deletes bill 3 and leaves; then we leave.
    void OneFileTwoProcesses(const std::function<std::string(const std::string&)>& other) {
        db::Connection a;
        a.Open(t.ConnStr());
        a.OpenRecordset("select count(*) from SubAdjuctPrice").Close();
        ReadFolderLikeAFileDialog();
        other("Update SubAdjuctPrice Set Jzbz=1 Where Lsh='1' And Shbz=1");
        a.BeginTrans();
        a.Execute("DELETE FROM SubAdjuctPrice WHERE LSH='2' AND SHBZ=0");
        a.Execute("Delete From SubAdjuctPriceMX WHERE LSH='2'");
        a.CommitTrans();
        EXPECT_EQ(other("select count(*) from SubAdjuctPrice where lsh='2'"), "0") << "committed but not in the file";
        other("delete from SubAdjuctPrice where lsh='3'; delete from SubAdjuctPricemx where lsh='3';");
        a.Close();
        ExpectLeft("1:1,4:0");
    }

    void ExpectLeft(const std::string& headers) {
        EXPECT_EQ(Seen("select group_concat(h, ',') from (select lsh || ':' || jzbz as h from SubAdjuctPrice order by lsh)"), headers);
        EXPECT_EQ(Seen("select count(*) from SubAdjuctPricemx"), "4");
        EXPECT_EQ(Seen("pragma integrity_check"), "ok");
    }

    testing_support::TestDatabase t;
};

}  // namespace

TEST_F(LockLoss, AnotherProcessOfOurs) {
    OneFileTwoProcesses([&](const std::string& sql) { return Actor(sql.rfind("select", 0) == 0 ? "scalar" : "exec", sql); });
}

TEST_F(LockLoss, TheSqliteShell) {
    if (access("/usr/bin/sqlite3", X_OK) != 0) GTEST_SKIP() << "no sqlite3 shell";
    OneFileTwoProcesses([&](const std::string& sql) { return Run("/usr/bin/sqlite3", {"-cmd", ".timeout 10000", t.Path(), sql}); });
}

// The same through the browser, with each process's own commands.
TEST_F(LockLoss, ThreeOperatorsThroughTheBrowser) {
    t.OpenHostConnection("0001", "系统管理员");
    {
        browser::FrmBrowser w;
        t.Toolkit().OnShow("FrmBrowser", [&](ui::Window&) {
            for (int r = 1; r < w.Vs.Rows(); ++r)
                if (w.Vs.TextMatrix(r, 1) == "2") w.Vs.SetTextMatrix(r, 0, browser::kMark);
            ReadFolderLikeAFileDialog();
            Actor("post", "1");
            t.Toolkit().QueueAnswer(ui::Answer::Yes);
            w.DeleteSelected();
            Actor("delete", "3");
        });
        w.ShowModal();
    }
    t.CloseHostConnection();
    for (const auto& m : t.Toolkit().Messages()) EXPECT_NE(m.message.buttons, ui::Buttons::Ok) << m.message.text;
    ExpectLeft("1:1,4:0");
}
