#include "db/dialect/SqlTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using db::dialect::SqlTokenizer;
using K = db::dialect::TokenKind;
using Lexed = std::vector<std::pair<K, std::string>>;

static Lexed Lex(std::string_view sql) {
    Lexed out;
    for (auto& t : SqlTokenizer::Tokenize(sql)) out.emplace_back(t.kind, t.text);
    return out;
}

TEST(SqlTokenizer, SplitsEveryKindOfToken) {
    EXPECT_EQ(Lex("a.hh AS 流水号,N'x''y'+[a]]b]--c\r\n/*d*/\"q\"\"r\" #t<>1.5e+3>=.5||0x1F(@p)"),
              (Lexed{{K::Word, "a"}, {K::Operator, "."}, {K::Word, "hh"}, {K::Whitespace, " "}, {K::Word, "AS"},
                     {K::Whitespace, " "}, {K::Word, "流水号"}, {K::Operator, ","}, {K::String, "N'x''y'"},
                     {K::Operator, "+"}, {K::QuotedIdentifier, "[a]]b]"}, {K::LineComment, "--c\r"},
                     {K::Whitespace, "\n"}, {K::BlockComment, "/*d*/"}, {K::QuotedIdentifier, "\"q\"\"r\""},
                     {K::Whitespace, " "}, {K::Word, "#t"}, {K::Operator, "<>"}, {K::Number, "1.5e+3"},
                     {K::Operator, ">="}, {K::Number, ".5"}, {K::Operator, "||"}, {K::Number, "0x1F"},
                     {K::OpenParen, "("}, {K::Word, "@p"}, {K::CloseParen, ")"}}));
}

