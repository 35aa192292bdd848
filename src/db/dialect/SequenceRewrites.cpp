#include "db/dialect/TranslatorParts.h"

#include <algorithm>
#include <utility>

namespace db::dialect::tree {

namespace {

// Words that start a new statement (T-SQL does not need ';' between statements).
constexpr std::string_view kStatementStarts[] = {
    "select", "insert", "update", "delete", "create", "drop", "alter", "declare", "exec", "execute",
    "merge", "truncate", "go", "print"};

constexpr std::string_view kSetOperators[] = {"union", "except", "intersect"};

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

}  // namespace

// Innermost parentheses first, so that a group's type is known when the '+' next to it is looked at.
void RewriteSequence(Seq& seq, const TypeGuesser& types, const TargetRules& rules)
{
    for (Node& n : seq)
        if (n.group) RewriteSequence(n.kids, types, rules);
    RewriteTokens(seq, rules);
    RewriteConcat(seq, types);
    RewriteTop(seq);
}

}  // namespace db::dialect::tree
