// Word lists the demo-data generator builds its branches and items from. Every word carries
// its pinyin initials, so that mnemonics (zjm, pm_zjm) can be put together along with names.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace schema::detail {

struct Word {
    std::string_view text;
    std::string_view initials;  // lowercase pinyin initials of text
};

struct CodedName {
    std::string_view id;
    std::string_view name;
};

// One sort of goods ("大米"), in the category with index `category` of Categories().
struct ItemKind {
    Word word;
    int category;
    std::string_view unit;
    // Package sizes: the usual one, a larger one and a smaller one.
    std::array<std::string_view, 3> packings;
    int baseCents;  // typical selling price of the usual size
};

struct CodedAttribute {
    int fid;
    std::string_view id;
    std::string_view name;
};

std::span<const Word> BranchNames();
std::span<const CodedName> BranchTypes();  // glsx fid = 3
std::span<const CodedAttribute> OtherAttributes();  // glsx rows of other lists
std::span<const CodedName> Categories();
std::span<const ItemKind> ItemKinds();
std::span<const Word> Brands();
std::span<const Word> Qualifiers();
std::span<const std::string_view> Origins();
std::span<const std::string_view> BillRemarks();

class Random;

// An item put together from the lists above, and its selling price (cents, not yet rounded to a
// shelf price): a brand, sometimes a qualifier, a kind in one of its package sizes, an origin.
struct DrawnItem {
    std::string code, name, mnemonic, packing, origin, unit, category;
    double cents = 0;
};

// The item with index `index` (code 100001 + index). Draws from `random` in a fixed order, so that
// a seed gives the same items.
DrawnItem DrawItem(int index, Random& random);

}  // namespace schema::detail
