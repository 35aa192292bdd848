#include "db/dialect/TsqlTranslator.h"

#include "db/dialect/SqlTokenizer.h"
#include "db/dialect/SqlTree.h"
#include "db/dialect/PostgresRules.h"
#include "db/dialect/SqliteRules.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>

namespace db::dialect {

namespace {

using namespace tree;

// Texts with parentheses or CASE expressions nested deeper than this are returned as they are: the
// walks below recurse once per level.
constexpr size_t kMaxNesting = 200;
constexpr size_t npos = static_cast<size_t>(-1);

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

// Words after which a select list or FROM clause is over.
constexpr std::string_view kClauseEnds[] = {
    "where", "group", "order", "having", "option", "union", "except", "intersect", "for", "into",
    "limit", "window", "from"};

// Words that start a new statement (T-SQL does not need ';' between statements).
constexpr std::string_view kStatementStarts[] = {
    "select", "insert", "update", "delete", "create", "drop", "alter", "declare", "exec", "execute",
    "merge", "truncate", "go", "print"};

constexpr std::string_view kSetOperators[] = {"union", "except", "intersect"};

constexpr std::string_view kTextTypes[] = {"char", "varchar", "nchar", "nvarchar", "text",
                                                        "ntext", "sysname", "string", "clob"};
constexpr std::string_view kNumericTypes[] = {
    "int", "integer", "bigint", "smallint", "tinyint", "bit", "decimal", "numeric", "float", "real",
    "money", "smallmoney", "double"};

constexpr std::string_view kTextFunctions[] = {
    "ltrim", "rtrim",   "trim",   "upper",   "lower",  "substring", "substr",  "left",   "right",  "replace",
    "char",  "nchar",   "str",    "space",   "replicate", "stuff",  "reverse", "concat", "format", "quotename"};
constexpr std::string_view kNumericFunctions[] = {
    "len",   "length",   "count",    "count_big", "sum",   "avg",  "abs",   "round",   "ceiling",
    "floor", "charindex", "patindex", "datediff", "datepart", "year", "month", "day", "sign"};
constexpr std::string_view kFirstArgFunctions[] = {"isnull", "ifnull", "coalesce", "nullif",
                                                                "max",    "min",    "iif"};


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

// A table, column or alias name: a non-keyword word or a quoted identifier.
bool IsName(const Node& n)
{
    return IsKind(n, TokenKind::QuotedIdentifier) || (IsWord(n) && !IsKeyword(n));
}

// Names that may be followed by an argument list; left and right are keywords as well.
bool IsFunctionName(const Node& n) { return IsName(n) || IsWord(n, "left") || IsWord(n, "right"); }


// Last position of the dotted name starting at p (a, a.b, a.b.c).
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

// Whether positions a..b (groups included) use `name.` as a qualifier.
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

// ---------------------------------------------------------------------------------------------
// FROM clause: the tables, how each is joined to the ones before it, and the join conditions.

struct TableRef {
    std::string join;        // "" for the first table, else ",", "inner", "cross", "left", "right" or "full"
    size_t joinFirst = npos;  // first position of the join words (or the comma)
    size_t first = 0;         // the table name or derived table ...
    size_t nameLast = 0;      // ... its last position before the alias
    size_t last = 0;          // through the alias
    std::string table;        // unquoted table name; empty for a derived table
    std::string alias;        // unquoted alias; empty if none
    size_t onFirst = npos;    // the ON keyword ...
    size_t onLast = npos;     // ... through the end of the condition
};

struct FromClause {
    std::vector<TableRef> refs;
    size_t end = 0;         // position just after the clause
    bool complete = false;  // every part was understood
};

bool EndsClause(const Node& n) { return IsOp(n, ";") || (IsWord(n) && IsOneOf(n.tok.text, kClauseEnds)); }

bool StartsJoin(const SeqView& v, size_t p)
{
    const Node& n = v.at(p);
    if (IsOp(n, ",")) return true;
    static constexpr std::string_view kJoinWords[] = {"join", "inner", "cross", "left", "right", "full"};
    if (!IsWord(n) || !IsOneOf(n.tok.text, kJoinWords)) return false;
    return !(p + 1 < v.size() && v.at(p + 1).group);  // left(...) is a function
}

FromClause ParseFrom(const SeqView& v, size_t p)
{
    FromClause fc;
    std::string join;
    size_t joinFirst = npos;
    for (;;) {
        if (p >= v.size()) return fc;
        TableRef r;
        r.join = join;
        r.joinFirst = joinFirst;
        r.first = p;
        if (v.at(p).group) {
            r.nameLast = p++;
        } else if (IsName(v.at(p))) {
            r.nameLast = NameChainEnd(v, p);
            r.table = Unquote(v.at(r.nameLast));
            p = r.nameLast + 1;
        } else {
            return fc;
        }
        if (p < v.size() && IsWord(v.at(p), "as")) {
            if (p + 1 >= v.size() || !IsName(v.at(p + 1))) return fc;
            r.alias = Unquote(v.at(p + 1));
            p += 2;
        } else if (p < v.size() && IsName(v.at(p))) {
            r.alias = Unquote(v.at(p++));
        }
        r.last = p - 1;
        if (p < v.size() && (v.at(p).group || IsWord(v.at(p), "with"))) return fc;  // hints, column lists
        if (!join.empty() && join != "," && join != "cross") {
            if (p >= v.size() || !IsWord(v.at(p), "on")) return fc;
            r.onFirst = p++;
            while (p < v.size() && !EndsClause(v.at(p)) && !StartsJoin(v, p)) ++p;
            if (p == r.onFirst + 1) return fc;
            r.onLast = p - 1;
        }
        fc.refs.push_back(std::move(r));
        if (p >= v.size() || EndsClause(v.at(p))) {
            fc.end = p;
            fc.complete = true;
            return fc;
        }
        joinFirst = p;
        if (IsOp(v.at(p), ",")) {
            join = ",";
            ++p;
            continue;
        }
        if (!IsWord(v.at(p))) return fc;
        const std::string w = ToLower(v.at(p).tok.text);
        if (w == "join") {
            join = "inner";
            ++p;
        } else if (w == "inner" || w == "cross") {
            if (p + 1 >= v.size() || !IsWord(v.at(p + 1), "join")) return fc;
            join = w;
            p += 2;
        } else if (w == "left" || w == "right" || w == "full") {
            ++p;
            if (p < v.size() && IsWord(v.at(p), "outer")) ++p;
            if (p >= v.size() || !IsWord(v.at(p), "join")) return fc;
            join = w;
            ++p;
        } else {
            return fc;
        }
    }
}

// The table a DELETE or UPDATE names: by alias first, then by table name. npos if absent or ambiguous.
size_t FindTarget(const FromClause& fc, std::string_view target)
{
    using Match = bool (*)(const TableRef&, std::string_view);
    const Match rules[] = {
        [](const TableRef& r, std::string_view t) { return IEquals(r.alias, t); },
        [](const TableRef& r, std::string_view t) { return r.alias.empty() && IEquals(r.table, t); },
        [](const TableRef& r, std::string_view t) { return IEquals(r.table, t); },
    };
    for (Match matches : rules) {
        size_t found = npos, count = 0;
        for (size_t i = 0; i < fc.refs.size(); ++i) {
            if (matches(fc.refs[i], target)) {
                found = i;
                ++count;
            }
        }
        if (count > 1) return npos;
        if (count == 1) return fc.refs[found].table.empty() ? npos : found;
    }
    return npos;
}

// ---------------------------------------------------------------------------------------------
// Whether an expression is text, a number, or not known; decides between '+' and '||'.

enum class Kind { Unknown, Text, Numeric };

class TypeGuesser {
public:
    TypeGuesser(const TextColumnOracle& isText, const TextColumnOracle& isKnown) : oracle_(isText), known_(isKnown) {}

    Kind OfNodes(const Seq& seq, size_t begin, size_t end) const
    {
        const SeqView v(seq, begin, end);
        if (v.size() == 0) return Kind::Unknown;
        for (size_t p = 0; p < v.size(); ++p)
            if (IsOp(v.at(p), "||")) return Kind::Text;
        const std::vector<size_t> cases = MatchCases(v);
        const std::optional<size_t> last = PrimaryAfter(v, 0, cases);
        return last && *last == v.size() - 1 ? OfPrimary(v, 0, *last, cases) : Kind::Unknown;
    }

    // For each CASE its END and for each END its CASE; npos where unmatched.
    static std::vector<size_t> MatchCases(const SeqView& v)
    {
        std::vector<size_t> match(v.size(), npos), open;
        for (size_t p = 0; p < v.size(); ++p) {
            if (IsWord(v.at(p), "case")) {
                open.push_back(p);
            } else if (IsWord(v.at(p), "end") && !open.empty()) {
                match[p] = open.back();
                match[open.back()] = p;
                open.pop_back();
            }
        }
        return match;
    }

    // First position of the operand that ends at p, if it is a primary.
    static std::optional<size_t> PrimaryBefore(const SeqView& v, size_t p, const std::vector<size_t>& cases)
    {
        const Node& n = v.at(p);
        if (n.group) {
            if (p > 0 && IsName(v.at(p - 1))) return NameChainStart(v, p - 1);
            if (p > 0 && IsFunctionName(v.at(p - 1))) return p - 1;
            return p;
        }
        if (IsKind(n, TokenKind::String) || IsKind(n, TokenKind::Number) || IsWord(n, "null")) return p;
        if (IsWord(n, "end")) return cases[p] == npos ? std::nullopt : std::optional<size_t>(cases[p]);
        if (IsName(n)) return NameChainStart(v, p);
        return std::nullopt;
    }

    // Last position of the operand that starts at p, if it is a primary.
    static std::optional<size_t> PrimaryAfter(const SeqView& v, size_t p, const std::vector<size_t>& cases)
    {
        const Node& n = v.at(p);
        if (n.group || IsKind(n, TokenKind::String) || IsKind(n, TokenKind::Number) || IsWord(n, "null")) return p;
        if (IsWord(n, "case")) return cases[p] == npos ? std::nullopt : std::optional<size_t>(cases[p]);
        const bool call = p + 1 < v.size() && v.at(p + 1).group;
        if (call && IsFunctionName(n) && !IsName(n)) return p + 1;
        if (!IsName(n)) return std::nullopt;
        const size_t q = NameChainEnd(v, p);
        return q + 1 < v.size() && v.at(q + 1).group ? q + 1 : q;
    }

    Kind OfPrimary(const SeqView& v, size_t a, size_t b, const std::vector<size_t>& cases) const
    {
        const Node& last = v.at(b);
        if (a == b) {
            if (last.group) return OfNodes(last.kids, 0, last.kids.size());
            if (IsKind(last, TokenKind::String)) return Kind::Text;
            if (IsKind(last, TokenKind::Number)) return Kind::Numeric;
            if (IsWord(last, "null") || last.tok.text.starts_with('@')) return Kind::Unknown;
            return OfColumn("", Unquote(last));
        }
        if (IsWord(v.at(a), "case") && cases[a] == b) return OfCase(v, a, b, cases);
        if (last.group) return OfCall(ToLower(Unquote(v.at(b - 1))), last.kids);
        return OfColumn(Unquote(v.at(b - 2)), Unquote(last));
    }

private:
    // A known column that is not text holds numbers or dates: T-SQL converts text to its type.
    Kind OfColumn(std::string_view qualifier, std::string_view column) const
    {
        if (oracle_ && oracle_(qualifier, column)) return Kind::Text;
        if (known_ && known_(qualifier, column)) return Kind::Numeric;
        return Kind::Unknown;
    }

    static Kind OfType(std::string_view type)
    {
        if (IsOneOf(type, kTextTypes)) return Kind::Text;
        if (IsOneOf(type, kNumericTypes)) return Kind::Numeric;
        return Kind::Unknown;
    }

    Kind OfCall(const std::string& name, const Seq& args) const
    {
        const SeqView v(args);
        if (name == "cast") {
            for (size_t p = 0; p + 1 < v.size(); ++p)
                if (IsWord(v.at(p), "as")) return OfType(Unquote(v.at(p + 1)));
            return Kind::Unknown;
        }
        if (name == "convert") return v.size() > 0 ? OfType(Unquote(v.at(0))) : Kind::Unknown;
        if (IsOneOf(name, kTextFunctions)) return Kind::Text;
        if (IsOneOf(name, kNumericFunctions)) return Kind::Numeric;
        if (!IsOneOf(name, kFirstArgFunctions)) return Kind::Unknown;
        // The type of the first argument when known, else text if any argument is text.
        Kind kind = Kind::Unknown;
        bool first = true;
        size_t begin = 0;
        for (size_t i = 0; i <= args.size(); ++i) {
            if (i < args.size() && !IsOp(args[i], ",")) continue;
            const Kind k = OfNodes(args, begin, i);
            if (first && k != Kind::Unknown) return k;
            if (k == Kind::Text) kind = Kind::Text;
            first = false;
            begin = i + 1;
        }
        return kind;
    }

    // Text when any THEN or ELSE branch is.
    Kind OfCase(const SeqView& v, size_t a, size_t b, const std::vector<size_t>& cases) const
    {
        for (size_t p = a + 1; p < b; ++p) {
            if (IsWord(v.at(p), "case") && cases[p] != npos) {
                p = cases[p];
                continue;
            }
            if (!IsWord(v.at(p), "then") && !IsWord(v.at(p), "else")) continue;
            if (p + 1 >= b) break;
            const std::optional<size_t> last = PrimaryAfter(v, p + 1, cases);
            if (!last || *last >= b) continue;
            const size_t after = *last + 1;
            const bool whole = after == b || IsWord(v.at(after), "when") || IsWord(v.at(after), "else");
            if (whole && OfPrimary(v, p + 1, *last, cases) == Kind::Text) return Kind::Text;
            if (IsOp(v.at(after), "||")) return Kind::Text;
        }
        return Kind::Unknown;
    }

    const TextColumnOracle& oracle_;
    const TextColumnOracle& known_;
};

// ---------------------------------------------------------------------------------------------
// Rewrites within one sequence

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

// Replaces a quoted token's text, keeping it apart from a neighbour that starts or ends with the
// same quote: 'a' next to 'b' would read as one string 'a''b'.
void ReplaceQuoted(Seq& seq, size_t i, std::string text)
{
    if (i > 0 && !seq[i - 1].group && seq[i - 1].tok.text.back() == text.front()) text.insert(0, " ");
    if (i + 1 < seq.size() && !seq[i + 1].group && seq[i + 1].tok.text.front() == text.back()) text += ' ';
    seq[i].tok.text = std::move(text);
}

// SQL Server nests block comments, SQLite ends a comment at the first "*/": the inner starts and
// ends are broken up with a blank, so that SQLite reads the whole comment as one, as SQL Server
// does, and reading the result again finds one plain comment.
std::string FlatComment(const std::string& comment)
{
    const bool closed = comment.size() >= 4 && comment.ends_with("*/");
    const std::string_view inner = std::string_view(comment).substr(2, comment.size() - 2 - (closed ? 2 : 0));
    std::string out = "/*";
    for (char c : inner) {
        if ((c == '*' && out.back() == '/') || (c == '/' && out.back() == '*')) out += ' ';
        out += c;
    }
    if (closed && out.back() == '/') out += ' ';
    return out + (closed ? "*/" : "");
}

// N'..' -> '..', [name] -> the target's quoted name, function calls as the target spells them,
// nested block comments flattened where the target does not nest them.
void RewriteTokens(Seq& seq, const TargetRules& rules)
{
    for (size_t i = 0; i < seq.size(); ++i) {
        Node& n = seq[i];
        if (n.group) continue;
        std::string& text = n.tok.text;
        if (n.tok.kind == TokenKind::BlockComment) {
            const size_t firstEnd = text.find("*/");
            if (rules.EndsCommentAtFirstClose() && firstEnd != std::string::npos && firstEnd + 2 < text.size())
                text = FlatComment(text);
        } else if (n.tok.kind == TokenKind::String && (text[0] == 'N' || text[0] == 'n')) {
            ReplaceQuoted(seq, i, text.substr(1));
        } else if (n.tok.kind == TokenKind::QuotedIdentifier && text[0] == '[') {
            ReplaceQuoted(seq, i, rules.QuoteName(Unquote(n)));
        } else if (n.tok.kind == TokenKind::Word) {
            size_t next = i + 1;
            while (next < seq.size() && IsTrivia(seq[next])) ++next;
            if (next == seq.size() || !seq[next].group) continue;
            size_t prev = i;
            while (prev > 0 && IsTrivia(seq[prev - 1])) --prev;
            if (prev > 0 && IsOp(seq[prev - 1], ".")) continue;  // schema-qualified: someone else's function
            rules.RewriteCall(n, seq[next]);
        }
    }
}

// '+' between texts -> '||'. Only where both operands are primaries that bind tighter than '+'
// on both sides, since SQLite's '||' binds tighter than any arithmetic: a*b + 'x' stays as it is.
void RewriteConcat(Seq& seq, const TypeGuesser& types)
{
    const SeqView v(seq);
    const std::vector<size_t> cases = TypeGuesser::MatchCases(v);
    static constexpr std::string_view kArithmetic[] = {"+", "-", "*", "/", "%", "&", "|", "^", "~"};
    static constexpr std::string_view kTighter[] = {"*", "/", "%"};
    auto isOpOf = [](const Node& n, const auto& ops) {
        return IsKind(n, TokenKind::Operator) && IsOneOf(n.tok.text, ops);
    };
    // Innermost CASE first, as with parentheses, then left to right: a '+' after END needs to know
    // whether the branches became text.
    std::vector<std::pair<size_t, size_t>> pluses;  // CASE depth, position
    for (size_t p = 0, depth = 0; p < v.size(); ++p) {
        if (IsWord(v.at(p), "case") && cases[p] != npos) ++depth;
        if (IsWord(v.at(p), "end") && cases[p] != npos) --depth;
        if (IsOp(v.at(p), "+") && p > 0 && p + 1 < v.size()) pluses.emplace_back(depth, p);
    }
    std::stable_sort(pluses.begin(), pluses.end(), [](auto& a, auto& b) { return a.first > b.first; });
    for (const auto& plus : pluses) {
        const size_t q = plus.second;
        const std::optional<size_t> leftFirst = TypeGuesser::PrimaryBefore(v, q - 1, cases);
        const std::optional<size_t> rightLast = TypeGuesser::PrimaryAfter(v, q + 1, cases);
        if (!leftFirst || !rightLast) continue;
        if (*rightLast + 1 < v.size() && isOpOf(v.at(*rightLast + 1), kTighter)) continue;
        Kind left;
        if (*leftFirst > 0 && IsOp(v.at(*leftFirst - 1), "||")) {
            left = Kind::Text;  // the operand is a concatenation already rewritten
        } else if (*leftFirst > 0 && isOpOf(v.at(*leftFirst - 1), kArithmetic)) {
            continue;  // the operand is an arithmetic expression, or under a unary sign
        } else {
            left = types.OfPrimary(v, *leftFirst, q - 1, cases);
        }
        const Kind right = types.OfPrimary(v, q + 1, *rightLast, cases);
        // A number on either side makes T-SQL convert the text to a number: that stays an addition.
        if ((left == Kind::Text || right == Kind::Text) && left != Kind::Numeric && right != Kind::Numeric)
            seq[v.index(q)].tok.text = "||";
    }
}

// SELECT [DISTINCT] TOP n ... -> SELECT [DISTINCT] ... LIMIT n, the LIMIT at the end of that select
// within the same parentheses. Left alone: TOP n PERCENT, WITH TIES, and selects that are part of a
// UNION / EXCEPT / INTERSECT (a trailing LIMIT would bind to the whole compound).
void RewriteTop(Seq& seq)
{
    struct Plan {
        size_t removeFirst, removeLast, insertAfter;  // node indices
        Node limit;
    };
    std::vector<Plan> plans;
    {
        const SeqView v(seq);
        for (size_t p = 0; p < v.size(); ++p) {
            if (!IsWord(v.at(p), "select")) continue;
            const bool member = p > 0 && IsWord(v.at(p - 1)) &&
                                (IsOneOf(v.at(p - 1).tok.text, kSetOperators) ||
                                 (IsWord(v.at(p - 1), "all") && p > 1 && IsWord(v.at(p - 2), "union")));
            if (member) continue;
            size_t q = p + 1;
            if (q < v.size() && (IsWord(v.at(q), "distinct") || IsWord(v.at(q), "all"))) ++q;
            if (q + 2 >= v.size() || !IsWord(v.at(q), "top")) continue;
            const Node& value = v.at(q + 1);
            if (!IsKind(value, TokenKind::Number) && !(value.group && value.closed)) continue;
            // What follows must start a select list (not PERCENT, WITH TIES or another keyword).
            const Node& list = v.at(q + 2);
            if (IsKeyword(list) && !IsWord(list, "case") && !IsWord(list, "null") && !IsWord(list, "not")) continue;
            size_t last = q + 1, r = q + 2;
            bool compound = false;
            for (; r < v.size(); ++r) {
                const Node& m = v.at(r);
                if (IsOp(m, ";") || (IsWord(m) && IsOneOf(m.tok.text, kStatementStarts))) break;
                if (IsWord(m) && (IsOneOf(m.tok.text, kSetOperators) || IEquals(m.tok.text, "for"))) {
                    compound = true;
                    break;
                }
                last = r;
            }
            p = r - 1;
            if (compound || last == q + 1) continue;
            Plan plan{v.index(q), v.index(q + 1), v.index(last), value};
            while (plan.removeLast + 1 < seq.size() && IsKind(seq[plan.removeLast + 1], TokenKind::Whitespace))
                ++plan.removeLast;
            if (value.group) {
                const SeqView inner(value.kids);
                if (inner.size() == 1 && IsKind(inner.at(0), TokenKind::Number)) plan.limit = inner.at(0);
            }
            plans.push_back(std::move(plan));
        }
    }
    if (plans.empty()) return;
    Seq out;
    out.reserve(seq.size() + 3 * plans.size());
    size_t k = 0;
    for (size_t i = 0; i < seq.size(); ++i) {
        if (k < plans.size() && i >= plans[k].removeFirst && i <= plans[k].removeLast) continue;
        out.push_back(std::move(seq[i]));
        if (k < plans.size() && i == plans[k].insertAfter) {
            out.push_back(Leaf(TokenKind::Whitespace, " "));
            out.push_back(Leaf(TokenKind::Word, "LIMIT"));
            out.push_back(Leaf(TokenKind::Whitespace, " "));
            out.push_back(std::move(plans[k].limit));
            ++k;
        }
    }
    seq = std::move(out);
}

// Innermost parentheses first, so that a group's type is known when the '+' next to it is looked at.
void RewriteSequence(Seq& seq, const TypeGuesser& types, const TargetRules& rules)
{
    for (Node& n : seq)
        if (n.group) RewriteSequence(n.kids, types, rules);
    RewriteTokens(seq, rules);
    RewriteConcat(seq, types);
    RewriteTop(seq);
}

// ---------------------------------------------------------------------------------------------
// Statement rewrites: DELETE and UPDATE with joins

// The rows of the first of two tables that the second has no row for:
//   FROM t a LEFT JOIN u b ON a.k=b.k WHERE b.k IS NULL AND <terms on a>
//   -> FROM t a WHERE NOT EXISTS (SELECT 1 FROM u b WHERE a.k=b.k) AND <terms on a>
// The same rows (a row of u that meets a.k=b.k has a b.k that is not null), but SQLite walks every
// matching row of u for each row of t before it tests IS NULL, where NOT EXISTS stops at the
// first. Only this shape: a single equality joins the two, the IS NULL names the second table's
// side of it, and the other terms name columns of the first table alone.
std::optional<std::string> AntiJoinFromWhere(const SeqView& v, const FromClause& fc)
{
    if (fc.refs.size() != 2 || fc.refs[1].join != "left" || fc.refs[1].table.empty() || fc.refs[0].table.empty() ||
        fc.end >= v.size() || !IsWord(v.at(fc.end), "where"))
        return std::nullopt;
    const TableRef& a = fc.refs[0];
    const TableRef& b = fc.refs[1];
    const std::string qa = a.alias.empty() ? a.table : a.alias;
    const std::string qb = b.alias.empty() ? b.table : b.alias;
    if (IEquals(qa, qb)) return std::nullopt;
    // qualifier.column at p: the column, else nothing.
    auto column = [&](size_t p, std::string_view qualifier) -> std::optional<std::string> {
        if (p + 2 >= v.size() || !IsName(v.at(p)) || !IsOp(v.at(p + 1), ".") || !IsName(v.at(p + 2)) ||
            !IEquals(Unquote(v.at(p)), qualifier))
            return std::nullopt;
        return Unquote(v.at(p + 2));
    };
    // ON x.c = y.d, one of them the second table's.
    if (b.onLast != b.onFirst + 7 || !IsOp(v.at(b.onFirst + 4), "=")) return std::nullopt;
    std::optional<std::string> key = column(b.onFirst + 1, qb);
    std::optional<std::string> other = column(b.onFirst + 5, qa);
    if (!key || !other) {
        key = column(b.onFirst + 5, qb);
        other = column(b.onFirst + 1, qa);
    }
    if (!key || !other) return std::nullopt;
    // The WHERE terms joined by AND; nothing that could bind across them.
    std::vector<std::pair<size_t, size_t>> terms;
    size_t start = fc.end + 1;
    for (size_t p = start; p <= v.size(); ++p) {
        if (p < v.size()) {
            const Node& n = v.at(p);
            if (IsWord(n, "or") || IsWord(n, "between") || IsWord(n, "case") || IsWord(n, "not") || IsOp(n, ";"))
                return std::nullopt;
            if (!IsWord(n, "and")) continue;
        }
        if (p == start) return std::nullopt;
        terms.emplace_back(start, p - 1);
        start = p + 1;
    }
    std::string rest;
    bool found = false;
    for (const auto& [first, last] : terms) {
        if (!found && last == first + 4 && column(first, qb) && IEquals(*column(first, qb), *key) &&
            IsWord(v.at(first + 3), "is") && IsWord(v.at(first + 4), "null")) {
            found = true;
            continue;
        }
        // Every name of another term is a column of the first table or a function.
        for (size_t p = first; p <= last; ++p) {
            if (!IsName(v.at(p))) continue;
            if (p + 1 <= last && v.at(p + 1).group) continue;
            if (column(p, qa)) {
                p += 2;
                continue;
            }
            return std::nullopt;
        }
        if (ReferencesQualifier(v, first, last, qb)) return std::nullopt;
        rest += " AND " + v.Span(first, last);
    }
    if (!found) return std::nullopt;
    return "FROM " + v.Span(a.first, a.last) + " WHERE NOT EXISTS (SELECT 1 FROM " + v.Span(b.first, b.last) + " WHERE " +
           v.Span(b.onFirst + 1, b.onLast) + ")" + rest;
}

// DELETE t WHERE .. -> DELETE FROM t WHERE ..;
// DELETE a FROM t a JOIN .. WHERE .. -> DELETE FROM t WHERE rowid IN (SELECT a.rowid FROM t a JOIN .. WHERE ..)
// with the target's row identity; the anti-join shape as DELETE FROM t a WHERE NOT EXISTS (..) where
// the target lets DELETE name an alias.
std::optional<std::string> RewriteDelete(const SeqView& v, const TargetRules& rules)
{
    size_t p = 1;
    const bool hadFrom = p < v.size() && IsWord(v.at(p), "from");
    if (hadFrom) ++p;
    if (p >= v.size() || !IsName(v.at(p))) return std::nullopt;
    const size_t targetLast = NameChainEnd(v, p);
    const std::string target = Unquote(v.at(targetLast));
    p = targetLast + 1;
    if (p >= v.size() || IsWord(v.at(p), "where")) {
        if (hadFrom) return std::nullopt;
        return v.Head() + v.Span(0, 0) + v.Gap(1) + "FROM " + v.Span(1, v.size() - 1) + v.Tail();
    }
    if (!IsWord(v.at(p), "from")) return std::nullopt;
    const size_t fromPos = p;
    const FromClause fc = ParseFrom(v, fromPos + 1);
    if (!fc.complete || (fc.end < v.size() && !IsWord(v.at(fc.end), "where"))) return std::nullopt;
    const size_t t = FindTarget(fc, target);
    if (t == npos) return std::nullopt;
    const TableRef& ref = fc.refs[t];
    const std::string qualifier = v.Span(ref.last, ref.last);  // the alias, or the table's own name
    std::string rows = v.Span(fromPos, v.size() - 1);
    if (t == 0) {
        if (std::optional<std::string> anti = AntiJoinFromWhere(v, fc)) {
            if (rules.DeleteTakesAlias()) return v.Head() + v.Span(0, 0) + v.Gap(1) + *anti + v.Tail();
            rows = *anti;
        }
    }
    const std::string id(rules.RowIdentity());
    return v.Head() + v.Span(0, 0) + v.Gap(1) + "FROM " + v.Span(ref.first, ref.nameLast) + " WHERE " + id +
           " IN (SELECT " + qualifier + "." + id + " " + rows + ")" + v.Tail();
}

// UPDATE a SET a.c=x FROM t a JOIN s b ON cond WHERE w
//   -> UPDATE t AS a SET c=x FROM s AS b WHERE (cond) AND (w)
// SQLite wants unqualified SET columns, and its FROM may not mention the target table, whose
// columns the join conditions therefore cannot see: those move to the WHERE clause. Outer joins
// of the target, or outer joins on the target's columns, are left alone.
std::optional<std::string> RewriteUpdate(const SeqView& v)
{
    if (v.size() < 2 || !IsName(v.at(1))) return std::nullopt;
    const size_t targetLast = NameChainEnd(v, 1);
    const std::string target = Unquote(v.at(targetLast));
    const size_t setPos = targetLast + 1;
    if (setPos >= v.size() || !IsWord(v.at(setPos), "set")) return std::nullopt;

    struct Assignment {
        size_t first, column, last;  // column: position of the unqualified column name
        std::string qualifier;
    };
    std::vector<Assignment> sets;
    size_t p = setPos + 1, itemFirst = p;
    for (;; ++p) {
        const bool end = p >= v.size() || IsWord(v.at(p), "from") || IsWord(v.at(p), "where");
        if (!end && !IsOp(v.at(p), ",")) continue;
        if (itemFirst >= p || !IsName(v.at(itemFirst)) || v.at(itemFirst).tok.text.starts_with('@'))
            return std::nullopt;
        const size_t column = NameChainEnd(v, itemFirst);
        if (column + 1 >= p || !IsOp(v.at(column + 1), "=")) return std::nullopt;
        sets.push_back({itemFirst, column, p - 1, column > itemFirst ? Unquote(v.at(column - 2)) : ""});
        itemFirst = p + 1;
        if (end) break;
    }
    const bool qualified = std::any_of(sets.begin(), sets.end(), [](auto& s) { return !s.qualifier.empty(); });

    auto setList = [&] {
        std::string out;
        for (size_t i = 0; i < sets.size(); ++i) {
            if (i > 0) out += v.Gap(sets[i].first - 1) + v.Span(sets[i].first - 1, sets[i].first - 1);
            const size_t from = sets[i].qualifier.empty() ? sets[i].first : sets[i].column;
            out += v.Gap(sets[i].first) + v.Span(from, sets[i].last);
        }
        return out;
    };
    auto qualifiersAre = [&](std::initializer_list<std::string_view> names) {
        return std::all_of(sets.begin(), sets.end(), [&](const Assignment& s) {
            return s.qualifier.empty() || std::any_of(names.begin(), names.end(), [&](std::string_view n) {
                       return !n.empty() && IEquals(s.qualifier, n);
                   });
        });
    };
    auto rest = [&](size_t from) { return from < v.size() ? v.Gap(from) + v.Span(from, v.size() - 1) : ""; };
    const std::string head = v.Head() + v.Span(0, 0) + v.Gap(1);
    const std::string setKeyword = v.Gap(setPos) + v.Span(setPos, setPos);

    if (p >= v.size() || IsWord(v.at(p), "where")) {  // no FROM: only the SET columns may need work
        if (!qualified || !qualifiersAre({target})) return std::nullopt;
        return head + v.Span(1, targetLast) + setKeyword + setList() + rest(p) + v.Tail();
    }

    const size_t fromPos = p;
    const FromClause fc = ParseFrom(v, fromPos + 1);
    if (!fc.complete || (fc.end < v.size() && !IsWord(v.at(fc.end), "where"))) return std::nullopt;
    const size_t t = FindTarget(fc, target);
    if (t == npos) {
        // The FROM list does not name the target: SQLite joins them the same way.
        if (!qualified || !qualifiersAre({target})) return std::nullopt;
        return head + v.Span(1, targetLast) + setKeyword + setList() + rest(fromPos) + v.Tail();
    }
    if (t != 0) return std::nullopt;
    const TableRef& ref = fc.refs[0];
    if (!qualifiersAre({target, ref.alias, ref.table})) return std::nullopt;
    const std::string targetName = ref.alias.empty() ? ref.table : ref.alias;

    std::vector<std::string> conditions;
    std::vector<bool> movedOn(fc.refs.size(), false);
    for (size_t j = 1; j < fc.refs.size(); ++j) {
        const TableRef& r = fc.refs[j];
        const bool outer = r.join == "left" || r.join == "right" || r.join == "full";
        if (j == 1 && outer) return std::nullopt;
        if (r.onFirst == npos) continue;
        if (j == 1 || ReferencesQualifier(v, r.onFirst + 1, r.onLast, targetName)) {
            if (outer) return std::nullopt;
            conditions.push_back(v.Span(r.onFirst + 1, r.onLast));
            movedOn[j] = true;
        }
    }

    std::string out = head + v.Span(ref.first, ref.nameLast);
    if (!ref.alias.empty()) out += " AS " + v.Span(ref.last, ref.last);
    out += setKeyword + setList();
    if (fc.refs.size() > 1) {
        const TableRef& source = fc.refs[1];
        out += v.Gap(fromPos) + v.Span(fromPos, fromPos);
        out += v.Gap(source.first);
        if (source.last > source.nameLast && !IsWord(v.at(source.nameLast + 1), "as")) {  // alias as the target's
            out += v.Span(source.first, source.nameLast) + " AS " + v.Span(source.last, source.last);
        } else {
            out += v.Span(source.first, source.last);
        }
        for (size_t j = 2; j < fc.refs.size(); ++j) {
            const TableRef& r = fc.refs[j];
            out += v.Gap(r.joinFirst) + v.Span(r.joinFirst, r.last);
            if (r.onFirst != npos && !movedOn[j]) out += v.Gap(r.onFirst) + v.Span(r.onFirst, r.onLast);
        }
    }
    if (conditions.empty()) {
        out += rest(fc.end);
    } else {
        out += " WHERE (";
        for (size_t i = 0; i < conditions.size(); ++i) out += (i > 0 ? ") AND (" : "") + conditions[i];
        out += ")";
        if (fc.end < v.size()) out += " AND (" + v.Span(fc.end + 1, v.size() - 1) + ")";
    }
    return out + v.Tail();
}

std::optional<std::string> RewriteStatement(const Seq& seq, size_t begin, size_t end, const TargetRules& rules)
{
    const SeqView v(seq, begin, end);
    if (v.size() == 0) return std::nullopt;
    if (IsWord(v.at(0), "delete")) return RewriteDelete(v, rules);
    if (IsWord(v.at(0), "update")) return RewriteUpdate(v);
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Select-list hints

std::string ResolveTable(const FromClause& fc, std::string_view qualifier)
{
    if (qualifier.empty()) return fc.refs.size() == 1 ? fc.refs[0].table : std::string();
    for (const TableRef& r : fc.refs)
        if (IEquals(r.alias, qualifier)) return r.table;
    for (const TableRef& r : fc.refs)
        if (IEquals(r.table, qualifier)) return r.table;
    return {};
}

ColumnHint ExpressionHint(const SeqView& v, size_t a, size_t b, const FromClause& fc)
{
    if (a > b || b >= v.size()) return {};
    if (a == b && v.at(a).group) {
        const SeqView inner(v.at(a).kids);
        return inner.size() == 0 ? ColumnHint{} : ExpressionHint(inner, 0, inner.size() - 1, fc);
    }
    if (b != a + 1 || !v.at(b).group || !IsWord(v.at(a))) return {};
    const std::string name = ToLower(v.at(a).tok.text);
    const SeqView args(v.at(b).kids);
    if (name == "count") return {"int", {}, {}};
    if (name == "count_big") return {"bigint", {}, {}};
    if (name == "cast") {
        for (size_t p = 0; p + 1 < args.size(); ++p)
            if (IsWord(args.at(p), "as")) return {ToLower(Unquote(args.at(p + 1))), {}, {}};
        return {};
    }
    if (name == "convert") {
        if (args.size() == 0 || !IsName(args.at(0))) return {};
        return {ToLower(Unquote(args.at(0))), {}, {}};
    }
    if (name != "max" && name != "min" && name != "sum" && name != "avg") return {};
    size_t p = 0;
    if (p < args.size() && (IsWord(args.at(p), "distinct") || IsWord(args.at(p), "all"))) ++p;
    if (p >= args.size()) return {};
    if (IsName(args.at(p)) && NameChainEnd(args, p) == args.size() - 1) {
        const size_t column = args.size() - 1;
        const std::string qualifier = column > p ? Unquote(args.at(column - 2)) : std::string();
        return {{}, ResolveTable(fc, qualifier), Unquote(args.at(column))};
    }
    return ExpressionHint(args, p, args.size() - 1, fc);
}

std::vector<ColumnHint> Hints(std::string_view sql)
{
    const std::optional<Seq> tree = BuildTree(SqlTokenizer::Tokenize(sql));
    if (!tree) return {};
    const SeqView v(*tree);
    size_t p = 0;
    while (p < v.size() && !IsWord(v.at(p), "select")) ++p;
    if (p++ >= v.size()) return {};
    if (p < v.size() && (IsWord(v.at(p), "distinct") || IsWord(v.at(p), "all"))) ++p;
    if (p + 1 < v.size() && IsWord(v.at(p), "top")) {
        p += 2;
        if (p < v.size() && IsWord(v.at(p), "percent")) ++p;
        if (p + 1 < v.size() && IsWord(v.at(p), "with") && IsWord(v.at(p + 1), "ties")) p += 2;
    }
    std::vector<std::pair<size_t, size_t>> items;  // first and one past the last position
    size_t first = p;
    for (; p < v.size() && !EndsClause(v.at(p)); ++p) {
        if (IsOp(v.at(p), ",")) {
            items.emplace_back(first, p);
            first = p + 1;
        }
    }
    if (first < p || !items.empty()) items.emplace_back(first, p);
    const FromClause fc = p < v.size() && IsWord(v.at(p), "from") ? ParseFrom(v, p + 1) : FromClause{};

    std::vector<ColumnHint> hints;
    for (auto [a, end] : items) {
        size_t b = end;  // one past the expression, once the alias is taken off
        if (end >= a + 3 && IsWord(v.at(end - 2), "as")) {
            b = end - 2;
        } else if (end >= a + 2 && (IsName(v.at(end - 1)) || IsKind(v.at(end - 1), TokenKind::String)) &&
                   !IsKind(v.at(end - 2), TokenKind::Operator)) {
            b = end - 1;
        } else if (end >= a + 3 && IsName(v.at(a)) && IsOp(v.at(a + 1), "=")) {
            a += 2;
        }
        hints.push_back(b > a ? ExpressionHint(v, a, b - 1, fc) : ColumnHint{});
    }
    return hints;
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

std::vector<ColumnHint> SelectListHints(std::string_view sql)
{
    try {
        return Hints(sql);
    } catch (...) {
        return {};
    }
}

}  // namespace db::dialect
