#include "db/dialect/TsqlTranslator.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using db::dialect::TsqlTranslator;

namespace {

std::string Translate(std::string_view tsql) {
    static const TsqlTranslator translator([](std::string_view, std::string_view column) {
        static const std::set<std::string, std::less<>> text = {"hh", "dwbh", "pm", "bz"};
        return text.contains(column);
    });
    return translator.ToSqlite(tsql);
}

void ExpectUnchanged(std::initializer_list<const char*> statements) {
    for (const char* sql : statements) EXPECT_EQ(Translate(sql), sql);
}

}  // namespace

TEST(TsqlTranslator, RenamesFunctionsOutsideStrings) {
    EXPECT_EQ(Translate("Select IsNull(FSQL,'') F, ISNULL (x ,1), LEN(pm), GetDate( ) from t where s='isnull(a)'"),
              "Select ifnull(FSQL,'') F, ifnull (x ,1), length(pm), datetime('now','localtime') from t where "
              "s='isnull(a)'");
    EXPECT_EQ(Translate("select N'张三', n'x''y', 'N''a'"), "select '张三', 'x''y', 'N''a'");
    ExpectUnchanged({"select len, isnull from t where dbo.len(x) = getdate(1)"});  // not calls, or not ours
}

TEST(TsqlTranslator, PlusBetweenTextsBecomesConcatenation) {
    EXPECT_EQ(Translate("select hh+'001', a.hh + b.dwbh, pm+x, 'a'+@v from t where hh+'1' not in (select hh+dwbh)"),
              "select hh||'001', a.hh || b.dwbh, pm||x, 'a'||@v from t where hh||'1' not in (select hh||dwbh)");
    EXPECT_EQ(Translate("select isnull(a.bz,'') + hh + '-' + x, (hh + 'a') + y, rtrim(x) + y, cast(n as char(9)) + y"),
              "select ifnull(a.bz,'') || hh || '-' || x, (hh || 'a') || y, rtrim(x) || y, cast(n as char(9)) || y");
    EXPECT_EQ(Translate("select case when k=1 then 'a' else 'b' end + x, y + case when k=1 then z + 'b' end"),
              "select case when k=1 then 'a' else 'b' end || x, y || case when k=1 then z || 'b' end");
    // numbers stay additions; so do operands that '||' would regroup (it binds tighter than '*' in SQLite)
    ExpectUnchanged({"select sj1 + sj2, 1 + 2, hh + 1, '5' + 1 from t",
                     "select a * 2 + 'x', 'x' + a * 2, -hh + 'x', x + y + 'z', cast(x as int) + hh"});
}

TEST(TsqlTranslator, MalformedTextIsLeftAlone) {
    // an appended LIMIT or ')' would land inside an open string or parenthesis; a backslash escapes nothing
    ExpectUnchanged({"insert into m (pm) values ('O''Neil\\x')", "select top 5 a from t where x='open",
                     "select top 5 a from [t", "select top 5 a from (t", "delete a from t a join u b on a.k=b.k) where x=1", ""});
    EXPECT_EQ(Translate("select N'a'N'b', [a]\"b\""), "select 'a' 'b', \"a\" \"b\"");
}

TEST(TsqlTranslator, BracketedNamesBecomeDoubleQuoted) {
    EXPECT_EQ(Translate("select [hh], [a]]b], [a\"b], [单位 编号] from [yw_kck] where x='[单位编号]'"),
              "select \"hh\", \"a]b\", \"a\"\"b\", \"单位 编号\" from \"yw_kck\" where x='[单位编号]'");
}

TEST(TsqlTranslator, TopBecomesLimitOfItsOwnSelect) {
    EXPECT_EQ(Translate("select top 5 * from yw_kck order by hh"), "select * from yw_kck order by hh LIMIT 5");
    EXPECT_EQ(Translate("SELECT DISTINCT TOP (3) hh FROM t ; select 1"),
              "SELECT DISTINCT hh FROM t LIMIT 3 ; select 1");
    EXPECT_EQ(Translate("select * from (select top(@n) hh from t) x where hh in (select top 1 hh from u) -- note"),
              "select * from (select hh from t LIMIT (@n)) x where hh in (select hh from u LIMIT 1) -- note");
    ExpectUnchanged({"select top 5 a from t union select top 3 b from u", "select top 10 percent a from t",
                     "select top 5 with ties a from t order by a", "select a from t where top = 1"});
}

TEST(TsqlTranslator, DeleteGetsFromOrRowidSubquery) {
    EXPECT_EQ(Translate("delete t where k = 1;delete from t"), "delete FROM t where k = 1;delete from t");
    EXPECT_EQ(Translate("Delete A From t A LEFT JOIN u B ON B.k = A.k WHERE A.s=0 and B.k IS NULL AND isnull(A.x,0)=1"),
              "Delete FROM t WHERE rowid IN (SELECT A.rowid FROM t A WHERE NOT EXISTS (SELECT 1 FROM u B WHERE B.k = A.k) "
              "AND A.s=0 AND ifnull(A.x,0)=1)");
    // NOT EXISTS only where that is sure to mean the same
    for (const char* where : {"B.k IS NULL OR A.s=0", "B.j IS NULL", "B.k IS NULL AND B.j=1", "B.k IS NULL AND s=0",
                              "B.k IS NULL AND A.s BETWEEN 1 AND 2", "B.k IS NOT NULL"})
        EXPECT_EQ(Translate(std::string("Delete A From t A LEFT JOIN u B ON A.k=B.k WHERE ") + where),
                  std::string("Delete FROM t WHERE rowid IN (SELECT A.rowid From t A LEFT JOIN u B ON A.k=B.k WHERE ") + where + ")");
    EXPECT_EQ(Translate("Delete A From t A LEFT JOIN u B ON A.k=B.k and B.j=1 WHERE B.k IS NULL"),
              "Delete FROM t WHERE rowid IN (SELECT A.rowid From t A LEFT JOIN u B ON A.k=B.k and B.j=1 WHERE B.k IS NULL)");
    EXPECT_EQ(Translate("delete t from t join u on t.k=u.k"),
              "delete FROM t WHERE rowid IN (SELECT t.rowid from t join u on t.k=u.k)");
    ExpectUnchanged({"DELETE FROM t WHERE x=1", "delete top (5) from t", "delete x from t a join u b on a.k=b.k",
                     "delete a from t a join u a on 1=1", "delete a from t a with (nolock) where 1=1"});
}

TEST(TsqlTranslator, UpdateFromJoinBecomesSqliteUpdateFrom) {
    EXPECT_EQ(Translate("Update a set a.sellprice=b.sj2 from glprice a inner join (select * from m where lsh='5') b "
                        "on a.hh=b.hh where a.dwbh='001'"),
              "Update glprice AS a set sellprice=b.sj2 from (select * from m where lsh='5') AS b WHERE (a.hh=b.hh) AND "
              "(a.dwbh='001')");
    EXPECT_EQ(Translate("update glprice set sj=b.sj, zk = 0 from glprice a join m  as b on a.hh=b.hh"),
              "update glprice AS a set sj=b.sj, zk = 0 from m  as b WHERE (a.hh=b.hh)");
    EXPECT_EQ(Translate("update t set t.x=1 from t join s on s.k=t.k join u on u.k=t.k left join w on w.k=s.k"),
              "update t set x=1 from s join u left join w on w.k=s.k WHERE (s.k=t.k) AND (u.k=t.k)");
    EXPECT_EQ(Translate("update a set a.x=1 from t a, s where s.k=a.k"), "update t AS a set x=1 from s where s.k=a.k");
    EXPECT_EQ(Translate("update t set t.a=1, b=2 where t.c=3"), "update t set a=1, b=2 where t.c=3");
    ExpectUnchanged({"UPDATE SubAdjuctPrice SET SHBZ=1,SHRY='张三' WHERE LSH='5'",
                     "update a set a.x=b.y from t a left join s b on a.k=b.k",
                     "update a set a.x=1 from t a join s b on b.k=1 left join u c on c.k=a.k",
                     "update a set b.x=1 from t a join s b on a.k=b.k", "update t set @v=x from t join s on 1=1",
                     "update a set x=1 from s b join t a on a.k=b.k"});
}

// A column the catalog knows as a number or a date keeps '+' an addition ("sellprice + '1'" is 6.1
// for 5.1); columns it does not know are guessed from the other operand.
TEST(TsqlTranslator, TextPlusAKnownNumberColumnStaysAnAddition) {
    static const TsqlTranslator translator(
        [](std::string_view, std::string_view c) { return c == "hh" || c == "dwbh"; },
        [](std::string_view, std::string_view c) { return c == "hh" || c == "dwbh" || c == "sellprice" || c == "kdrq"; });
    for (const char* sql : {"select sellprice + '1' from glprice", "select a.sellprice+'1', '2'+a.sellprice from glprice a",
                            "update glprice set sellprice = sellprice + '0.5'", "select (sellprice) + '1', max(sellprice) + '1' from glprice",
                            "select kdrq + '1' from t"})
        EXPECT_EQ(translator.ToSqlite(sql), sql);
    EXPECT_EQ(translator.ToSqlite("select hh + '1', other + 'x' from t"), "select hh || '1', other || 'x' from t");
}

// Block comments nest in T-SQL; SQLite, which does not nest them, gets one plain comment.
TEST(TsqlTranslator, NestedCommentsAreReadAsSqlServerReadsThem) {
    EXPECT_EQ(Translate("select 1 /* a /* b */ c */, 2"), "select 1 /* a / * b * / c */, 2");
    EXPECT_EQ(Translate("select 1 /*/*/ x */*/"), "select 1 /* / * / x * / */");
    ExpectUnchanged({"select 1 /* plain */, '/* in a string */'", "select 1 -- /* a line comment"});
    EXPECT_FALSE(db::dialect::HasUnterminatedComment("select '/*' -- /*"));
}
