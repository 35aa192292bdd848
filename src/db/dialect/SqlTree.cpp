#include "db/dialect/SqlTree.h"

namespace db::dialect::tree {

namespace {

// Words that never name a table, column or alias.
constexpr std::string_view kKeywords[] = {
    "all",     "alter",     "and",     "any",     "apply",    "as",      "asc",      "begin",
    "between", "by",        "case",    "collate", "commit",   "create",  "cross",    "declare",
    "delete",  "desc",      "distinct", "drop",   "else",     "end",     "escape",   "except",
    "exec",    "execute",   "exists",  "fetch",   "for",      "from",    "full",     "go",
    "group",   "having",    "if",      "in",      "inner",    "insert",  "intersect", "into",
    "is",      "join",      "left",    "like",    "limit",    "merge",   "natural",  "not",
    "null",    "offset",    "on",      "option",  "or",       "order",   "outer",    "over",
    "percent", "print",     "return",  "right",   "rollback", "select",  "set",      "then",
    "top",     "truncate",  "union",   "update",  "using",    "values",  "when",     "where",
    "with"};

}  // namespace

std::optional<Seq> BuildTree(std::vector<SqlToken> tokens)
{
    size_t depth = 0;
    for (const SqlToken& t : tokens) {
        if (t.kind == TokenKind::OpenParen && ++depth > kMaxNesting) return std::nullopt;
        if (t.kind == TokenKind::CloseParen && depth > 0) --depth;
    }
    std::vector<Node> open(1);  // open[0] collects the top level
    for (SqlToken& t : tokens) {
        if (t.kind == TokenKind::OpenParen) {
            Node g;
            g.group = true;
            g.tok = std::move(t);
            open.push_back(std::move(g));
        } else if (t.kind == TokenKind::CloseParen && open.size() > 1) {
            Node g = std::move(open.back());
            open.pop_back();
            g.closed = true;
            open.back().kids.push_back(std::move(g));
        } else {
            Node leaf;
            leaf.tok = std::move(t);
            open.back().kids.push_back(std::move(leaf));
        }
    }
    while (open.size() > 1) {  // unbalanced '(': the group runs to the end of the text
        Node g = std::move(open.back());
        open.pop_back();
        open.back().kids.push_back(std::move(g));
    }
    return std::move(open.front().kids);
}

bool IsKeyword(const Node& n) { return IsWord(n) && IsOneOf(n.tok.text, kKeywords); }

bool IsName(const Node& n)
{
    return IsKind(n, TokenKind::QuotedIdentifier) || (IsWord(n) && !IsKeyword(n));
}

bool IsFunctionName(const Node& n) { return IsName(n) || IsWord(n, "left") || IsWord(n, "right"); }


size_t NameChainEnd(const SeqView& v, size_t p)
{
    while (p + 2 < v.size() && IsOp(v.at(p + 1), ".") && IsName(v.at(p + 2))) p += 2;
    return p;
}

size_t NameChainStart(const SeqView& v, size_t p)
{
    while (p >= 2 && IsOp(v.at(p - 1), ".") && IsName(v.at(p - 2))) p -= 2;
    return p;
}

bool ReferencesQualifier(const SeqView& v, size_t a, size_t b, std::string_view name)
{
    for (size_t p = a; p <= b && p < v.size(); ++p) {
        const Node& n = v.at(p);
        if (n.group) {
            const SeqView inner(n.kids);
            if (inner.size() > 0 && ReferencesQualifier(inner, 0, inner.size() - 1, name)) return true;
        } else if (IsName(n) && p + 1 < v.size() && IsOp(v.at(p + 1), ".") && IEquals(Unquote(n), name)) {
            return true;
        }
    }
    return false;
}

}  // namespace db::dialect::tree
