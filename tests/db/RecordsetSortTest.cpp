// The client-side sort: numbers and dates by value, texts in natural order (digits by value),
// nulls first when ascending and last when descending, equal keys in their fetched order, and a
// column that mixes numbers with texts compared by text across the two. The natural order itself,
// its prefix key, and the display order of rows fetched in a code's text order.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/NaturalOrder.h"
#include "db/Recordset.h"

namespace {

using db::Value;

db::Recordset Over(std::vector<Value> column) {
    auto rows = std::make_shared<db::RowSet>();
    rows->fields = {{"v", db::DataType::Variant}, {"n", db::DataType::Integer}};
    for (size_t i = 0; i < column.size(); ++i) rows->rows.push_back({column[i], Value::Int32(static_cast<int>(i))});
    return db::Recordset(nullptr, "", rows);
}

// Fetched row numbers in the sorted order.
std::vector<int> Sorted(db::Recordset rs, const std::string& sortOrder) {
    rs.Sort(sortOrder);
    std::vector<int> order;
    for (long r = 0; r < rs.RecordCount(); ++r) order.push_back(rs.At(static_cast<int>(r), 1).ToInt32());
    return order;
}

}  // namespace

TEST(RecordsetSort, NumbersDatesAndTextsByTheirOwnOrderNullsAtTheLowEnd) {
    auto numbers = Over({Value::Int32(10), Value::Null(), Value::Double(9.5), Value::Int16(-2), Value::Int64(10)});
    EXPECT_EQ(Sorted(numbers, "v ASC"), (std::vector<int>{1, 3, 2, 0, 4}));
    EXPECT_EQ(Sorted(numbers, "V desc"), (std::vector<int>{0, 4, 2, 3, 1}));  // equal keys stay in fetched order
    auto dates = Over({Value::Date({2026, 12, 1}), Value::Date({2025, 1, 31}), Value(), Value::Date({2026, 1, 2})});
    EXPECT_EQ(Sorted(dates, "v"), (std::vector<int>{2, 1, 3, 0}));
    auto texts = Over({Value::Text("b"), Value::Text("B"), Value::Text("调价"), Value::Text("a"), Value::Null()});
    EXPECT_EQ(Sorted(texts, "v DESC"), (std::vector<int>{2, 0, 1, 3, 4}));  // letters without regard to case
    EXPECT_EQ(Sorted(texts, ""), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(RecordsetSort, NumbersMeetTextsAndDatesByText) {
    // Across classes by text in natural order: "1a" < "9" < "10" < "2026-12-06".
    auto mixed = Over({Value::Text("9"), Value::Text("1a"), Value::Int32(10), Value::Date({2026, 12, 6})});
    EXPECT_EQ(Sorted(mixed, "v ASC"), (std::vector<int>{1, 0, 2, 3}));
}

TEST(RecordsetSort, SerialsAndLineNumbersSortByValue) {
    auto serials = Over({Value::Text("10"), Value::Text("11"), Value::Text("2"), Value::Text("3"), Value::Text("100")});
    EXPECT_EQ(Sorted(serials, "v ASC"), (std::vector<int>{2, 3, 0, 1, 4}));
    EXPECT_EQ(Sorted(serials, "v DESC"), (std::vector<int>{4, 1, 0, 3, 2}));
}

TEST(NaturalOrder, DigitsByValueTheRestAsTextCaseAndZerosLast) {
    struct Case {
        const char *a, *b;
        int expected;
    };
    const Case cases[] = {
        {"2", "10", -1},          {"10", "9", 1},          {"100", "100", 0},
        {"900", "1000", -1},      {"A2", "A10", -1},       {"A10b", "A10a", 1},
        {"a2", "A10", -1},        {"A", "a", -1},          {"abc", "ABD", -1},   // case only settles a tie
        {"01", "1", 1},           {"001", "01", 1},        {"01a", "1b", -1},    // zeros only settle a tie
        {"", "0", -1},            {"x", "x1", -1},         {"x/", "x1", -1},     // '/' sorts before digits
        {"x:", "x1", 1},          {"调价2", "调价10", -1}, {"甲", "调价", -1},  // other characters by code point
        {"99999999999999999999", "100000000000000000000", -1},  // runs longer than any integer
        {"1.5", "1.10", -1},      {"v2.10", "v2.9", 1},
    };
    for (const Case& c : cases) {
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
    auto rows = [](std::vector<Value> codes) {
        db::RowSet set;
        set.fields = {{"code", db::DataType::VarChar}};
        for (auto& c : codes) set.rows.push_back({c});
        return set;
    };
    using Order = std::vector<int>;
    const struct {
        std::vector<Value> codes;
        Order expected;
    } cases[] = {
        {{Value::Text("10"), Value::Text("11"), Value::Text("2"), Value::Text("3")}, Order{2, 3, 0, 1}},
        {{Value::Text("a10"), Value::Text("A2"), Value::Text("b1")}, Order{1, 0, 2}},       // ordered without regard to case
        {{Value::Text("2"), Value::Text("10"), Value::Text("11")}, Order{0, 1, 2}},         // already by value
        {{Value::Text("3"), Value::Text("10"), Value::Text("2")}, Order{0, 1, 2}},          // the statement's own order
        {{Value::Int32(10), Value::Int32(2)}, Order{0, 1}},                                 // numbers: as fetched
        {{Value::Text("10"), Value::Null(), Value::Text("2")}, Order{0, 1, 2}},
        {{Value::Text("10"), Value::Text("10"), Value::Text("9")}, Order{2, 0, 1}},         // ties keep their order
    };
    for (const auto& c : cases) EXPECT_EQ(db::NaturalOrderOfFirstColumn(rows(c.codes)), c.expected);
}
