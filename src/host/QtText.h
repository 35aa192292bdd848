// Text conversions between the database layer's values and the Qt widgets of the host's
// components: UTF-8 std::string <-> QString, and the display text of a field value.
#pragma once
#include <QString>
#include <string>

#include "db/Value.h"

namespace host {

inline QString ToQString(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

inline std::string ToStdString(const QString& text) { return text.toUtf8().toStdString(); }

// How a field value shows in a grid: dates without a midnight time, numbers in their shortest
// form, nulls empty.
inline QString DisplayText(const db::Value& v) {
    if (v.GetKind() == db::Value::Kind::Date) {
        const db::DateTime d = v.ToDate();
        return ToQString(d.hour == 0 && d.minute == 0 && d.second == 0 ? d.DateText() : d.ToText());
    }
    return ToQString(v.ToText());
}

}  // namespace host
