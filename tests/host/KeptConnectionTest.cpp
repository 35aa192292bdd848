// The host's components keep one connection per connection string until another string comes.
#include <gtest/gtest.h>

#include "db/Error.h"
#include "host/KeptConnection.h"
#include "host/QtLookupWindow.h"
#include "host/TableRightsComponent.h"
#include "support/TestDatabase.h"

namespace {

TEST(KeptConnection, KeptForTheSameStringAndTakenAnewForAnother) {
    testing_support::TestDatabase a, b;
    a.Exec("insert into gl_custom (tjbh, mc) values ('001', 'A')");
    b.Exec("insert into gl_custom (tjbh, mc) values ('001', 'B')");
    host::ReleaseKeptConnection();
    // A temporary table lives as long as the connection it was made on.
    host::FetchLookupRows(a.ConnStr(), "create temp table kept (x int)");
    EXPECT_EQ(host::FetchLookupRows(a.ConnStr(), "select count(*) from kept")->rows.size(), 1u);
    EXPECT_EQ(host::FetchLookupRows(b.ConnStr(), "select mc from gl_custom")->rows.at(0).at(0).ToText(), "B");
    EXPECT_EQ(host::FetchLookupRows(a.ConnStr(), "select mc from gl_custom")->rows.at(0).at(0).ToText(), "A");
    EXPECT_THROW(host::FetchLookupRows(a.ConnStr(), "select count(*) from kept"), db::Error);
    host::FetchLookupRows(a.ConnStr(), "create temp table kept (x int)");
    host::ReleaseKeptConnection();
    EXPECT_THROW(host::FetchLookupRows(a.ConnStr(), "select count(*) from kept"), db::Error);
    // The rights component asks on the same kept connection, for the string it is given.
    a.Grant("0001", "审核");
    host::TableRightsComponent rights;
    bool granted = false;
    rights.CheckRight("00000368", 0, "0001", "审核", a.ConnStr(), granted);
    EXPECT_TRUE(granted);
    rights.CheckRight("00000368", 0, "0001", "审核", b.ConnStr(), granted);
    EXPECT_FALSE(granted);
    rights.CheckRight("00000368", 0, "0001", "审核", a.ConnStr(), granted);
    EXPECT_TRUE(granted);
    host::ReleaseKeptConnection();
}

}  // namespace
