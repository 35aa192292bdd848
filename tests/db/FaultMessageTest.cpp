// Database faults as one Chinese sentence with the driver's own text after it, cut to a screen.
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
#include "Thrown.h"

using testing_support::TestDatabase;

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

TEST(FaultMessage, MissingTableAndFullDiskSayWhatHappenedInChinese) {
    TestDatabase t;
    const bool server = testing_support::UnderPg();
    std::string m = Thrown([&] { t.Exec("select * from NoSuchTable"); }).Description();
    // A server folds a name that is not quoted to lower case before it names it.
    EXPECT_TRUE(StartsWith(m, server ? "数据库中缺少表“nosuchtable”。\n" : "数据库中缺少表“NoSuchTable”。\n")) << m;
    EXPECT_NE(m.find(server ? "does not exist" : "no such table"), std::string::npos) << "the driver's own text follows: " << m;
    if (server) return;  // the disk of a server is not the test's to fill

    const std::string pages = t.Scalar("pragma page_count");
    t.Exec("pragma max_page_count=" + pages);  // no room to grow, as on a full disk
    m = Thrown([&] {
        for (int i = 0; i < 200; ++i)
            t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh,pm) values ('x','" + std::to_string(i) + "','h','" +
                   std::string(2000, 'p') + "')");
    }).Description();
    EXPECT_TRUE(StartsWith(m, "磁盘空间已满，不能写入数据库。\n")) << m;
}

TEST(FaultMessage, AFileThatIsNoDatabaseOrIsCorrupt) {
    TestDatabase t;
    const std::string other = t.Path() + ".txt";
    std::ofstream(other) << std::string(8192, 'x');
    std::string m = Thrown([&] {
        db::Connection c;
        c.Open("Provider=SQLite;Data Source=" + other);
        c.Execute("select count(*) from SubAdjuctPrice");
    }).Description();
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
    m = Thrown([&] {
        db::Connection c;
        c.Open(t.ConnStr());
        c.Execute("select * from SubAdjuctPrice");
    }).Description();
    EXPECT_TRUE(StartsWith(m, "数据库文件已损坏，请通知系统管理员。\n")) << m;
}

TEST(FaultMessage, WhatAMessageQuotesIsCutToAScreen) {
    SPB_SKIP_UNDER_ODBC("the embedded driver's file name");
    const std::string huge = "/nonexistent/" + std::string(10 * 1024 * 1024, 'd') + ".db";
    const auto start = std::chrono::steady_clock::now();
    const std::string m = Thrown([&] { db::Connection().Open("Provider=SQLite;Data Source=" + huge); }).Description();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
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
        {"[FreeTDS][SQL Server]Invalid object name 'GLSelect'.", "GLSelect"},
        {"ERROR: relation \"glselect\" does not exist;\nError while executing the query", "glselect"},
        {"ERROR: relation \"glselect\" already exists", ""},
    };
    for (const auto& [message, table] : cases) EXPECT_EQ(db::MissingTableName(message), table) << message;
}
