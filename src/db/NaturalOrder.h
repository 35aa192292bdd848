// The order in which every grid of the module sorts texts: a run of digits counts by its value
// (serials and line numbers are texts, and 2 comes before 10), everything else by its bytes (UTF-8
// byte order is code-point order), Latin letters without regard to case as the databases compare
// codes. Texts that differ only in leading zeros ("01", "1": the shorter run first) or then in
// the case of letters ("A" before "a") are told apart last.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "db/RowSet.h"

namespace db {

// Negative, zero or positive as a sorts before, with or after b.
int NaturalCompare(std::string_view a, std::string_view b);

inline bool NaturalLess(std::string_view a, std::string_view b) { return NaturalCompare(a, b) < 0; }

// A key that orders texts as NaturalCompare does wherever two keys differ: the first eight bytes
// before the first digit (letters folded to lower case), that digit counted as '0' and nothing after
// it. Equal keys say nothing:
// compare the texts.
std::uint64_t NaturalPrefixKey(std::string_view text);

// The display order of fetched rows that came ordered by their first column as text (a statement
// ordered by a code, letters in any case): the same rows ordered naturally by that column, ties in the fetched order.
// Rows in any other order, or ordered by a column that is no text, keep the fetched order. Returns
// the row numbers in display order.
std::vector<int> NaturalOrderOfFirstColumn(const RowSet& rows);

}  // namespace db
