// The host's print engine: reads the listed bills from the two bill tables through the
// connection it is given, lays them out and prints or previews them.
#pragma once
#include <string>

#include "data/Component.h"

namespace db {
class Connection;
}

namespace data {

class PrintEngine : public Component {
public:
    virtual void SetCompany(const std::string& company) = 0;
    // index 0 the header table, 1 the line table.
    virtual void SetTable(int index, const std::string& tableName) = 0;
    // serials: one serial number or several joined by "|"; flag: the caller's second flag.
    virtual void Print(int billType, std::string& serials, bool& flag) = 0;
    virtual void SetConnection(db::Connection& connection) = 0;
    virtual void SetFlag(int flag) = 0;
};

inline constexpr const char* kCompanyId = "HQ-BRANCH-PRICE";
inline constexpr int kBillTypeCode = 58;
inline constexpr const char* kHeaderTable = " SubAdjuctPrice ";
inline constexpr const char* kLineTable = " SubAdjuctPricemx ";

// Creates the host's print engine and prints the bills of the serial list ("|"-joined) with the
// calls in the order of the browser's print: connection, company, table 0, table 1, flag -1, then
// print with the second flag true. Failures reach the caller.
void PrintBillList(db::Connection& connection, std::string serials);

}  // namespace data
