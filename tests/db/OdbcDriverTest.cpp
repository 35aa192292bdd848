// The ODBC driver itself, on the test database opened through the SQLite ODBC driver whatever
// backend the suite runs on, checked against the embedded driver on the same file.
#ifdef SPB_HAVE_ODBC
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "db/Connection.h"
#include "db/Error.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

namespace {

class OdbcDriver : public ::testing::Test {
protected:
    void SetUp() override {
        odbc.Open(testing_support::OdbcConnectionString(t.Path()));
        embedded.Open("Provider=SQLite;Data Source=" + t.Path());
    }
    TestDatabase t;
    db::Connection odbc, embedded;
};

struct OpenFailure {
    db::Error error{0, ""};
    std::chrono::milliseconds took{};
};

// How `open` fails: its error, how long it took, and that the password is nowhere in the message.
OpenFailure FailToOpen(const std::string& connectionString) {
    db::Connection c;
    const auto start = std::chrono::steady_clock::now();
    try {
        c.Open(connectionString);
    } catch (const db::Error& e) {
        EXPECT_FALSE(c.IsOpen());
        EXPECT_EQ(e.Description().find("topsecret"), std::string::npos) << e.Description();
        return {e, std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)};
    }
    ADD_FAILURE() << "opened " << connectionString;
    return {};
}

// A TCP port on the loopback address that accepts connections and never answers.
struct SilentServer {
    SilentServer() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), len) != 0 || listen(fd, 4) != 0 ||
            getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            ADD_FAILURE() << "no loopback listener";
        port = ntohs(a.sin_port);
    }
    ~SilentServer() {
        if (fd >= 0) close(fd);
    }
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
};

}  // namespace

TEST_F(OdbcDriver, ReportsTheEmbeddedDriversTypeClassesAndValues) {
    ASSERT_EQ(odbc.DriverName(), "odbc");
    embedded.Execute(
        "create table probe (a smallint, b int, c tinyint, d bigint, e bit, f real, g float, h numeric(18,4), "
        "i decimal(10,2), j money, k datetime, l date, m varchar(20), n nvarchar(10), o text)");
    embedded.Execute(
        "insert into probe values (-7, 70000, 200, 9000000000, 1, 0.5, 2.25, 12.5, 3.75, 19.99, '2026-12-06 08:30:00', "
        "'2026-01-02', '张三', 'N', 'long'), (NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL)");
    for (const char* q : {"select * from probe order by a desc",
                          "select max( (cast(a as int)) ) as mx, count(*) as n, sum(h) as total, max(k) as latest, min(m) from probe",
                          "select max( (cast(a as int)) ) as mx, count(*) as n, max(k) as latest from probe where 1=0",
                          "select a + 1 as expr, m + n as joined from probe where a is not null"}) {
        SCOPED_TRACE(q);
        auto want = embedded.OpenRecordset(q);
        auto got = odbc.OpenRecordset(q);
        ASSERT_EQ(got.FieldCount(), want.FieldCount());
        ASSERT_EQ(got.RecordCount(), want.RecordCount());
        for (int f = 0; f < want.FieldCount(); ++f) {
            EXPECT_EQ(got.Field(f).name, want.Field(f).name);
            EXPECT_EQ(got.Field(f).type, want.Field(f).type) << want.Field(f).name;
            for (int r = 0; r < want.RecordCount(); ++r) EXPECT_EQ(got.At(r, f), want.At(r, f)) << want.Field(f).name << " row " << r;
        }
    }
    // The classes and values themselves, so that both drivers cannot be wrong alike.
    auto rs = odbc.OpenRecordset("select a, e, d, h, k, m from probe order by a desc");
    const std::pair<db::DataType, db::Value> expected[] = {
        {db::DataType::SmallInt, db::Value::Int16(-7)},        {db::DataType::Boolean, db::Value::Bool(true)},
        {db::DataType::BigInt, db::Value::Int64(9000000000)},  {db::DataType::Numeric, db::Value::Double(12.5)},
        {db::DataType::DBTimeStamp, db::Value::Date({2026, 12, 6, 8, 30, 0})}, {db::DataType::VarWChar, db::Value::Text("张三")}};
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(rs.Field(f).type, expected[f].first) << rs.Field(f).name;
        EXPECT_EQ(rs.At(0, f), expected[f].second) << rs.Field(f).name;
        EXPECT_TRUE(rs.At(1, f).IsNull()) << rs.Field(f).name;
    }
    auto none = odbc.OpenRecordset("select max( (cast(a as int)) ) as mx, count(*) as n from probe where 1=0");
    EXPECT_EQ(none.Field("mx").type, db::DataType::Integer);  // an aggregate over no rows keeps its class
    EXPECT_TRUE(none.Get("mx").IsNull());
}

// Written through ODBC, read back by the embedded driver as the same UTF-8.
TEST_F(OdbcDriver, TextRoundTripsAsUtf8WhateverItsLength) {
    std::string chinese = "分支机构调价单 “总部” 𠀋 ✓", longText;  // 𠀋 lies outside the 16-bit plane
    while (longText.size() < 30000) longText += "长文本 long text ";
    odbc.Execute("insert into SubAdjuctPrice (lsh,bz,czry,shbz,jzbz) values ('1','" + chinese + "','" + longText + "',0,0)");
    auto rs = odbc.OpenRecordset("select bz as 备注 from SubAdjuctPrice where bz = '" + chinese + "'");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Field(0).name, "备注");
    auto back = embedded.OpenRecordset("select bz, czry from SubAdjuctPrice");
    EXPECT_EQ(back.Get(0).ToText(), chinese);
    EXPECT_EQ(back.Get(1).ToText(), longText);
}

TEST(OdbcConnect, UnknownDriverOrDataSourceFailsAtOnceWithOneMessage) {
    for (const char* wrong : {"Driver=NoSuchDriver;Server=hq;UID=sa;PWD=topsecret",
                              "Provider=SQLOLEDB;Data Source=hq;User ID=sa;Password=topsecret;ODBC Driver=NoSuchDriver"}) {
        auto [e, took] = FailToOpen(wrong);
        EXPECT_EQ(e.Code(), db::ErrorCode::ConnectionFailed);
        EXPECT_NE(e.Description().find("NoSuchDriver"), std::string::npos) << e.Description();
        EXPECT_NE(e.Description().find("SQLite3"), std::string::npos) << e.Description();  // what is installed
        EXPECT_LT(took, std::chrono::seconds(2));
    }
    const auto dsn = FailToOpen("DSN=NoSuchShop;PWD=topsecret").error;
    EXPECT_EQ(dsn.SqlState(), "IM002");
    EXPECT_NE(dsn.Description().find("NoSuchShop"), std::string::npos) << dsn.Description();
    EXPECT_NE(FailToOpen("Provider=SQLOLEDB;Data Source=hq;Integrated Security=SSPI").error.Description().find("Windows"),
              std::string::npos);
}

TEST(OdbcConnect, UnreachableOrSilentServerFailsWithinTheLoginTimeout) {
    const std::string account = ";Initial Catalog=shop;User ID=sa;Password=topsecret;Connect Timeout=2";
    auto [refused, refusedTook] = FailToOpen("Provider=SQLOLEDB;Data Source=127.0.0.1,1" + account);
    if (refused.SqlState() == "IM002") GTEST_SKIP() << "FreeTDS is not registered with unixODBC";
    EXPECT_EQ(refused.Code(), db::ErrorCode::ConnectionFailed);
    EXPECT_NE(refused.Description().find("Server=127.0.0.1;Port=1"), std::string::npos) << refused.Description();
    EXPECT_NE(refused.Description().find("[FreeTDS]"), std::string::npos) << refused.Description();
    EXPECT_LT(refusedTook, std::chrono::seconds(3));

    SilentServer silent;
    auto [timedOut, took] = FailToOpen("Provider=SQLOLEDB;Data Source=127.0.0.1," + std::to_string(silent.port) + account);
    EXPECT_EQ(timedOut.Code(), db::ErrorCode::ConnectionFailed);
    EXPECT_GE(took, std::chrono::milliseconds(1500));
    EXPECT_LT(took, std::chrono::seconds(8));
}

#endif  // SPB_HAVE_ODBC
