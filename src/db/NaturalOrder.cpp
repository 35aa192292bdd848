#include "db/NaturalOrder.h"

#include <algorithm>
#include <numeric>

namespace db {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char Fold(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Text order as the databases compare codes: Latin letters without regard to case.
bool FoldedLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Fold(x) < Fold(y); });
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    int zeros = 0;  // the first difference in leading zeros, settled last
    int letterCase = 0;  // the first difference in the case of a Latin letter, settled after that
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const size_t i0 = i, j0 = j;
            while (i < a.size() && a[i] == '0') ++i;
            while (j < b.size() && b[j] == '0') ++j;
            const size_t si = i, sj = j;
            while (i < a.size() && IsDigit(a[i])) ++i;
            while (j < b.size() && IsDigit(b[j])) ++j;
            // Without leading zeros the longer run is the larger number; equal lengths by digits.
            if (i - si != j - sj) return i - si < j - sj ? -1 : 1;
            if (const int c = a.substr(si, i - si).compare(b.substr(sj, j - sj)); c != 0) return c < 0 ? -1 : 1;
            if (zeros == 0 && si - i0 != sj - j0) zeros = si - i0 < sj - j0 ? -1 : 1;
            continue;
        }
        const unsigned char x = Fold(a[i]), y = Fold(b[j]);
        if (x != y) return x < y ? -1 : 1;
        if (letterCase == 0 && a[i] != b[j]) letterCase = static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return zeros != 0 ? zeros : letterCase;
}

std::uint64_t NaturalPrefixKey(std::string_view text) {
    std::uint64_t key = 0;
    for (size_t i = 0; i < text.size() && i < 8; ++i) {
        const bool digit = IsDigit(text[i]);
        key |= std::uint64_t{digit ? static_cast<unsigned char>('0') : Fold(text[i])} << (56 - 8 * i);
        if (digit) break;
    }
    return key;
}

std::vector<int> NaturalOrderOfFirstColumn(const RowSet& rows) {
    std::vector<int> order(rows.rows.size());
    std::iota(order.begin(), order.end(), 0);
    if (rows.fields.empty() || order.size() < 2) return order;
    auto text = [&](int r) -> const std::string* {
        const auto& row = rows.rows[static_cast<size_t>(r)];
        return row.empty() ? nullptr : row[0].TextIf();
    };
    bool natural = true;
    for (size_t r = 1; r < order.size(); ++r) {
        const std::string *before = text(static_cast<int>(r - 1)), *after = text(static_cast<int>(r));
        if (!before || !after) return order;  // a number, a date or a null: not ordered as a text
        if (FoldedLess(*after, *before)) return order;
        if (natural && NaturalCompare(*after, *before) < 0) natural = false;
    }
    if (natural) return order;  // nothing to move (codes of one length)
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return NaturalCompare(*text(a), *text(b)) < 0; });
    return order;
}

}  // namespace db
