// The translation cache gives the text a direct translation gives, and translates statements that
// differ only in their quoted strings once.
#include "db/dialect/TranslationCache.h"
#include "db/dialect/TsqlTranslator.h"

#include <gtest/gtest.h>

#include <string>

using db::dialect::TranslationCache;
using db::dialect::TsqlTranslator;

namespace {

const TsqlTranslator kTranslator([](std::string_view, std::string_view column) { return column == "hh" || column == "dwbh"; });

// A cache and the number of translations it asked for.
struct Counted {
    explicit Counted(size_t capacity = 256) : cache(capacity) {}
    std::string operator()(std::string_view sql) {
        return cache.Get(sql, [&](std::string_view s) { return ++calls, kTranslator.ToSqlite(s); });
    }
    TranslationCache cache;
    int calls = 0;
};

}  // namespace

TEST(TranslationCache, GivesTheDirectTranslationWithTheStatementsOwnStrings)
{
    Counted get;
    const char* statements[] = {
        "select top 3 hh+'-'+dwbh, isnull(pm,'无') from yw_kck where hh='A''1' order by hh",
        "select top 3 hh+'-'+dwbh, isnull(pm,'') from yw_kck where hh='B' order by hh",
        "Delete A From SubAdjuctPrice A LEFT JOIN SubAdjuctPriceMX B ON A.LSH=B.LSH WHERE B.LSH IS NULL AND A.SHBZ=0",
        "INSERT INTO GLPRICE (HH,DWBH,SJ,ZK,SELLPRICE ) SELECT HH,'002',0,0,SJ2 FROM SubAdjuctPriceMX where lsh='7' and "
        "hh+'002' not in (select hh+dwbh from glprice)",
        "INSERT INTO GLPRICE (HH,DWBH,SJ,ZK,SELLPRICE ) SELECT HH,'0''3',0,0,SJ2 FROM SubAdjuctPriceMX where lsh='8' and "
        "hh+'0''3' not in (select hh+dwbh from glprice)",
        "Update a set a.sellprice=b.sj2 from glprice a inner join (select * from mx where lsh='5') b on a.hh=b.hh "
        "where a.dwbh='001'",
        // quotes that are no strings, and strings the translation rewrites
        "select [it's], \"a'b\" from t -- it's\n where x = N'张三' /* 'c' */ and y='d'",
        "select 'open",
        "select 'a''",
        "select 'a'+'b'",
        "select 'a''b'+hh",
    };
    for (const char* sql : statements) {
        EXPECT_EQ(get(sql), kTranslator.ToSqlite(sql)) << sql;
        EXPECT_EQ(get(sql), kTranslator.ToSqlite(sql)) << sql;  // from the cache
    }
    // The two selects and the two inserts share their shapes.
    EXPECT_EQ(get.cache.Size(), std::size(statements) - 2);
}

TEST(TranslationCache, StatementsDifferingOnlyInStringsAreTranslatedOnce)
{
    Counted get;
    for (int i = 0; i < 50; ++i) {
        const std::string code = std::to_string(100000 + i);
        const std::string sql = "select a.hh,b.sellprice from yw_kck a left join (select hh,sellprice from glprice where "
                                "dwbh='001') b on a.hh=b.hh where isnull(a.FDeleted,0)=0 and a.hh ='" + code + "'";
        EXPECT_EQ(get(sql), kTranslator.ToSqlite(sql));
    }
    EXPECT_EQ(get.calls, 1);
    get("select top 5 hh from t where x='1'");
    get("select top 6 hh from t where x='1'");  // a different number is a different shape
    EXPECT_EQ(get.calls, 3);
}

TEST(TranslationCache, TextWithItsMarkByteIsTranslatedDirectlyAndAFullCacheStartsOver)
{
    Counted get(2);
    auto& cache = get.cache;
    const std::string odd = std::string("select '\x01") + "0\x01' + hh from t";
    EXPECT_EQ(get(odd), kTranslator.ToSqlite(odd));
    EXPECT_EQ(cache.Size(), 0u);
    get("select 1");
    get("select 2");
    EXPECT_EQ(cache.Size(), 2u);
    get("select 3");
    EXPECT_EQ(cache.Size(), 1u);
    cache.Clear();
    EXPECT_EQ(cache.Size(), 0u);
}
