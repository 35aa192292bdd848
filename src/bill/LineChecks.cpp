#include "bill/LineChecks.h"

#include <cmath>
#include <cstdio>

namespace bill {
namespace {

// A percentage with one decimal at most: 150, 50.5.
std::string Percent(double p) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", p);
    std::string text = buffer;
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) text.resize(text.size() - 2);
    return text + "%";
}

}  // namespace

std::vector<std::string> PriceDoubts(double oldPrice, double newPrice, int limitPercent) {
    if (newPrice == 0) return {"新售价为0"};
    if (!(oldPrice > 0)) return {};
    const double change = (newPrice - oldPrice) / oldPrice * 100.0;
    // Compared at the shown precision: a change shown as the limit itself is within it.
    const double shown = std::round(std::fabs(change) * 10.0) / 10.0;
    if (shown <= limitPercent) return {};
    return {std::string(change > 0 ? "新售价比原售价高" : "新售价比原售价低") + Percent(shown)};
}

bool ExecutesBeforeBillDate(const db::DateTime& billDate, const db::DateTime& execDate) {
    auto day = [](const db::DateTime& d) { return (d.year * 100 + d.month) * 100 + d.day; };
    const db::DateTime none{};
    if (day(execDate) == day(none) || day(billDate) == day(none)) return false;
    return day(execDate) < day(billDate);
}

std::string LineDoubtText(const std::string& item, const std::vector<std::string>& doubts) {
    std::string text = "货号" + item + "：";
    for (size_t i = 0; i < doubts.size(); ++i) text += (i ? "，" : "") + doubts[i];
    return text;
}

}  // namespace bill
