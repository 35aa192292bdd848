// Runs the statements the price-adjustment bill sends, translated, on an in-memory SQLite database
// with the host's tables.
#include "db/dialect/TsqlTranslator.h"
#include "schema/HostSchema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cctype>
#include <memory>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using db::dialect::SelectListHints;
using db::dialect::TsqlTranslator;

namespace {

using Rows = std::vector<std::vector<std::string>>;

class Database {
public:
    Database()
    {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open(":memory:", &raw);
        db_.reset(raw);
        if (rc != SQLITE_OK) throw std::runtime_error("cannot open an in-memory database");
    }

    // Runs one statement or (without results) several; rows as text, NULL as "NULL".
    Rows Query(const std::string& sql)
    {
        Rows rows;
        for (const char* rest = sql.c_str(); *rest;) {
            sqlite3_stmt* raw = nullptr;
            const int rc = sqlite3_prepare_v2(db_.get(), rest, -1, &raw, &rest);
            const std::unique_ptr<sqlite3_stmt, Finalizer> stmt(raw);
            if (rc != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db_.get()) + (" in: " + sql));
            int step;
            while (stmt && (step = sqlite3_step(stmt.get())) == SQLITE_ROW) {
                auto& row = rows.emplace_back();
                for (int c = 0; c < sqlite3_column_count(stmt.get()); ++c) {
                    const auto* text = sqlite3_column_text(stmt.get(), c);
                    row.emplace_back(text ? reinterpret_cast<const char*>(text) : "NULL");
                }
            }
            if (stmt && step != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_.get()) + (" in: " + sql));
        }
        return rows;
    }

    int Changes() { return sqlite3_changes(db_.get()); }

private:
    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close(db); }
    };
    struct Finalizer {
        void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
    };
    std::unique_ptr<sqlite3, Closer> db_;
};

// Rows on the host's real tables (schema/host_schema.sql).
constexpr const char* kRows = R"(
insert into sys_var(slws, jjbl, qyzt, sf_tag) values (2, 3, 1, 'x');
insert into t_SystemProfile (FCategory, FKey, FValue) values ('GL', 'AutoMakeHH', '1');
insert into GLSelect (FDH, FSQL) values ('分支机构调价商品选择', 'select hh from yw_kck where hh like ''%[单位编号]%''');
insert into gl_custom (tjbh, mc, zjm) values ('001', '总店', 'ZD'), ('002', '东城分店', 'ABDC');
insert into glsx (id, name, fid) values ('1', '东区', 3), ('2', '西区', 3), ('12', '外区', 4);
insert into kclb (id, name) values ('01', '水果');
insert into yw_kck (hh, pm, gg, cd, pdw, lb, pm_zjm, FDeleted) values ('A1', '苹果', '1kg', '烟台', '箱', '01', 'PG', 0),
  ('A12', '梨', '', '', '个', '01', 'L', 0), ('B12', '桃', '', '', '个', '01', 'T', 1);
insert into glprice (HH, DWBH, SJ, ZK, SELLPRICE) values ('A1', '001', 9, 1, 9.5), ('A1', '002', 9, 1, 8);
)";

class SqliteStatements : public testing::Test {
protected:
    SqliteStatements()
    {
        db.Query(std::string(schema::HostSchemaSql()));
        db.Query(kRows);
        // The columns as the drivers' catalogs know them: every column, and which of them hold text.
        for (const auto& table : db.Query("select name from sqlite_master where type='table'")) {
            for (const auto& column : db.Query("pragma table_info(\"" + table[0] + "\")")) {
                const std::string name = Lower(column[1]), type = Lower(column[2]);
                known.insert(name);
                if (type.find("char") != std::string::npos || type.find("text") != std::string::npos) text.insert(name);
            }
        }
    }

    static std::string Lower(std::string s)
    {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }

    Rows Run(std::string_view tsql) { return db.Query(translator.ToSqlite(tsql)); }

    // Statements valid in both dialects go through untouched.
    Rows RunUnchanged(std::string_view tsql)
    {
        EXPECT_EQ(translator.ToSqlite(tsql), tsql);
        return db.Query(std::string(tsql));
    }

    void SaveBill(const std::string& lsh, const std::string& bz5, const std::vector<std::string>& items)
    {
        RunUnchanged("insert into SubAdjuctPrice (lsh,kdrq,execdate,bz,czry,fyear,fperiod,shbz,shry,jzbz,dwbh,bz5) "
                     "values ('" + lsh + "','2026-12-06','2026-12-06','r','张三',0,0,0,'',0,'001','" + bz5 + "')");
        for (size_t i = 0; i < items.size(); ++i)
            RunUnchanged("insert into SubAdjuctPricemx (lsh,dh,hh,pm,sj1,sj2) values ('" + lsh + "','" +
                         std::to_string(100 + i) + "','" + items[i] + "','O''Neil\\x',10,12.5)");
    }

    Database db;
    std::set<std::string, std::less<>> known, text;
    TsqlTranslator translator{[this](std::string_view, std::string_view c) { return text.contains(Lower(std::string(c))); },
                              [this](std::string_view, std::string_view c) { return known.contains(Lower(std::string(c))); }};
};

TEST_F(SqliteStatements, SettingsAndLookups)
{
    // The settings loader's statement, as it sends it, on the host's sys_var.
    const Rows vars = RunUnchanged(
        "Select slws,pfjws,lsjws,sjws,hsjws,wsjws,cbjws,jjbl,ztdh,bz1,bz2,bz3,bz4,bz5,bz6,bz7,bz8,bz9,xz1,xz2,xz3,xz4,xz5,xz6,xz7"
        ",xz8,xz9,rkdsh,xhdsh,dcdsh,ykdsh,lsjz,ykfs,glph,phzx,sf_tag,zdxjbl,ywjz,jzyf,ckperiod,qyzt from sys_var");
    ASSERT_EQ(vars.size(), 1u);
    ASSERT_EQ(vars[0].size(), 41u);
    EXPECT_EQ(vars[0][0], "2");
    EXPECT_EQ(vars[0][7], "3");  // jjbl, the one setting the editor uses
    EXPECT_EQ(vars[0][35], "x");
    EXPECT_EQ(vars[0][40], "1");
    EXPECT_EQ(RunUnchanged("Select FValue From t_SystemProfile Where FCategory='GL' And FKey='AutoMakeHH'"),
              Rows{{"1"}});
    EXPECT_EQ(Run("Select IsNull(FSQL,'') FSQL From GLSelect Where FDH='分支机构调价商品选择'"),
              Rows{{"select hh from yw_kck where hh like '%[单位编号]%'"}});
    EXPECT_EQ(RunUnchanged("select name from glsx where fid=3 and id='2'"), Rows{{"西区"}});
    EXPECT_EQ(RunUnchanged("select mc from gl_custom where tjbh='001'"), Rows{{"总店"}});
    EXPECT_EQ(RunUnchanged("select tjbh as 单位编号,mc as 单位名称,zjm as 助记码 from gl_custom where zjm like 'ab%'"),
              (Rows{{"002", "东城分店", "ABDC"}}));
    EXPECT_EQ(RunUnchanged("select id as 单位编号,name as 单位名称 from glsx where fid=3 and id like '%1%' order by id"),
              (Rows{{"1", "东区"}}));
}

TEST_F(SqliteStatements, ItemPickerListsLiveItemsWithBranchPrice)
{
    EXPECT_EQ(Run("select a.hh as 货号,a.pm as 品名,a.gg as 规格,a.cd as 产地,a.pdw as 单位,b.sellprice as 售价  from "
                  "yw_kck a LEFT join (select hh,dwbh,sellprice from glprice where dwbh='001') b  on a.hh=b.hh where "
                  "isnull(a.FDeleted,0)=0  and a.hh like '%12%'  order by a.hh"),
              (Rows{{"A12", "梨", "", "", "个", "NULL"}}));
    EXPECT_EQ(Run("select top 1 hh from yw_kck order by hh desc"), Rows{{"B12"}});
    EXPECT_EQ(Run("select [hh] from [yw_kck] where [hh]='a1'"), Rows{{"A1"}});
    const std::string now = Run("select getdate()").at(0).at(0);
    EXPECT_TRUE(std::regex_match(now, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << now;
}

TEST_F(SqliteStatements, BillHeaderAndLinesAreSavedAndRead)
{
    const char* nextBill = "select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice ";
    EXPECT_EQ(Run(nextBill), Rows{{"NULL"}});
    SaveBill("9", "", {});
    SaveBill("10", "", {"A1", "A12"});
    EXPECT_EQ(Run(nextBill), Rows{{"10"}});  // numeric, not text order
    EXPECT_EQ(SelectListHints(nextBill).at(0).typeName, "int");
    EXPECT_EQ(Run("select max( (cast(dh as int)) ) as maxdh from SubAdjuctPricemx where lsh='10'"), Rows{{"101"}});

    Run("update SubAdjuctPrice set kdrq='2026-12-07',execdate='2026-12-08',bz='x',czry='张三',dwbh='001',bz5='' "
        "where lsh='10'");
    Run("update SubAdjuctPrice set kdrq='2026-12-07',execdate='2026-12-08',bz='y',czry='张三',dwbh='002',bz5='1'  "
        "where lsh='9'");
    Run("Update SubAdjuctPricemx set lsh='10',hh='A1',pm='p',sj1=10,sj2=12.5 where lsh='10' and dh='100'");
    EXPECT_EQ(Run("select lsh,kdrq,execdate,bz,shry,shbz,czry,dwbh from SubAdjuctPrice where lsh='10'"),
              (Rows{{"10", "2026-12-07", "2026-12-08", "x", "", "0", "张三", "001"}}));
    EXPECT_EQ(Run("select a.dh as 单号,a.hh as 货号,a.pm as 品名,a.sj1 as 原售价,a.sj2 as 新售价 from SubAdjuctPricemx a "
                  "where a.lsh='10' order by a.dh"),
              (Rows{{"100", "A1", "p", "10", "12.5"}, {"101", "A12", "O'Neil\\x", "10", "12.5"}}));
    EXPECT_EQ(Run("select b.lsh,a.dh,a.hh,a.pm,a.sj1,a.sj2,b.fyear,b.fperiod,b.jzbz,b.shbz,b.kdrq,b.execdate,b.bz,"
                  "b.czry,b.shry,b.dwbh,e.mc from SubAdjuctPricemx a inner join SubAdjuctPrice b on a.lsh=b.lsh left "
                  "join (select id as tjbh,name as mc from glsx where fid=3) e on b.dwbh=e.tjbh  where b.lsh='10' and "
                  "a.dh='100'"),
              (Rows{{"10", "100", "A1", "p", "10", "12.5", "0", "0", "0", "0", "2026-12-07", "2026-12-08", "x",
                     "张三", "", "001", "NULL"}}));
    EXPECT_EQ(Run("select a.lsh,b.shbz,a.dh from SubAdjuctPricemx a inner join SubAdjuctPrice b on a.lsh=b.lsh "
                  "where a.lsh='10' and a.dh = '101'"),
              (Rows{{"10", "0", "101"}}));
    Run("delete SubAdjuctPricemx where lsh='10' and dh = '101'");
    EXPECT_EQ(db.Changes(), 1);
    EXPECT_EQ(Run("Select HH,Count(*) As BS From SubAdjuctPriceMX Where LSH='10' Group By HH"), (Rows{{"A1", "1"}}));
}

TEST_F(SqliteStatements, AuditPublishesNewPricesToTheBranch)
{
    SaveBill("5", "", {"A1", "A12"});
    Run("UPDATE SubAdjuctPrice SET SHBZ=1,SHRY='张三' WHERE LSH='5'");
    const char* publishNew = "INSERT INTO GLPRICE (HH,DWBH,SJ,ZK,SELLPRICE ) SELECT HH,'001',0,0,SJ2 FROM "
                             "SubAdjuctPriceMX where lsh='5' and hh+'001' not in (select hh+dwbh from glprice)";
    Run(publishNew);
    EXPECT_EQ(db.Changes(), 1);  // A1 is already priced for branch 001
    Run(publishNew);
    EXPECT_EQ(db.Changes(), 0);
    Run("Update a set a.sellprice=b.sj2 from glprice a inner join (select * from SubAdjuctPriceMX where lsh='5') b on "
        "a.hh=b.hh where a.dwbh='001'");
    EXPECT_EQ(db.Changes(), 2);
    EXPECT_EQ(db.Query("select hh,dwbh,sellprice from glprice order by hh,dwbh"),
              (Rows{{"A1", "001", "12.5"}, {"A1", "002", "8"}, {"A12", "001", "12.5"}}));
    Run("Update SubAdjuctPrice Set Jzbz=1 Where Lsh='5' And Shbz=1");
    EXPECT_EQ(Run("Select Count(*) As Bs From SubAdjuctPrice Where Lsh='5' And Jzbz=0"), Rows{{"0"}});
    EXPECT_EQ(Run("Select shbz from SubAdjuctPrice where lsh='5'"), Rows{{"1"}});
}

TEST_F(SqliteStatements, PendingBillsReportAndCleanup)
{
    SaveBill("1", "", {"A1"});
    SaveBill("2", "1", {"A12"});
    SaveBill("3", "", {});
    db.Query("update SubAdjuctPrice set bz5=null where lsh='1'");
    EXPECT_EQ(Run("Select A.LSH AS 流水号,A.KDRQ AS 开单日期,A.BZ AS 备注,A.CZRY AS 操作人员,A.SHBZ AS 审核标志,"
                  "A.SHRY AS 审核人员  From  SubAdjuctPrice A Where a.czry='张三' and A.JZBZ=0 and "
                  "isnull(a.bz5,'')=''  Order By A.LSH"),
              (Rows{{"1", "2026-12-06", "r", "张三", "0", ""}, {"3", "2026-12-06", "r", "张三", "0", ""}}));
    EXPECT_EQ(Run("SELECT A.LSH AS 流水号,A.KDRQ AS 开单日期,A.BZ AS 备注,B.DH AS 单号, B.HH AS 货号,C.LB AS 类别代号,"
                  "D.NAME AS 类别名称, C.PM AS 品名, C.GG AS 规格, C.CD AS 产地, C.PDW AS 单位,B.SJ1 AS 原售价,"
                  "B.SJ2 AS 新售价,A.SHBZ AS 审核标志,A.CZRY AS 操作人员 FROM SubAdjuctPrice A LEFT  JOIN "
                  "SubAdjuctPriceMX B ON A.LSH = B.LSH LEFT JOIN YW_KCK C ON B.HH = C.HH left join kclb d on "
                  "c.lb=d.id   Where A.Czry='张三' and a.jzbz=0 and isnull(a.bz5,'')='1' Order By A.LSH"),
              (Rows{{"2", "2026-12-06", "r", "100", "A12", "01", "水果", "梨", "", "", "个", "10", "12.5", "0",
                     "张三"}}));

    SaveBill("4", "", {});
    db.Query("update SubAdjuctPrice set shbz=1 where lsh='4'");
    Run("Delete A From SubAdjuctPrice A LEFT JOIN SubAdjuctPriceMX B ON A.LSH=B.LSH WHERE B.LSH IS NULL AND "
        "ISNULL(A.SHBZ,0)=0");
    // 3 had no lines; 4 neither, but it is audited
    EXPECT_EQ(db.Query("select lsh from SubAdjuctPrice order by lsh"), (Rows{{"1"}, {"2"}, {"4"}}));
    EXPECT_EQ(RunUnchanged("select LSH,shbz from SubAdjuctPrice where lsh='2'"), (Rows{{"2", "0"}}));
    RunUnchanged("DELETE FROM SubAdjuctPrice WHERE LSH='2' AND SHBZ=0");
    RunUnchanged("Delete From SubAdjuctPriceMX WHERE LSH='2'");
    EXPECT_EQ(db.Query("select count(*) from SubAdjuctPrice where lsh='2'"), Rows{{"0"}});
    db.Query("delete from SubAdjuctPrice where lsh='4'");
    EXPECT_EQ(db.Query("select count(*) from SubAdjuctPricemx where lsh='2'"), Rows{{"0"}});
}

// A DELETE of the rows without a partner deletes the same rows in its NOT EXISTS form as SQLite's
// LEFT JOIN would, NULL keys on either side included.
TEST_F(SqliteStatements, RowsWithoutPartnerAreTheSameAsWithTheJoin)
{
    const char* rows = "create table t(k text, s int); create table u(k text);"
                       "insert into t values ('a',0),('b',0),(NULL,0),('c',1),('d',0);"
                       "insert into u values ('a'),(NULL),('c'),('c');";
    db.Query(rows);
    const std::string tsql = "Delete A From t A LEFT JOIN u B ON A.k=B.k WHERE B.k IS NULL AND A.s=0";
    ASSERT_EQ(translator.ToSqlite(tsql).find("LEFT JOIN"), std::string::npos);
    const Rows joined = db.Query("select A.rowid from t A left join u B on A.k=B.k where B.k is null and A.s=0 order by 1");
    Run(tsql);
    EXPECT_EQ(db.Changes(), 3);
    EXPECT_EQ(db.Query("select k from t order by rowid"), (Rows{{"a"}, {"c"}}));
    EXPECT_EQ(joined, (Rows{{"2"}, {"3"}, {"5"}}));
}

}  // namespace

// What T-SQL means, SQLite computes: a text added to a price is a number; a comment nested in a
// comment hides everything up to its outer end.
TEST_F(SqliteStatements, AdditionsAndCommentsKeepTheirMeaning)
{
    EXPECT_EQ(Run("select sellprice + '1' from glprice where hh='A1' and dwbh='001'"), Rows{{"10.5"}});
    EXPECT_EQ(Run("select hh + '1' from glprice where dwbh='002'"), Rows{{"A11"}});
    EXPECT_EQ(Run("select count(*) from yw_kck /* every item /* even */ where hh='A1' */"), Rows{{"3"}});
}
