// A column of a report's result as the report grid shows it: its name, what kind of value it
// holds and how many decimals it shows; and the text of a value in such a column.
#pragma once
#include <QString>
#include <string>

#include "db/Value.h"

namespace host {

enum class ReportFieldKind { Text, Integer, Decimal, Date };

struct ReportField {
    std::string name;
    ReportFieldKind kind = ReportFieldKind::Text;
    int decimals = -1;  // Decimal: the fixed number of decimals shown; -1 the shortest form
    // An integer column named as a flag ("审核标志"): shown 是/否, centred, never summed.
    bool flag = false;

    bool IsNumeric() const { return kind == ReportFieldKind::Integer || kind == ReportFieldKind::Decimal; }
    // Amounts, prices and counts: right-aligned, and summed in the totals row.
    bool IsQuantity() const { return IsNumeric() && !flag; }
};

// The number a numeric value counts as in a report (a boolean is 1 or 0).
inline double ReportNumber(const db::Value& v) {
    return v.GetKind() == db::Value::Kind::Bool ? (v.ToBool() ? 1.0 : 0.0) : v.ToDouble();
}

// Numbers with the field's decimals, flags as 是/否, dates as dates (with the time only when it is
// not midnight), nulls empty.
QString ReportCellText(const db::Value& value, const ReportField& field);
// A number with the field's decimals ("-0.00" never shows).
QString ReportNumberText(double value, const ReportField& field);

}  // namespace host
