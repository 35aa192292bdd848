#include "host/ReportFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

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

int FieldIndex(const std::vector<ReportField>& fields, const std::string& name) {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return static_cast<int>(i);
    return -1;
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
    auto valid = [&](const std::string& text) { return date ? ParseDay(text).has_value() : ParseNumber(text).has_value(); };
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
            c.text = db::text::Lower(r.op == ReportFilterOp::Equals ? db::text::Trim(r.value) : r.value);
        } else {
            auto parse = [&](const std::string& t) { return c.kind == ReportFieldKind::Date ? ParseDay(t) : ParseNumber(t); };
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

bool ReportFilter::Holds(const Condition& c, const db::Value& v) {
    if (v.IsNull() || v.IsEmpty()) return false;
    switch (c.kind) {
        case ReportFieldKind::Text: {
            const std::string text = db::text::Lower(v.ToText());
            if (c.op == ReportFilterOp::Contains) return text.find(c.text) != std::string::npos;
            return db::text::Trim(text) == c.text;
        }
        case ReportFieldKind::Date: {
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
        case ReportFieldKind::Integer:
        case ReportFieldKind::Decimal: {
            if (!v.IsNumeric()) return false;
            const double x = ReportNumber(v);
            if (c.op == ReportFilterOp::Equals) return Close(x, c.low);
            return (!c.hasLow || x >= c.low || Close(x, c.low)) && (!c.hasHigh || x <= c.high || Close(x, c.high));
        }
    }
    return false;
}

bool ReportFilter::Matches(const std::vector<db::Value>& row) const {
    for (const Condition& c : conditions_) {
        if (static_cast<size_t>(c.field) >= row.size() || !Holds(c, row[static_cast<size_t>(c.field)])) return false;
    }
    return true;
}

}  // namespace host
