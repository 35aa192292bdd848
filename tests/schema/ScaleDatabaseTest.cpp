// The indexes that numbering, the browser's clean-up, an operator's open bills and an item's lines
// in other bills are read through, on a chain-scale data set; and options that cannot be met.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "SqliteProbe.h"
#include "db/dialect/TsqlTranslator.h"
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

TEST(ScaleDatabase, NumberingCleanUpOperatorsBillsAndItemLinesUseIndexes) {
    ScratchDir dir;
    CreateScaleDatabase(dir / "tiny.db", Tiny());
    SqliteProbe db(dir / "tiny.db");
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

TEST(ScaleDatabase, ImpossibleOptionsLeaveNoFile) {
    ScratchDir dir;
    for (auto change : {+[](ScaleOptions& o) { o.branchCount = 1; }, +[](ScaleOptions& o) { o.priceCount = 100; },
                        +[](ScaleOptions& o) { o.openBillCount = 10; }, +[](ScaleOptions& o) { o.lineCount = 100; },
                        +[](ScaleOptions& o) { o.lineCount = 1000000; }}) {
        ScaleOptions o = Tiny();
        change(o);
        EXPECT_THROW(CreateScaleDatabase(dir / "bad.db", o), std::invalid_argument);
        EXPECT_FALSE(std::filesystem::exists(dir / "bad.db"));
    }
}

}  // namespace
}  // namespace schema::test
