// The rows of the shelf labels of stored bills: each line's item as yw_kck describes it, with the
// old and new price and the execution date of its bill. A bill for a branch type gives one set for
// the type, or one set for each branch of the type when asked.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "data/LabelPrinter.h"

namespace db {
class Connection;
}

namespace bill {

struct LabelBill {
    std::string serial;
    bool toBranchType = false;  // bz5 = '1'
    std::string targetCode, targetName;
    std::vector<std::pair<std::string, std::string>> branches;  // of the type: code, name
    std::vector<data::ShelfLabel> labels;                       // in line-number order
};

// The bills of the serials that are stored, in the order given; unknown serials are passed over.
// Prices are compared at `decimals` places for the strike-through. Failures raise db::Error.
std::vector<LabelBill> ReadLabelBills(db::Connection& c, const std::vector<std::string>& serials, int decimals);

// One set per bill at its target; with eachBranch, a type bill gives a set per branch of the type
// instead (the type's own set when it has no branch). Bills without lines give no set.
std::vector<data::LabelSet> LabelSets(const std::vector<LabelBill>& bills, bool eachBranch);

}  // namespace bill
