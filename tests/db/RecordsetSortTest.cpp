// The client-side sort: numbers and dates by value, texts by their bytes, nulls first when
// ascending and last when descending, equal keys in their fetched order, and a column that mixes
// numbers with texts compared by text across the two.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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
    EXPECT_EQ(Sorted(texts, "v DESC"), (std::vector<int>{2, 0, 3, 1, 4}));
    EXPECT_EQ(Sorted(texts, ""), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(RecordsetSort, NumbersMeetTextsAndDatesByText) {
    // Across classes by text: "10" < "1a" < "2026-12-06" < "9".
    auto mixed = Over({Value::Text("9"), Value::Text("1a"), Value::Int32(10), Value::Date({2026, 12, 6})});
    EXPECT_EQ(Sorted(mixed, "v ASC"), (std::vector<int>{2, 1, 3, 0}));
}
