// Prices as the bill keeps them: rounded to the system's price decimals (sys_var.jjbl) in
// decimal, half away from zero, and shown with exactly that many decimals.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace bill {

// The price decimals of the system settings, 0 to 6.
int PriceDecimals();
// `v` rounded to `decimals` places as its decimal text reads (1.005 gives 1.01 at two places).
double RoundPrice(double v, int decimals);
// Fixed-point text with `decimals` places, '.' as decimal point ("5.50").
std::string PriceText(double v, int decimals);
// A change from `from` to `to` in percent with two decimals and its sign ("+10.00%", "-3.25%");
// empty when `from` is 0.
std::string PercentText(double from, double to);
// What keeps a price out of the bill: the price columns are numeric(18,4), so a price has at most
// 14 digits before the point, and no price is negative.
enum class PriceFault { None, Negative, TooLarge, NotFinite };
inline constexpr double kPriceLimit = 1e14;  // the first price that no longer fits
PriceFault CheckPrice(double price);
// The message that refuses `price` as `what` ("新售价"), naming it with `decimals` places; empty
// when the price can be stored.
std::string PriceRefusal(double price, int decimals, std::string_view what = "新售价");

// A price typed or read from a file: optional blanks, an optional sign, digits with at most one
// decimal point; nothing for anything else (also for "nan", "1e5" or "12元"). A number too large
// for a double is infinite, so that the bounds above refuse it rather than read it as 0.
std::optional<double> ParsePrice(std::string_view text);

}  // namespace bill
