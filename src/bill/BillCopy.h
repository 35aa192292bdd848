// Making new bills from a stored one (复制 to other targets, 冲回): the stored bill as it was
// written, the selling prices of its items at other targets read in bulk, and the new bills
// written in one transaction under serials drawn as saving draws them.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bill/BillWriter.h"

namespace db {
class Connection;
}

namespace bill {

class FrmAdjuctPrice;

struct StoredBill {
    BillHeader header;            // as stored; byBranchType from bz5
    bool audited = false;
    std::vector<BillLine> lines;  // in line-number order
};

// The stored header and lines of `lsh`; nothing when no header is stored. Throws on a failing
// statement.
std::optional<StoredBill> ReadStoredBill(db::Connection& c, const std::string& lsh);

// The selling prices (glprice.sellprice) of the items of bill `lsh` at each of `targets`, read
// with a few statements rather than one per line. Codes match without regard to ASCII case, as
// the host database compares them.
class TargetPrices {
public:
    static TargetPrices Read(db::Connection& c, const std::string& lsh, const std::vector<std::string>& targets);
    // The price as the item entry takes it: no price (or a null one) at the target gives 0.
    double Of(const std::string& target, const std::string& hh) const;

private:
    std::map<std::pair<std::string, std::string>, double> prices_;
};

// A bill to be made: the header and lines without serial (nor line numbers: they are drawn).
struct NewBill {
    BillHeader header;
    std::vector<BillLine> lines;
};

// Writes `bills` in one transaction on the host connection: serials from the highest stored one
// plus one, counting up, line numbers 100, 200, ... Another operator taking a serial meanwhile
// makes the unique key refuse the header; the whole transaction is then tried again (three times
// at most). Returns the serials in the order of `bills`. Throws BillRefused or the database's
// error after the transaction has been rolled back.
std::vector<std::string> WriteNewBills(FrmAdjuctPrice& editor, std::vector<NewBill> bills);

}  // namespace bill
