// Reads price-adjustment bills for printing: the header, the name of the branch or branch type
// it addresses, and its lines in line-number order, through the caller's connection and from the
// header and line tables the print engine was given.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
class Value;
}

namespace host {

struct PrintedBillLine {
    std::string lineNo;  // dh
    std::string itemCode;
    std::string description;  // name\size\origin\unit
    double oldPrice = 0, newPrice = 0;
};

struct PrintedBill {
    std::string serial;
    std::string billDate, execDate;  // YYYY-MM-DD, empty when not set
    std::string remark, operatorName, auditor;
    bool audited = false, posted = false;
    bool toBranchType = false;  // bz5 = '1'
    std::string targetCode, targetName;
    std::vector<PrintedBillLine> lines;
};

class BillReader {
public:
    // Table names are trimmed; throws db::Error when one is empty or not a plain table name.
    BillReader(db::Connection& connection, const std::string& headerTable, const std::string& lineTable);

    // Nothing when no bill has the serial; database failures raise db::Error.
    std::optional<PrintedBill> Read(const std::string& serial);

private:
    std::string TargetName(const std::string& code, bool toBranchType);

    db::Connection& connection_;
    std::string headerTable_, lineTable_;
};

// The serial numbers of a "|"-joined list, trimmed, empty parts left out.
std::vector<std::string> SplitSerials(const std::string& list);

}  // namespace host
