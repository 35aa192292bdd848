// Connections and recordsets on the SQLite file, through either driver.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "db/Connection.h"
#include "db/Error.h"
#include "support/ScratchDir.h"
#include "support/TestDatabase.h"
#include "Thrown.h"

using testing_support::TestDatabase;

namespace {

std::string Header(const std::string& lsh) {
    return "insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('" + lsh + "',0,0)";
}
const char* const kLine = "insert into SubAdjuctPricemx (lsh,dh,hh) values ('1','100','A')";

}  // namespace

TEST(SqliteConnection, RefusesMissingFileWithoutCreatingIt) {
    testing_support::ScratchDir dir;
    const std::string path = dir / "missing.db";
    db::Connection c;
    EXPECT_NE(Thrown([&] { c.Open("Provider=SQLite;Data Source=" + path); }).Description().find(path), std::string::npos);
    EXPECT_EQ(c.State(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_THROW(c.Open("Provider=Nobody;Data Source=x"), db::Error);
}

// Rows affected, scripts, the class of an error, and transactions that roll back whole (explicitly,
// by a guard left without commit, by closing) or commit everything.
TEST(SqliteConnection, CountsErrorsAndTransactions) {
    TestDatabase t;
    auto& c = t.Db();
    EXPECT_EQ(t.Exec(Header("2") + "; insert into SubAdjuctPrice (lsh,bz,shbz,jzbz) values ('3','a;b',0,0)"), 1);
    EXPECT_EQ(t.Exec("update SubAdjuctPrice set shbz=1 where lsh in ('1','2','3')"), 2);
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice where bz='a;b'"), "1");
    auto e = Thrown([&] { c.OpenRecordset("select nosuch from SubAdjuctPrice"); });
    EXPECT_EQ(e.Code(), db::ErrorCode::SyntaxOrAccess);
    EXPECT_NE(e.Description().find("no such column: nosuch"), std::string::npos) << e.Description();

    c.BeginTrans();
    t.Exec(kLine);
    e = Thrown([&] { t.Exec(Header("2")); });
    EXPECT_EQ(e.Code(), db::ErrorCode::IntegrityViolation);
    c.RollbackTrans();
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricemx"), "0");
    {
        db::TransactionGuard g(c);
        t.Exec(kLine);
    }  // not committed
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPricemx"), "0");
    c.BeginTrans();
    t.Exec(kLine);
    c.CommitTrans();
    // Back in autocommit: a statement after the transaction is seen at once by another session.
    t.Exec("insert into SubAdjuctPricemx (lsh,dh,hh) values ('1','200','B')");
    db::Connection other;
    other.Open(t.ConnStr());
    EXPECT_EQ(other.OpenRecordset("select count(*) from SubAdjuctPricemx").Get(0).ToInt32(), 2);
    // Closing with a transaction open rolls it back instead of failing to disconnect.
    c.BeginTrans();
    t.Exec("delete from SubAdjuctPricemx");
    c.Close();
    EXPECT_EQ(other.OpenRecordset("select count(*) from SubAdjuctPricemx").Get(0).ToInt32(), 2);
}

TEST(SqliteConnection, SecondWriterWaitsForTheFirstInsteadOfFailing) {
    TestDatabase t;
    db::Connection first, second;
    first.Open(t.ConnStr());
    second.Open(t.ConnStr());
    first.BeginTrans();
    first.Execute(Header("1"));
    const auto start = std::chrono::steady_clock::now();
    std::jthread committer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        first.CommitTrans();
    });
    second.BeginTrans();  // waits for the first writer
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    // Inside its transaction the second sees the first's row, so it draws the next serial.
    EXPECT_EQ(second.OpenRecordset("select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice ").Get(0).ToInt32(), 1);
    second.Execute(Header("2"));
    second.CommitTrans();
}

TEST(Recordset, ClonesSortRequeryAndMoveEvents) {
    TestDatabase t;
    t.Exec("insert into SubAdjuctPrice (lsh,bz,shbz,jzbz) values ('3','c',0,0), ('1','a',0,0), ('2','b',0,0)");
    auto rs = t.Db().OpenRecordset("select lsh, bz from SubAdjuctPrice order by lsh");
    int moves = 0;
    rs.SetMoveComplete([&] { ++moves; });
    auto clone = rs.Clone();
    rs.Close();
    EXPECT_EQ(clone.Get("LSH").ToText(), "1");  // usable after the original closed
    clone.Sort("bz DESC");
    t.Exec("insert into SubAdjuctPrice (lsh,bz,shbz,jzbz) values ('4','d',0,0)");
    clone.Requery();
    EXPECT_EQ(clone.RecordCount(), 4);
    EXPECT_EQ(clone.SortSpec(), "");
    for (int i = 0; i < 4; ++i) clone.MoveNext();
    EXPECT_TRUE(clone.IsEOF());
    EXPECT_THROW(clone.Get(0), db::Error);
    EXPECT_EQ(moves, 0);  // the closed cursor's callback does not belong to the clone
}

// SQL Server refuses a statement that ends inside a comment; SQLite would run what stands before
// it (here: a delete of every row).
TEST(SqliteConnection, StatementEndingInsideACommentIsRefused) {
    TestDatabase t;
    t.Exec(Header("1"));
    EXPECT_THROW(t.Exec("delete from SubAdjuctPrice /* /* */ where lsh='9'"), db::Error);
    t.Exec("delete from SubAdjuctPrice where lsh='9' /* /* nested */ closed */");
    t.Exec("delete from SubAdjuctPrice where lsh='/*'");
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), "1");
}

TEST(SqliteConnection, AFileRemovedOrReplacedWhileOpenTakesNoWrite) {
    SPB_SKIP_UNDER_ODBC("the embedded driver watches its own file");
    namespace fs = std::filesystem;
    for (const bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "replaced" : "moved away");
        TestDatabase t;
        t.Exec(Header("1"));
        fs::rename(t.Path(), t.Path() + ".moved");
        if (replaced) fs::copy_file(t.Path() + ".moved", t.Path());
        for (const auto& d : {Thrown([&] { t.Db().BeginTrans(); }).Description(), Thrown([&] { t.Exec(Header("2")); }).Description()})
            EXPECT_EQ(d, "数据库文件已被移走或替换，请重新打开程序。");
        EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), "1") << "reading goes on; nothing was added";
    }
    // Moved away in the middle of a transaction: the commit is refused.
    TestDatabase t;
    t.Db().BeginTrans();
    t.Exec(Header("3"));
    fs::rename(t.Path(), t.Path() + ".moved");
    EXPECT_THROW(t.Db().CommitTrans(), db::Error);
}
