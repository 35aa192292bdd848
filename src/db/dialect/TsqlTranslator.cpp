#include "db/dialect/TsqlTranslator.h"

#include "db/dialect/PostgresRules.h"
#include "db/dialect/SqlTokenizer.h"
#include "db/dialect/SqliteRules.h"
#include "db/dialect/TranslatorParts.h"

#include <optional>
#include <utility>

namespace db::dialect {

namespace {

using namespace tree;

// Whether a quoted token (string or quoted name) has its closing quote; the opening one is at `open`.
bool IsTerminated(const std::string& t, size_t open)
{
    if (open >= t.size()) return false;
    const char close = t[open] == '[' ? ']' : t[open];
    for (size_t i = open + 1; i < t.size(); ++i) {
        if (t[i] != close) continue;
        if (i + 1 < t.size() && t[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1 == t.size();
    }
    return false;
}

// An unterminated string or quoted name, or an unclosed parenthesis, swallows the rest of the text,
// and would swallow whatever a rewrite appends; a stray ')' would close a '(' that a rewrite adds.
// Such text is invalid in either dialect and is not touched, nor is text nested too deeply.
bool IsRewritable(const std::vector<SqlToken>& tokens)
{
    if (!tokens.empty()) {
        const SqlToken& last = tokens.back();
        const bool quoted = last.kind == TokenKind::String || last.kind == TokenKind::QuotedIdentifier;
        const size_t open = last.text[0] == 'N' || last.text[0] == 'n' ? 1 : 0;
        if (quoted && !IsTerminated(last.text, open)) return false;
    }
    size_t parens = 0, cases = 0;
    for (const SqlToken& t : tokens) {
        if (t.kind == TokenKind::OpenParen && ++parens > kMaxNesting) return false;
        if (t.kind == TokenKind::CloseParen && parens-- == 0) return false;
        if (t.kind == TokenKind::Word && IEquals(t.text, "case") && ++cases > kMaxNesting) return false;
        if (t.kind == TokenKind::Word && IEquals(t.text, "end") && cases > 0) --cases;
    }
    return parens == 0;
}

}  // namespace

TsqlTranslator::TsqlTranslator(TextColumnOracle isTextColumn, TextColumnOracle isKnownColumn)
    : isTextColumn_(std::move(isTextColumn)), isKnownColumn_(std::move(isKnownColumn))
{
}

bool HasUnterminatedComment(std::string_view tsql)
{
    if (tsql.find("/*") == std::string_view::npos) return false;
    const std::vector<SqlToken> tokens = SqlTokenizer::Tokenize(tsql);
    if (tokens.empty() || tokens.back().kind != TokenKind::BlockComment) return false;
    const std::string& t = tokens.back().text;
    size_t depth = 0;
    for (size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i] == '/' && t[i + 1] == '*') {
            ++depth;
            ++i;
        } else if (t[i] == '*' && t[i + 1] == '/' && depth > 0) {
            --depth;
            ++i;
        }
    }
    return depth > 0;
}

const TargetRules& RulesFor(Target target)
{
    static const SqliteRules sqlite;
    static const PostgresRules postgres;
    return target == Target::Postgres ? static_cast<const TargetRules&>(postgres) : sqlite;
}

std::string TsqlTranslator::ToSqlite(std::string_view tsql) const { return Translate(tsql, Target::Sqlite); }

std::string TsqlTranslator::ToPostgres(std::string_view tsql) const { return Translate(tsql, Target::Postgres); }

std::string TsqlTranslator::Translate(std::string_view tsql, Target target) const
{
    const TargetRules& rules = RulesFor(target);
    try {
        std::vector<SqlToken> tokens = SqlTokenizer::Tokenize(tsql);
        if (!IsRewritable(tokens)) return std::string(tsql);
        std::optional<Seq> tree = BuildTree(std::move(tokens));
        if (!tree) return std::string(tsql);
        const TypeGuesser types(isTextColumn_, isKnownColumn_);
        RewriteSequence(*tree, types, rules);

        std::string out;
        out.reserve(tsql.size() + 64);
        size_t begin = 0;
        for (size_t i = 0; i <= tree->size(); ++i) {
            if (i < tree->size() && !IsOp((*tree)[i], ";")) continue;
            if (std::optional<std::string> statement = RewriteStatement(*tree, begin, i, rules)) {
                out += *statement;
            } else {
                for (size_t k = begin; k < i; ++k) Emit((*tree)[k], out);
            }
            if (i < tree->size()) out += ';';
            begin = i + 1;
        }
        return out;
    } catch (...) {
        return std::string(tsql);
    }
}

}  // namespace db::dialect
