// The common database faults reach the operator as one Chinese sentence with the driver's own
// text after it, and no message grows beyond what a message box can show.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "db/Fault.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

namespace {

// The description of the error `fn` throws.
template <typename F>
std::string Failure(F fn) {
    try {
        fn();
    } catch (const db::Error& e) {
        return e.Description();
    }
    ADD_FAILURE() << "no error";
    return {};
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

TEST(FaultMessage, ReadOnlyMissingTableAndFullDiskSayWhatHappenedInChinese) {
    TestDatabase t;
    const bool server = testing_support::UnderPg();
    std::string m = Failure([&] { t.Exec("select * from NoSuchTable"); });
    // A server folds a name that is not quoted to lower case before it names it.
    EXPECT_TRUE(StartsWith(m, server ? "数据库中缺少表“nosuchtable”。\n" : "数据库中缺少表“NoSuchTable”。\n")) << m;
    EXPECT_NE(m.find(server ? "does not exist" : "no such table"), std::string::npos) << "the driver's own text follows: " << m;

    // The database refuses writes as a read-only file (or a standby server) does.
    t.Exec(server ? "set default_transaction_read_only = on" : "pragma query_only=1");
    m = Failure([&] { t.Exec("DELETE FROM SubAdjuctPrice WHERE LSH='1' AND SHBZ=0"); });
    EXPECT_TRUE(StartsWith(m, "数据库是只读的，不能保存修改。")) << m;
    EXPECT_NE(m.find(server ? "read-only" : "readonly"), std::string::npos) << m;
    t.Exec(server ? "set default_transaction_read_only = off" : "pragma query_only=0");
    if (server) return;  // the disk of a server is not the test's to fill

    const std::string pages = t.Scalar("pragma page_count");
    t.Exec("pragma max_page_count=" + pages);  // no room to grow, as on a full disk
    m = Failure([&] {
        for (int i = 0; i < 200; ++i)
            t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm) values ('x','" + std::to_string(i) + "','h','" +
                   std::string(2000, 'p') + "')");
    });
    EXPECT_TRUE(StartsWith(m, "磁盘空间已满，不能写入数据库。\n")) << m;
}

TEST(FaultMessage, AFileThatIsNoDatabaseOrIsCorrupt) {
    TestDatabase t;
    const std::string other = t.Path() + ".txt";
    std::ofstream(other) << std::string(8192, 'x');
    std::string m = Failure([&] {
        db::Connection c;
        c.Open("Provider=SQLite;Data Source=" + other);
        c.Execute("select count(*) from SubAdjuctPrice");
    });
    EXPECT_TRUE(StartsWith(m, "所打开的文件不是数据库。\n")) << m;
    EXPECT_NE(m.find(other), std::string::npos) << "names the file: " << m;

    // Pages of a table overwritten: the header still says "SQLite format 3".
    t.Exec("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('1',0,0)");
    t.Db().Close();
    {
        std::fstream f(t.Path(), std::ios::in | std::ios::out | std::ios::binary);
        const auto size = std::filesystem::file_size(t.Path());
        f.seekp(4096);
        f << std::string(size - 4096, '\xA5');
    }
    m = Failure([&] {
        db::Connection c;
        c.Open(t.ConnStr());
        c.Execute("select * from SubAdjuctPrice");
    });
    EXPECT_TRUE(StartsWith(m, "数据库文件已损坏，请通知系统管理员。\n")) << m;
}

TEST(FaultMessage, WhatAMessageQuotesIsCutToAScreen) {
    SPB_SKIP_UNDER_ODBC("the embedded driver's file name");
    const std::string huge = "/nonexistent/" + std::string(10 * 1024 * 1024, 'd') + ".db";
    const auto start = std::chrono::steady_clock::now();
    const std::string m = Failure([&] { db::Connection().Open("Provider=SQLite;Data Source=" + huge); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    // The system's words follow in its language, not as a C++ exception's text.
    EXPECT_TRUE(StartsWith(m, "无法访问数据库文件：/nonexistent/ddd")) << m.substr(0, 100);
    EXPECT_EQ(m.find("filesystem error"), std::string::npos) << m.substr(0, 300);
    EXPECT_LT(m.size(), 400u);

    // Any description is cut to a screen: lines and bytes.
    const db::Error many(db::ErrorCode::Generic, std::string(200, 'x') + std::string(100, '\n') + "end");
    EXPECT_LE(std::count(many.Description().begin(), many.Description().end(), '\n'), 31);
    const db::Error wide(db::ErrorCode::Generic, std::string(100000, 'w'));
    EXPECT_LE(wide.Description().size(), 2010u);
}

TEST(FaultMessage, MissingTableIsNamedInEachDriversWords) {
    const std::pair<const char*, const char*> cases[] = {
        {"no such table: yw_kck", "yw_kck"},
        {"[FreeTDS][SQL Server]Invalid object name 'GLSelect'.", "GLSelect"},
        {"ERROR: relation \"glselect\" does not exist;\nError while executing the query", "glselect"},
        {"ERROR: relation \"glselect\" already exists", ""},
    };
    for (const auto& [message, table] : cases) EXPECT_EQ(db::MissingTableName(message), table) << message;
}
