// Reading results through ODBC in blocks of rows: on the SQLite ODBC driver always, and on the
// PostgreSQL test cluster when SPB_PG_CONNSTR names it. Every value of every row is compared with
// the one written, so that a row lost, doubled or shifted at a block's edge, a long text cut at its
// buffer or a NULL read as a value shows.
#ifdef SPB_HAVE_ODBC
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "db/Connection.h"
#include "db/Error.h"
#include "support/TestDatabase.h"

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
        {"one row short of a block", "where n < 255", 0, 255},
        {"long texts at a block's last and next first row", "where n >= 200 and n < 400", 200, 200},
        {"a long text alone", "where n = 300", 300, 1},
        {"the last row, long", "where n = 999", 999, 1},
        {"NULLs of every class alone", "where n = 147", 147, 1},
        {"no row", "where n < 0", 0, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        auto rs = c.OpenRecordset(std::string("select n, i, r, x, d, t from blocks ") + k.where + " order by n");
        ASSERT_EQ(rs.FieldCount(), 6);
        EXPECT_EQ(rs.Field(5).name, "t");
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
