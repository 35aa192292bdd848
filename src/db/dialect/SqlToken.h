// One lexical token of a SQL statement. White space and comments are tokens too, so the texts of
// all tokens of a statement, concatenated, give back the statement byte for byte.
#pragma once

#include <string>

namespace db::dialect {

enum class TokenKind {
    Whitespace,
    LineComment,       // -- up to (not including) the end of the line
    BlockComment,      // /* ... */, possibly unterminated
    String,            // '...' or N'...', '' inside; possibly unterminated
    QuotedIdentifier,  // "..." or [...]; possibly unterminated
    Word,              // identifier or keyword
    Number,
    Operator,          // operators and punctuation: , ; . = <> || and so on
    OpenParen,
    CloseParen,
};

struct SqlToken {
    TokenKind kind = TokenKind::Operator;
    std::string text;

    // White space and comments: tokens that carry no meaning for the statement.
    bool IsTrivia() const
    {
        return kind == TokenKind::Whitespace || kind == TokenKind::LineComment ||
               kind == TokenKind::BlockComment;
    }
};

}  // namespace db::dialect
