// The translation cache translates statements that differ only in their quoted strings once (the
// fuzz test checks it gives every input the direct translation).
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

TEST(TranslationCache, StatementsDifferingOnlyInStringsAreTranslatedOnce) {
    Counted get;
    for (int i = 0; i < 50; ++i) {
        const std::string code = std::to_string(100000 + i);
        const std::string sql = "select a.hh,b.sellprice from yw_kck a left join (select hh,sellprice from glprice where "
                                "dwbh='001') b on a.hh=b.hh where isnull(a.FDeleted,0)=0 and a.hh ='" + code + "'";
        EXPECT_EQ(get(sql), kTranslator.ToSqlite(sql));
    }
    EXPECT_EQ(get.calls, 1);
    // Quotes that are no strings, strings the translation rewrites, a string left open: twice each.
    for (const char* sql : {"select [it's], \"a'b\" from t -- it's\n where x = N'张三' /* 'c' */ and y='d'",
                            "select 'a''b'+hh", "select 'open"})
        for (int i = 0; i < 2; ++i) EXPECT_EQ(get(sql), kTranslator.ToSqlite(sql)) << sql;
    get("select top 5 hh from t where x='1'");
    get("select top 6 hh from t where x='1'");  // a different number is a different shape
    EXPECT_EQ(get.calls, 6);
}

TEST(TranslationCache, TextWithItsMarkByteIsTranslatedDirectlyAndAFullCacheStartsOver) {
    Counted get(2);
    const std::string odd = std::string("select '\x01") + "0\x01' + hh from t";
    EXPECT_EQ(get(odd), kTranslator.ToSqlite(odd));
    EXPECT_EQ(get.cache.Size(), 0u);
    get("select 1");
    get("select 2");
    get("select 3");
    EXPECT_EQ(get.cache.Size(), 1u);
}
