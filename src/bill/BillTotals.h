// The figures of "合计": how many lines a bill has, the sums of their old and new prices, the
// average change in percent, and the line with the largest rise and the one with the largest fall.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace bill {

struct TotalsLine {
    std::string hh, pm;
    double sj1 = 0, sj2 = 0;
};

struct BillTotals {
    int lines = 0;
    double oldSum = 0, newSum = 0;
    // Mean of the lines' changes in percent; lines whose old price is 0 have no percentage and
    // are left out. Nothing when no line has one.
    std::optional<double> averagePercent;
    // The change of the new sum against the old sum, in percent; nothing when the old sum is 0.
    std::optional<double> sumPercent;
    // The lines with the largest rise and the largest fall in percent (the first such line on a
    // tie); nothing when no line rises (falls).
    std::optional<TotalsLine> largestRise, largestFall;

    static BillTotals Of(const std::vector<TotalsLine>& lines);
};

}  // namespace bill
