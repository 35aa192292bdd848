#include "db/dialect/SqlTokenizer.h"
#include "db/dialect/TranslatorParts.h"

#include <utility>

namespace db::dialect {

namespace {

using namespace tree;

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

}  // namespace

std::vector<ColumnHint> SelectListHints(std::string_view sql)
{
    try {
        return Hints(sql);
    } catch (...) {
        return {};
    }
}

}  // namespace db::dialect
