// The query routines of the host connection and the rights read through them.
#include <gtest/gtest.h>

#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "data/HostContext.h"
#include "db/Error.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

namespace {
class QueryRoutines : public ::testing::Test {
protected:
    void SetUp() override { t.OpenHostConnection(); }
    TestDatabase t;
};
}  // namespace

TEST_F(QueryRoutines, FieldValueDefaultsByTypeClassWhenNullOrNoRow) {
    EXPECT_EQ(data::GetFieldValue("select max( (cast(lsh as int)) ) as tjlsh from SubAdjuctPrice ", "tjlsh"),
              db::Value::Int16(0));
    EXPECT_EQ(data::GetFieldValue("select kdrq from SubAdjuctPrice where lsh='1'", "kdrq").ToText(), "1900-01-01");
    EXPECT_EQ(data::GetFieldValue("select mc from gl_custom where tjbh='x'", "mc"), db::Value::Text(""));
    t.Exec("insert into sys_var (slws, bz1) values (NULL, NULL)");
    EXPECT_EQ(data::GetFieldValue("select bz1 from sys_var", "BZ1"), db::Value::Int16(0));   // bit
    EXPECT_EQ(data::GetFieldValue("select slws from sys_var", "slws"), db::Value::Int16(0));  // smallint
    t.Exec("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('7',1,0)");
    EXPECT_EQ(data::GetFieldValue("Select shbz from SubAdjuctPrice where lsh='7'", "shbz").ToInt32(), 1);
    EXPECT_TRUE(t.Toolkit().Messages().empty());
}

TEST_F(QueryRoutines, FieldValueFailureShowsOneMessageAndYieldsEmpty) {
    db::Value v = data::GetFieldValue("select nosuch from SubAdjuctPrice", "nosuch");
    EXPECT_TRUE(v.IsEmpty());
    ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
    EXPECT_EQ(t.Toolkit().Messages()[0].message.title, "系统提示");
    EXPECT_TRUE(data::GetFieldValue("select lsh from SubAdjuctPrice", "bz").IsEmpty());
    EXPECT_EQ(t.Toolkit().Messages().size(), 2u);
}

TEST_F(QueryRoutines, SqlValueUsesItsOwnNarrowerTypeTable) {
    t.Exec("insert into sys_var (slws, bz1, sf_tag) values (NULL, NULL, NULL)");
    // A null bit: 0. PostgreSQL has no such type; the host schema makes its flags smallint there.
    const db::Value nullBit = testing_support::UnderPg() ? db::Value::Text("") : db::Value::Int16(0);
    const std::pair<const char*, std::vector<db::Value>> cases[] = {
        // a null smallint: empty text here
        {"select slws, bz1, sf_tag from sys_var", {db::Value::Int32(1), db::Value::Text(""), nullBit, db::Value::Text("")}},
        {"select lsh, shbz, kdrq from SubAdjuctPrice",
         {db::Value::Int16(0), db::Value::Text(""), db::Value::Int16(0), db::Value::Date({1900, 1, 1})}},
    };
    for (const auto& [sql, expected] : cases) {
        data::GetSqlValue q;
        q.strSQL = sql;
        q.GetArrayValue();
        EXPECT_EQ(q.ArrayValue(), expected) << sql;
    }
    data::GetSqlValue bad;
    bad.strSQL = "select nosuch from sys_var";
    EXPECT_THROW(bad.GetArrayValue(), db::Error);
    EXPECT_TRUE(t.Toolkit().Messages().empty());
}

TEST_F(QueryRoutines, RecordsetRoutinesReportFailuresAsErrorBoxes) {
    t.Exec("insert into SubAdjuctPrice (lsh,shbz,jzbz) values ('1',0,0)");
    auto rs = data::GetRecordset("select lsh from SubAdjuctPrice");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Get(0).ToText(), "1");
    auto own = data::GetRecordsetByConnStr("select LSH,shbz from SubAdjuctPrice where lsh='1'");
    ASSERT_TRUE(own);
    own->Requery();  // its own connection is still alive
    EXPECT_EQ(own->RecordCount(), 1);
    EXPECT_FALSE(data::GetRecordset("select from"));
    ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
    EXPECT_EQ(t.Toolkit().Messages()[0].message.title, "错误:");
}

TEST_F(QueryRoutines, RightsComeFromTheHostTableAndDenyByDefault) {
    t.Grant("0001", "新增");
    EXPECT_TRUE(data::HasRight("新增"));
    EXPECT_FALSE(data::HasRight("审核"));
    EXPECT_FALSE(data::CheckRight("审核"));
    ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
    EXPECT_EQ(t.Toolkit().Messages()[0].message.text, "对不起，你没有此权限！");
    data::Host().OptCode = "x' or '1'='1";
    EXPECT_FALSE(data::HasRight("新增"));
}
