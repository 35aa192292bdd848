// The host tables and the demo data written through a connection, as --init-demo does on a
// server: the same rows as the SQLite builder writes, and a database that already holds host
// tables is refused.
#include <gtest/gtest.h>

#include <filesystem>

#include "schema/DemoDatabase.h"
#include "schema/ServerDatabase.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

TEST(ServerDatabase, WritesTheSameDemoRowsAsTheFileBuilder) {
    TestDatabase t;
    const schema::DemoOptions o{.itemCount = 25, .branchCount = 3};
    db::Connection server, reference;
    server.Open(t.EmptyDatabaseConnStr());
    schema::CreateServerDemoDatabase(server, o);
    const std::string file = (std::filesystem::path(t.Path()).parent_path() / "reference.db").string();
    schema::CreateDemoDatabase(file, o);
    reference.Open("Provider=SQLite;Data Source=" + file);
    // Counts and sums of every kind of column: texts, numbers, prices and dates.
    const std::string summary =
        "select (select count(*) from sys_var), (select count(*) from t_SystemProfile), (select count(*) from GLSelect), "
        "(select count(*) from gl_custom), (select count(*) from glsx), (select count(*) from kclb), "
        "(select count(*) from yw_kck where isnull(FDeleted,0)=0), (select max(pm) from yw_kck), "
        "(select count(*) from glprice), (select cast(round(sum(SJ)*100,0) as int) from glprice), "
        "(select count(*) from SubAdjuctPrice where shbz=1), (select count(*) from SubAdjuctPrice where kdrq >= '2026-11-15'), "
        "(select count(*) from SubAdjuctPricemx), (select cast(round(sum(sj2)*100,0) as int) from SubAdjuctPricemx), "
        "(select count(*) from t_OperatorRight where FRight=N'审核')";
    auto got = server.OpenRecordset(summary), want = reference.OpenRecordset(summary);
    for (int f = 0; f < want.FieldCount(); ++f) EXPECT_EQ(got.Get(f).ToText(), want.Get(f).ToText()) << "column " << f;
}

// The demo's refusal and its message are the start-up test's (--init-demo); this is the one the
// PostgreSQL templates are made with.
TEST(ServerDatabase, HostTablesAreRefusedWhereThereAreSome) {
    TestDatabase t(true);
    EXPECT_THROW(schema::CreateServerHostTables(t.Db()), schema::HostTablesPresent);
}
