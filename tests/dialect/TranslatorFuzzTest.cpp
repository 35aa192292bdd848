// Random token soup, random bytes and mutated real statements never crash or hang the tokenizer,
// the translator (either target), the cache or the hints, and keep their invariants.
#include "db/dialect/SqlTokenizer.h"
#include "db/dialect/TranslationCache.h"
#include "db/dialect/TsqlTranslator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace db::dialect;

namespace {

const char* const kStatements[] = {
    "INSERT INTO GLPRICE (HH,DWBH ) SELECT HH,'001' FROM SubAdjuctPriceMX where hh+'001' not in (select hh+dwbh "
    "from glprice)",
    "Update a set a.sellprice=b.sj2 from glprice a inner join (select * from mx where lsh='5') b on a.hh=b.hh",
    "Delete A From SubAdjuctPrice A LEFT JOIN SubAdjuctPriceMX B ON A.LSH=B.LSH WHERE B.LSH IS NULL",
    "delete mx where lsh=N'5'; select top 5 [hh], getdate() from [yw_kck] order by hh",
};

const char* const kSoup[] = {
    "select", "top", "5", "(", ")", "from", "where", "delete", "update", "set", "join", "left", "inner", "on", "as",
    "isnull", "len", "getdate", "case", "when", "then", "else", "end", "union", "distinct", "+", "-", "*", ",", ";",
    ".", "=", "||", "a", "b", "hh", "[x]]", "[y", "'s'", "N'", "'", "\"q", "--", "/*", "*/", "\n", " ", "\xE5\x8F\xB7",
    "\xFF", "\x80", "@v", "0x", "1e", "with", "percent", "all", "null",
};

// String literals, N prefix dropped, sorted: the translator never changes, drops or adds one (but
// for the arguments of datetime('now','localtime'), which replaces getdate()).
std::vector<std::string> Strings(std::string_view sql) {
    std::vector<std::string> out;
    for (auto& t : SqlTokenizer::Tokenize(sql)) {
        if (t.kind != TokenKind::String || t.text == "'now'" || t.text == "'localtime'") continue;
        out.push_back(t.text[0] == '\'' ? t.text : t.text.substr(1));
    }
    std::sort(out.begin(), out.end());
    return out;
}

void Check(const TsqlTranslator& translator, const std::string& sql) {
    static TranslationCache cache(64);
    std::string joined;
    for (auto& t : SqlTokenizer::Tokenize(sql)) joined += t.text;
    ASSERT_EQ(joined, sql);
    const std::string once = translator.ToSqlite(sql);
    ASSERT_EQ(Strings(once), Strings(sql)) << sql;
    ASSERT_EQ(translator.ToSqlite(once), once) << sql;  // translated text needs no further work
    ASSERT_EQ(cache.Get(sql, [&](std::string_view s) { return translator.ToSqlite(s); }), once) << sql;
    const std::string postgres = translator.ToPostgres(sql);
    ASSERT_EQ(Strings(postgres), Strings(sql)) << sql;
    ASSERT_EQ(translator.ToPostgres(postgres), postgres) << sql;
    (void)SelectListHints(sql);
}

}  // namespace

TEST(TranslatorFuzz, RandomAndMutatedInputsKeepInvariants) {
    const TsqlTranslator translator([](std::string_view, std::string_view c) { return c.size() == 2; });
    std::mt19937 rng(20261206);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    for (int i = 0; i < 200000 && !HasFatalFailure(); ++i) {
        std::string sql;
        switch (i % 3) {
        case 0:  // token soup
            for (size_t n = pick(40); n > 0; --n) {
                sql += kSoup[pick(std::size(kSoup))];
                if (pick(2)) sql += ' ';
            }
            break;
        case 1:  // bytes
            for (size_t n = pick(64); n > 0; --n) sql += static_cast<char>(pick(256));
            break;
        default:  // a real statement, mutated
            sql = kStatements[pick(std::size(kStatements))];
            for (size_t n = 1 + pick(4); n > 0; --n) {
                const size_t at = pick(sql.size() + 1);
                switch (pick(3)) {
                case 0: sql.insert(at, kSoup[pick(std::size(kSoup))]); break;
                case 1: sql.erase(at, pick(8)); break;
                default: if (at < sql.size()) sql[at] = static_cast<char>(pick(256));
                }
            }
        }
        Check(translator, sql);
    }
    std::string deep;
    for (int i = 0; i < 20000; ++i) deep += "case when 1 then ";
    for (int i = 0; i < 20000; ++i) deep += " end";
    for (const std::string& sql : {std::string(), std::string(100000, '('), std::string(100000, ')') + "select 'a'+b",
                                   "select " + deep + " + 'a' from t"})
        Check(translator, sql);
}
