#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <filesystem>
#include <thread>

#include "db/Connection.h"
#include "db/Error.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

TEST(SqliteConnection, RefusesMissingFileWithoutCreatingIt) {
    std::string path = (std::filesystem::temp_directory_path() / "spb-no-such-file.db").string();
    std::filesystem::remove(path);
    db::Connection c;
    try {
        c.Open("Provider=SQLite;Data Source=" + path);
        FAIL() << "opened a missing file";
    } catch (const db::Error& e) {
        EXPECT_NE(e.Description().find(path), std::string::npos);
    }
    EXPECT_EQ(c.State(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_THROW(c.Open(""), db::Error);
    EXPECT_THROW(c.Open("Provider=Nobody;Data Source=x"), db::Error);
}

TEST(SqliteConnection, ReportsColumnTypeClassesAndNulls) {
    TestDatabase t;
    t.Exec("insert into sys_var (slws, bz1, sf_tag) values (NULL, NULL, NULL)");
    t.Exec("insert into SubAdjuctPrice (lsh,kdrq,execdate,shbz,jzbz) values ('7','2026-12-01',NULL,0,0)");
    auto rs = t.Db().OpenRecordset("select slws, bz1, sf_tag from sys_var");
    EXPECT_EQ(rs.Field(0).type, db::DataType::SmallInt);
    EXPECT_EQ(rs.Field(1).type, db::DataType::Boolean);
    EXPECT_EQ(rs.Field("SF_TAG").type, db::DataType::VarWChar);
    EXPECT_TRUE(rs.Get(0).IsNull());
    auto h = t.Db().OpenRecordset("select kdrq, execdate from SubAdjuctPrice");
    EXPECT_EQ(h.Field(0).type, db::DataType::DBTimeStamp);
    EXPECT_EQ(h.Get("kdrq").GetKind(), db::Value::Kind::Date);
    EXPECT_EQ(h.Get("kdrq").ToDate(), (db::DateTime{2026, 12, 1}));
    // Aggregates over no rows still have a numeric class.
    auto m = t.Db().OpenRecordset("select max( (cast(dh as int)) ) as maxdh from SubAdjuctPricemx where lsh='1'");
    EXPECT_EQ(m.Field(0).type, db::DataType::Integer);
    EXPECT_TRUE(m.Get(0).IsNull());
    auto n = t.Db().OpenRecordset("Select Count(*) As Bs From SubAdjuctPrice Where Lsh='9'");
    EXPECT_EQ(n.Field("bs").type, db::DataType::Integer);
    EXPECT_EQ(n.Get(0).ToInt32(), 0);
}

TEST(SqliteConnection, DuplicateSerialIsAnIntegrityViolationAndTransactionsRollBackWhole) {
    TestDatabase t;
    t.Exec("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('1',0,0)");
    t.Db().BeginTrans();
    t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh) values ('1','100','A')");
    try {
        t.Exec("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('1',0,0)");
        FAIL() << "duplicate accepted";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.Code(), db::ErrorCode::IntegrityViolation);
    }
    t.Db().RollbackTrans();
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricemx"), "0");
    {
        db::TransactionGuard g(t.Db());
        t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh) values ('1','100','A')");
    }  // not committed
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricemx"), "0");
}

TEST(SqliteConnection, SecondWriterWaitsForTheFirstInsteadOfFailing) {
    TestDatabase t;
    db::Connection first, second;
    first.Open(t.ConnStr());
    second.Open(t.ConnStr());
    first.BeginTrans();
    first.Execute("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('1',0,0)");
    std::thread committer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        first.CommitTrans();
    });
    auto start = std::chrono::steady_clock::now();
    second.BeginTrans();  // waits for the first writer
    auto waited = std::chrono::steady_clock::now() - start;
    // Inside its transaction the second sees the first's row, so it draws the next serial.
    auto rs = second.OpenRecordset("select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice ");
    EXPECT_EQ(rs.Get(0).ToInt32(), 1);
    second.Execute("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('2',0,0)");
    second.CommitTrans();
    committer.join();
    EXPECT_GE(waited, std::chrono::milliseconds(200));
}

// Two operators save new bills at once: each session draws the next serial before either has
// inserted, so both draw the same one; the unique serial lets the first in and refuses the second.
TEST(SqliteConnection, SessionsDrawingTheSameSerialCollideOnTheHeaderInsert) {
    TestDatabase t;
    t.Exec("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('7',0,0)");
    db::Connection first, second;
    first.Open(t.ConnStr());
    second.Open(t.ConnStr());
    const std::string draw = "select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice ";
    int mine = first.OpenRecordset(draw).Get("tjlsh").ToInt32() + 1;
    int theirs = second.OpenRecordset(draw).Get("tjlsh").ToInt32() + 1;
    ASSERT_EQ(mine, 8);
    ASSERT_EQ(theirs, mine);
    auto header = [](int serial, const std::string& bz) {
        return "insert into SubAdjuctPrice (lsh,kdrq,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values ('" +
               std::to_string(serial) + "','2026-12-06','" + bz + "','系统管理员',2026,12,0,'',0,'001','')";
    };
    first.BeginTrans();
    first.Execute(header(mine, "first"));
    first.CommitTrans();
    second.BeginTrans();
    try {
        second.Execute(header(theirs, "second"));
        FAIL() << "the second header with serial " << theirs << " was accepted";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.Code(), 0x80040E2Fu) << e.Description();
    }
    second.RollbackTrans();
    EXPECT_EQ(t.Scalar("select bz from SubAdjuctPrice where lsh='8'"), "first");
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), "2");
}

TEST(SqliteConnection, TraceSeesTheStatementTextAsSent) {
    TestDatabase t;
    std::vector<std::string> seen;
    t.Db().SetTrace([&](const std::string& s) { seen.push_back(s); });
    t.Exec("delete SubAdjuctPricemx where lsh='1' and dh = '100'");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "delete SubAdjuctPricemx where lsh='1' and dh = '100'");
}

// Large multi-row changes keep their journal in memory and a few hundred scattered pages stay
// cached; a failed or lost setting would only show as a slower audit.
TEST(SqliteConnection, EveryConnectionKeepsTemporaryDataInMemoryAndALargerPageCache) {
    SPB_SKIP_UNDER_ODBC("the settings belong to the embedded driver");
    TestDatabase t;
    EXPECT_EQ(t.Scalar("pragma temp_store"), "2");
    EXPECT_EQ(t.Scalar("pragma cache_size"), "-16384");
}

TEST(Recordset, ClonesSortRequeryAndMoveEvents) {
    TestDatabase t;
    for (auto [l, b] : {std::pair{"3", "c"}, {"1", "a"}, {"2", "b"}})
        t.Exec(std::string("insert into SubAdjuctPrice (lsh,bz,shbz,jzbz) values ('") + l + "','" + b + "',0,0)");
    auto rs = t.Db().OpenRecordset("select lsh, bz from SubAdjuctPrice order by lsh");
    int moves = 0;
    rs.SetMoveComplete([&] { ++moves; });
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    auto clone = rs.Clone();
    rs.Close();
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(clone.Get("LSH").ToText(), "1");  // usable after the original closed
    clone.Sort("bz DESC");
    EXPECT_EQ(clone.Get("lsh").ToText(), "3");
    clone.MoveLast();
    EXPECT_EQ(clone.Get(0).ToText(), "1");
    EXPECT_THROW(clone.Sort("nosuch ASC"), db::Error);
    t.Exec("insert into SubAdjuctPrice (lsh,bz,shbz,jzbz) values ('4','d',0,0)");
    clone.Requery();
    EXPECT_EQ(clone.RecordCount(), 4);
    EXPECT_EQ(clone.SortSpec(), "");
    clone.MoveNext();
    clone.MoveNext();
    clone.MoveNext();
    clone.MoveNext();
    EXPECT_TRUE(clone.IsEOF());
    EXPECT_THROW(clone.Get(0), db::Error);
    EXPECT_EQ(moves, 0);  // the closed cursor's callback does not belong to the clone
}

// SQL Server refuses a statement that ends inside a comment; SQLite would run what stands before
// it (here: a delete of every row).
TEST(SqliteConnection, StatementEndingInsideACommentIsRefused) {
    TestDatabase t;
    t.Exec("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('1',0,0)");
    for (const char* sql : {"delete from SubAdjuctPrice /* where lsh='9'", "delete from SubAdjuctPrice /* /* */ where lsh='9'"})
        EXPECT_THROW(t.Exec(sql), db::Error) << sql;
    t.Exec("delete from SubAdjuctPrice where lsh='9' /* /* nested */ closed */");
    t.Exec("delete from SubAdjuctPrice where lsh='/*'");
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), "1");
}

TEST(SqliteConnection, AFileRemovedOrReplacedWhileOpenTakesNoWrite) {
    SPB_SKIP_UNDER_ODBC("the embedded driver watches its own file");
    namespace fs = std::filesystem;
    const std::string gone = "数据库文件已被移走或替换，请重新打开程序。";
    for (const bool replaced : {false, true}) {
        TestDatabase t;
        t.Exec("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('1',0,0)");
        const fs::path moved = t.Path() + ".moved";
        fs::rename(t.Path(), moved);
        if (replaced) fs::copy_file(moved, t.Path());
        for (const auto& write : std::vector<std::function<void()>>{
                 [&] { t.Db().BeginTrans(); },
                 [&] { t.Exec("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('2',0,0)"); }}) {
            try {
                write();
                ADD_FAILURE() << "written into a file that was " << (replaced ? "replaced" : "moved away");
            } catch (const db::Error& e) {
                EXPECT_EQ(e.Description(), gone);
            }
        }
        EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), "1") << "reading goes on; nothing was added";
    }
    // Moved away in the middle of a transaction: the commit is refused and rolls back.
    TestDatabase t;
    t.Db().BeginTrans();
    t.Exec("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('3',0,0)");
    fs::rename(t.Path(), t.Path() + ".moved");
    EXPECT_THROW(t.Db().CommitTrans(), db::Error);
}
