#include "db/dialect/TranslatorParts.h"

namespace db::dialect::tree {

namespace {

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

Kind OfType(std::string_view type)
{
    if (IsOneOf(type, kTextTypes)) return Kind::Text;
    if (IsOneOf(type, kNumericTypes)) return Kind::Numeric;
    return Kind::Unknown;
}

}  // namespace

Kind TypeGuesser::OfNodes(const Seq& seq, size_t begin, size_t end) const
{
    const SeqView v(seq, begin, end);
    if (v.size() == 0) return Kind::Unknown;
    for (size_t p = 0; p < v.size(); ++p)
        if (IsOp(v.at(p), "||")) return Kind::Text;
    const std::vector<size_t> cases = MatchCases(v);
    const std::optional<size_t> last = PrimaryAfter(v, 0, cases);
    return last && *last == v.size() - 1 ? OfPrimary(v, 0, *last, cases) : Kind::Unknown;
}

std::vector<size_t> TypeGuesser::MatchCases(const SeqView& v)
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

std::optional<size_t> TypeGuesser::PrimaryBefore(const SeqView& v, size_t p, const std::vector<size_t>& cases)
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

std::optional<size_t> TypeGuesser::PrimaryAfter(const SeqView& v, size_t p, const std::vector<size_t>& cases)
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

Kind TypeGuesser::OfPrimary(const SeqView& v, size_t a, size_t b, const std::vector<size_t>& cases) const
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

Kind TypeGuesser::OfColumn(std::string_view qualifier, std::string_view column) const
{
    if (oracle_ && oracle_(qualifier, column)) return Kind::Text;
    if (known_ && known_(qualifier, column)) return Kind::Numeric;
    return Kind::Unknown;
}

Kind TypeGuesser::OfCall(const std::string& name, const Seq& args) const
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

Kind TypeGuesser::OfCase(const SeqView& v, size_t a, size_t b, const std::vector<size_t>& cases) const
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

}  // namespace db::dialect::tree
