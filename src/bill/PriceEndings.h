// Price endings of the bulk change: after a change the new price can be moved to the nearest
// price that ends in .9, in .99, in a whole ten fen (.x0) or in a whole yuan. "Nearest" is by
// distance from the changed price; a price exactly between two candidates takes the higher one.
// The arithmetic is done on the price's decimal digits, so 5.4 is exactly between 4.9 and 5.9.
#pragma once
#include <string>
#include <string_view>

namespace bill {

enum class PriceEnding { None, Nine, NinetyNine, Dime, Yuan };

// The rules in the order the dialog lists them, with the dialog's captions and the key under
// which the operator's choice is remembered.
struct PriceEndingChoice {
    PriceEnding rule;
    const char* caption;
    const char* key;
};
inline constexpr PriceEndingChoice kPriceEndings[] = {
    {PriceEnding::None, "不处理", "none"},
    {PriceEnding::Nine, "以.9结尾", "9"},
    {PriceEnding::NinetyNine, "以.99结尾", "99"},
    {PriceEnding::Dime, "到角(.x0)", "x0"},
    {PriceEnding::Yuan, "到元", "yuan"},
};
// The rule remembered under `key`; None for anything else.
PriceEnding PriceEndingOfKey(std::string_view key);

// How many price decimals a rule needs to be stored as it ends (.99 needs two).
int DecimalsNeeded(PriceEnding rule);
// Why `rule` cannot be used when prices keep `decimals` places; empty when it can.
std::string PriceEndingRefusal(PriceEnding rule, int decimals);

// `price` moved to the nearest price with the ending of `rule`, ties upward. A positive price
// never becomes zero or negative: below the first candidate it takes the smallest positive one
// (0.9, 0.99, 0.10, 1). Zero, a negative price and one that cannot be stored are returned as they
// are, for the price check to judge.
double ApplyPriceEnding(double price, PriceEnding rule);

}  // namespace bill
