// Host databases at chain scale, for measuring the module: the demo set (small), or hundreds of
// branches, tens of thousands of items, up to a million branch prices and hundreds of thousands of
// bills with millions of lines (medium, large). Deterministic for a given seed; written through
// prepared statements inside one transaction.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "schema/RowSink.h"

namespace schema {

enum class DataScale { Small, Medium, Large };

// "small", "medium", "large"; nothing for any other text.
std::optional<DataScale> ParseDataScale(std::string_view name);

struct ScaleOptions {
    int branchCount = 0;    // gl_custom rows, codes "001", "002", ...
    int itemCount = 0;      // yw_kck rows, codes "100001", ...
    int priceCount = 0;     // glprice rows: every item at branch "001", the rest spread out
    int billCount = 0;      // SubAdjuctPrice rows, serials "1" .. billCount
    int lineCount = 0;      // SubAdjuctPricemx rows
    int openBillCount = 0;  // the newest bills are not posted
    unsigned seed = 20261206;

    // medium: 20 branches, 10,000 items, 100,000 prices, 20,000 bills with 300,000 lines, 1,000
    // open; large: 200 branches, 100,000 items, 1,000,000 prices, 200,000 bills with 3,000,000
    // lines, 10,000 open. Small has no options: it is the demo set.
    static ScaleOptions Of(DataScale scale);
};

// Rows that every medium and large set holds, for measurements to find:
// - kLongBillCount open, unaudited bills of the first demo operator for branch kLongBillBranch, of
//   kLongBillLines lines each with the remark kLongBillRemark; half of their items have a price
//   at that branch, the other half none;
// - open bills of the first demo operator for single branches holding kOperatorOpenLines lines in
//   all (the long bills included); his other bills are posted;
// - about a third of the other open bills audited.
inline constexpr int kLongBillCount = 5;
inline constexpr int kLongBillLines = 300;
inline constexpr const char* kLongBillRemark = "三百行调价单";
inline constexpr const char* kLongBillBranch = "002";
inline constexpr int kOperatorOpenLines = 2000;

// Creates the file (std::runtime_error if it exists or cannot be created; nothing is left behind
// on failure). Throws std::invalid_argument for options out of range.
void CreateScaleDatabase(const std::string& path, DataScale scale);
void CreateScaleDatabase(const std::string& path, const ScaleOptions& options);

namespace detail {
// Every row of a medium or large set into host tables that exist and are empty: the same rows
// whatever the sink writes to. Throws std::invalid_argument for options out of range.
void WriteScaleRows(RowSink& sink, const ScaleOptions& options);
}  // namespace detail

}  // namespace schema
