#include "host/ReportField.h"

#include <cmath>

#include "host/QtText.h"

namespace host {

QString ReportNumberText(double value, const ReportField& field) {
    const int decimals = field.kind == ReportFieldKind::Integer ? 0 : field.decimals;
    if (decimals < 0) return ToQString(db::FormatDouble(value == 0 ? 0.0 : value));
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    return QString::number(rounded == 0 ? 0.0 : rounded, 'f', decimals);
}

QString ReportCellText(const db::Value& value, const ReportField& field) {
    if (value.IsNull() || value.IsEmpty()) return {};
    if (value.GetKind() == db::Value::Kind::Date) return DisplayText(value);
    if (field.flag && value.IsNumeric()) return ReportNumber(value) != 0 ? QStringLiteral("是") : QStringLiteral("否");
    if (field.IsNumeric() && value.IsNumeric()) return ReportNumberText(ReportNumber(value), field);
    return ToQString(value.ToText());
}

}  // namespace host
