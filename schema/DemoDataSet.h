// The demo data set in memory: generated first from the options and the seed, then written
// out by CreateDemoDatabase. Keeping the two apart lets the bills be drawn from the prices
// as they stand after earlier bills were audited.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "schema/DemoDatabase.h"
#include "schema/RowSink.h"

namespace schema::detail {

struct DemoBranch {
    std::string code, name, mnemonic, typeId;
};

struct DemoItem {
    std::string code, name, packing, origin, unit, categoryId, mnemonic;
    std::optional<int> deleted;  // 1 withdrawn; 0 or NULL active
};

// A price target: a branch or a whole branch type. Targets [0, branchCount) are the
// branches, the following ones the branch types in catalog order.
struct DemoPrices {
    int targetCount = 0;
    std::vector<int> cents;  // itemIndex * targetCount + target; 0 = no price there

    int& At(int item, int target) { return cents[static_cast<size_t>(item) * targetCount + target]; }
    int At(int item, int target) const { return cents[static_cast<size_t>(item) * targetCount + target]; }
};

struct DemoBillLine {
    std::string dh;
    int item = 0;
    int oldCents = 0, newCents = 0;
};

struct DemoBill {
    std::string serial;
    std::string billDate, execDate;  // YYYY-MM-DD
    int year = 0, period = 0;
    std::optional<std::string> remark;
    std::string maker;
    bool audited = false, posted = false;
    std::optional<std::string> auditor;
    std::string target;             // branch code or branch type id
    std::optional<std::string> mode;  // "1" branch type; "" or NULL one branch
    std::vector<DemoBillLine> lines;
};

struct DemoDataSet {
    std::vector<DemoBranch> branches;
    std::vector<DemoItem> items;
    DemoPrices prices;  // after the audited bills took effect
    std::vector<DemoBill> bills;
};

// Throws std::invalid_argument for counts out of range.
DemoDataSet GenerateDemoData(const DemoOptions& options);

// Every row of the data set and the fixed rows, into tables that exist and are empty.
void WriteDemoRows(RowSink& sink, const DemoDataSet& data);

}  // namespace schema::detail
