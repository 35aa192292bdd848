// The parenthesis tree the translator walks, shared by the rules of each target dialect: a
// statement is a sequence of nodes, each a token or a parenthesised group, and emitting the nodes
// gives back the text. Helpers for reading names and words off it (ASCII case folding; the bytes of
// UTF-8 sequences compare as they are).
#pragma once

#include "db/dialect/SqlToken.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace db::dialect::tree {

// ---------------------------------------------------------------------------------------------
// Text helpers (ASCII case folding; bytes of UTF-8 sequences compare as they are)

inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string ToLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}

inline bool IEquals(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

inline bool IsOneOf(std::string_view word, std::span<const std::string_view> list)
{
    return std::any_of(list.begin(), list.end(), [&](std::string_view w) { return IEquals(word, w); });
}


// ---------------------------------------------------------------------------------------------
// Parenthesis tree: a statement is a sequence of nodes, each a token or a parenthesised group.

struct Node {
    SqlToken tok;  // the token, or the '(' of a group
    bool group = false;
    bool closed = false;  // the group has its ')'
    std::vector<Node> kids;
};
using Seq = std::vector<Node>;

inline Node Leaf(TokenKind kind, std::string text)
{
    Node n;
    n.tok = SqlToken{kind, std::move(text)};
    return n;
}

inline void Emit(const Node& n, std::string& out)
{
    out += n.tok.text;
    if (!n.group) return;
    for (const Node& k : n.kids) Emit(k, out);
    if (n.closed) out += ')';
}

inline bool IsTrivia(const Node& n) { return !n.group && n.tok.IsTrivia(); }
inline bool IsWord(const Node& n) { return !n.group && n.tok.kind == TokenKind::Word; }
inline bool IsWord(const Node& n, std::string_view w) { return IsWord(n) && IEquals(n.tok.text, w); }
inline bool IsOp(const Node& n, std::string_view op)
{
    return !n.group && n.tok.kind == TokenKind::Operator && n.tok.text == op;
}
inline bool IsKind(const Node& n, TokenKind k) { return !n.group && n.tok.kind == k; }

// The name a word or quoted identifier stands for.
inline std::string Unquote(const Node& n)
{
    const std::string& t = n.tok.text;
    if (n.group || n.tok.kind != TokenKind::QuotedIdentifier || t.empty()) return t;
    const char close = t[0] == '[' ? ']' : '"';
    std::string name;
    for (size_t i = 1; i < t.size(); ++i) {
        if (t[i] == close) {
            if (i + 1 < t.size() && t[i + 1] == close) {
                name += close;
                ++i;
                continue;
            }
            break;
        }
        name += t[i];
    }
    return name;
}

// The significant (non-trivia) nodes of a node range, addressed by position.
class SeqView {
public:
    SeqView(const Seq& seq, size_t begin, size_t end) : seq_(seq), begin_(begin), end_(end)
    {
        for (size_t i = begin; i < end; ++i)
            if (!IsTrivia(seq[i])) sig_.push_back(i);
    }
    explicit SeqView(const Seq& seq) : SeqView(seq, 0, seq.size()) {}

    size_t size() const { return sig_.size(); }
    const Node& at(size_t p) const { return seq_[sig_[p]]; }
    size_t index(size_t p) const { return sig_[p]; }

    // Text of positions a..b, trivia between them included.
    std::string Span(size_t a, size_t b) const { return Nodes(sig_[a], sig_[b] + 1); }
    // Trivia just before position p.
    std::string Gap(size_t p) const { return Nodes(p == 0 ? begin_ : sig_[p - 1] + 1, sig_[p]); }
    // Trivia before the first and after the last significant node.
    std::string Head() const { return sig_.empty() ? Nodes(begin_, end_) : Nodes(begin_, sig_.front()); }
    std::string Tail() const { return sig_.empty() ? std::string() : Nodes(sig_.back() + 1, end_); }

private:
    std::string Nodes(size_t from, size_t to) const
    {
        std::string out;
        for (size_t i = from; i < to; ++i) Emit(seq_[i], out);
        return out;
    }

    const Seq& seq_;
    size_t begin_, end_;
    std::vector<size_t> sig_;
};

// ---------------------------------------------------------------------------------------------
// Building the tree and reading names off it (SqlTree.cpp)

// Texts with parentheses or CASE expressions nested deeper than this are returned as they are: the
// walks over the tree recurse once per level.
constexpr size_t kMaxNesting = 200;
constexpr size_t npos = static_cast<size_t>(-1);

// Nothing when the parentheses nest deeper than kMaxNesting.
std::optional<Seq> BuildTree(std::vector<SqlToken> tokens);

bool IsKeyword(const Node& n);
// A table, column or alias name: a non-keyword word or a quoted identifier.
bool IsName(const Node& n);
// Names that may be followed by an argument list; left and right are keywords as well.
bool IsFunctionName(const Node& n);

// Last position of the dotted name starting at p (a, a.b, a.b.c), and the first of the one ending at p.
size_t NameChainEnd(const SeqView& v, size_t p);
size_t NameChainStart(const SeqView& v, size_t p);

// Whether positions a..b (groups included) use `name.` as a qualifier.
bool ReferencesQualifier(const SeqView& v, size_t a, size_t b, std::string_view name);

}  // namespace db::dialect::tree
