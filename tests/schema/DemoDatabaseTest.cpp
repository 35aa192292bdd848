// The demo database hangs together, and the same seed gives the same rows.
#include <gtest/gtest.h>

#include "SqliteProbe.h"
#include "schema/DemoDatabase.h"
#include "schema/HostSchema.h"

namespace schema::test {
namespace {

// Each query counts the rows that break one rule, for the default and for a tiny data set (where
// bills can run short of items).
class DemoConsistencyTest : public ::testing::TestWithParam<DemoOptions> {};

TEST_P(DemoConsistencyTest, EveryRowNamesWhatExists) {
    ScratchDir dir;
    CreateDemoDatabase(dir / "demo.db", GetParam());
    SqliteProbe db(dir / "demo.db");
    const std::string current = "(SELECT p.SJ FROM glprice p WHERE p.HH = l.hh AND p.DWBH = h.dwbh)";
    const std::pair<const char*, std::string> rules[] = {
        {"price of an unknown item or target",
         "SELECT count(*) FROM glprice WHERE HH NOT IN (SELECT hh FROM yw_kck) OR (DWBH NOT IN (SELECT tjbh FROM "
         "gl_custom) AND DWBH NOT IN (SELECT id FROM glsx WHERE fid = 3))"},
        // a whole-number value would have been stored as an INTEGER
        {"price not a positive two-decimal REAL",
         "SELECT count(*) FROM glprice WHERE typeof(SJ) <> 'real' OR SJ <= 0 OR round(SJ, 2) <> SJ OR SELLPRICE <> SJ"},
        {"item of an unknown class", "SELECT count(*) FROM yw_kck WHERE lb NOT IN (SELECT id FROM kclb)"},
        {"branch of an unknown type", "SELECT count(*) FROM gl_custom WHERE lx NOT IN (SELECT id FROM glsx WHERE fid = 3)"},
        {"bill for an unknown branch or branch type",
         "SELECT count(*) FROM SubAdjuctPrice WHERE CASE ifnull(bz5, '') WHEN '' THEN dwbh NOT IN (SELECT tjbh FROM gl_custom) "
         "WHEN '1' THEN dwbh NOT IN (SELECT id FROM glsx WHERE fid = 3) ELSE 1 END"},
        {"bill by an unknown operator", "SELECT count(*) FROM SubAdjuctPrice WHERE czry NOT IN (SELECT FName FROM t_Operator)"},
        {"serial not a plain number",
         "SELECT count(*) FROM SubAdjuctPrice WHERE typeof(lsh) <> 'text' OR lsh GLOB '*[^0-9]*' OR lsh GLOB '0*'"},
        {"bill without lines or line without bill",
         "SELECT (SELECT count(*) FROM SubAdjuctPrice WHERE lsh NOT IN (SELECT lsh FROM SubAdjuctPricemx)) + "
         "(SELECT count(*) FROM SubAdjuctPricemx WHERE lsh NOT IN (SELECT lsh FROM SubAdjuctPrice))"},
        {"line of a missing or deleted item",
         "SELECT count(*) FROM SubAdjuctPricemx l LEFT JOIN yw_kck k ON k.hh = l.hh WHERE k.hh IS NULL OR k.FDeleted = 1"},
        {"line name not as the module writes it",
         "SELECT count(*) FROM SubAdjuctPricemx l JOIN yw_kck k ON k.hh = l.hh "
         "WHERE l.pm <> k.pm || '\\' || k.gg || '\\' || k.cd || '\\' || k.pdw"},
        {"lines not numbered 100, 200, ... or an item twice",
         "SELECT count(*) FROM (SELECT lsh, count(*) n, count(DISTINCT hh) items, sum(CAST(dh AS INT)) dhs FROM "
         "SubAdjuctPricemx GROUP BY lsh) WHERE n < 1 OR n > 6 OR items <> n OR dhs <> 50 * n * (n + 1)"},
        {"line prices not distinct positive two-decimal REALs",
         "SELECT count(*) FROM SubAdjuctPricemx WHERE typeof(sj1) <> 'real' OR typeof(sj2) <> 'real' "
         "OR round(sj1, 2) <> sj1 OR round(sj2, 2) <> sj2 OR sj1 <= 0 OR sj2 <= 0 OR sj1 = sj2"},
        {"open bill not starting from today's price",
         "SELECT count(*) FROM SubAdjuctPricemx l JOIN SubAdjuctPrice h ON h.lsh = l.lsh "
         "WHERE h.shbz = 0 AND ifnull(" + current + ", -1) <> l.sj1"},
        {"audited bill's price not written (nor changed by a later one)",
         "SELECT count(*) FROM SubAdjuctPricemx l JOIN SubAdjuctPrice h ON h.lsh = l.lsh WHERE h.shbz = 1 AND ifnull(" +
             current + ", -1) <> l.sj2 AND NOT EXISTS (SELECT 1 FROM SubAdjuctPricemx l2 JOIN SubAdjuctPrice h2 ON "
             "h2.lsh = l2.lsh WHERE h2.shbz = 1 AND h2.dwbh = h.dwbh AND l2.hh = l.hh AND CAST(h2.lsh AS INT) > "
             "CAST(h.lsh AS INT))"},
        {"dates not text dates of the bill's period",
         "SELECT count(*) FROM SubAdjuctPrice WHERE typeof(kdrq) <> 'text' OR typeof(execdate) <> 'text' "
         "OR date(kdrq) IS NOT kdrq OR date(execdate) IS NOT execdate OR execdate < kdrq "
         "OR fyear <> CAST(strftime('%Y', kdrq) AS INT) OR fperiod <> CAST(strftime('%m', kdrq) AS INT)"},
        {"a later serial older", "SELECT count(*) FROM SubAdjuctPrice a JOIN SubAdjuctPrice b "
                                 "ON CAST(a.lsh AS INT) < CAST(b.lsh AS INT) WHERE a.kdrq > b.kdrq"},
    };
    for (const auto& [what, sql] : rules) EXPECT_EQ(db.Int(sql), 0) << what;
}

INSTANTIATE_TEST_SUITE_P(Sizes, DemoConsistencyTest,
                         ::testing::Values(DemoOptions{}, DemoOptions{.itemCount = 3, .branchCount = 1, .seed = 7}),
                         [](const auto& info) { return info.index == 0 ? "Default" : "Tiny"; });

std::vector<std::string> Dump(const std::string& path) {
    SqliteProbe db(path);
    std::vector<std::string> all;
    for (const auto& table : HostTableNames())
        for (auto& row : db.Rows("SELECT * FROM " + table + " ORDER BY rowid")) all.push_back(table + (':' + row));
    return all;
}

TEST(DemoDatabaseSeedTest, SameSeedSameContentOtherSeedOtherContent) {
    ScratchDir dir;
    const DemoOptions options{.itemCount = 400, .branchCount = 6, .seed = 99};
    CreateDemoDatabase(dir / "a.db", options);
    CreateDemoDatabase(dir / "b.db", options);
    CreateDemoDatabase(dir / "c.db", {.itemCount = 400, .branchCount = 6, .seed = 100});
    const auto a = Dump(dir / "a.db");
    EXPECT_EQ(a, Dump(dir / "b.db"));
    EXPECT_NE(a, Dump(dir / "c.db"));
}

}  // namespace
}  // namespace schema::test
