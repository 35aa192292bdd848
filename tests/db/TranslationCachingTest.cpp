// Statements are translated through a cache by their shape, and what a translation took from the
// catalog is taken again after the schema changed: the same text then means what it means now.
#include <gtest/gtest.h>

#include "support/TestDatabase.h"

using testing_support::TestDatabase;

TEST(TranslationCaching, AStatementKeepsUpWithTheSchemaAndItsStrings) {
    TestDatabase t;
    auto& c = t.Db();
    c.Execute("create table z (k int)");
    c.Execute("insert into z values (1)");
    const char* plus = "select k + '1' as v from z";
    EXPECT_EQ(c.OpenRecordset(plus).Get("v").ToText(), "2");  // a number column: an addition
    c.Execute("alter table z rename column k to k0");
    c.Execute("alter table z add column k varchar(10)");
    c.Execute("update z set k = 'a'");
    EXPECT_EQ(c.OpenRecordset(plus).Get("v").ToText(), "a1");  // now a text column: a concatenation
    // Same shape, other strings: each statement gets its own.
    for (const char* s : {"b", "c'd", ""})
        EXPECT_EQ(c.OpenRecordset(std::string("select k + '") + (*s == 'c' ? "c''d" : s) + "' as v from z").Get("v").ToText(),
                  std::string("a") + s);
}
