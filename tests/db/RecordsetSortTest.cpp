// The client-side sort (nulls at the low end, texts in natural order without regard to case, equal
// keys as fetched) and the natural order itself.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/NaturalOrder.h"
#include "db/Recordset.h"

using db::Value;
using Order = std::vector<int>;

TEST(RecordsetSort, EachClassByItsOwnOrderNullsAtTheLowEnd) {
    const struct {
        std::vector<Value> column;
        const char* sort;
        Order expected;  // fetched row numbers in the sorted order
    } cases[] = {
        {{Value::Int32(10), Value::Null(), Value::Double(9.5), Value::Int16(-2), Value::Int64(10)}, "v ASC", {1, 3, 2, 0, 4}},
        {{Value::Int32(10), Value::Null(), Value::Double(9.5), Value::Int16(-2), Value::Int64(10)}, "V desc", {0, 4, 2, 3, 1}},
        {{Value::Date({2026, 12, 1}), Value::Date({2025, 1, 31}), Value(), Value::Date({2026, 1, 2})}, "v", {2, 1, 3, 0}},
        {{Value::Text("b"), Value::Text("B"), Value::Text("调价"), Value::Text("a"), Value::Null()}, "v DESC", {2, 0, 1, 3, 4}},
        // across classes by text in natural order: "1a" < "9" < "10" < "2026-12-06"
        {{Value::Text("9"), Value::Text("1a"), Value::Int32(10), Value::Date({2026, 12, 6})}, "v ASC", {1, 0, 2, 3}},
    };
    for (const auto& c : cases) {
        auto rows = std::make_shared<db::RowSet>();
        rows->fields = {{"v", db::DataType::Variant}, {"n", db::DataType::Integer}};
        for (size_t i = 0; i < c.column.size(); ++i) rows->rows.push_back({c.column[i], Value::Int32(static_cast<int>(i))});
        db::Recordset rs(nullptr, "", rows);
        rs.Sort(c.sort);
        Order got;
        for (long r = 0; r < rs.RecordCount(); ++r) got.push_back(rs.At(static_cast<int>(r), 1).ToInt32());
        EXPECT_EQ(got, c.expected) << c.sort << " over " << c.column.size() << " rows";
    }
}

TEST(NaturalOrder, DigitsByValueTheRestAsTextCaseAndZerosLast) {
    const struct {
        const char *a, *b;
        int expected;
    } cases[] = {
        {"900", "1000", -1},     {"A10b", "A10a", 1},     {"100", "100", 0},
        {"a2", "A10", -1},       {"A", "a", -1},          {"abc", "ABD", -1},  // case only settles a tie
        {"01", "1", 1},          {"01a", "1b", -1},                            // zeros only settle a tie
        {"", "0", -1},           {"x/", "x1", -1},        {"x:", "x1", 1},     // digits between '/' and ':'
        {"甲", "调价", -1},      {"99999999999999999999", "100000000000000000000", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(db::NaturalCompare(c.a, c.b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(db::NaturalCompare(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
        // Keys that differ order as the texts do.
        const auto ka = db::NaturalPrefixKey(c.a), kb = db::NaturalPrefixKey(c.b);
        if (ka != kb) {
            EXPECT_EQ(ka < kb ? -1 : 1, c.expected) << "keys of " << c.a << " and " << c.b;
        }
    }
}

TEST(NaturalOrder, RowsFetchedInACodesTextOrderShowByValueAnyOtherOrderStays) {
    const struct {
        std::vector<Value> codes;
        Order expected;
    } cases[] = {
        {{Value::Text("10"), Value::Text("11"), Value::Text("2"), Value::Text("3")}, {2, 3, 0, 1}},
        {{Value::Text("a10"), Value::Text("A2"), Value::Text("b1")}, {1, 0, 2}},       // ordered without regard to case
        {{Value::Text("3"), Value::Text("10"), Value::Text("2")}, {0, 1, 2}},          // the statement's own order
        {{Value::Int32(10), Value::Int32(2)}, {0, 1}},                                 // numbers: as fetched
        {{Value::Text("10"), Value::Text("10"), Value::Text("9")}, {2, 0, 1}},         // ties keep their order
    };
    for (const auto& c : cases) {
        db::RowSet set;
        set.fields = {{"code", db::DataType::VarChar}};
        for (auto& v : c.codes) set.rows.push_back({v});
        EXPECT_EQ(db::NaturalOrderOfFirstColumn(set), c.expected);
    }
}
