// Values of a bill line that are most likely typing mistakes: a new price of 0, a change of the
// price by more than the host's limit either way, an execution date before the bill date. They
// are pointed out (status line at entry, the audit's question), never refused.
#pragma once
#include <string>
#include <vector>

#include "db/DateTime.h"

namespace bill {

inline constexpr const char* kExecBeforeBillDate = "执行日期早于开单日期";

// What looks wrong about the prices of one line, in the operator's words; empty when nothing.
// The change is measured against the old price; without an old price there is none to measure.
std::vector<std::string> PriceDoubts(double oldPrice, double newPrice, int limitPercent);

// Whether the execution date falls on a day before the bill date. The empty date (1900-01-01,
// what a bill without an execution date shows) is no date at all.
bool ExecutesBeforeBillDate(const db::DateTime& billDate, const db::DateTime& execDate);

// "货号A1：新售价为0，执行日期早于开单日期".
std::string LineDoubtText(const std::string& item, const std::vector<std::string>& doubts);

}  // namespace bill
