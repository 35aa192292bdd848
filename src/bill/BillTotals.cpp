#include "bill/BillTotals.h"

namespace bill {

BillTotals BillTotals::Of(const std::vector<TotalsLine>& lines) {
    BillTotals t;
    double percentSum = 0, rise = 0, fall = 0;
    int withPercent = 0;
    for (const auto& l : lines) {
        ++t.lines;
        t.oldSum += l.sj1;
        t.newSum += l.sj2;
        if (l.sj1 == 0) continue;
        const double pct = (l.sj2 - l.sj1) * 100.0 / l.sj1;
        percentSum += pct;
        ++withPercent;
        if (pct > rise) {
            rise = pct;
            t.largestRise = l;
        }
        if (pct < fall) {
            fall = pct;
            t.largestFall = l;
        }
    }
    if (withPercent > 0) t.averagePercent = percentSum / withPercent;
    if (t.oldSum != 0) t.sumPercent = (t.newSum - t.oldSum) * 100.0 / t.oldSum;
    return t;
}

}  // namespace bill
