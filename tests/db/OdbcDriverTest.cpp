// The ODBC driver on the test file through SQLite's ODBC driver, against the embedded driver.
#ifdef SPB_HAVE_ODBC
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "db/Connection.h"
#include "db/Error.h"
#include "support/TestDatabase.h"
#include "Thrown.h"

using testing_support::TestDatabase;

namespace {

struct OpenFailure {
    db::Error error{0, ""};
    std::chrono::steady_clock::duration took{};
};

// How `open` fails: its error and how long it took; the password is nowhere in the message.
OpenFailure FailToOpen(const std::string& connectionString) {
    const auto start = std::chrono::steady_clock::now();
    const db::Error e = Thrown([&] { db::Connection().Open(connectionString); });
    EXPECT_EQ(e.Code(), db::ErrorCode::ConnectionFailed);
    EXPECT_EQ(e.Description().find("topsecret"), std::string::npos) << e.Description();
    return {e, std::chrono::steady_clock::now() - start};
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

TEST(OdbcDriver, ReportsTheEmbeddedDriversTypeClassesAndValues) {
    TestDatabase t;
    db::Connection odbc, embedded;
    odbc.Open(testing_support::OdbcConnectionString(t.Path()));
    embedded.Open("Provider=SQLite;Data Source=" + t.Path());
    ASSERT_EQ(odbc.DriverName(), "odbc");
    embedded.Execute(
        "create table probe (a smallint, b int, c tinyint, d bigint, e bit, f real, g float, h numeric(18,4), "
        "i decimal(10,2), j money, k datetime, l date, m varchar(20), n nvarchar(10), o text)");
    embedded.Execute(
        "insert into probe values (-7, 70000, 200, 9000000000, 1, 0.5, 2.25, 12.5, 3.75, 19.99, '2026-12-06 08:30:00', "
        "'2026-01-02', '张三', 'N', 'long'), (NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL)");
    for (const char* q : {"select * from probe order by a desc",
                          "select max( (cast(a as int)) ) as mx, count(*) as n, sum(h) as total, max(k) as latest, min(m) from probe",
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
    // The classes and values themselves: both drivers could be wrong alike.
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

TEST(OdbcConnect, UnknownDriverOrDataSourceFailsAtOnceWithOneMessage) {
    for (const char* wrong : {"Driver=NoSuchDriver;Server=hq;UID=sa;PWD=topsecret",
                              "Provider=SQLOLEDB;Data Source=hq;User ID=sa;Password=topsecret;ODBC Driver=NoSuchDriver"}) {
        auto [e, took] = FailToOpen(wrong);
        EXPECT_NE(e.Description().find("NoSuchDriver"), std::string::npos) << e.Description();
        EXPECT_NE(e.Description().find("SQLite3"), std::string::npos) << e.Description();  // what is installed
        EXPECT_LT(took, std::chrono::seconds(2));
    }
    const auto dsn = FailToOpen("DSN=NoSuchShop;PWD=topsecret").error;
    EXPECT_EQ(dsn.SqlState(), "IM002");
    EXPECT_NE(dsn.Description().find("NoSuchShop"), std::string::npos) << dsn.Description();
}

TEST(OdbcConnect, UnreachableOrSilentServerFailsWithinTheLoginTimeout) {
    const std::string account = ";Initial Catalog=shop;User ID=sa;Password=topsecret;Connect Timeout=2";
    auto [refused, refusedTook] = FailToOpen("Provider=SQLOLEDB;Data Source=127.0.0.1,1" + account);
    if (refused.SqlState() == "IM002") GTEST_SKIP() << "FreeTDS is not registered with unixODBC";
    EXPECT_NE(refused.Description().find("Server=127.0.0.1;Port=1"), std::string::npos) << refused.Description();
    EXPECT_NE(refused.Description().find("[FreeTDS]"), std::string::npos) << refused.Description();
    EXPECT_LT(refusedTook, std::chrono::seconds(3));

    SilentServer silent;
    auto [timedOut, took] = FailToOpen("Provider=SQLOLEDB;Data Source=127.0.0.1," + std::to_string(silent.port) + account);
    EXPECT_GE(took, std::chrono::milliseconds(1500));
    EXPECT_LT(took, std::chrono::seconds(8));
}

// Results read in blocks of rows (SQLite's ODBC driver; the PostgreSQL cluster when SPB_PG_CONNSTR
// names it): every value of every row as written, at the blocks' edges as well.
namespace {

constexpr int kRows = 1000;  // four blocks and then some

bool IsLong(int n) { return n == 255 || n == 256 || n == 300 || n == 999; }
bool IsNullRow(int n) { return n % 97 == 50; }  // 50, 147, 244, 341 ...: NULL in every column but n

// A text longer than any bound buffer, different for each row, ending in a character outside the
// 16-bit plane so that a cut between the halves of a surrogate pair shows as well.
std::string LongText(int n) {
    std::string s;
    while (s.size() < 9000) s += "调价单备注" + std::to_string(n) + " ";
    return s + "𠀋";
}

// The values of row n: n, i bigint, r float, x numeric(18,4), d datetime, t text.
std::vector<db::Value> Expected(int n) {
    if (IsNullRow(n)) return {db::Value::Int32(n), db::Value::Null(), db::Value::Null(), db::Value::Null(), db::Value::Null(),
                              db::Value::Null()};
    return {db::Value::Int32(n),
            db::Value::Int64(10000000000LL + n),
            db::Value::Double(n + 0.5),
            db::Value::Double(n / 4.0),
            db::Value::Date({2026, 1 + n % 12, 1 + n % 28, n % 24, n % 60, n % 59}),
            db::Value::Text(IsLong(n) ? LongText(n) : "货" + std::to_string(n))};
}

std::string Literal(const db::Value& v) {
    if (v.IsNull()) return "NULL";
    if (v.GetKind() == db::Value::Kind::Text || v.GetKind() == db::Value::Kind::Date) return "'" + v.ToText() + "'";
    return v.ToText();
}

struct Backend {
    const char* name;
    const char* textType;  // a declared width far below the long texts
    const char* dateType;
};

class OdbcBlockFetch : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        const Backend& b = GetParam();
        if (std::string(b.name) == "Postgres") {
            const char* cs = std::getenv("SPB_PG_CONNSTR");
            if (!cs || !*cs) GTEST_SKIP() << "SPB_PG_CONNSTR is not set";
            schema = "spb_blocks_" + std::to_string(getpid());
            c.Open(cs);
            c.Execute("create schema " + schema);
            c.Execute("set search_path to " + schema + ", public");
        } else {
            if (testing_support::UnderPg()) GTEST_SKIP() << "the test database is on the cluster, not in a SQLite file";
            c.Open(testing_support::OdbcConnectionString(t.Path()));
        }
        c.Execute(std::string("create table blocks (n int, i bigint, r float, x numeric(18,4), d ") + b.dateType + ", t " +
                  b.textType + ")");
        db::TransactionGuard g(c);
        for (int first = 0; first < kRows; first += 100) {
            std::string sql = "insert into blocks (n,i,r,x,d,t) values ";
            for (int n = first; n < first + 100; ++n) {
                sql += n == first ? "(" : ",(";
                auto row = Expected(n);
                for (size_t f = 0; f < row.size(); ++f) sql += (f ? "," : "") + Literal(row[f]);
                sql += ")";
            }
            c.Execute(sql);
        }
        g.Commit();
    }
    void TearDown() override {
        if (!schema.empty() && c.IsOpen()) c.Execute("drop schema " + schema + " cascade");
    }
    testing_support::TestDatabase t;
    db::Connection c;
    std::string schema;
};

}  // namespace

TEST_P(OdbcBlockFetch, EveryRowAndValueArrivesWhole) {
    const struct {
        const char* what;
        const char* where;
        int first, count;  // the rows expected: n = first ... first+count-1
    } cases[] = {
        {"every row, four blocks and part of a fifth", "", 0, kRows},
        {"exactly two blocks", "where n < 512", 0, 512},
        {"a long text alone", "where n = 300", 300, 1},
        {"no row", "where n < 0", 0, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        auto rs = c.OpenRecordset(std::string("select n, i, r, x, d, t from blocks ") + k.where + " order by n");
        ASSERT_EQ(rs.RecordCount(), k.count);
        for (int r = 0; r < k.count; ++r) {
            auto want = Expected(k.first + r);
            for (int f = 0; f < 6; ++f) {
                const db::Value& got = rs.At(r, f);
                ASSERT_EQ(got, want[f]) << "row n=" << k.first + r << " column " << rs.Field(f).name << " ("
                                        << got.ToText().size() << " bytes, want " << want[f].ToText().size() << ")";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Drivers, OdbcBlockFetch,
                         ::testing::Values(Backend{"SqliteOdbc", "varchar(20)", "datetime"},
                                           Backend{"Postgres", "citext", "timestamp"}),
                         [](const auto& info) { return std::string(info.param.name); });

#endif  // SPB_HAVE_ODBC
