#include "db/dialect/SqlTokenizer.h"

#include <array>

namespace db::dialect {

namespace {

bool IsSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(unsigned char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Bytes of a UTF-8 sequence (>= 0x80) count as letters: names may be Chinese.
bool IsWordStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '@' || c == '#' ||
           c == '$' || c >= 0x80;
}

bool IsWordPart(unsigned char c) { return IsWordStart(c) || IsDigit(c); }

// End of a quoted run starting at `open` (the opening quote); a doubled closing quote is an escape.
// Returns the position just past the closing quote, or the end of the text.
size_t SkipQuoted(std::string_view s, size_t open, char close)
{
    size_t i = open + 1;
    while (i < s.size()) {
        if (s[i] == close) {
            if (i + 1 < s.size() && s[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return s.size();
}

size_t SkipNumber(std::string_view s, size_t i)
{
    const size_t n = s.size();
    auto at = [&](size_t k) -> unsigned char { return k < n ? static_cast<unsigned char>(s[k]) : 0; };
    if (at(i) == '0' && (at(i + 1) == 'x' || at(i + 1) == 'X')) {
        i += 2;
        while (IsHexDigit(at(i))) ++i;
        return i;
    }
    while (IsDigit(at(i))) ++i;
    if (at(i) == '.') {
        ++i;
        while (IsDigit(at(i))) ++i;
    }
    if (at(i) == 'e' || at(i) == 'E') {
        size_t k = i + 1;
        if (at(k) == '+' || at(k) == '-') ++k;
        if (IsDigit(at(k))) {
            i = k;
            while (IsDigit(at(i))) ++i;
        }
    }
    return i;
}

constexpr std::array<std::string_view, 7> kTwoCharOperators = {"<>", "!=", ">=", "<=", "||", "!<", "!>"};

}  // namespace

std::vector<SqlToken> SqlTokenizer::Tokenize(std::string_view sql)
{
    const std::vector<TokenSpan> spans = Spans(sql);
    std::vector<SqlToken> tokens;
    tokens.reserve(spans.size());
    for (const TokenSpan& t : spans) tokens.push_back(SqlToken{t.kind, std::string(sql.substr(t.begin, t.end - t.begin))});
    return tokens;
}

std::vector<TokenSpan> SqlTokenizer::Spans(std::string_view sql)
{
    std::vector<TokenSpan> tokens;
    tokens.reserve(sql.size() / 4 + 1);
    const size_t n = sql.size();
    size_t i = 0;
    auto at = [&](size_t k) -> unsigned char { return k < n ? static_cast<unsigned char>(sql[k]) : 0; };

    while (i < n) {
        const unsigned char c = at(i);
        size_t end = i + 1;
        TokenKind kind = TokenKind::Operator;

        if (IsSpace(c)) {
            kind = TokenKind::Whitespace;
            while (end < n && IsSpace(at(end))) ++end;
        } else if (c == '-' && at(i + 1) == '-') {
            kind = TokenKind::LineComment;
            while (end < n && at(end) != '\n') ++end;
        } else if (c == '/' && at(i + 1) == '*') {
            kind = TokenKind::BlockComment;
            // Block comments nest, as SQL Server reads them: /* a /* b */ c */ is one comment.
            size_t depth = 1;
            end = i + 2;
            while (end < n && depth > 0) {
                if (at(end) == '/' && at(end + 1) == '*') {
                    ++depth;
                    end += 2;
                } else if (at(end) == '*' && at(end + 1) == '/') {
                    --depth;
                    end += 2;
                } else {
                    ++end;
                }
            }
        } else if (c == '\'') {
            kind = TokenKind::String;
            end = SkipQuoted(sql, i, '\'');
        } else if ((c == 'N' || c == 'n') && at(i + 1) == '\'') {
            kind = TokenKind::String;
            end = SkipQuoted(sql, i + 1, '\'');
        } else if (c == '"') {
            kind = TokenKind::QuotedIdentifier;
            end = SkipQuoted(sql, i, '"');
        } else if (c == '[') {
            kind = TokenKind::QuotedIdentifier;
            end = SkipQuoted(sql, i, ']');
        } else if (IsDigit(c) || (c == '.' && IsDigit(at(i + 1)))) {
            kind = TokenKind::Number;
            end = SkipNumber(sql, i);
        } else if (IsWordStart(c)) {
            kind = TokenKind::Word;
            while (end < n && IsWordPart(at(end))) ++end;
        } else if (c == '(') {
            kind = TokenKind::OpenParen;
        } else if (c == ')') {
            kind = TokenKind::CloseParen;
        } else {
            for (std::string_view op : kTwoCharOperators) {
                if (sql.substr(i, 2) == op) {
                    end = i + 2;
                    break;
                }
            }
        }
        tokens.push_back(TokenSpan{kind, i, end});
        i = end;
    }
    return tokens;
}

}  // namespace db::dialect
