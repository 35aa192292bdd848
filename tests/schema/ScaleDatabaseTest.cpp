// The indexes that numbering, the browser's clean-up, an operator's open bills and an item's lines
// in other bills are read through.
#include <gtest/gtest.h>

#include <string>

#include "SqliteProbe.h"
#include "db/dialect/TsqlTranslator.h"
#include "schema/ScaleDatabase.h"

namespace schema::test {
namespace {

// Small enough for a test, with every fixture of the medium and large sets.
constexpr ScaleOptions kTiny{.branchCount = 3, .itemCount = 1200, .priceCount = 3000, .billCount = 300, .lineCount = 4450,
                             .openBillCount = 120};

TEST(ScaleDatabase, NumberingCleanUpOperatorsBillsAndItemLinesUseIndexes) {
    ScratchDir dir;
    CreateScaleDatabase(dir / "tiny.db", kTiny);
    SqliteProbe db(dir / "tiny.db");
    const std::string otherBills =
        "select m.hh,b.lsh from SubAdjuctPricemx m inner join SubAdjuctPrice h on h.lsh=m.lsh inner join SubAdjuctPricemx a "
        "on a.hh=m.hh inner join SubAdjuctPrice b on b.lsh=a.lsh where h.lsh='300' and b.dwbh=h.dwbh and b.shbz=1";
    const std::pair<std::string, std::vector<const char*>> cases[] = {
        {"select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice ", {"ix_SubAdjuctPrice_lsh_number"}},
        {"Delete A From SubAdjuctPrice A LEFT JOIN SubAdjuctPriceMX B ON A.LSH=B.LSH WHERE B.LSH IS NULL AND ISNULL(A.SHBZ,0)=0",
         {"USING COVERING INDEX ix_SubAdjuctPrice_unaudited"}},
        {"Select A.LSH AS 流水号 From  SubAdjuctPrice A Where a.czry='张三' and A.JZBZ=0 and isnull(a.bz5,'')=''  Order By A.LSH",
         {"ix_SubAdjuctPrice_czry_jzbz"}},
        // An item's lines in other bills: through the item, not every line (nor every audited bill) ...
        {otherBills, {"SEARCH a USING INDEX ix_SubAdjuctPricemx_hh (hh=?)", "SEARCH b USING INDEX ux_SubAdjuctPrice_lsh (lsh=?)"}},
        // ... and the later bills of the same branch that change them: through the branch and the date.
        {otherBills + " and b.kdrq>h.kdrq", {"ix_SubAdjuctPrice_dwbh_kdrq (dwbh=? AND kdrq>?)"}},
    };
    for (const auto& [tsql, wanted] : cases) {
        std::string plan;
        for (const auto& row : db.Rows("explain query plan " + db::dialect::TsqlTranslator().ToSqlite(tsql))) plan += row + "\n";
        for (const char* w : wanted) EXPECT_NE(plan.find(w), std::string::npos) << w << " in\n" << plan;
        EXPECT_EQ(plan.find("LEFT-JOIN"), std::string::npos) << plan;
    }
    // The numbering index gives the numeric maximum, not the text one.
    db.Run("insert into SubAdjuctPrice (lsh, shbz, jzbz) values ('99', 0, 0)");
    EXPECT_EQ(db.Int("select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice "), kTiny.billCount);
}

}  // namespace
}  // namespace schema::test
