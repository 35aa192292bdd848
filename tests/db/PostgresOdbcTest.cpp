// The module's own statements on a PostgreSQL server through psqlODBC, translated by the driver.
// Runs when SPB_PG_CONNSTR names a database (the test command sets it for its throwaway server);
// works in a schema of its own, which it drops at the end.
#ifdef SPB_HAVE_ODBC
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "db/Connection.h"
#include "db/Error.h"

using Kind = db::Value::Kind;

namespace {

const char* const kTables[] = {
    "create table GLSelect (FDH citext primary key, FSQL citext)",
    "create table yw_kck (hh citext primary key, pm citext, gg citext, cd citext, pdw citext, lb citext, FDeleted int)",
    "create table glprice (HH citext, DWBH citext, SJ numeric(18,4), ZK numeric(18,4), SELLPRICE numeric(18,4))",
    "create unique index ux_glprice_hh_dwbh on glprice (HH, DWBH)",
    "create table SubAdjuctPrice (lsh citext not null unique, kdrq timestamp, execdate timestamp, bz citext, czry citext, "
    "fyear int, fperiod int, shbz int, shry citext, jzbz int, dwbh citext, bz5 citext)",
    "create table SubAdjuctPricemx (lsh citext, dh citext, hh citext, pm citext, sj1 numeric(18,4), sj2 numeric(18,4))",
};

class PostgresOdbc : public ::testing::Test {
protected:
    void SetUp() override {
        const char* cs = std::getenv("SPB_PG_CONNSTR");
        if (!cs || !*cs) GTEST_SKIP() << "SPB_PG_CONNSTR is not set";
        schema = "spb_probe_" + std::to_string(getpid());
        c.Open(cs);
        c.Execute("create extension if not exists citext");
        c.Execute("create schema " + schema);
        c.Execute("set search_path to " + schema + ", public");
        for (const char* ddl : kTables) c.Execute(ddl);
    }
    void TearDown() override {
        if (!c.IsOpen()) return;
        if (c.InTransaction()) c.RollbackTrans();
        c.SetCommandTimeout(0);
        c.Execute("drop schema " + schema + " cascade");
    }
    std::string Scalar(const std::string& sql) {
        auto rs = c.OpenRecordset(sql);
        return rs.RecordCount() == 0 ? "<no row>" : rs.Get(0).IsNull() ? "<null>" : rs.Get(0).ToText();
    }
    void Bill(const std::string& lsh, const std::string& target, int shbz) {
        c.Execute("insert into SubAdjuctPrice (lsh,kdrq,execdate,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) values ('" +
                  lsh + "','2024-03-0" + lsh + " 10:00:00','2024-03-05 00:00:00','备注','张三',0,0," + std::to_string(shbz) +
                  ",'',0,'" + target + "','')");
    }
    std::string schema;
    db::Connection c;
};

}  // namespace

TEST_F(PostgresOdbc, BillStatementsRunAndGiveTheRecordsetsTypes) {
    c.Execute("insert into yw_kck (hh,pm,gg,cd,pdw,lb,FDeleted) values ('AB01','苹果','1kg','山东','箱','01',0),"
              "('ab02','梨','','','','01',null),('AB03','旧','','','','01',1)");
    c.Execute("insert into GLSelect (FDH,FSQL) values ('分支机构调价商品选择',null)");
    Bill("1", "001", 0);
    Bill("9", "001", 1);
    c.Execute("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('1','100','AB01','苹果',1.5,2.25),"
              "('1','200','ab02','梨',1,3)");

    EXPECT_EQ(Scalar("Select IsNull(FSQL,'') FSQL From GLSelect Where FDH='分支机构调价商品选择'"), "");
    auto n = c.OpenRecordset("select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice ");
    EXPECT_EQ(n.Get("TJLSH").ToInt32(), 9);
    auto count = c.OpenRecordset("Select Count(*) As Bs From SubAdjuctPrice Where Lsh='1'");
    EXPECT_EQ(count.Get("Bs").GetKind(), Kind::Int32);
    EXPECT_EQ(Scalar("select max( (cast(dh as int)) ) as maxdh from SubAdjuctPricemx where lsh='1'"), "200");

    // codes compare without regard to case, in =, IN and LIKE
    auto items = c.OpenRecordset(
        "select a.hh as 货号,a.pm as 品名,a.gg as 规格,a.cd as 产地,a.pdw as 单位,b.sellprice as 售价   from yw_kck a LEFT "
        "join (select hh,dwbh,sellprice from glprice where dwbh='001') b  on a.hh=b.hh where isnull(a.FDeleted,0)=0 "
        "and (a.hh like 'ab%') order by a.hh");
    ASSERT_EQ(items.RecordCount(), 2);
    EXPECT_EQ(items.Field(0).name, "货号");
    EXPECT_EQ(Scalar("select hh from SubAdjuctPricemx where lsh='1' and hh in ('AB02')"), "ab02");

    auto line = c.OpenRecordset("select b.lsh,a.dh,a.hh,a.pm,a.sj1,a.sj2,b.kdrq,b.shbz from SubAdjuctPricemx a inner join "
                                "SubAdjuctPrice b on a.lsh=b.lsh where b.lsh='1' and a.dh='100'");
    ASSERT_EQ(line.RecordCount(), 1);
    EXPECT_EQ(line.Get("sj2").GetKind(), Kind::Double);
    EXPECT_DOUBLE_EQ(line.Get("sj2").ToDouble(), 2.25);
    EXPECT_EQ(line.Get("kdrq").GetKind(), Kind::Date);
    EXPECT_EQ(line.Get("pm").ToText(), "苹果");
    EXPECT_EQ(line.Get("shbz").GetKind(), Kind::Int32);

    // the audit's statements
    {
        db::TransactionGuard t(c);
        c.Execute("INSERT INTO GLPRICE (HH,DWBH,SJ,ZK,SELLPRICE ) SELECT HH,'001',0,0,SJ2 FROM SubAdjuctPriceMX m where "
                  "m.lsh='1' and not exists (select 1 from glprice g where g.hh=m.hh and g.dwbh='001')");
        c.Execute("Update a set a.sellprice=b.sj2 from glprice a inner join (select * from SubAdjuctPriceMX where lsh='1') "
                  "b on a.hh=b.hh where a.dwbh='001'");
        EXPECT_EQ(c.Execute("UPDATE SubAdjuctPrice SET SHBZ=1,SHRY='李四' WHERE LSH='1' and isnull(SHBZ,0)=0"), 1);
        t.Commit();
    }
    EXPECT_EQ(Scalar("select sellprice from glprice where hh='ab01' and dwbh='001'"), "2.25");
    auto history = c.OpenRecordset(
        "select b.kdrq,b.execdate,b.lsh,a.sj1,a.sj2,b.czry,b.shry from SubAdjuctPricemx a inner join SubAdjuctPrice b on "
        "a.lsh=b.lsh where a.hh='AB01' and b.dwbh='001' and b.shbz=1 order by b.kdrq desc,cast(b.lsh as int) desc");
    EXPECT_EQ(history.RecordCount(), 1);
    auto list = c.OpenRecordset("Select A.LSH AS 流水号,A.KDRQ AS 开单日期,A.BZ AS 备注 From  SubAdjuctPrice A Where "
                                "A.JZBZ=0 and isnull(a.bz5,'')=''  Order By A.LSH");
    EXPECT_EQ(list.RecordCount(), 2);

    // line delete, then the clean-up of headers left without lines
    EXPECT_EQ(c.Execute("delete SubAdjuctPricemx where lsh='9' and dh = '100' and exists (select 1 from SubAdjuctPrice "
                        "where lsh='9' and isnull(shbz,0)=0)"),
              0);
    Bill("3", "002", 0);
    EXPECT_EQ(c.Execute("Delete A From SubAdjuctPrice A LEFT JOIN SubAdjuctPriceMX B ON A.LSH=B.LSH WHERE B.LSH IS NULL "
                        "AND ISNULL(A.SHBZ,0)=0"),
              1);
    EXPECT_EQ(Scalar("select count(*) from SubAdjuctPrice"), "2");
    EXPECT_EQ(Scalar("select top 1 lsh from SubAdjuctPrice order by lsh desc"), "9");
    EXPECT_EQ(c.OpenRecordset("select getdate() as d").Get(0).GetKind(), Kind::Date);
}

TEST_F(PostgresOdbc, FaultsOfTheServerHaveTheirCodes) {
    Bill("1", "001", 0);
    try {
        Bill("1", "001", 0);
        ADD_FAILURE() << "a serial drawn twice was stored";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.Code(), db::ErrorCode::IntegrityViolation) << e.Description();
        EXPECT_EQ(e.SqlState(), "23505");
    }
    {
        db::TransactionGuard t(c);
        Bill("2", "001", 0);
    }  // rolled back
    EXPECT_EQ(Scalar("select count(*) from SubAdjuctPrice"), "1");

    c.SetCommandTimeout(1);
    const auto start = std::chrono::steady_clock::now();
    try {
        c.Execute("select pg_sleep(5)");
        ADD_FAILURE() << "the statement outlived its time-out";
    } catch (const db::Error& e) {
        EXPECT_EQ(e.Code(), db::ErrorCode::Timeout) << e.Description();
        EXPECT_NE(e.Description().find("数据库正忙"), std::string::npos) << e.Description();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    try {
        c.OpenRecordset("select * from nosuch");
        ADD_FAILURE();
    } catch (const db::Error& e) {
        EXPECT_NE(e.Description().find("数据库中缺少表“nosuch”"), std::string::npos) << e.Description();
    }
}
#endif  // SPB_HAVE_ODBC
