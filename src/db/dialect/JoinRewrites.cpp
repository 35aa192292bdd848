#include "db/dialect/TranslatorParts.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace db::dialect::tree {

namespace {

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

}  // namespace

std::optional<std::string> RewriteStatement(const Seq& seq, size_t begin, size_t end, const TargetRules& rules)
{
    const SeqView v(seq, begin, end);
    if (v.size() == 0) return std::nullopt;
    if (IsWord(v.at(0), "delete")) return RewriteDelete(v, rules);
    if (IsWord(v.at(0), "update")) return RewriteUpdate(v);
    return std::nullopt;
}

}  // namespace db::dialect::tree
