#include "db/dialect/TranslatorParts.h"

namespace db::dialect::tree {

namespace {

// Words after which a select list or FROM clause is over.
constexpr std::string_view kClauseEnds[] = {
    "where", "group", "order", "having", "option", "union", "except", "intersect", "for", "into",
    "limit", "window", "from"};

bool StartsJoin(const SeqView& v, size_t p)
{
    const Node& n = v.at(p);
    if (IsOp(n, ",")) return true;
    static constexpr std::string_view kJoinWords[] = {"join", "inner", "cross", "left", "right", "full"};
    if (!IsWord(n) || !IsOneOf(n.tok.text, kJoinWords)) return false;
    return !(p + 1 < v.size() && v.at(p + 1).group);  // left(...) is a function
}

}  // namespace

bool EndsClause(const Node& n) { return IsOp(n, ";") || (IsWord(n) && IsOneOf(n.tok.text, kClauseEnds)); }

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

}  // namespace db::dialect::tree
