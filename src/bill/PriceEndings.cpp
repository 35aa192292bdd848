#include "bill/PriceEndings.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "bill/PriceRounding.h"

namespace bill {
namespace {

// A price as whole yuan and millionths of a yuan, read from its decimal digits.
constexpr std::int64_t kUnit = 1'000'000;

struct Digits {
    std::int64_t yuan = 0;
    std::int64_t micro = 0;  // 0 .. kUnit-1
};

bool ToDigits(double price, Digits& out) {
    const std::string text = PriceText(price, 6);  // "12345.678900"
    const size_t point = text.find('.');
    if (point == std::string::npos) return false;
    const char* b = text.data();
    if (std::from_chars(b, b + point, out.yuan).ec != std::errc()) return false;
    return std::from_chars(b + point + 1, b + text.size(), out.micro).ec == std::errc();
}

double FromDigits(std::int64_t yuan, std::int64_t micro) {
    std::string text = std::to_string(yuan) + '.';
    const std::string frac = std::to_string(micro);
    text += std::string(6 - frac.size(), '0') + frac;
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// Floor division for a divisor above zero.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

PriceEnding PriceEndingOfKey(std::string_view key) {
    for (const auto& c : kPriceEndings)
        if (key == c.key) return c.rule;
    return PriceEnding::None;
}

int DecimalsNeeded(PriceEnding rule) {
    switch (rule) {
        case PriceEnding::NinetyNine: return 2;
        case PriceEnding::Nine:
        case PriceEnding::Dime: return 1;
        case PriceEnding::None:
        case PriceEnding::Yuan: break;
    }
    return 0;
}

std::string PriceEndingRefusal(PriceEnding rule, int decimals) {
    if (decimals >= DecimalsNeeded(rule)) return {};
    for (const auto& c : kPriceEndings)
        if (c.rule == rule)
            return "价格小数位数为" + std::to_string(decimals) + "位，不能使用尾数“" + c.caption + "”!";
    return {};
}

double ApplyPriceEnding(double price, PriceEnding rule) {
    if (rule == PriceEnding::None || CheckPrice(price) != PriceFault::None || price <= 0) return price;
    Digits d;
    if (!ToDigits(price, d)) return price;
    if (rule == PriceEnding::Dime) {
        // The nearest tenth of a yuan, half upward.
        constexpr std::int64_t tenth = kUnit / 10;
        std::int64_t tenths = (d.micro + tenth / 2) / tenth;
        std::int64_t yuan = d.yuan;
        if (tenths == 10) {
            ++yuan;
            tenths = 0;
        }
        if (yuan == 0 && tenths == 0) tenths = 1;
        return FromDigits(yuan, tenths * tenth);
    }
    // Candidates k + ending for every whole k: the nearest is k = floor(price - ending + 0.5).
    const std::int64_t ending = rule == PriceEnding::Nine ? 900'000 : rule == PriceEnding::NinetyNine ? 990'000 : 0;
    std::int64_t yuan = d.yuan + FloorDiv(d.micro - ending + kUnit / 2, kUnit);
    if (yuan < 0 || (yuan == 0 && ending == 0)) yuan = ending == 0 ? 1 : 0;
    return FromDigits(yuan, ending);
}

}  // namespace bill
