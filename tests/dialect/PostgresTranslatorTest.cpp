// T-SQL -> PostgreSQL: the forms the PostgreSQL rules rewrite (the module's own statements run on the
// cluster in every suite's PostgreSQL variant).
#include "db/dialect/TsqlTranslator.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using db::dialect::TsqlTranslator;

namespace {

struct Case {
    const char* tsql;
    const char* postgres;  // nullptr: unchanged
};

std::string Translate(std::string_view tsql) {
    static const TsqlTranslator translator([](std::string_view, std::string_view column) {
        static const std::set<std::string, std::less<>> text = {"hh", "dwbh", "pm", "bz", "lsh", "dh"};
        return text.contains(column);
    });
    return translator.ToPostgres(tsql);
}

void Check(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        const std::string expected = c.postgres ? c.postgres : c.tsql;
        EXPECT_EQ(Translate(c.tsql), expected) << c.tsql;
        EXPECT_EQ(Translate(expected), expected) << "translated twice: " << c.tsql;
    }
}

}  // namespace

TEST(PostgresTranslator, FunctionsAndLiterals) {
    Check({
        {"select len(pm), LEN (x) + 1 from t", "select length(rtrim(pm)), length (rtrim(x)) + 1 from t"},
        {"select getdate(), GetDate( ) as d", "select localtimestamp , localtimestamp  as d"},
        {"select isnull(a.bz,'') + hh + '-' + x from t a where y=N'张'",
         "select coalesce(a.bz,'') || hh || '-' || x from t a where y='张'"},
        {"select dbo.len(x), getdate(1), len from t", nullptr},
        {"select /* a /* nested */ b */ 1", nullptr},
    });
}

TEST(PostgresTranslator, CastsAndConvertsUsePostgresTypes) {
    Check({
        {"select cast(x as datetime), CAST(y AS nvarchar(20)), cast(z as varchar(max)), cast(b as bit), cast(m as money)",
         "select cast(x as timestamp), CAST(y AS varchar(20)), cast(z as text ), cast(b as smallint), cast(m as "
         "numeric(19,4))"},
        {"select convert(int, dh), convert(datetime, '2024-01-02', 120), convert(nvarchar(20), n)",
         "select cast(dh as int), cast('2024-01-02' as timestamp), cast(n as varchar(20))"},
        {"select convert(varchar(10), kdrq, 120), convert(char(8), getdate(), 112) + 'x'",
         "select cast(to_char(kdrq,'YYYY-MM-DD HH24:MI:SS') as varchar(10)), cast(to_char(localtimestamp ,'YYYYMMDD') as "
         "char(8)) || 'x'"},
        {"select convert(varchar(10), d, 999), convert(x), convert(int, a, b)",
         "select cast(d as varchar(10)), convert(x), convert(int, a, b)"},
    });
}

TEST(PostgresTranslator, BracketedNamesAreTheLowerCaseOnes) {
    Check({
        {"select [HH], [a]]b], [单位 编号] from [YW_KCK] where x='[单位编号]'",
         "select \"hh\", \"a]b\", \"单位 编号\" from \"yw_kck\" where x='[单位编号]'"},
    });
}

TEST(PostgresTranslator, DeletesWithJoins) {
    Check({
        {"Delete A From SubAdjuctPrice A LEFT JOIN SubAdjuctPriceMX B ON A.LSH=B.LSH WHERE B.LSH IS NULL AND "
         "ISNULL(A.SHBZ,0)=0",
         "Delete FROM SubAdjuctPrice A WHERE NOT EXISTS (SELECT 1 FROM SubAdjuctPriceMX B WHERE A.LSH=B.LSH) AND "
         "coalesce(A.SHBZ,0)=0"},
        {"delete a from t a join u b on a.k=b.k where b.x=1",
         "delete FROM t WHERE ctid IN (SELECT a.ctid from t a join u b on a.k=b.k where b.x=1)"},
    });
}
