// Splits a SQL text into tokens without losing a byte: white space and comments are kept, and every
// token keeps its original text. Never fails: unterminated strings, comments and quoted names run to
// the end of the text, and any byte it does not know becomes a one-byte operator.
#pragma once

#include "db/dialect/SqlToken.h"

#include <string_view>
#include <vector>

namespace db::dialect {

class SqlTokenizer {
public:
    static std::vector<SqlToken> Tokenize(std::string_view sql);
};

}  // namespace db::dialect
