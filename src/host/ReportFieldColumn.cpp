#include "host/ReportFieldColumn.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "db/NaturalOrder.h"

namespace host {
namespace {

// An unsigned key that orders as the double does (-0 as 0).
std::uint64_t NumberKey(double x) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x == 0 ? 0.0 : x);
    constexpr std::uint64_t sign = std::uint64_t{1} << 63;
    return (bits & sign) ? ~bits : bits | sign;
}

double DateKey(const db::DateTime& d) {
    return ((d.year * 100.0 + d.month) * 100.0 + d.day) * 1000000.0 + d.hour * 10000.0 + d.minute * 100.0 + d.second;
}

}  // namespace

ReportFieldColumn::ReportFieldColumn(const db::RowSet& rows, size_t field, ReportFieldKind kind) {
    const size_t n = rows.rows.size();
    static const db::Value kNull = db::Value::Null();
    auto value = [&](size_t r) -> const db::Value& { return field < rows.rows[r].size() ? rows.rows[r][field] : kNull; };
    flags_.assign(n, 0);
    keys_.assign(n, 0);
    if (kind == ReportFieldKind::Text) {
        starts_.assign(n + 1, 0);
        std::string converted;
        for (size_t r = 0; r < n; ++r) {
            starts_[r] = texts_.size();
            const db::Value& v = value(r);
            if (v.IsNull() || v.IsEmpty()) {
                flags_[r] = kMissing | kUnkeyed;
                continue;
            }
            if (v.IsNumeric()) flags_[r] |= kNumeric;
            const std::string* text = v.TextIf();
            if (!text) text = &(converted = v.ToText());
            texts_ += *text;
            keys_[r] = db::NaturalPrefixKey(*text);
        }
        starts_[n] = texts_.size();
        return;
    }
    if (kind != ReportFieldKind::Date) numbers_.assign(n, 0.0);
    for (size_t r = 0; r < n; ++r) {
        const db::Value& v = value(r);
        if (v.IsNull() || v.IsEmpty()) flags_[r] |= kMissing;
        if (v.GetKind() == db::Value::Kind::Date) {
            keys_[r] = NumberKey(DateKey(v.ToDate()));
        } else if (v.IsNumeric()) {
            const double x = ReportNumber(v);
            flags_[r] |= kNumeric;
            keys_[r] = NumberKey(x);
            if (!numbers_.empty()) numbers_[r] = x;
        } else {
            flags_[r] |= kUnkeyed;
        }
    }
}

}  // namespace host
