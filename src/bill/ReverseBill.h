// "冲回": an audited bill taken back by a new, unaudited bill for the same target whose new
// prices are the old prices of the audited one (and whose old prices are the target's prices
// now). The new bill is then audited like any other, so the price history stays whole. Lines
// whose item another audited bill at the target priced later are named first and left out
// unless the operator includes them.
#pragma once
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace bill {

class FrmAdjuctPrice;

inline constexpr const char* kNothingToReverse = "没有可以冲回的明细，未生成单据!";

// An item of the bill and the latest other audited bill at its target that priced it later:
// a later bill date, or the same date and a higher serial.
struct LaterPrice {
    std::string hh, lsh;
};
std::vector<LaterPrice> PricedLater(db::Connection& c, const std::string& lsh);

// The toolbar's 冲回 on the bill in the editor: needs the right "新增" and a stored audited bill;
// loads the new bill into the editor.
void ReverseBill(FrmAdjuctPrice& editor);

}  // namespace bill
