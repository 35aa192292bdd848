#include "host/ReportFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "db/TextUtil.h"

namespace host {
namespace {

std::optional<double> ParseNumber(const std::string& text) {
    const std::string t = db::text::Trim(text);
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

double DayNumber(const db::DateTime& d) { return d.year * 10000.0 + d.month * 100.0 + d.day; }

std::optional<double> ParseDay(const std::string& text) {
    const std::string t = db::text::Trim(text);
    if (t.empty()) return std::nullopt;
    auto d = db::DateTime::Parse(t);
    if (!d || !d->IsValid()) return std::nullopt;
    return DayNumber(*d);
}

// A condition's value for a column: a flag column (shown 是/否) takes 是 and 否 as well as 1 and 0.
std::optional<double> ValueFor(const ReportField& field, const std::string& text) {
    if (field.kind == ReportFieldKind::Date) return ParseDay(text);
    if (field.flag) {
        const std::string t = db::text::Trim(text);
        if (t == "是") return 1.0;
        if (t == "否") return 0.0;
    }
    return ParseNumber(text);
}

int FieldIndex(const std::vector<ReportField>& fields, const std::string& name) {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return static_cast<int>(i);
    return -1;
}

char FoldLatin(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string FoldLatin(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = FoldLatin(c);
    return r;
}

// Whether text at `at` reads as `folded` (Latin letters lower-cased), whatever the case of its letters.
bool FoldedAt(std::string_view text, size_t at, std::string_view folded) {
    for (size_t i = 0; i < folded.size(); ++i)
        if (FoldLatin(text[at + i]) != folded[i]) return false;
    return true;
}

// Where part (not empty) first occurs in text at or after `from`; npos when nowhere. Candidates are
// found by part's last byte: in UTF-8 text a continuation byte recurs far less often than a lead
// byte, so fewer places need comparing.
size_t FindPart(std::string_view text, std::string_view part, size_t from) {
    const size_t k = part.size() - 1;
    if (from > text.size() || text.size() - from <= k) return std::string_view::npos;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* at = begin + from + k;
    while (at < end) {
        at = static_cast<const char*>(std::memchr(at, part[k], static_cast<size_t>(end - at)));
        if (!at) break;
        if (std::memcmp(at - k, part.data(), k) == 0) return static_cast<size_t>(at - k - begin);
        ++at;
    }
    return std::string_view::npos;
}

bool Close(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)}); }

}  // namespace

bool ReportFilter::Offers(ReportFieldKind kind, ReportFilterOp op) {
    if (op == ReportFilterOp::Equals) return true;
    return kind == ReportFieldKind::Text ? op == ReportFilterOp::Contains : op == ReportFilterOp::Between;
}

std::string ReportFilter::Problem(const ReportFilterRule& rule, const std::vector<ReportField>& fields) {
    const int f = FieldIndex(fields, rule.field);
    if (f < 0) return "报表没有列“" + rule.field + "”";
    const ReportField& field = fields[static_cast<size_t>(f)];
    if (!Offers(field.kind, rule.op)) return "列“" + rule.field + "”不能用这种条件";
    if (field.kind == ReportFieldKind::Text) return {};
    const bool date = field.kind == ReportFieldKind::Date;
    auto valid = [&](const std::string& text) { return ValueFor(field, text).has_value(); };
    const char* what = date ? "日期" : "数值";
    if (rule.op == ReportFilterOp::Equals) {
        if (!valid(rule.value)) return "列“" + rule.field + "”的条件不是" + what + "：" + rule.value;
        return {};
    }
    const bool hasLow = !db::text::Trim(rule.value).empty(), hasHigh = !db::text::Trim(rule.to).empty();
    if (!hasLow && !hasHigh) return "列“" + rule.field + "”的范围是空的";
    if (hasLow && !valid(rule.value)) return "列“" + rule.field + "”的起点不是" + what + "：" + rule.value;
    if (hasHigh && !valid(rule.to)) return "列“" + rule.field + "”的终点不是" + what + "：" + rule.to;
    return {};
}

ReportFilter::ReportFilter(const std::vector<ReportFilterRule>& rules, const std::vector<ReportField>& fields) {
    for (const ReportFilterRule& r : rules) {
        if (!Problem(r, fields).empty()) continue;
        Condition c;
        c.field = FieldIndex(fields, r.field);
        c.op = r.op;
        c.kind = fields[static_cast<size_t>(c.field)].kind;
        if (c.kind == ReportFieldKind::Text) {
            c.text = FoldLatin(r.op == ReportFilterOp::Equals ? db::text::Trim(r.value) : r.value);
            c.textHasLetters = std::any_of(c.text.begin(), c.text.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; });
        } else {
            const ReportField& field = fields[static_cast<size_t>(c.field)];
            auto parse = [&](const std::string& t) { return ValueFor(field, t); };
            auto low = parse(r.value);
            auto high = r.op == ReportFilterOp::Equals ? low : parse(r.to);
            c.hasLow = low.has_value();
            c.hasHigh = high.has_value();
            c.low = low.value_or(0);
            c.high = high.value_or(0);
        }
        conditions_.push_back(std::move(c));
    }
}

bool ReportFilter::HoldsText(const Condition& c, std::string_view text) {
    if (c.op == ReportFilterOp::Equals) {
        text = db::text::TrimView(text);
        return text.size() == c.text.size() && FoldedAt(text, 0, c.text);
    }
    if (c.text.empty()) return true;
    // Without Latin letters in the condition, the case of the text's letters cannot matter.
    if (!c.textHasLetters) return FindPart(text, c.text, 0) != std::string_view::npos;
    if (c.text.size() > text.size()) return false;
    for (size_t at = 0, last = text.size() - c.text.size(); at <= last; ++at)
        if (FoldedAt(text, at, c.text)) return true;
    return false;
}

bool ReportFilter::HoldsNumber(const Condition& c, double x) {
    if (c.op == ReportFilterOp::Equals) return Close(x, c.low);
    return (!c.hasLow || x >= c.low || Close(x, c.low)) && (!c.hasHigh || x <= c.high || Close(x, c.high));
}

bool ReportFilter::HoldsDate(const Condition& c, const db::Value& v) {
    if (v.IsNull() || v.IsEmpty()) return false;
    double day;
    if (v.GetKind() == db::Value::Kind::Date) {
        day = DayNumber(v.ToDate());
    } else {
        auto parsed = ParseDay(v.ToText());
        if (!parsed) return false;
        day = *parsed;
    }
    return (!c.hasLow || day >= c.low) && (!c.hasHigh || day <= c.high);
}

void ReportFilter::Narrow(std::vector<int>& rows, const db::RowSet& result,
                          const std::function<const ReportFieldColumn&(int field)>& column) const {
    for (const Condition& c : conditions_) {
        if (rows.empty()) return;
        if (c.kind == ReportFieldKind::Date) {
            const auto f = static_cast<size_t>(c.field);
            std::erase_if(rows, [&](int r) {
                const auto& row = result.rows[static_cast<size_t>(r)];
                return f >= row.size() || !HoldsDate(c, row[f]);
            });
            continue;
        }
        const ReportFieldColumn& values = column(c.field);
        if (c.kind == ReportFieldKind::Text && c.op == ReportFilterOp::Contains && !c.text.empty() && !c.textHasLetters) {
            // The case of letters cannot matter: one search through the field's texts side by side,
            // a row kept when an occurrence lies within its text.
            const std::string_view texts = values.Texts(), part = c.text;
            size_t next = FindPart(texts, part, values.TextStart(rows.front())), kept = 0;
            for (const int r : rows) {
                const size_t begin = values.TextStart(r), end = values.TextStart(r + 1);
                if (next != std::string_view::npos && next < begin) next = FindPart(texts, part, begin);
                if (next == std::string_view::npos) break;
                if (next + part.size() <= end) rows[kept++] = r;
            }
            rows.resize(kept);
        } else if (c.kind == ReportFieldKind::Text) {
            std::erase_if(rows, [&](int r) { return values.Missing(r) || !HoldsText(c, values.Text(r)); });
        } else {
            std::erase_if(rows, [&](int r) { return !values.Numeric(r) || !HoldsNumber(c, values.Number(r)); });
        }
    }
}

}  // namespace host
