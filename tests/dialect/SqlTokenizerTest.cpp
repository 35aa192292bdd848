#include "db/dialect/SqlTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using db::dialect::SqlTokenizer;
using db::dialect::TokenKind;

namespace {

std::vector<std::pair<TokenKind, std::string>> Lex(std::string_view sql)
{
    std::vector<std::pair<TokenKind, std::string>> out;
    for (auto& t : SqlTokenizer::Tokenize(sql)) out.emplace_back(t.kind, t.text);
    return out;
}

}  // namespace

TEST(SqlTokenizer, SplitsEveryKindAndKeepsEveryByte)
{
    using K = TokenKind;
    const std::string sql =
        "Select a.hh AS 流水号,N'x''y'+[a]]b]--c\r\n/*d*/\"q\"\"r\" from#t where x<>1.5e+3 or y>=.5 and z||0x1F(@p)";
    const std::vector<std::pair<TokenKind, std::string>> expected = {
        {K::Word, "Select"}, {K::Whitespace, " "}, {K::Word, "a"}, {K::Operator, "."}, {K::Word, "hh"},
        {K::Whitespace, " "}, {K::Word, "AS"}, {K::Whitespace, " "}, {K::Word, "流水号"}, {K::Operator, ","},
        {K::String, "N'x''y'"}, {K::Operator, "+"}, {K::QuotedIdentifier, "[a]]b]"}, {K::LineComment, "--c\r"},
        {K::Whitespace, "\n"}, {K::BlockComment, "/*d*/"}, {K::QuotedIdentifier, "\"q\"\"r\""}, {K::Whitespace, " "},
        {K::Word, "from#t"}, {K::Whitespace, " "}, {K::Word, "where"}, {K::Whitespace, " "}, {K::Word, "x"},
        {K::Operator, "<>"}, {K::Number, "1.5e+3"}, {K::Whitespace, " "}, {K::Word, "or"}, {K::Whitespace, " "},
        {K::Word, "y"}, {K::Operator, ">="}, {K::Number, ".5"}, {K::Whitespace, " "}, {K::Word, "and"},
        {K::Whitespace, " "}, {K::Word, "z"}, {K::Operator, "||"}, {K::Number, "0x1F"}, {K::OpenParen, "("},
        {K::Word, "@p"}, {K::CloseParen, ")"}};
    EXPECT_EQ(Lex(sql), expected);
}

TEST(SqlTokenizer, UnterminatedTokensRunToTheEnd)
{
    using K = TokenKind;
    EXPECT_EQ(Lex("x 'ab''c"), (decltype(Lex("")){{K::Word, "x"}, {K::Whitespace, " "}, {K::String, "'ab''c"}}));
    EXPECT_EQ(Lex("/* a */ */"), (decltype(Lex("")){{K::BlockComment, "/* a */"}, {K::Whitespace, " "},
                                                     {K::Operator, "*"}, {K::Operator, "/"}}));
    EXPECT_EQ(Lex("/* a"), (decltype(Lex("")){{K::BlockComment, "/* a"}}));
    EXPECT_EQ(Lex("[a]]"), (decltype(Lex("")){{K::QuotedIdentifier, "[a]]"}}));
    EXPECT_EQ(Lex("\"a"), (decltype(Lex("")){{K::QuotedIdentifier, "\"a"}}));
    EXPECT_EQ(Lex("N'"), (decltype(Lex("")){{K::String, "N'"}}));
    EXPECT_TRUE(Lex("").empty());
}
