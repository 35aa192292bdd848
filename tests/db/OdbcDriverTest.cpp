// The ODBC driver itself, on the test database opened through the SQLite ODBC driver whatever
// backend the suite runs on, often checked against the embedded driver on the same file.
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

using testing_support::OdbcConnectionString;
using testing_support::TestDatabase;
using Kind = db::Value::Kind;

namespace {

class OdbcDriver : public ::testing::Test {
protected:
    void SetUp() override {
        odbc.Open(OdbcConnectionString(t.Path()));
        embedded.Open("Provider=SQLite;Data Source=" + t.Path());
    }
    std::string Scalar(db::Connection& c, const std::string& sql) {
        auto rs = c.OpenRecordset(sql);
        return rs.RecordCount() == 0 ? "<no row>" : rs.Get(0).IsNull() ? "<null>" : rs.Get(0).ToText();
    }
    TestDatabase t;
    db::Connection odbc, embedded;
};

// The error `open` fails with, and how long it took.
std::pair<db::Error, std::chrono::milliseconds> OpenFailure(const std::string& connectionString) {
    db::Connection c;
    auto start = std::chrono::steady_clock::now();
    try {
        c.Open(connectionString);
    } catch (const db::Error& e) {
        EXPECT_FALSE(c.IsOpen());
        return {e, std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)};
    }
    ADD_FAILURE() << "opened " << connectionString;
    return {db::Error(0, ""), {}};
}

// A TCP port on the loopback address that accepts connections and never answers.
class SilentServer {
public:
    SilentServer() {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&a), len) != 0 || listen(fd_, 4) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            ADD_FAILURE() << "no loopback listener";
        port_ = ntohs(a.sin_port);
    }
    ~SilentServer() {
        if (fd_ >= 0) close(fd_);
    }
    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace

TEST_F(OdbcDriver, ReportsTheEmbeddedDriversTypeClassesAndValues) {
    ASSERT_EQ(odbc.DriverName(), "odbc");
    embedded.Execute(
        "create table probe (a smallint, b int, c tinyint, d bigint, e bit, f real, g float, h numeric(18,4), "
        "i decimal(10,2), j money, k datetime, l date, m varchar(20), n nvarchar(10), o text)");
    embedded.Execute(
        "insert into probe values (-7, 70000, 200, 9000000000, 1, 0.5, 2.25, 12.5, 3.75, 19.99, '2026-12-06 08:30:00', "
        "'2026-01-02', '张三', 'N', 'long')");
    embedded.Execute("insert into probe (a) values (NULL)");
    const char* queries[] = {
        "select * from probe order by a desc",
        "select max( (cast(a as int)) ) as mx, count(*) as n, sum(h) as total, max(k) as latest, min(m) from probe",
        "select max( (cast(a as int)) ) as mx, count(*) as n, max(k) as latest from probe where 1=0",
        "select a + 1 as expr, m + n as joined from probe where a is not null",
    };
    for (const char* q : queries) {
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
    // The classes themselves, from the declared types; aggregates over no rows keep theirs.
    auto none = embedded.OpenRecordset(queries[2]);
    for (const auto& [field, type] : {std::pair{"mx", db::DataType::Integer}, {"n", db::DataType::Integer}})
        EXPECT_EQ(none.Field(field).type, type) << field;
    EXPECT_TRUE(none.Get("mx").IsNull());
    auto rs = odbc.OpenRecordset("select a, e, d, h, k, m, o from probe order by a desc");
    for (const auto& [field, type] : {std::pair{"a", db::DataType::SmallInt}, {"e", db::DataType::Boolean},
                                      {"k", db::DataType::DBTimeStamp}, {"m", db::DataType::VarWChar}})
        EXPECT_EQ(rs.Field(field).type, type) << field;
    EXPECT_EQ(rs.Get("a").GetKind(), Kind::Int16);
    EXPECT_EQ(rs.Get("e"), db::Value::Bool(true));
    EXPECT_EQ(rs.Get("d"), db::Value::Int64(9000000000));
    EXPECT_EQ(rs.Field("h").type, db::DataType::Numeric);
    EXPECT_EQ(rs.Get("h"), db::Value::Double(12.5));
    EXPECT_EQ(rs.Get("k"), db::Value::Date({2026, 12, 6, 8, 30, 0}));
    EXPECT_EQ(rs.Get("m"), db::Value::Text("张三"));
    rs.MoveNext();
    for (int f = 0; f < rs.FieldCount(); ++f) EXPECT_TRUE(rs.Get(f).IsNull()) << rs.Field(f).name;
}

// Written through ODBC, read back by the embedded driver as the same UTF-8.
TEST_F(OdbcDriver, TextRoundTripsAsUtf8WhateverItsLength) {
    std::string chinese = "分支机构调价单 “总部” 𠀋 ✓", longText;  // 𠀋 lies outside the 16-bit plane
    while (longText.size() < 30000) longText += "长文本 long text ";
    odbc.Execute("insert into SubAdjuctPrice (lsh,bz,czry,shbz,jzbz) values ('1','" + chinese + "','" + longText + "',0,0)");
    auto rs = odbc.OpenRecordset("select bz as 备注 from SubAdjuctPrice where bz = '" + chinese + "'");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Field(0).name, "备注");
    EXPECT_EQ(Scalar(embedded, "select bz from SubAdjuctPrice"), chinese);
    EXPECT_EQ(Scalar(embedded, "select czry from SubAdjuctPrice"), longText);
}

TEST(OdbcConnect, UnknownDriverOrDataSourceFailsAtOnceWithOneMessage) {
    for (const char* wrong : {"Driver=NoSuchDriver;Server=hq;UID=sa;PWD=topsecret",
                              "Provider=SQLOLEDB;Data Source=hq;User ID=sa;Password=topsecret;ODBC Driver=NoSuchDriver"}) {
        auto [e, took] = OpenFailure(wrong);
        EXPECT_EQ(e.Code(), db::ErrorCode::ConnectionFailed);
        EXPECT_NE(e.Description().find("NoSuchDriver"), std::string::npos) << e.Description();
        EXPECT_NE(e.Description().find("SQLite3"), std::string::npos) << e.Description();  // what is installed
        EXPECT_EQ(e.Description().find("topsecret"), std::string::npos) << e.Description();
        EXPECT_LT(took, std::chrono::seconds(2));
    }

    auto [dsn, dsnTook] = OpenFailure("DSN=NoSuchShop;PWD=topsecret");
    EXPECT_EQ(dsn.SqlState(), "IM002");
    EXPECT_NE(dsn.Description().find("NoSuchShop"), std::string::npos) << dsn.Description();
    EXPECT_EQ(dsn.Description().find("topsecret"), std::string::npos) << dsn.Description();

    auto [sspi, sspiTook] = OpenFailure("Provider=SQLOLEDB;Data Source=hq;Integrated Security=SSPI");
    EXPECT_NE(sspi.Description().find("Windows"), std::string::npos);
}

TEST(OdbcConnect, UnreachableOrSilentServerFailsWithinTheLoginTimeout) {
    const std::string account = ";Initial Catalog=shop;User ID=sa;Password=topsecret;Connect Timeout=2";
    auto [refused, refusedTook] = OpenFailure("Provider=SQLOLEDB;Data Source=127.0.0.1,1" + account);
    if (refused.SqlState() == "IM002") GTEST_SKIP() << "FreeTDS is not registered with unixODBC";
    EXPECT_EQ(refused.Code(), db::ErrorCode::ConnectionFailed);
    EXPECT_NE(refused.Description().find("Server=127.0.0.1;Port=1"), std::string::npos) << refused.Description();
    EXPECT_NE(refused.Description().find("[FreeTDS]"), std::string::npos) << refused.Description();
    EXPECT_EQ(refused.Description().find("topsecret"), std::string::npos) << refused.Description();
    EXPECT_LT(refusedTook, std::chrono::seconds(3));

    SilentServer silent;
    auto [timedOut, took] = OpenFailure("Provider=SQLOLEDB;Data Source=127.0.0.1," + std::to_string(silent.Port()) + account);
    EXPECT_EQ(timedOut.Code(), db::ErrorCode::ConnectionFailed);
    EXPECT_EQ(timedOut.Description().find("topsecret"), std::string::npos) << timedOut.Description();
    EXPECT_GE(took, std::chrono::milliseconds(1500));
    EXPECT_LT(took, std::chrono::seconds(8));
}

#endif  // SPB_HAVE_ODBC
