// The demo database: the amounts asked for, bills that hang together with items, branches,
// branch types and prices, operators' rights, determinism and speed.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <set>

#include "SqliteProbe.h"
#include "schema/DemoDatabase.h"

namespace schema {
// Readable parameter names in test output.
void PrintTo(const DemoOptions& options, std::ostream* out)
{
    *out << options.itemCount << " items, " << options.branchCount << " branches, seed " << options.seed;
}
}  // namespace schema

namespace schema::test {
namespace {

// One default-sized demo database for the whole suite; building it is what gets timed.
class DemoDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_.emplace();
        path_ = dir_->File("demo.db");
        const auto start = std::chrono::steady_clock::now();
        CreateDemoDatabase(path_);
        elapsed_ = std::chrono::steady_clock::now() - start;
    }
    static void TearDownTestSuite()
    {
        dir_.reset();
    }

    static inline std::optional<ScratchDir> dir_;
    static inline std::string path_;
    static inline std::chrono::duration<double> elapsed_{};
    SqliteProbe db_{path_};
};

TEST_F(DemoDatabaseTest, IsBuiltQuickly)
{
    RecordProperty("seconds", std::to_string(elapsed_.count()));
    EXPECT_LT(elapsed_.count(), 5.0);
}

TEST_F(DemoDatabaseTest, HasTheBranchesAndBranchTypesAskedFor)
{
    EXPECT_EQ(db_.Int("SELECT count(*) FROM gl_custom"), 20);
    EXPECT_EQ(db_.Text("SELECT min(tjbh) || '..' || max(tjbh) FROM gl_custom"), "001..020");
    EXPECT_EQ(db_.Int("SELECT count(*) FROM glsx WHERE fid = 3"), 4);
    EXPECT_GT(db_.Int("SELECT count(*) FROM glsx WHERE fid <> 3 AND id IN (SELECT id FROM glsx WHERE fid = 3)"), 0);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM gl_custom WHERE lx NOT IN (SELECT id FROM glsx WHERE fid = 3)"), 0);
    EXPECT_EQ(db_.Int("SELECT count(DISTINCT lx) FROM gl_custom"), 4);
    // Mnemonics are lowercase letters only, so typing initials finds the branch.
    EXPECT_EQ(db_.Int("SELECT count(*) FROM gl_custom WHERE zjm = '' OR zjm GLOB '*[^a-z]*'"), 0);
    EXPECT_EQ(db_.Text("SELECT mc FROM gl_custom WHERE zjm = 'CDD'"), "城东店");
}

TEST_F(DemoDatabaseTest, HasTheItemsAskedFor)
{
    EXPECT_EQ(db_.Int("SELECT count(*) FROM kclb"), 10);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM yw_kck"), 3000);
    EXPECT_EQ(db_.Text("SELECT min(hh) || '..' || max(hh) FROM yw_kck"), "100001..103000");
    EXPECT_EQ(db_.Int("SELECT count(*) FROM yw_kck WHERE lb NOT IN (SELECT id FROM kclb)"), 0);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM yw_kck WHERE pm_zjm = '' OR pm_zjm GLOB '*[^a-z]*'"), 0);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM yw_kck WHERE ifnull(gg, '') = '' OR ifnull(cd, '') = '' "
                      "OR ifnull(pdw, '') = ''"),
              0);
    const auto deleted = db_.Int("SELECT count(*) FROM yw_kck WHERE FDeleted = 1");
    EXPECT_GE(deleted, 30);
    EXPECT_LE(deleted, 120);
    EXPECT_GT(db_.Int("SELECT count(*) FROM yw_kck WHERE FDeleted IS NULL"), 0);
}

TEST_F(DemoDatabaseTest, PricesCoverMostItemsAtMostBranchesAndSomeBranchTypes)
{
    EXPECT_GT(db_.Int("SELECT count(*) FROM glprice WHERE DWBH IN (SELECT tjbh FROM gl_custom)"), 3000 * 20 * 8 / 10);
    EXPECT_EQ(db_.Int("SELECT count(DISTINCT DWBH) FROM glprice WHERE DWBH IN (SELECT id FROM glsx WHERE fid = 3)"),
              4);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM glprice WHERE HH NOT IN (SELECT hh FROM yw_kck) OR (DWBH NOT IN "
                      "(SELECT tjbh FROM gl_custom) AND DWBH NOT IN (SELECT id FROM glsx WHERE fid = 3))"),
              0);
    // Two-decimal REALs: a whole-number value would have been stored as an INTEGER.
    EXPECT_EQ(db_.Int("SELECT count(*) FROM glprice WHERE typeof(SJ) <> 'real' OR SJ <= 0 OR round(SJ, 2) <> SJ "
                      "OR SELLPRICE <> SJ"),
              0);
}

TEST_F(DemoDatabaseTest, HasTheSettingsTheModuleReads)
{
    EXPECT_EQ(db_.Int("SELECT count(*) FROM sys_var"), 1);
    EXPECT_EQ(db_.Int("SELECT jjbl FROM sys_var"), 2);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM GLSelect WHERE FDH = '分支机构调价商品选择' AND FSQL IS NULL"), 1);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM t_SystemProfile WHERE FCategory = 'gl' AND "
                      "(FKey LIKE 'CHK%' OR FKey LIKE '%SuperID' OR FKey LIKE '%CustomID')"),
              21);  // 13 CHK*, 4 + 4 numbering keys
    const std::string value = "SELECT FValue FROM t_SystemProfile WHERE FCategory = 'GL' AND FKey = ";
    EXPECT_EQ(db_.Text(value + "'LengthOfMakeHH'"), "6");
    EXPECT_EQ(db_.Text(value + "'AutoMakeHH'"), "1");
    EXPECT_EQ(db_.Text(value + "'FCurrYear'"), "2026");
    EXPECT_EQ(db_.Text(value + "'FCurrPeriod'"), "12");
}

TEST_F(DemoDatabaseTest, OperatorsHoldExactlyTheirRights)
{
    const auto& operators = DemoOperators();
    ASSERT_EQ(operators.size(), 2u);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM t_Operator"), 2);
    const auto rightsOf = [&](const std::string& code) {
        std::set<std::string> rights;
        for (auto row : db_.Rows(std::string("SELECT FRight FROM t_OperatorRight WHERE FModule = '") + kModuleCode +
                                 "' AND FOperator = '" + code + "'")) {
            rights.insert(row.substr(2, row.size() - 3));
        }
        return rights;
    };
    const std::set<std::string> all(ModuleRights().begin(), ModuleRights().end());
    EXPECT_EQ(all.size(), 9u);
    for (const auto& op : operators) {
        EXPECT_EQ(db_.Text("SELECT FName FROM t_Operator WHERE FCode = '" + op.code + "'"), op.name);
    }
    EXPECT_EQ(rightsOf(operators[0].code), all);
    std::set<std::string> lesser = all;
    lesser.erase("审核");
    lesser.erase("查看所有用户");
    EXPECT_EQ(rightsOf(operators[1].code), lesser);
}

TEST_F(DemoDatabaseTest, HasOpenAuditedAndPostedBillsOfBothModes)
{
    const auto bills = db_.Int("SELECT count(*) FROM SubAdjuctPrice");
    EXPECT_GE(bills, 8);
    EXPECT_LE(bills, 10);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM SubAdjuctPrice WHERE typeof(lsh) <> 'text' OR lsh GLOB '*[^0-9]*' "
                      "OR lsh GLOB '0*'"),
              0);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM SubAdjuctPrice WHERE shbz = 1 AND jzbz = 0 AND shry <> ''"), 1);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM SubAdjuctPrice WHERE jzbz = 1 AND shbz = 1"), 1);
    EXPECT_EQ(db_.Int("SELECT count(*) FROM SubAdjuctPrice WHERE shbz = 0 AND jzbz = 0 AND shry IS NULL"),
              bills - 2);
    EXPECT_GT(db_.Int("SELECT count(*) FROM SubAdjuctPrice WHERE bz5 = '1'"), 0);
    EXPECT_GT(db_.Int("SELECT count(*) FROM SubAdjuctPrice WHERE bz5 = ''"), 0);
    EXPECT_GT(db_.Int("SELECT count(*) FROM SubAdjuctPrice WHERE bz5 IS NULL"), 0);
    for (const auto& op : DemoOperators()) {
        EXPECT_GT(db_.Int("SELECT count(*) FROM SubAdjuctPrice WHERE czry = '" + op.name + "'"), 0) << op.name;
    }
    EXPECT_EQ(db_.Int("SELECT count(*) FROM SubAdjuctPrice WHERE czry NOT IN (SELECT FName FROM t_Operator)"), 0);
}

// Consistency of bills with the rest of the data, for the default and for a tiny data set
// (where bills can run short of suitable items).
class DemoBillConsistencyTest : public ::testing::TestWithParam<DemoOptions> {
protected:
    void SetUp() override { CreateDemoDatabase(path_, GetParam()); }

    ScratchDir dir_;
    std::string path_ = dir_.File("demo.db");
};

TEST_P(DemoBillConsistencyTest, BillsReferToExistingTargetsAndItems)
{
    SqliteProbe db(path_);
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPrice WHERE ifnull(bz5, '') = '' "
                     "AND dwbh NOT IN (SELECT tjbh FROM gl_custom)"),
              0);
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPrice WHERE bz5 = '1' "
                     "AND dwbh NOT IN (SELECT id FROM glsx WHERE fid = 3)"),
              0);
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPrice WHERE ifnull(bz5, '') NOT IN ('', '1')"), 0);
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPricemx l LEFT JOIN yw_kck k ON k.hh = l.hh "
                     "WHERE k.hh IS NULL OR k.FDeleted = 1"),
              0);
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPricemx WHERE lsh NOT IN (SELECT lsh FROM SubAdjuctPrice)"), 0);
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPricemx l JOIN yw_kck k ON k.hh = l.hh "
                     "WHERE l.pm <> k.pm || '\\' || k.gg || '\\' || k.cd || '\\' || k.pdw"),
              0);
}

TEST_P(DemoBillConsistencyTest, LinesAreNumberedAndPricedLikeTheHost)
{
    SqliteProbe db(path_);
    EXPECT_EQ(db.Int("SELECT count(*) FROM (SELECT lsh, count(*) n, count(DISTINCT hh) items, "
                     "sum(CAST(dh AS INT)) dhs FROM SubAdjuctPricemx GROUP BY lsh) "
                     "WHERE n < 1 OR n > 6 OR items <> n OR dhs <> 50 * n * (n + 1)"),
              0);
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPrice WHERE lsh NOT IN (SELECT lsh FROM SubAdjuctPricemx)"), 0);
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPricemx WHERE typeof(sj1) <> 'real' OR typeof(sj2) <> 'real' "
                     "OR round(sj1, 2) <> sj1 OR round(sj2, 2) <> sj2 OR sj1 <= 0 OR sj2 <= 0 OR sj1 = sj2"),
              0);
    // Open bills start from today's price at their target; audited ones already wrote theirs.
    const std::string current = "(SELECT p.SJ FROM glprice p WHERE p.HH = l.hh AND p.DWBH = h.dwbh)";
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPricemx l JOIN SubAdjuctPrice h ON h.lsh = l.lsh "
                     "WHERE h.shbz = 0 AND ifnull(" + current + ", -1) <> l.sj1"),
              0);
    // (unless a later audited bill changed the same price again)
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPricemx l JOIN SubAdjuctPrice h ON h.lsh = l.lsh "
                     "WHERE h.shbz = 1 AND ifnull(" + current + ", -1) <> l.sj2 AND NOT EXISTS ("
                     "SELECT 1 FROM SubAdjuctPricemx l2 JOIN SubAdjuctPrice h2 ON h2.lsh = l2.lsh "
                     "WHERE h2.shbz = 1 AND h2.dwbh = h.dwbh AND l2.hh = l.hh "
                     "AND CAST(h2.lsh AS INT) > CAST(h.lsh AS INT))"),
              0);
}

TEST_P(DemoBillConsistencyTest, BillDatesAreRecentTextDates)
{
    SqliteProbe db(path_);
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPrice WHERE typeof(kdrq) <> 'text' OR typeof(execdate) <> 'text' "
                     "OR date(kdrq) IS NOT kdrq OR date(execdate) IS NOT execdate OR execdate < kdrq "
                     "OR fyear <> CAST(strftime('%Y', kdrq) AS INT) OR fperiod <> CAST(strftime('%m', kdrq) AS INT)"),
              0);
    EXPECT_LE(db.Int("SELECT julianday(max(kdrq)) - julianday(min(kdrq)) FROM SubAdjuctPrice"), 42);
    // Later serials are never older.
    EXPECT_EQ(db.Int("SELECT count(*) FROM SubAdjuctPrice a JOIN SubAdjuctPrice b "
                     "ON CAST(a.lsh AS INT) < CAST(b.lsh AS INT) WHERE a.kdrq > b.kdrq"),
              0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, DemoBillConsistencyTest,
                         ::testing::Values(DemoOptions{}, DemoOptions{.itemCount = 3, .branchCount = 1, .seed = 7}),
                         [](const auto& info) { return info.index == 0 ? "Default" : "Tiny"; });

std::vector<std::string> Dump(const std::string& path)
{
    SqliteProbe db(path);
    std::vector<std::string> all;
    for (const char* table : {"sys_var", "t_SystemProfile", "GLSelect", "gl_custom", "glsx", "kclb", "yw_kck",
                              "glprice", "SubAdjuctPrice", "SubAdjuctPricemx", "t_Operator", "t_OperatorRight"}) {
        for (auto& row : db.Rows(std::string("SELECT * FROM ") + table + " ORDER BY rowid")) {
            all.push_back(table + (':' + row));
        }
    }
    return all;
}

TEST(DemoDatabaseSeedTest, SameSeedSameContentOtherSeedOtherContent)
{
    ScratchDir dir;
    const DemoOptions options{.itemCount = 400, .branchCount = 6, .seed = 99};
    CreateDemoDatabase(dir.File("a.db"), options);
    CreateDemoDatabase(dir.File("b.db"), options);
    CreateDemoDatabase(dir.File("c.db"), {.itemCount = 400, .branchCount = 6, .seed = 100});
    const auto a = Dump(dir.File("a.db"));
    EXPECT_GT(a.size(), 2000u);
    EXPECT_EQ(a, Dump(dir.File("b.db")));
    EXPECT_NE(a, Dump(dir.File("c.db")));
}

}  // namespace
}  // namespace schema::test
