#include "bill/PriceRounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "data/SystemSettings.h"

namespace bill {
namespace {

// Fixed-point text of `v` with `places` decimals, independent of the process locale.
std::string Fixed(double v, int places) {
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, places);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

double FromText(std::string_view text) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc::result_out_of_range) return v;
    // Plain digits only reach here: beyond a double when the integer part has a digit other
    // than 0, below its smallest step otherwise.
    const std::string_view whole = text.substr(0, text.find('.'));
    return whole.find_first_not_of('0') == std::string_view::npos ? 0.0 : HUGE_VAL;
}

}  // namespace

int PriceDecimals() { return std::clamp<int>(data::Settings().jjbl, 0, 6); }

double RoundPrice(double v, int decimals) {
    decimals = std::clamp(decimals, 0, 6);
    if (!std::isfinite(v) || std::fabs(v) >= 1e15) return v;
    // Twelve places keep a price's own decimals and drop the noise of its binary form (1.005 is
    // held as 1.00499999999999989...); the rounding is then done on the decimal digits.
    const std::string digits = Fixed(std::fabs(v), 12);
    const size_t point = digits.find('.');
    std::string kept = digits.substr(0, point + 1 + decimals);
    if (digits[point + 1 + decimals] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        for (; i >= 0; --i) {
            if (kept[i] == '.') continue;
            if (kept[i] != '9') break;
            kept[i] = '0';
        }
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i];
    }
    const double r = FromText(kept);
    return v < 0 && r != 0 ? -r : r;
}

std::string PriceText(double v, int decimals) {
    decimals = std::clamp(decimals, 0, 6);
    double r = RoundPrice(v, decimals);
    if (r == 0) r = 0;  // no "-0.00"
    return Fixed(r, decimals);
}

PriceFault CheckPrice(double price) {
    if (!std::isfinite(price)) return PriceFault::NotFinite;
    if (price < 0) return PriceFault::Negative;
    if (price >= kPriceLimit) return PriceFault::TooLarge;
    return PriceFault::None;
}

std::string PriceRefusal(double price, int decimals, std::string_view what) {
    const std::string named = std::string(what) + "“" + (std::isfinite(price) ? PriceText(price, decimals) : "∞") + "”";
    switch (CheckPrice(price)) {
        case PriceFault::None: return {};
        case PriceFault::Negative: return named + "不能为负数!";
        case PriceFault::TooLarge:
        case PriceFault::NotFinite: break;
    }
    return named + "超出范围，整数部分最多14位!";
}

std::string PercentText(double from, double to) {
    if (from == 0) return {};
    double pct = RoundPrice((to - from) * 100.0 / from, 2);
    if (pct == 0) pct = 0;
    return (pct > 0 ? "+" : "") + Fixed(pct, 2) + "%";
}

std::optional<double> ParsePrice(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int digits = 0, points = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c != '.' || ++points > 1)
            return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    // from_chars reads neither a leading '.' nor a trailing one on every library: complete them.
    std::string plain(text);
    if (plain.front() == '.') plain.insert(plain.begin(), '0');
    if (plain.back() == '.') plain.push_back('0');
    const double v = FromText(plain);
    return negative ? -v : v;
}

}  // namespace bill
