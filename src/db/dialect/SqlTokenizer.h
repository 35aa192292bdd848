// Splits a SQL text into tokens without losing a byte: white space and comments are kept, and every
// token keeps its original text. Never fails: unterminated strings, comments and quoted names run to
// the end of the text, and any byte it does not know becomes a one-byte operator.
#pragma once

#include "db/dialect/SqlToken.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace db::dialect {

// Where a token lies in the text it was read from: [begin, end).
struct TokenSpan {
    TokenKind kind;
    size_t begin, end;
};

class SqlTokenizer {
public:
    static std::vector<SqlToken> Tokenize(std::string_view sql);
    // The same tokens as places in the text, without copying their texts.
    static std::vector<TokenSpan> Spans(std::string_view sql);
};

}  // namespace db::dialect
