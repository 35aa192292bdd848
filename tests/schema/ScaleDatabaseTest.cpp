// The chain-scale data sets: the amounts asked for to the row, the rows measurements look for,
// determinism, refusal of options that cannot be met, and the indexes that numbering, the
// browser's clean-up, an operator's open bills and an item's lines in other bills are read through.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "SqliteProbe.h"
#include "db/dialect/TsqlTranslator.h"
#include "schema/DemoDatabase.h"
#include "schema/ScaleDatabase.h"

namespace schema::test {
namespace {

// Small enough for a test, with every fixture of the medium and large sets.
ScaleOptions Tiny() {
    ScaleOptions o;
    o.branchCount = 3;
    o.itemCount = 1200;
    o.priceCount = 3000;
    o.billCount = 300;
    o.openBillCount = 120;
    o.lineCount = 4450;
    return o;
}

class ScaleDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<ScratchDir>();
        CreateScaleDatabase(dir_->File("tiny.db"), Tiny());
    }
    static void TearDownTestSuite() { dir_.reset(); }
    SqliteProbe Db() const { return SqliteProbe(dir_->File("tiny.db")); }
    static inline std::unique_ptr<ScratchDir> dir_;
};

TEST_F(ScaleDatabaseTest, HoldsTheAmountsAskedFor) {
    const auto o = Tiny();
    auto db = Db();
    EXPECT_EQ(db.Int("select count(*) from gl_custom"), o.branchCount);
    EXPECT_EQ(db.Int("select count(*) from yw_kck"), o.itemCount);
    EXPECT_EQ(db.Int("select count(*) from glprice"), o.priceCount);
    EXPECT_EQ(db.Int("select count(*) from SubAdjuctPrice"), o.billCount);
    EXPECT_EQ(db.Int("select count(*) from SubAdjuctPricemx"), o.lineCount);
    EXPECT_EQ(db.Int("select count(*) from SubAdjuctPrice where jzbz=0"), o.openBillCount);
    EXPECT_EQ(db.Int("select max(cast(lsh as int)) from SubAdjuctPrice"), o.billCount);
    // Branch 001 lists every item; no pair twice; every line's item exists and is live.
    EXPECT_EQ(db.Int("select count(*) from glprice where dwbh='001'"), o.itemCount);
    EXPECT_EQ(db.Int("select count(*) from SubAdjuctPricemx m left join yw_kck k on k.hh=m.hh "
                     "where k.hh is null or ifnull(k.FDeleted,0)<>0"),
              0);
    EXPECT_EQ(db.Int("select count(*) from (select lsh, hh from SubAdjuctPricemx group by lsh, hh having count(*)>1)"), 0);
    // Posted bills are audited; the open ones are the newest.
    EXPECT_EQ(db.Int("select count(*) from SubAdjuctPrice where jzbz=1 and shbz=0"), 0);
    EXPECT_EQ(db.Int("select min(cast(lsh as int)) from SubAdjuctPrice where jzbz=0"), o.billCount - o.openBillCount + 1);
}

TEST_F(ScaleDatabaseTest, HoldsTheRowsMeasurementsLookFor) {
    auto db = Db();
    const std::string admin = DemoOperators().front().name;
    const std::string longBills =
        std::string("select lsh from SubAdjuctPrice where bz='") + kLongBillRemark + "' and jzbz=0 and shbz=0 and czry='" +
        admin + "' and dwbh='" + kLongBillBranch + "' and bz5=''";
    EXPECT_EQ(db.Int("select count(*) from (" + longBills + ")"), kLongBillCount);
    EXPECT_EQ(db.Int("select min(n) from (select count(*) n from SubAdjuctPricemx where lsh in (" + longBills +
                     ") group by lsh)"),
              kLongBillLines);
    EXPECT_EQ(db.Int("select count(*) from SubAdjuctPricemx m join glprice g on g.hh=m.hh and g.dwbh='002' "
                     "where m.lsh=(" + longBills + " limit 1)"),
              kLongBillLines / 2);
    EXPECT_EQ(db.Int("select count(*) from SubAdjuctPrice a join SubAdjuctPricemx b on a.lsh=b.lsh where a.czry='" + admin +
                     "' and a.jzbz=0 and ifnull(a.bz5,'')=''"),
              kOperatorOpenLines);
    const auto audited = db.Int("select count(*) from SubAdjuctPrice where jzbz=0 and shbz=1");
    EXPECT_GT(audited, Tiny().openBillCount / 5);
    EXPECT_LT(audited, Tiny().openBillCount / 2);
}

TEST_F(ScaleDatabaseTest, NumberingCleanUpOperatorsBillsAndItemLinesUseIndexes) {
    auto db = Db();
    auto plan = [&](const std::string& tsql) {
        std::string all;
        for (const auto& row : db.Rows("explain query plan " + db::dialect::TsqlTranslator().ToSqlite(tsql))) all += row + "\n";
        return all;
    };
    EXPECT_NE(plan("select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice ").find("ix_SubAdjuctPrice_lsh_number"),
              std::string::npos);
    const std::string cleanUp =
        plan("Delete A From SubAdjuctPrice A LEFT JOIN SubAdjuctPriceMX B ON A.LSH=B.LSH WHERE B.LSH IS NULL AND ISNULL(A.SHBZ,0)=0");
    EXPECT_NE(cleanUp.find("USING COVERING INDEX ix_SubAdjuctPrice_unaudited"), std::string::npos) << cleanUp;
    EXPECT_EQ(cleanUp.find("LEFT-JOIN"), std::string::npos) << cleanUp;
    EXPECT_NE(plan("Select A.LSH AS 流水号 From  SubAdjuctPrice A Where a.czry='张三' and A.JZBZ=0 and "
                   "isnull(a.bz5,'')=''  Order By A.LSH")
                  .find("ix_SubAdjuctPrice_czry_jzbz"),
              std::string::npos);
    // An item's lines in other bills: through the item, not every line (nor every audited bill).
    const std::string byItem = plan(
        "select m.hh,b.lsh from SubAdjuctPricemx m inner join SubAdjuctPrice h on h.lsh=m.lsh inner join SubAdjuctPricemx a "
        "on a.hh=m.hh inner join SubAdjuctPrice b on b.lsh=a.lsh where h.lsh='300' and b.dwbh=h.dwbh and b.shbz=1");
    EXPECT_NE(byItem.find("SEARCH a USING INDEX ix_SubAdjuctPricemx_hh (hh=?)"), std::string::npos) << byItem;
    EXPECT_NE(byItem.find("SEARCH b USING INDEX ux_SubAdjuctPrice_lsh (lsh=?)"), std::string::npos) << byItem;
    // ... and the later bills of the same branch that change them: through the branch and the date.
    const std::string later = plan(
        "select m.hh,b.lsh from SubAdjuctPricemx m inner join SubAdjuctPrice h on h.lsh=m.lsh inner join SubAdjuctPricemx a "
        "on a.hh=m.hh inner join SubAdjuctPrice b on b.lsh=a.lsh where h.lsh='300' and b.dwbh=h.dwbh and b.shbz=1 and "
        "b.kdrq>h.kdrq");
    EXPECT_NE(later.find("ix_SubAdjuctPrice_dwbh_kdrq (dwbh=? AND kdrq>?)"), std::string::npos) << later;
    // The numbering index gives the numeric maximum, not the text one.
    db.Run("insert into SubAdjuctPrice (lsh, shbz, jzbz) values ('99', 0, 0)");
    EXPECT_EQ(db.Int("select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice "), Tiny().billCount);
}

TEST(ScaleDatabase, SameSeedSameRowsAndImpossibleOptionsLeaveNoFile) {
    ScratchDir dir;
    CreateScaleDatabase(dir.File("a.db"), Tiny());
    CreateScaleDatabase(dir.File("b.db"), Tiny());
    const char* digest =
        "select (select group_concat(hh||dwbh||sellprice) from glprice) || (select group_concat(lsh||dh||hh||sj1||sj2) "
        "from SubAdjuctPricemx) || (select group_concat(lsh||kdrq||czry||shbz||jzbz||dwbh||ifnull(bz5,'-')) from SubAdjuctPrice)";
    EXPECT_EQ(SqliteProbe(dir.File("a.db")).Text(digest), SqliteProbe(dir.File("b.db")).Text(digest));

    for (auto change : {+[](ScaleOptions& o) { o.branchCount = 1; }, +[](ScaleOptions& o) { o.priceCount = 100; },
                        +[](ScaleOptions& o) { o.openBillCount = 10; }, +[](ScaleOptions& o) { o.lineCount = 100; },
                        +[](ScaleOptions& o) { o.lineCount = 1000000; }}) {
        ScaleOptions o = Tiny();
        change(o);
        EXPECT_THROW(CreateScaleDatabase(dir.File("bad.db"), o), std::invalid_argument);
        EXPECT_FALSE(std::filesystem::exists(dir.File("bad.db")));
    }
    EXPECT_EQ(ParseDataScale("large"), DataScale::Large);
    EXPECT_EQ(ParseDataScale("Large"), std::nullopt);
    EXPECT_EQ(ScaleOptions::Of(DataScale::Large).priceCount, 1000000);
    EXPECT_EQ(ScaleOptions::Of(DataScale::Medium).billCount, 20000);
}

}  // namespace
}  // namespace schema::test
